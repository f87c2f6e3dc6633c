#include "codec/png_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "codec/png_image_data.h"
#include "codec/png_unfilter.h"
#include "codec/row_prefetch.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

// Below this many bytes of RGBA a second thread costs more than it saves.
constexpr std::uint64_t kPrefetchBytes = 2 * 1024 * 1024;
#if defined(__EMSCRIPTEN__)
constexpr bool kHelperThread = false;  // the page's core runs on one thread
#else
constexpr bool kHelperThread = true;
#endif

// Adam7's seven passes: first column and row, then the step between them.
struct Pass {
    std::uint32_t x, y, dx, dy;
};
constexpr Pass kPasses[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::uint32_t PassSize(std::uint32_t size, std::uint32_t first, std::uint32_t step) {
    return size > first ? (size - first + step - 1) / step : 0;
}

std::uint16_t Sample16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

// Converts `columns` pixels of a restored row into RGBA, 4 bytes a pixel.
void ToRgba(const PngInfo& info, const std::uint8_t* in, std::uint32_t columns, std::uint8_t* out) {
    const unsigned depth = info.bitDepth;
    if (depth < 8) {
        const unsigned mask = (1u << depth) - 1;
        const unsigned scale = 255 / mask;
        for (std::uint32_t i = 0; i < columns; ++i, out += 4) {
            const std::uint32_t bit = i * depth;
            const unsigned v = (in[bit / 8] >> (8 - depth - bit % 8)) & mask;
            if (info.colorType == 3) {
                std::memcpy(out, info.palette.data() + 4 * v, 4);
                continue;
            }
            out[0] = out[1] = out[2] = static_cast<std::uint8_t>(v * scale);
            out[3] = info.hasKey && v == info.key[0] ? 0 : 255;
        }
        return;
    }
    const unsigned bytes = depth / 8;  // a sample's
    const unsigned channels = info.Channels();
    for (std::uint32_t i = 0; i < columns; ++i, in += channels * bytes, out += 4) {
        switch (info.colorType) {
            case 3:
                std::memcpy(out, info.palette.data() + 4 * in[0], 4);
                break;
            case 0: {
                const unsigned v = bytes == 2 ? Sample16(in) : in[0];
                out[0] = out[1] = out[2] = in[0];
                out[3] = info.hasKey && v == info.key[0] ? 0 : 255;
                break;
            }
            case 4:
                out[0] = out[1] = out[2] = in[0];
                out[3] = in[bytes];
                break;
            case 2: {
                bool keyed = info.hasKey;
                for (unsigned c = 0; c < 3; ++c) {
                    const std::uint8_t* s = in + c * bytes;
                    out[c] = s[0];
                    keyed = keyed && (bytes == 2 ? Sample16(s) : s[0]) == info.key[c];
                }
                out[3] = keyed ? 0 : 255;
                break;
            }
            default:  // 6
                for (unsigned c = 0; c < 4; ++c) {
                    out[c] = in[c * bytes];
                }
                break;
        }
    }
}

// The usual picture, 8-bit RGB or RGBA, four bytes at a time.
void Rgb8ToRgba(const PngInfo& info, const std::uint8_t* in, std::uint32_t columns,
                std::uint8_t* out) {
    if (info.colorType == 6) {
        std::memcpy(out, in, std::size_t{columns} * 4);
        return;
    }
    // No pixel matches a key outside 24 bits: then nothing is transparent.
    std::uint32_t key = 0xFFFFFFFFu;
    if (info.hasKey && info.key[0] < 256 && info.key[1] < 256 && info.key[2] < 256) {
        key = std::uint32_t{info.key[2]} << 16 | std::uint32_t{info.key[1]} << 8 | info.key[0];
    }
    if constexpr (std::endian::native == std::endian::little) {
        // Four bytes in, the fourth replaced by alpha: the rows keep a byte to
        // spare past the last pixel for that.
        for (std::uint32_t i = 0; i < columns; ++i, in += 3, out += 4) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, in, 4);
            pixel &= 0x00FFFFFFu;
            pixel |= pixel == key ? 0u : 0xFF000000u;
            std::memcpy(out, &pixel, 4);
        }
        return;
    }
    ToRgba(info, in, columns, out);
}

}  // namespace

PngRowSource::PngRowSource(ByteSource& input) : input_(input) {
    Start();
}

PngRowSource::~PngRowSource() = default;

