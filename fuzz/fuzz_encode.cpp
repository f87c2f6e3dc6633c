// The encoder on arbitrary bytes, "BM" inputs included. A packed picture is
// never larger than its header, its rows and a mask plane of at most the same
// size; anything else is an exact copy.
#include "codec/skin_encoder.h"
#include "fuzz_support.h"
#include "platform/io_error.h"

using namespace lumigram;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::WriteInput(data, size, "in.bmp");
    const std::string output = fuzz::WorkFolder() + "/out.k";
    try {
        const EncodeOutcome outcome =
            EncodeSkinPictureTo(input, output, TransparencyColour{255, 0, 255}, true);
        const long long written = fuzz::SizeOf(output);
        if (outcome == EncodeOutcome::kCopied && written != static_cast<long long>(size)) {
            fuzz::Fail("a copied input changed size");
        }
        if (outcome == EncodeOutcome::kPacked && written > 16 + 2 * static_cast<long long>(size)) {
            fuzz::Fail("packed picture out of proportion to the input");
        }
    } catch (const Error&) {
    }
    return 0;
}
