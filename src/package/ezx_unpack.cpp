#include "package/ezx_unpack.h"

#include <array>

#include "package/ezx_format.h"
#include "package/ezx_reader.h"
#include "package/member_names.h"
#include "platform/ansi_codepage.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/io_error.h"
#include "platform/path.h"

namespace lumigram {
namespace {

// Content is read in chunks of kContentChunkSize straight into this block,
// which goes to the member file in one write when full.
struct UnpackBuffers {
    std::array<std::uint8_t, 65536> block{};
};

// Copies size bytes from the package into the member file, chunk by chunk.
void CopyContent(ByteFile& package, const PackageMember& member, ByteFile& output,
                 UnpackBuffers& buffers) {
    BlockWriter writer(output, 0, buffers.block);
    std::uint64_t offset = member.contentOffset;
    std::uint64_t left = member.size;
    while (left > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, kContentChunkSize));
        const std::size_t got = package.ReadAt(offset, writer.Reserve(want));
        if (got != want) {
            // The check saw the content in the file: it shrank under us.
            throw IoError(kReadBeyondEndOfFile, package.path());
        }
        writer.Commit(got);
        offset += got;
        left -= got;
    }
    writer.Flush();
}

}  // namespace

UnpackResult UnpackEZX(const std::string& PackageFileName, const std::string& Folder,
                       const UnpackOptions& options) {
    ByteFile package = ByteFile::OpenRead(PackageFileName);
    const std::vector<PackageMember> members = ReadPackageMembers(package);
    static thread_local UnpackBuffers buffers;

    UnpackResult result;
    const auto report = [&](const PackageMember& member, const std::string& path,
                            const std::string& what) {
        ++result.notWritten;
        if (options.onMemberNotWritten) {
            options.onMemberNotWritten(MemberProblem{
                member.number, path, "member " + std::to_string(member.number) + ": " + what});
        }
    };

    for (std::size_t i = 0; i < members.size(); ++i) {
        const PackageMember& member = members[i];
        const std::string name = AnsiToUtf8(member.storedName);
        const std::string path = JoinPath(Folder, name);
        const std::string reason = UnsafeMemberNameReason(member.storedName);
        if (!reason.empty()) {
            report(member, path,
                   "unsafe name \"" + EscapeName(member.storedName) + "\" not written: " + reason);
        } else if (options.skipExisting && FileExists(path)) {
            ++result.skipped;
        } else {
            std::optional<ByteFile> output;
            try {
                output.emplace(ByteFile::CreateReplacingLink(path));
            } catch (const IoError& error) {
                report(member, path, "cannot create \"" + EscapeName(name) + "\": " + error.what());
            }
            if (output) {
                CopyContent(package, member, *output, buffers);
                output->Close();
                ++result.written;
            }
        }
        if (options.onProgress && !options.onProgress(i + 1, members.size())) {
            result.cancelled = i + 1 < members.size();
            break;
        }
    }
    package.Close();
    return result;
}

}  // namespace lumigram