void PngRowSource::Start() {
    prefetch_.reset();
    imageData_.reset();
    info_ = ReadPngInfo(input_);
    nextRow_ = 0;
    stride_ =
        static_cast<std::size_t>(info_.RowBytes(info_.width));  // below 2^18: the width is checked
    const std::uint64_t rgbaBytes = std::uint64_t{info_.width} * 4 * info_.height;
    if (info_.interlaced && rgbaBytes > kMaxInterlacedPngBytes) {
        throw FormatError("unsupported PNG: an interlaced picture of " +
                              std::to_string(info_.width) + " x " + std::to_string(info_.height) +
                              " pixels is too large; save it without interlacing",
                          input_.name());
    }
    // The filter byte, the row, and 8 spare bytes for four-byte loads past it.
    filtered_.assign(stride_ + 9, 0);
    prior_.assign(filtered_.size(), 0);
    imageData_ = std::make_unique<PngImageData>(input_, info_.imageDataAt);
    if (info_.interlaced) {
        DecodeInterlaced();
        return;
    }
    rowsLeft_ = info_.height;
    if (kHelperThread && rgbaBytes >= kPrefetchBytes) {
        prefetch_ = std::make_unique<RowPrefetch>(stride_ + 1, info_.height,
                                                  [this](std::span<std::uint8_t> row) {
                                                      imageData_->Read(row);
                                                      if (--rowsLeft_ == 0) {
                                                          imageData_->Finish();
                                                      }
                                                  });
    }
}

void PngRowSource::NextFiltered() {
    const std::span<std::uint8_t> row = std::span(filtered_).first(stride_ + 1);
    if (prefetch_) {
        prefetch_->Next(row);
        return;
    }
    imageData_->Read(row);
    if (--rowsLeft_ == 0) {
        imageData_->Finish();
    }
}

void PngRowSource::Restore(std::uint32_t y, std::uint32_t columns, std::span<std::uint8_t> rgba) {
    const std::size_t bytes = static_cast<std::size_t>(info_.RowBytes(columns));
    if (!UnfilterPngRow(filtered_[0], std::span(filtered_).subspan(1, bytes),
                        std::span(prior_).subspan(1, bytes), info_.FilterDistance())) {
        throw FormatError("damaged PNG: row " + std::to_string(y) + " has an unknown filter type " +
                              std::to_string(filtered_[0]),
                          input_.name());
    }
    filtered_.swap(prior_);  // this row is the one above the next
    const std::uint8_t* pixels = prior_.data() + 1;
    if (info_.bitDepth == 8 && (info_.colorType == 2 || info_.colorType == 6)) {
        Rgb8ToRgba(info_, pixels, columns, rgba.data());
    } else {
        ToRgba(info_, pixels, columns, rgba.data());
    }
}

void PngRowSource::DecodeInterlaced() {
    const std::size_t width = info_.width;
    whole_.assign(width * 4 * info_.height, 0);
    std::vector<std::uint8_t> passRow(width * 4 + 4);
    for (const Pass& pass : kPasses) {
        const std::uint32_t columns = PassSize(info_.width, pass.x, pass.dx);
        const std::uint32_t rows = PassSize(info_.height, pass.y, pass.dy);
        if (columns == 0 || rows == 0) {
            continue;  // an empty pass has no bytes at all, not even filter types
        }
        const std::size_t bytes = static_cast<std::size_t>(info_.RowBytes(columns));
        std::fill(prior_.begin(), prior_.end(), std::uint8_t{0});
        for (std::uint32_t r = 0; r < rows; ++r) {
            imageData_->Read(std::span(filtered_).first(bytes + 1));
            Restore(pass.y + r * pass.dy, columns, passRow);
            std::uint8_t* out = whole_.data() + (std::size_t{pass.y + r * pass.dy} * width) * 4;
            for (std::uint32_t i = 0; i < columns; ++i) {
                std::memcpy(out + std::size_t{pass.x + i * pass.dx} * 4, passRow.data() + 4 * i, 4);
            }
        }
    }
    imageData_->Finish();
}

void PngRowSource::NextRow(std::span<std::uint8_t> row) {
    const std::size_t rowBytes = std::size_t{info_.width} * 4;
    if (info_.interlaced) {
        std::copy_n(whole_.data() + std::size_t{nextRow_} * rowBytes, rowBytes, row.data());
    } else {
        NextFiltered();
        Restore(nextRow_, info_.width, row.first(rowBytes));
    }
    ++nextRow_;
}

void PngRowSource::Rewind() {
    if (info_.interlaced) {
        nextRow_ = 0;
        return;
    }
    Start();
}

}  // namespace lumigram
