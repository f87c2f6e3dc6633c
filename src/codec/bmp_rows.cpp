#include "codec/bmp_rows.h"

#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

[[noreturn]] void Refuse(const std::string& what, const std::string& path) {
    throw FormatError("unsupported BMP: " + what, path);
}

std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

std::uint8_t Widen6(unsigned v) {
    return static_cast<std::uint8_t>((v << 2) | (v >> 4));
}

}  // namespace

bool IsPaletteOr16BitBmp(std::span<const std::uint8_t> head) {
    if (head.size() < kBmpHeaderSize || head[0] != 'B' || head[1] != 'M') {
        return false;
    }
    const std::uint16_t bitCount = ReadU16LE(head, 28);
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16;
}

BmpRowSource::BmpRowSource(ByteFile& input, TransparencyColour colour, bool keyed)
    : input_(input), colour_(colour), keyed_(keyed) {
    const std::string& path = input.path();
    const std::uint64_t fileSize = input.Size();
    std::array<std::uint8_t, 66> head{};
    const std::size_t got = input.ReadAt(0, head);
    if (got < kBmpHeaderSize) {
        Refuse(
            "the file is " + std::to_string(fileSize) + " bytes, shorter than the 54-byte header",
            path);
    }
    const std::uint32_t infoSize = ReadU32LE(head, 14);
    if (infoSize < 40) {
        Refuse("information header of " + std::to_string(infoSize) + " bytes, at least 40 expected",
               path);
    }
    bitCount_ = ReadU16LE(head, 28);
    if (bitCount_ != 1 && bitCount_ != 4 && bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 &&
        bitCount_ != 32) {
        Refuse(std::to_string(bitCount_) + " bits per pixel", path);
    }
    const std::uint32_t compression = ReadU32LE(head, 30);
    if (compression == kBiBitfields && bitCount_ == 16) {
        if (got < 66) {
            Refuse("the bit-field masks are missing", path);
        }
        const std::uint32_t red = ReadU32LE(head, 54);
        const std::uint32_t green = ReadU32LE(head, 58);
        const std::uint32_t blue = ReadU32LE(head, 62);
        if (red == 0xF800 && green == 0x07E0 && blue == 0x001F) {
            is565_ = true;
        } else if (!(red == 0x7C00 && green == 0x03E0 && blue == 0x001F)) {
            Refuse("16-bit bit fields other than 5:5:5 and 5:6:5", path);
        }
    } else if (compression == kBiBitfields && bitCount_ == 32) {
        if (got < 66 || ReadU32LE(head, 54) != 0x00FF0000 || ReadU32LE(head, 58) != 0x0000FF00 ||
            ReadU32LE(head, 62) != 0x000000FF) {
            Refuse("32-bit bit fields other than red 00FF0000, green 0000FF00, blue 000000FF",
                   path);
        }
    } else if (compression != kBiRgb) {
        Refuse("compression method " + std::to_string(compression) + ", uncompressed expected",
               path);
    }
    const std::int32_t storedWidth = ReadI32LE(head, 18);
    if (storedWidth < 0 || static_cast<std::uint32_t>(storedWidth) > kMaxBmpWidth24) {
        Refuse(
            std::to_string(storedWidth) + " pixels wide, at most " + std::to_string(kMaxBmpWidth24),
            path);
    }
    const std::int64_t storedHeight = ReadI32LE(head, 22);
    const std::uint64_t rows = storedHeight < 0 ? static_cast<std::uint64_t>(-storedHeight)
                                                : static_cast<std::uint64_t>(storedHeight);
    if (rows > kMaxPictureHeight) {
        Refuse(std::to_string(rows) + " rows high, at most " + std::to_string(kMaxPictureHeight),
               path);
    }
    width_ = static_cast<std::uint32_t>(storedWidth);
    height_ = static_cast<std::uint32_t>(rows);
    topDown_ = storedHeight < 0;
    rowStride_ =
        RoundUpTo4(static_cast<std::uint32_t>((std::uint64_t{width_} * bitCount_ + 7) / 8));
    pixelOffset_ = ReadU32LE(head, 10);
    if (bitCount_ <= 8) {
        const std::uint32_t maxColours = 1u << bitCount_;
        std::uint32_t colours = ReadU32LE(head, 46);
        if (colours == 0 || colours > maxColours) {
            colours = maxColours;
        }
        const std::uint64_t paletteAt = 14 + std::uint64_t{infoSize};
        if (paletteAt + 4 * colours > pixelOffset_) {
            Refuse("the palette of " + std::to_string(colours) + " colours overlaps the pixel data",
                   path);
        }
        if (input.ReadAt(paletteAt, std::span(palette_.data(), 4 * colours)) < 4 * colours) {
            Refuse("the palette is cut short", path);
        }
    } else if (pixelOffset_ < 14 + std::uint64_t{infoSize}) {
        Refuse("pixel data offset " + std::to_string(pixelOffset_) + " lies inside the headers",
               path);
    }
    const std::uint64_t pixelEnd = pixelOffset_ + std::uint64_t{height_} * rowStride_;
    if (pixelEnd > fileSize) {
        Refuse("pixel data runs past the end of the file: " + std::to_string(pixelEnd) +
                   " bytes needed, the file has " + std::to_string(fileSize),
               path);
    }
    stored_.resize(rowStride_);
}

void BmpRowSource::NextRow(std::span<std::uint8_t> row) {
    const std::uint32_t source = topDown_ ? nextRow_ : height_ - 1 - nextRow_;
    ++nextRow_;
    // Complete: the constructor saw all pixel data in the file.
    input_.ReadAt(pixelOffset_ + std::uint64_t{source} * rowStride_, stored_);
    for (std::uint32_t i = 0; i < width_; ++i) {
        std::uint8_t blue = 0;
        std::uint8_t green = 0;
        std::uint8_t red = 0;
        if (bitCount_ >= 24) {
            const std::uint8_t* p = &stored_[std::size_t{i} * (bitCount_ / 8)];
            blue = p[0];
            green = p[1];
            red = p[2];
        } else if (bitCount_ == 16) {
            const unsigned v = stored_[2 * i] | (stored_[2 * i + 1] << 8);
            blue = Widen5(v & 31);
            if (is565_) {
                green = Widen6((v >> 5) & 63);
                red = Widen5((v >> 11) & 31);
            } else {
                green = Widen5((v >> 5) & 31);
                red = Widen5((v >> 10) & 31);
            }
        } else {
            const std::uint32_t bit = i * bitCount_;
            const unsigned byte = stored_[bit / 8];
            const unsigned shift = 8 - bitCount_ - bit % 8;
            const unsigned index = (byte >> shift) & ((1u << bitCount_) - 1);
            blue = palette_[4 * index];
            green = palette_[4 * index + 1];
            red = palette_[4 * index + 2];
        }
        std::uint8_t* out = row.data() + std::size_t{i} * 4;
        out[0] = red;
        out[1] = green;
        out[2] = blue;
        const bool key = blue == colour_.blue && green == colour_.green && red == colour_.red;
        out[3] = key && keyed_ ? 0 : 255;
    }
}

}  // namespace lumigram
