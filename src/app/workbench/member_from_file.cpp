#include "app/workbench/member_from_file.h"

#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/folder_search.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

// The whole of file, within what a package member may hold.
std::vector<std::uint8_t> ReadWhole(ByteFile& file) {
    const std::uint64_t size = file.Size();
    if (size > static_cast<std::uint64_t>(kMaxPackageBytes)) {
        throw FormatError("file is too large for a package (2 GiB at most)", file.path());
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (file.ReadAt(0, bytes) != bytes.size()) {
        throw IoError(IoCode::kReadBeyondEndOfFile, file.path());
    }
    return bytes;
}

std::vector<std::uint8_t> EncodeSkin(const std::string& path, PictureKind kind,
                                     const std::string& scratchFolder,
                                     const ConversionOptions& options) {
    const OutputFolder folder = OutputFolder::Open(scratchFolder);
    // Read back before it is committed: the temporary goes with the object.
    OutputFile output(folder, "member.k");
    ConvertPicture(path, kind, TargetFormat::kK, output.file(), options);
    return ReadWhole(output.file());
}

}  // namespace

std::vector<std::uint8_t> MemberBytesFromFile(const std::string& storedName,
                                              const std::string& path,
                                              const std::string& scratchFolder,
                                              const ConversionOptions& options) {
    const std::string member = AnsiToUtf8(storedName);
    const PictureKind kind = ReadPictureKind(path);
    if (HasExtensionIgnoringCase(storedName, ".k")) {
        switch (kind) {
            case PictureKind::kSkin: {
                ByteFile file = ByteFile::OpenRead(path);
                return ReadWhole(file);
            }
            case PictureKind::kBmp:
            case PictureKind::kPng:
                return EncodeSkin(path, kind, scratchFolder, options);
            case PictureKind::kGif:
                throw FormatError("is a GIF picture, which the skin picture " + member +
                                      " cannot hold; use a BMP, PNG or .k picture, or put the "
                                      "GIF in a .g member",
                                  path);
            case PictureKind::kUnknown:
                break;
        }
        throw FormatError(
            "is not a picture " + member + " can be made from; use a BMP, PNG or .k picture", path);
    }
    if (HasExtensionIgnoringCase(storedName, ".g") && kind != PictureKind::kGif &&
        kind != PictureKind::kPng) {
        throw FormatError(
            "the member " + member + " holds a GIF or PNG picture; this file is neither", path);
    }
    ByteFile file = ByteFile::OpenRead(path);
    return ReadWhole(file);
}

}  // namespace lumigram
