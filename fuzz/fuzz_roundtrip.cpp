// Random pixels -> BMP -> ".k" -> BMP. Every opaque pixel comes back narrowed
// and widened (each channel with its two low bits cleared), every pixel of the
// key colour comes back as the key colour, and the mask marks exactly the
// key-colour pixels that have a stored bit. Every row also goes through every
// form of the row kernels this processor runs, which must match the plain loop.
#include <vector>

#include "codec/row_kernels.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "codec/skin_format.h"
#include "fuzz_support.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;

namespace {

// Narrows the row, then widens the result with the mask it made (and with a
// mask cut short), in every form; each must give the plain loop's bytes.
void CompareRowKernels(const std::uint8_t* bmpRow, std::uint32_t width, TransparencyColour key) {
    const std::uint32_t maskStride = MaskStrideFor(width);
    const std::size_t rowBytes = RoundUpTo4(width * 3);
    std::vector<std::uint8_t> expectedRow(bmpRow, bmpRow + rowBytes);
    std::vector<std::uint8_t> expectedMask(maskStride + 1, 0xA5);
    ScalarRowKernels().narrow24(expectedRow, width, expectedMask, maskStride, key);
    for (const RowKernels* kernel : RunnableRowKernels()) {
        std::vector<std::uint8_t> row(bmpRow, bmpRow + rowBytes);
        std::vector<std::uint8_t> mask(maskStride + 1, 0xA5);
        kernel->narrow24(row, width, mask, maskStride, key);
        if (row != expectedRow || mask != expectedMask) {
            fuzz::Fail("a vector narrowing differs from the plain loop");
        }
        for (const std::size_t maskBytes : {std::size_t{maskStride}, std::size_t{maskStride / 2}}) {
            std::vector<std::uint8_t> widened = expectedRow;
            std::vector<std::uint8_t> reference = expectedRow;
            kernel->widen18(widened, width, expectedMask, maskBytes, key);
            ScalarRowKernels().widen18(reference, width, expectedMask, maskBytes, key);
            if (widened != reference) {
                fuzz::Fail("a vector widening differs from the plain loop");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const int width = 1 + data[0] % 64;
    const int height = data[1] % 16;
    const TransparencyColour key{data[2], data[3], data[4]};
    data += 5;
    size -= 5;
    const std::uint32_t stride = RoundUpTo4(static_cast<std::uint32_t>(width) * 3);
    std::vector<std::uint8_t> bmp = fuzz::BlankBmp(width, height, 24);
    // Pixels from the input; a pixel byte of 0xFF with the next selects the key
    // colour so that keyed pixels are common.
    std::size_t at = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bmp.data() + 54 + y * stride + 3 * x;
            const std::uint8_t selector = at < size ? data[at++] : 0;
            if (selector < 64) {
                p[0] = key.blue;
                p[1] = key.green;
                p[2] = key.red;
            } else {
                for (int c = 0; c < 3; ++c)
                    p[c] = at < size ? data[at++] : selector;
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        CompareRowKernels(bmp.data() + 54 + y * stride, static_cast<std::uint32_t>(width), key);
    }
    MemorySource bmpSource(bmp, "rt.bmp");
    MemorySink skinSink;
    EncodeToSkin(bmpSource, skinSink, key, true);
    const std::vector<std::uint8_t> skin = skinSink.Take();
    MemorySource skinSource(skin, "rt.k");
    MemorySink backSink;
    DecodeSkinToBmp(skinSource, backSink, key, true);
    const std::vector<std::uint8_t> back = backSink.Take();
    if (back.size() != bmp.size()) {
        fuzz::Fail("round trip changed the size");
    }
    const std::uint32_t maskStride = MaskStrideFor(static_cast<std::uint32_t>(width));
    const std::size_t maskPlane = 16 + stride * static_cast<std::size_t>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* in = bmp.data() + 54 + y * stride + 3 * x;
            const std::uint8_t* out = back.data() + 54 + y * stride + 3 * x;
            const bool keyed = in[0] == key.blue && in[1] == key.green && in[2] == key.red;
            const bool hasBit = static_cast<std::uint32_t>(x / 8) < maskStride;
            if (hasBit) {
                const int skinRow = height - 1 - y;  // the ".k" is top-down
                const bool opaque = (skin[maskPlane + skinRow * maskStride + x / 8] >> (x % 8)) & 1;
                if (opaque == keyed) {
                    fuzz::Fail("mask does not match the key-colour pixels");
                }
            }
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t expected =
                    keyed && hasBit ? in[c] : static_cast<std::uint8_t>(in[c] & 0xFC);
                if (out[c] != expected) {
                    fuzz::Fail("pixel did not come back narrowed and widened");
                }
            }
        }
    }
    return 0;
}
