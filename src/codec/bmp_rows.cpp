#include "codec/bmp_rows.h"

#include "codec/bmp_header.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}

std::uint8_t Widen6(unsigned v) {
    return static_cast<std::uint8_t>((v << 2) | (v >> 4));
}

}  // namespace

bool IsPaletteOr16BitBmp(std::span<const std::uint8_t> head) {
    if (head.size() < kBmpHeaderSize || !HasBmpSignature(head)) {
        return false;
    }
    const std::uint16_t bitCount = ParseBmpHeader(head).bitCount;
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16;
}

BmpRowSource::BmpRowSource(ByteSource& input, TransparencyColour colour, bool keyed)
    : input_(input), colour_(colour), keyed_(keyed) {
    const std::string& path = input.name();
    const std::uint64_t fileSize = input.Size();
    std::array<std::uint8_t, kBmpProbeSize> head{};
    const std::size_t got = input.ReadAt(0, head);
    const BmpHeader bmp = ParseCheckedBmpHeader(std::span(head.data(), got), fileSize, path);
    const std::uint32_t infoSize = bmp.infoSize;
    bitCount_ = bmp.bitCount;
    if (bitCount_ != 1 && bitCount_ != 4 && bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 &&
        bitCount_ != 32) {
        RefuseBmp(std::to_string(bitCount_) + " bits per pixel", path);
    }
    const std::uint32_t compression = bmp.compression;
    if (compression == kBmpBitFields && bitCount_ == 16) {
        if (!bmp.hasMasks) {
            RefuseBmp("the bit-field masks are missing", path);
        }
        if (bmp.redMask == 0xF800 && bmp.greenMask == 0x07E0 && bmp.blueMask == 0x001F) {
            is565_ = true;
        } else if (!(bmp.redMask == 0x7C00 && bmp.greenMask == 0x03E0 && bmp.blueMask == 0x001F)) {
            RefuseBmp("16-bit bit fields other than 5:5:5 and 5:6:5", path);
        }
    } else if (compression == kBmpBitFields && bitCount_ == 32) {
        if (!bmp.hasMasks || bmp.redMask != 0x00FF0000 || bmp.greenMask != 0x0000FF00 ||
            bmp.blueMask != 0x000000FF) {
            RefuseBmp("32-bit bit fields other than red 00FF0000, green 0000FF00, blue 000000FF",
                      path);
        }
    } else if (compression != kBmpUncompressed) {
        RefuseBmp("compression method " + std::to_string(compression) + ", uncompressed expected",
                  path);
    }
    const std::int32_t storedWidth = bmp.width;
    if (storedWidth < 0 || static_cast<std::uint32_t>(storedWidth) > kMaxBmpWidth24) {
        RefuseBmp(
            std::to_string(storedWidth) + " pixels wide, at most " + std::to_string(kMaxBmpWidth24),
            path);
    }
    width_ = static_cast<std::uint32_t>(storedWidth);
    height_ = CheckedBmpRows(bmp, path);
    topDown_ = bmp.height < 0;
    rowStride_ =
        RoundUpTo4(static_cast<std::uint32_t>((std::uint64_t{width_} * bitCount_ + 7) / 8));
    pixelOffset_ = bmp.pixelOffset;
    if (bitCount_ <= 8) {
        const std::uint32_t maxColours = 1u << bitCount_;
        std::uint32_t colours = bmp.coloursUsed;
        if (colours == 0 || colours > maxColours) {
            colours = maxColours;
        }
        const std::uint64_t paletteAt = kBmpFileHeaderSize + std::uint64_t{infoSize};
        if (paletteAt + 4 * colours > pixelOffset_) {
            RefuseBmp(
                "the palette of " + std::to_string(colours) + " colours overlaps the pixel data",
                path);
        }
        if (input.ReadAt(paletteAt, std::span(palette_.data(), 4 * colours)) < 4 * colours) {
            RefuseBmp("the palette is cut short", path);
        }
    } else if (pixelOffset_ < kBmpFileHeaderSize + std::uint64_t{infoSize}) {
        RefuseBmp("pixel data offset " + std::to_string(pixelOffset_) + " lies inside the headers",
                  path);
    }
    CheckBmpPixelsPresent(pixelOffset_, height_, rowStride_, fileSize, path);
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
