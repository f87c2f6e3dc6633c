// The encoder on arbitrary bytes from memory, "BM" inputs included. A packed
// picture is never larger than its header, its rows and a mask plane of at
// most the same size; anything else is an exact copy.
#include "codec/skin_encoder.h"
#include "fuzz_support.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource input(std::span(data, size), "in.bmp");
    try {
        MemorySink output;
        const EncodeOutcome outcome =
            EncodeToSkin(input, output, TransparencyColour{255, 0, 255}, true);
        const std::size_t written = output.bytes().size();
        if (outcome == EncodeOutcome::kCopied && written != size) {
            fuzz::Fail("a copied input changed size");
        }
        if (outcome == EncodeOutcome::kPacked && written > 16 + 2 * size) {
            fuzz::Fail("packed picture out of proportion to the input");
        }
    } catch (const Error&) {
    }
    return 0;
}
