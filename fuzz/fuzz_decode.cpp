// The ".k" decoder on arbitrary bytes from memory, with transparency on and
// off. Besides not crashing, the BMP it writes stays in proportion to the
// input: a header cannot claim rows the input does not hold, and a BMP row is
// at most the stored row plus 3 bytes of padding (so at most twice it).
#include "codec/skin_decoder.h"
#include "fuzz_support.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource input(std::span(data, size), "in.k");
    for (const bool transparency : {true, false}) {
        try {
            MemorySink output;
            DecodeSkinToBmp(input, output, TransparencyColour{255, 0, 255}, transparency);
            if (output.bytes().size() > 2 * size + 54) {
                fuzz::Fail("decoded BMP larger than the input allows");
            }
        } catch (const Error&) {
            // refused: fine
        }
    }
    return 0;
}
