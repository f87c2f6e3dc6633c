#include "codec/picture_direction.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "codec/bmp_header.h"
#include "platform/byte_file.h"
#include "platform/byte_source.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"
#include "platform/path.h"

namespace lumigram {
namespace {

bool StartsWith(std::span<const std::uint8_t> head, std::string_view prefix) {
    return head.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), head.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

}  // namespace

const char* PictureFormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::kBmp:
            return "BMP";
        case PictureFormat::kGif:
            return "GIF";
        case PictureFormat::kPng:
            return "PNG";
        case PictureFormat::kUnknown:
            break;
    }
    return "";
}

PictureFormat SniffPictureFormat(std::span<const std::uint8_t> head) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n")) {
        return PictureFormat::kPng;
    }
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) {
        return PictureFormat::kGif;
    }
    if (HasBmpSignature(head) && head.size() >= kBmpInfoSizeAt + 4) {
        const std::uint32_t infoSize = ReadU32LE(head, kBmpInfoSizeAt);
        static constexpr std::array<std::uint32_t, 7> kInfoSizes = {12, 40, 52, 56, 64, 108, 124};
        if (std::find(kInfoSizes.begin(), kInfoSizes.end(), infoSize) != kInfoSizes.end()) {
            return PictureFormat::kBmp;
        }
    }
    return PictureFormat::kUnknown;
}

namespace {

// The bytes SniffPictureFormat looks at: the signatures and a BMP's
// information header size.
struct PictureHead {
    std::array<std::uint8_t, kBmpInfoSizeAt + 4> bytes{};
    std::size_t size = 0;
    std::span<const std::uint8_t> span() const { return std::span(bytes.data(), size); }
};

PictureHead ReadPictureHead(const std::string& path) {
    PictureHead head;
    ByteFile file = ByteFile::OpenRead(path);
    head.size = file.Read(head.bytes);
    file.Close();
    return head;
}

}  // namespace

PictureFormat ReadPictureFormat(const std::string& path) {
    return SniffPictureFormat(ReadPictureHead(path).span());
}

void CheckSkinPictureInput(const std::string& input) {
    RefuseOrdinaryPicture(ReadPictureFormat(input), input);
}

void CheckSkinPictureInput(ByteSource& input) {
    PictureHead head;
    head.size = input.ReadAt(0, head.bytes);
    RefuseOrdinaryPicture(SniffPictureFormat(head.span()), input.name());
}

void RefuseOrdinaryPicture(PictureFormat format, const std::string& input) {
    if (format == PictureFormat::kUnknown) {
        return;
    }
    const std::string hint = format == PictureFormat::kBmp
                                 ? "to turn it into one: lumigram-cli encode"
                                 : "a skin keeps it as a .g file: lumigram-cli encode";
    throw FormatError(
        std::string("is a ") + PictureFormatName(format) + " picture, not a skin picture; " + hint,
        input);
}

void CheckEncodeInput(const std::string& input, const std::string& output) {
    if (HasExtensionIgnoringCase(input, ".k")) {
        throw FormatError("already a skin picture; to turn it into a BMP: lumigram-cli decode",
                          input);
    }
    const PictureHead head = ReadPictureHead(input);
    const std::span<const std::uint8_t> bytes = head.span();
    if (HasBmpSignature(bytes)) {
        return;  // the encoder checks the BMP itself
    }
    const PictureFormat format = SniffPictureFormat(bytes);
    if (format == PictureFormat::kUnknown) {
        throw FormatError(
            "is neither a BMP, a GIF nor a PNG picture; encode packs a BMP into a "
            ".k skin picture",
            input);
    }
    if (!HasExtensionIgnoringCase(output, ".g")) {
        // A PNG into a ".k" never gets here: it is encoded with its alpha.
        const std::string ways = format == PictureFormat::kPng
                                     ? " picture: encode copies it unchanged into an OUTPUT "
                                       "ending in .g, or encodes it into one ending in .k "
                                     : " picture: encode only copies it unchanged, into an OUTPUT "
                                       "ending in .g ";
        throw FormatError(std::string("is a ") + PictureFormatName(format) + ways +
                              "(lumigram-cli encode logo.png logo.g)",
                          input);
    }
}

}  // namespace lumigram
