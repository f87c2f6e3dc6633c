// Decodes and encodes a 4096 x 4096 picture (24-bit BMP <-> 18-bit ".k" with a
// mask) and compares each direction with a plain copy of the same bytes made in
// the same run. Also measures the peak memory of lumigram-cli doing the same,
// whole lumigram-cli runs against dd copying the same input (turn about, the
// median of each), and every form of the row kernels on its own.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "codec/row_kernels.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kSide = 4096;
constexpr int kRuns = 5;

void WriteTestBmp(const std::string& path) {
    const std::uint32_t stride = kSide * 3;
    const auto header = bench::Bmp24Header(kSide, kSide);
    ByteFile out = ByteFile::Create(path);
    out.Write(header);
    std::vector<std::uint8_t> row(stride);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool key = ((x / 64) + (y / 64)) % 3 == 0;  // a third magenta
            row[3 * x] = key ? 255 : static_cast<std::uint8_t>(x);
            row[3 * x + 1] = key ? 0 : static_cast<std::uint8_t>(y);
            row[3 * x + 2] = key ? 255 : static_cast<std::uint8_t>(x ^ y);
        }
        out.Write(row);
    }
    out.Close();
}

// Median wall-clock seconds of ours and of dd copying the same input, run turn
// about so that both see the same state of the machine.
std::pair<double, double> AgainstDd(const std::vector<std::string>& ours, const std::string& input,
                                    const std::string& copy) {
    constexpr int kCommandRuns = 9;
    std::vector<double> sides[2];
    const std::vector<std::string> dd{"dd", "if=" + input, "of=" + copy, "bs=256k", "status=none"};
    for (int i = 0; i < kCommandRuns; ++i) {
        // Each goes first in every other round: on a busy machine the one that
        // follows the other can pay for its writeback.
        for (int turn = 0; turn < 2; ++turn) {
            const int side = (turn + i) % 2;
            sides[side].push_back(bench::RunCommand(side == 0 ? ours : dd).seconds);
        }
    }
    for (auto& side : sides) {
        std::sort(side.begin(), side.end());
    }
    return {sides[0][kCommandRuns / 2], sides[1][kCommandRuns / 2]};
}

void CompareCli(const bench::ScratchFolder& dir, const std::string& bmp, const std::string& skin,
                const char* label) {
    const auto [encode, ddEncode] =
        AgainstDd({LUMIGRAM_CLI, "encode", bmp, dir.File("cli.k")}, bmp, dir.File("dd.bmp"));
    const auto [decode, ddDecode] =
        AgainstDd({LUMIGRAM_CLI, "decode", skin, dir.File("cli.bmp")}, skin, dir.File("dd.k"));
    std::printf("%s\n", label);
    std::printf(
        "  lumigram-cli encode %6.1f ms, dd bs=256k of the BMP %6.1f ms: ratio %.2f "
        "(target <= 2.0)\n",
        encode * 1e3, ddEncode * 1e3, encode / ddEncode);
    std::printf(
        "  lumigram-cli decode %6.1f ms, dd bs=256k of the .k  %6.1f ms: ratio %.2f "
        "(target <= 2.0)\n",
        decode * 1e3, ddDecode * 1e3, decode / ddDecode);
}

// Each form of the row kernels over the rows of a whole picture, in memory.
void CompareKernels(const std::string& bmp) {
    ByteFile file = ByteFile::OpenRead(bmp);
    std::vector<std::uint8_t> pixels(file.Size());
    file.Read(pixels);
    const std::size_t stride = std::size_t{kSide} * 3;
    std::vector<std::uint8_t> work(stride);
    std::vector<std::uint8_t> mask(MaskStrideFor(kSide));
    const TransparencyColour magenta{255, 0, 255};
    std::printf("row kernels over %d rows of %d pixels, in memory:\n", kSide, kSide);
    const double copyOnly = bench::BestSeconds(kRuns, [&] {
        for (int y = 0; y < kSide; ++y) {
            std::copy_n(pixels.data() + 54 + y * stride, stride, work.data());
        }
    });
    std::printf("  the row copies alone %6.1f ms\n", copyOnly * 1e3);
    for (const RowKernels* kernel : RunnableRowKernels()) {
        const double narrow = bench::BestSeconds(kRuns, [&] {
            for (int y = 0; y < kSide; ++y) {
                std::copy_n(pixels.data() + 54 + y * stride, stride, work.data());
                kernel->narrow24(work, kSide, mask, MaskStrideFor(kSide), magenta);
            }
        });
        const double widen = bench::BestSeconds(kRuns, [&] {
            for (int y = 0; y < kSide; ++y) {
                std::copy_n(pixels.data() + 54 + y * stride, stride, work.data());
                kernel->widen18(work, kSide, mask, mask.size(), magenta);
            }
        });
        std::printf("  %-6s narrow %6.1f ms, widen %6.1f ms (each with a copy of the row)\n",
                    kernel->name, narrow * 1e3, widen * 1e3);
    }
}

}  // namespace

int main() {
    bench::ScratchFolder dir;
    const std::string bmp = dir.File("big.bmp");
    const std::string skin = dir.File("big.k");
    const std::string back = dir.File("back.bmp");
    WriteTestBmp(bmp);
    const TransparencyColour magenta{255, 0, 255};
    const double mpixels = double(kSide) * kSide / 1e6;

    const double copy = bench::BestSeconds(kRuns, [&] { bench::PlainCopy(bmp, dir.File("copy")); });
    const double encode =
        bench::BestSeconds(kRuns, [&] { EncodeSkinPictureTo(bmp, skin, magenta, true); });
    const double decode =
        bench::BestSeconds(kRuns, [&] { DecodeSkinPictureTo(skin, back, magenta, true); });

    std::printf("picture: %d x %d, 24-bit BMP <-> 18-bit .k with mask\n", kSide, kSide);
    std::printf("plain copy of the BMP's bytes: %8.1f MPixel/s  (%.3f s)\n", mpixels / copy, copy);
    std::printf("encode BMP -> .k:              %8.1f MPixel/s  ratio to copy %.2f (target <= 3)\n",
                mpixels / encode, encode / copy);
    std::printf("decode .k -> BMP:              %8.1f MPixel/s  ratio to copy %.2f (target <= 3)\n",
                mpixels / decode, decode / copy);

    const long encodeKiB =
        bench::PeakKiBOfCommand({LUMIGRAM_CLI, "encode", bmp, dir.File("cli.k")});
    const long decodeKiB =
        bench::PeakKiBOfCommand({LUMIGRAM_CLI, "decode", skin, dir.File("cli.bmp")});
    std::printf("peak memory of lumigram-cli encode: %.1f MiB (target < 16)\n",
                bench::MiBOf(encodeKiB));
    std::printf("peak memory of lumigram-cli decode: %.1f MiB (target < 16)\n",
                bench::MiBOf(decodeKiB));

    CompareKernels(bmp);
    CompareCli(dir, bmp, skin, "whole runs, row kernels as chosen (median of 9, turn about):");
    ::setenv("LUMIGRAM_FORCE_SCALAR", "1", 1);
    CompareCli(dir, bmp, skin, "whole runs, LUMIGRAM_FORCE_SCALAR=1:");
    ::unsetenv("LUMIGRAM_FORCE_SCALAR");
    return 0;
}
