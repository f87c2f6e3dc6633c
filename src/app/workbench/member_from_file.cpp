#include "app/workbench/member_from_file.h"

#include "package/member_intake.h"
#include "platform/byte_file.h"
#include "platform/byte_sink.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {

std::vector<std::uint8_t> MemberBytesBy(const MemberPlan& plan, const std::string& path,
                                        PictureKind kind, const ConversionOptions& options) {
    ByteFile file = ByteFile::OpenRead(path);
    if (file.Size() > static_cast<std::uint64_t>(kMaxPackageBytes)) {
        throw FormatError("file is too large for a package (2 GiB at most)", path);
    }
    if (plan.encoding == MemberEncoding::kEncodeSkin) {
        MemorySink encoded(path);
        ConvertPicture(file, kind, TargetFormat::kK, encoded, options);
        return encoded.Take();
    }
    std::vector<std::uint8_t> bytes = ReadWhole(file);
    if (bytes.size() != file.Size()) {
        throw IoError(IoCode::kReadBeyondEndOfFile, path);
    }
    return bytes;
}

MemberFromFile MemberForFile(const std::string& path, const ConversionOptions& options) {
    const PictureKind kind = ReadPictureKind(path);
    const MemberPlan plan = PlanMember(path, kind, IntakeMode::kByContent);
    return {plan.storedName, MemberBytesBy(plan, path, kind, options)};
}

std::vector<std::uint8_t> MemberBytesFromFile(const std::string& storedName,
                                              const std::string& path,
                                              const ConversionOptions& options) {
    const PictureKind kind = ReadPictureKind(path);
    return MemberBytesBy(PlanReplacement(storedName, path, kind), path, kind, options);
}

}  // namespace lumigram
