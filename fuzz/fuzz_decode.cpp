// The ".k" decoder on arbitrary bytes, with transparency on and off. Besides
// not crashing, the BMP it writes is never larger than the header plus the
// input: a header cannot claim rows the file does not hold.
#include "codec/skin_decoder.h"
#include "fuzz_support.h"
#include "platform/io_error.h"

using namespace lumigram;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::WriteInput(data, size, "in.k");
    const std::string output = fuzz::WorkFolder() + "/out.bmp";
    for (const bool transparency : {true, false}) {
        try {
            DecodeSkinPictureTo(input, output, TransparencyColour{255, 0, 255}, transparency);
            if (fuzz::SizeOf(output) > static_cast<long long>(size) + 54) {
                fuzz::Fail("decoded BMP larger than the input allows");
            }
        } catch (const Error&) {
            // refused: fine
        }
    }
    return 0;
}
