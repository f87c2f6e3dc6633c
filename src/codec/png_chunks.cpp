#include "codec/png_chunks.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "codec/png_zlib.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;
// Text chunks longer than this cannot be the 32-bit marker; they are passed over.
constexpr std::uint32_t kMaxMarkerChunk = 4096;

std::uint32_t Be32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           at[3];
}

std::uint16_t Be16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

bool LegalDepth(std::uint8_t type, std::uint8_t depth) {
    switch (type) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

// Whether a text chunk's data (tEXt, zTXt or iTXt) is the 32-bit marker.
bool IsSkinBitsMarker(std::string_view type, std::span<const std::uint8_t> data) {
    const std::string_view keyword = kSkinBitsKeyword;
    if (data.size() <= keyword.size() || data[keyword.size()] != 0 ||
        std::memcmp(data.data(), keyword.data(), keyword.size()) != 0) {
        return false;
    }
    std::span<const std::uint8_t> rest = data.subspan(keyword.size() + 1);
    bool compressed = type == "zTXt";
    if (type == "iTXt") {
        // Compression flag and method, then a language tag and a translated
        // keyword, each ending in a zero byte.
        if (rest.size() < 2) {
            return false;
        }
        compressed = rest[0] != 0;
        rest = rest.subspan(2);
        for (int field = 0; field < 2; ++field) {
            const auto zero = std::find(rest.begin(), rest.end(), std::uint8_t{0});
            if (zero == rest.end()) {
                return false;
            }
            rest = rest.subspan(static_cast<std::size_t>(zero - rest.begin()) + 1);
        }
    } else if (compressed) {
        if (rest.empty() || rest[0] != 0) {
            return false;  // compression method 0 only
        }
        rest = rest.subspan(1);
    }
    const std::string_view marker = kSkinBits32;
    if (!compressed) {
        return rest.size() == marker.size() &&
               std::memcmp(rest.data(), marker.data(), marker.size()) == 0;
    }
    if (rest.size() < 2 || (rest[0] & 0x0F) != 8 || (rest[0] * 256u + rest[1]) % 31 != 0) {
        return false;
    }
    std::array<std::uint8_t, 3> text{};
    Inflater inflater;
    const Inflater::Step step = inflater.Inflate(rest.subspan(2), text);
    return step.error == nullptr && step.ended && step.produced == marker.size() &&
           std::memcmp(text.data(), marker.data(), marker.size()) == 0;
}

}  // namespace

