#include "codec/png_reader.h"

#include <spng.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "codec/png_context.h"
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

bool IsSkinBits32(spng_ctx* context) {
    std::uint32_t count = 0;
    if (spng_get_text(context, nullptr, &count) != 0 || count == 0) {
        return false;
    }
    std::vector<spng_text> texts(count);
    if (spng_get_text(context, texts.data(), &count) != 0) {
        return false;
    }
    return std::any_of(texts.begin(), texts.end(), [](const spng_text& text) {
        return std::strcmp(text.keyword, kSkinBitsKeyword) == 0 && text.text != nullptr &&
               std::strcmp(text.text, kSkinBits32) == 0;
    });
}

}  // namespace

PngRowSource::PngRowSource(ByteSource& input) : input_(input) {
    Start();
}

PngRowSource::~PngRowSource() = default;

void PngRowSource::Start() {
    prefetch_.reset();
    imageData_.reset();
    png_ = PngContext::Decoder(input_);
    spng_ihdr ihdr{};
    png_->Check(spng_get_ihdr(png_->get(), &ihdr), "unreadable PNG");
    width_ = ihdr.width;
    height_ = ihdr.height;
    interlaced_ = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    png_->Check(spng_decode_image(png_->get(), nullptr, 0, SPNG_FMT_RGBA8,
                                  SPNG_DECODE_PROGRESSIVE | SPNG_DECODE_TRNS),
                "unreadable PNG");
    spng_trns trns{};
    const bool alphaChannel = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                              ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    hasAlpha_ = alphaChannel || spng_get_trns(png_->get(), &trns) == 0;
    keeps32Bits_ = IsSkinBits32(png_->get());
    const std::uint32_t maxWidth = keeps32Bits_ ? kMaxBmpWidth32 : kMaxBmpWidth24;
    if (width_ > maxWidth) {
        throw FormatError("unsupported PNG: " + std::to_string(width_) + " pixels wide, at most " +
                              std::to_string(maxWidth) + " for a skin picture",
                          input_.name());
    }
    nextRow_ = 0;
    whole_.clear();
    if (interlaced_) {
        const std::uint64_t bytes = std::uint64_t{width_} * 4 * height_;
        if (bytes > kMaxInterlacedPngBytes) {
            throw FormatError("unsupported PNG: an interlaced picture of " +
                                  std::to_string(width_) + " x " + std::to_string(height_) +
                                  " pixels is too large; save it without interlacing",
                              input_.name());
        }
        whole_.resize(static_cast<std::size_t>(bytes));
        const std::size_t rowBytes = std::size_t{width_} * 4;
        for (;;) {
            spng_row_info info{};
            int code = spng_get_row_info(png_->get(), &info);
            if (code == SPNG_EOI) {
                break;
            }
            png_->Check(code, "damaged PNG");
            code = spng_decode_row(png_->get(), whole_.data() + info.row_num * rowBytes, rowBytes);
            if (code == SPNG_EOI) {
                break;
            }
            png_->Check(code, "damaged PNG");
        }
    } else if (std::uint64_t{width_} * 4 * height_ < kPrefetchBytes) {
        return;
    } else if (ihdr.bit_depth == 8 && (ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR ||
                                       ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA)) {
        StartSplit(ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4 : 3, trns);
    } else {
        prefetch_ =
            std::make_unique<RowPrefetch>(std::size_t{width_} * 4, height_,
                                          [this](std::span<std::uint8_t> row) { DecodeRow(row); });
    }
}

// The usual large PNG, 8-bit RGB or RGBA, is read in two halves of about
// equal work: the helper thread only inflates, into filtered rows, and the
// thread that takes the rows undoes the filters. (libspng would do both on
// one thread, leaving the other with little to overlap.)
void PngRowSource::StartSplit(unsigned channels, const spng_trns& trns) {
    channels_ = channels;
    // No pixel matches a key outside 24 bits: then nothing is transparent.
    key_ = 0xFFFFFFFFu;
    if (channels == 3 && hasAlpha_ && trns.red < 256 && trns.green < 256 && trns.blue < 256) {
        key_ = std::uint32_t{trns.blue} << 16 | std::uint32_t{trns.green} << 8 | trns.red;
    }
    const std::size_t stride = std::size_t{width_} * channels;
    filtered_.assign(stride + 2, 0);
    restored_.assign(stride + 2, 0);
    imageData_ = std::make_unique<PngImageData>(input_);
    prefetch_ = std::make_unique<RowPrefetch>(
        stride + 1, height_,
        [this, inflated = std::uint32_t{0}](std::span<std::uint8_t> row) mutable {
            imageData_->Read(row);
            if (++inflated == height_) {
                imageData_->Finish();
            }
        });
}

void PngRowSource::RestoreRow(std::span<std::uint8_t> row) {
    const std::size_t stride = filtered_.size() - 2;
    prefetch_->Next(std::span(filtered_).first(stride + 1));
    if (!UnfilterPngRow(filtered_[0], std::span(filtered_).subspan(1, stride),
                        std::span(restored_).subspan(1, stride), channels_)) {
        throw FormatError("damaged PNG: row " + std::to_string(nextRow_) +
                              " has an unknown filter type " + std::to_string(filtered_[0]),
                          input_.name());
    }
    filtered_.swap(restored_);  // this row is the one above the next
    const std::uint8_t* pixels = restored_.data() + 1;
    if (channels_ == 4) {
        std::memcpy(row.data(), pixels, stride);
        return;
    }
    std::uint8_t* out = row.data();
    if constexpr (std::endian::native == std::endian::little) {
        // Four bytes in, the fourth replaced by alpha: the rows keep a byte to
        // spare past the last pixel for that.
        for (std::size_t i = 0; i < stride; i += 3, out += 4) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, pixels + i, 4);
            pixel &= 0x00FFFFFFu;
            pixel |= pixel == key_ ? 0u : 0xFF000000u;
            std::memcpy(out, &pixel, 4);
        }
        return;
    }
    for (std::size_t i = 0; i < stride; i += 3, out += 4) {
        const std::uint32_t pixel = std::uint32_t{pixels[i]} | std::uint32_t{pixels[i + 1]} << 8 |
                                    std::uint32_t{pixels[i + 2]} << 16;
        out[0] = pixels[i];
        out[1] = pixels[i + 1];
        out[2] = pixels[i + 2];
        out[3] = pixel == key_ ? 0 : 255;
    }
}

void PngRowSource::DecodeRow(std::span<std::uint8_t> row) {
    const int code = spng_decode_row(png_->get(), row.data(), row.size());
    if (code != SPNG_EOI) {
        png_->Check(code, "damaged PNG");
    }
}

void PngRowSource::NextRow(std::span<std::uint8_t> row) {
    const std::size_t rowBytes = std::size_t{width_} * 4;
    if (interlaced_) {
        std::copy_n(whole_.data() + std::size_t{nextRow_} * rowBytes, rowBytes, row.data());
    } else if (imageData_) {
        RestoreRow(row.first(rowBytes));
    } else if (prefetch_) {
        prefetch_->Next(row.first(rowBytes));
    } else {
        DecodeRow(row.first(rowBytes));
    }
    ++nextRow_;
}

void PngRowSource::Rewind() {
    if (interlaced_) {
        nextRow_ = 0;
        return;
    }
    Start();
}

}  // namespace lumigram
