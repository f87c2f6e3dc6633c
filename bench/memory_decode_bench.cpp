// The native side of bench/web/decode_bench.mjs: decodes a ".k" picture held in
// memory into straight-alpha pixels, as the window and the page show it, with
// no file I/O in the timed part. Prints "native decode: S s" (best of RUNS).
// Usage: memory_decode_bench PICTURE.k RUNS
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "codec/skin_pixels.h"
#include "platform/byte_file.h"

using namespace lumigram;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: memory_decode_bench PICTURE.k RUNS\n");
        return 2;
    }
    ByteFile file = ByteFile::OpenRead(argv[1]);
    std::vector<std::uint8_t> bytes(file.Size());
    bytes.resize(file.Read(bytes));
    std::size_t pixels = 0;
    const double seconds = bench::BestSeconds(
        std::atoi(argv[2]), [&] { pixels = DecodeSkinPixels(bytes, true, argv[1]).argb.size(); });
    std::printf("native decode: %.6f s (%zu pixels)\n", seconds, pixels);
    return 0;
}