unsigned PngInfo::Channels() const {
    switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

std::uint64_t PngInfo::RowBytes(std::uint32_t columns) const {
    return (std::uint64_t{columns} * Channels() * bitDepth + 7) / 8;
}

unsigned PngInfo::FilterDistance() const {
    return std::max(1u, Channels() * bitDepth / 8);
}

void RefusePng(const std::string& what, const std::string& name) {
    throw FormatError("unreadable PNG: " + what, name);
}

PngInfo ReadPngInfo(ByteSource& source) {
    const std::string& name = source.name();
    const std::uint64_t size = source.Size();
    std::array<std::uint8_t, 8> signature{};
    if (source.ReadAt(0, signature) != signature.size() || signature != kSignature) {
        RefusePng("no PNG signature", name);
    }
    PngInfo info;
    bool sawHeader = false;
    bool sawPalette = false;
    unsigned paletteEntries = 0;
    bool sawTransparency = false;
    std::vector<std::uint8_t> transparency;  // the first tRNS chunk that applies
    std::vector<std::uint8_t> data;
    std::uint64_t at = signature.size();
    for (;;) {
        std::array<std::uint8_t, 8> head{};
        if (source.ReadAt(at, head) != head.size()) {
            RefusePng("end of stream", name);  // the words lumigram-cli has always used
        }
        const std::uint32_t length = Be32(head.data());
        const std::string type(reinterpret_cast<const char*>(head.data() + 4), 4);
        if (length > kMaxChunkLength) {
            RefusePng("a chunk length of " + std::to_string(length) + " bytes", name);
        }
        if (!sawHeader && type != "IHDR") {
            RefusePng("the first chunk is not IHDR", name);
        }
        if (type == "IDAT") {
            info.imageDataAt = at;
            break;
        }
        if (type == "IEND") {
            RefusePng("no image data", name);
        }
        const std::uint64_t end = at + 12 + std::uint64_t{length};
        if (end > size) {
            RefusePng("end of stream", name);
        }
        const bool critical = (head[4] & 0x20) == 0;
        const bool known = type == "IHDR" || type == "PLTE";
        const bool wanted =
            type == "tRNS" ||
            ((type == "tEXt" || type == "zTXt" || type == "iTXt") && length <= kMaxMarkerChunk);
        if (critical && !known) {
            RefusePng("an unknown critical chunk " + type, name);
        }
        if (!known && !wanted) {
            at = end;  // ancillary, and of no concern to the pixels
            continue;
        }
        if (type == "PLTE" && length > 3 * 256) {
            RefusePng("a PLTE chunk of " + std::to_string(length) + " bytes", name);
        }
        if (type == "tRNS" && length > 256) {
            at = end;  // longer than any palette: it cannot apply
            continue;
        }
        data.resize(length);
        std::array<std::uint8_t, 4> crc{};
        if (source.ReadAt(at + 8, data) != length || source.ReadAt(at + 8 + length, crc) != 4) {
            RefusePng("end of stream", name);
        }
        const bool crcHolds = Be32(crc.data()) == Crc32(Crc32(0, std::span(head).subspan(4)), data);
        if (!crcHolds && critical) {
            RefusePng("CRC mismatch in chunk " + type, name);
        }
        at = end;
        if (!crcHolds) {
            continue;  // damaged ancillary chunks are passed over
        }
        if (type == "IHDR") {
            if (sawHeader || length != 13) {
                RefusePng("a second or malformed IHDR chunk", name);
            }
            sawHeader = true;
            info.width = Be32(data.data());
            info.height = Be32(data.data() + 4);
            info.bitDepth = data[8];
            info.colorType = data[9];
            info.interlaced = data[12] == 1;
            if (info.width == 0 || info.width > kMaxChunkLength || info.height == 0 ||
                info.height > kMaxChunkLength) {
                RefusePng("a picture of " + std::to_string(info.width) + " x " +
                              std::to_string(info.height) + " pixels",
                          name);
            }
            if (!LegalDepth(info.colorType, info.bitDepth)) {
                RefusePng("colour type " + std::to_string(info.colorType) + " at " +
                              std::to_string(info.bitDepth) + " bits",
                          name);
            }
            if (data[10] != 0 || data[11] != 0 || data[12] > 1) {
                RefusePng("an unknown compression, filter or interlace method", name);
            }
            // The size is refused before anything else is read: a ".k" holds
            // at most 65,535 rows of a BMP's widest row.
            if (info.width > kMaxBmpWidth24) {
                throw FormatError("unsupported PNG: " + std::to_string(info.width) +
                                      " pixels wide, at most " + std::to_string(kMaxBmpWidth24) +
                                      " for a skin picture",
                                  name);
            }
            if (info.height > kMaxPictureHeight) {
                throw FormatError("unsupported PNG: " + std::to_string(info.height) +
                                      " rows high, at most " + std::to_string(kMaxPictureHeight) +
                                      " for a skin picture",
                                  name);
            }
        } else if (type == "PLTE") {
            paletteEntries = length / 3;
            const bool tooMany = info.colorType == 3 && paletteEntries > (1u << info.bitDepth);
            if (length % 3 != 0 || paletteEntries == 0 || tooMany) {
                RefusePng("a PLTE chunk of " + std::to_string(length) + " bytes", name);
            }
            sawPalette = true;
            // A later palette replaces an earlier one, and a transparency
            // chunk before it no longer applies.
            info.palette.fill(0);
            for (unsigned i = 0; i < 256; ++i) {
                info.palette[4 * i + 3] = 255;
            }
            for (unsigned i = 0; i < paletteEntries; ++i) {
                std::copy_n(data.data() + 3 * i, 3, info.palette.data() + 4 * i);
            }
            if (info.colorType == 3 && sawTransparency) {
                transparency.clear();
            }
        } else if (type == "tRNS") {
            const bool fits = (info.colorType == 0 && length == 2) ||
                              (info.colorType == 2 && length == 6) ||
                              (info.colorType == 3 && sawPalette && length <= paletteEntries);
            if (!sawTransparency && fits) {
                transparency = data;
            }
            sawTransparency = true;
        } else if (IsSkinBitsMarker(type, data)) {
            info.keeps32Bits = true;
        }
    }
    if (info.colorType == 3 && !sawPalette) {
        RefusePng("a palette picture without a PLTE chunk", name);
    }
    info.hasAlpha = info.colorType == 4 || info.colorType == 6;
    if (!transparency.empty() && !info.hasAlpha) {
        info.hasAlpha = true;
        if (info.colorType == 3) {
            for (std::size_t i = 0; i < transparency.size(); ++i) {
                info.palette[4 * i + 3] = transparency[i];
            }
        } else {
            info.hasKey = true;
            for (std::size_t c = 0; c < transparency.size() / 2; ++c) {
                info.key[c] = Be16(transparency.data() + 2 * c);
            }
        }
    }
    if (info.keeps32Bits && info.width > kMaxBmpWidth32) {
        throw FormatError("unsupported PNG: " + std::to_string(info.width) +
                              " pixels wide, at most " + std::to_string(kMaxBmpWidth32) +
                              " for a skin picture",
                          name);
    }
    return info;
}

}  // namespace lumigram
