// ".k" -> PNG and PNG -> ".k" on a 4096 x 4096 picture with lumigram-cli convert,
// against ImageMagick's convert doing BMP -> PNG and PNG -> BMP on the same
// picture in the same run. Prints times, their ratios, the PNG sizes and the
// peak memory of each lumigram-cli run. Without ImageMagick it says so and
// prints lumigram-cli's own figures.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <vector>

#include "bench_support.h"
#include "codec/skin_encoder.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kSide = 4096;
constexpr int kRuns = 3;

// A picture like a sheet of skin pictures, in tiles of 512 x 512: photos
// (smooth shapes under sensor noise), gradient panels, flat panels with
// buttons, and icons on the transparency colour (magenta), about a fifth of
// the whole. Colours are in steps of 4, as a ".k" holds them. The seed is
// fixed, so every run and every machine measures the same picture.
class SkinSheet {
  public:
    SkinSheet() : random_(20261208) {
        for (auto& tile : tiles_) {
            tile.kind = static_cast<int>(random_() % 10);
            for (auto& c : tile.colours) {
                c = {Next(256), Next(256), Next(256)};
            }
            for (auto& v : tile.lattice) {
                v = Next(160);
            }
            for (auto& r : tile.rects) {
                r = {Next(448), Next(448), 24 + Next(160), 16 + Next(64)};
            }
        }
    }

    // Blue, green, red of pixel (x, y), y counted from the top.
    std::array<int, 3> Pixel(int x, int y) {
        const Tile& tile = tiles_[(y / kTile) * kTiles + x / kTile];
        const int u = x % kTile;
        const int v = y % kTile;
        std::array<int, 3> bgr{};
        if (tile.kind < 4) {  // photo
            const int gx = u / 32;
            const int gy = v / 32;
            const int fx = u % 32;
            const int fy = v % 32;
            const auto at = [&](int i, int j) { return tile.lattice[(j % 17) * 17 + i % 17]; };
            const int smooth = ((at(gx, gy) * (32 - fx) + at(gx + 1, gy) * fx) * (32 - fy) +
                                (at(gx, gy + 1) * (32 - fx) + at(gx + 1, gy + 1) * fx) * fy) /
                               1024;
            for (int c = 0; c < 3; ++c) {
                bgr[c] = tile.colours[0][c] / 2 + smooth * (c + 2) / 4 - 40 + Next(13) - 6;
            }
        } else if (tile.kind < 6) {  // gradient panel
            for (int c = 0; c < 3; ++c) {
                bgr[c] =
                    (tile.colours[0][c] * (1024 - u - v) + tile.colours[1][c] * (u + v)) / 1024;
            }
        } else if (tile.kind < 8) {  // flat panel with buttons
            bgr = tile.colours[0];
            for (std::size_t i = 0; i < tile.rects.size(); ++i) {
                const auto& r = tile.rects[i];
                if (u >= r[0] && u < r[0] + r[2] && v >= r[1] && v < r[1] + r[3]) {
                    const bool border = u < r[0] + 2 || u >= r[0] + r[2] - 2 || v < r[1] + 2 ||
                                        v >= r[1] + r[3] - 2;
                    bgr = tile.colours[1 + i % 2];
                    if (border) {
                        bgr = {bgr[0] / 2, bgr[1] / 2, bgr[2] / 2};
                    }
                }
            }
        } else {  // icons on the transparency colour
            const int cx = u % 128 - 64;
            const int cy = v % 128 - 64;
            const int d2 = cx * cx + cy * cy;
            if (d2 > 52 * 52) {
                return {255, 0, 255};
            }
            for (int c = 0; c < 3; ++c) {
                bgr[c] = tile.colours[(u / 128 + v / 128) % 3][c] - d2 / 32;
            }
        }
        for (int& c : bgr) {
            c = std::clamp(c, 0, 255) & 0xFC;
        }
        return bgr;
    }

  private:
    static constexpr int kTile = 512;
    static constexpr int kTiles = kSide / kTile;
    struct Tile {
        int kind = 0;
        std::array<std::array<int, 3>, 3> colours{};
        std::array<int, 17 * 17> lattice{};
        std::array<std::array<int, 4>, 6> rects{};
    };
    int Next(int below) { return static_cast<int>(random_() % static_cast<unsigned>(below)); }

    std::mt19937 random_;
    std::array<Tile, kTiles * kTiles> tiles_;
};

// The bench picture before the skin sheet: gradients in steps of 4 with their
// blue from x XOR y, a third of it in squares of the transparency colour. Far
// more regular than a real picture; only its PNG sizes are shown, to compare.
std::array<int, 3> XorPattern(int x, int y) {
    const int row = kSide - 1 - y;  // as it was written, bottom row first
    if (((x / 64) + (row / 64)) % 3 == 0) {
        return {255, 0, 255};
    }
    return {x & 0xFC, row & 0xFC, (x ^ row) & 0xFC};
}

// pixel(x, y) gives blue, green, red, y counted from the top.
template <typename Pixel>
void WriteBmp(const std::string& path, Pixel pixel) {
    const std::uint32_t stride = kSide * 3;
    const auto header = bench::Bmp24Header(kSide, kSide);
    ByteFile out = ByteFile::Create(path);
    out.Write(header);
    std::vector<std::uint8_t> row(stride);
    for (int y = kSide - 1; y >= 0; --y) {  // a BMP's rows go bottom up
        for (int x = 0; x < kSide; ++x) {
            const std::array<int, 3> bgr = pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                row[3 * x + c] = static_cast<std::uint8_t>(bgr[c]);
            }
        }
        out.Write(row);
    }
    out.Close();
}

void WriteTestBmp(const std::string& path) {
    SkinSheet sheet;
    WriteBmp(path, [&](int x, int y) { return sheet.Pixel(x, y); });
}

// Best of kRuns: time, and the peak memory of that run.
bench::CommandRun Best(const std::vector<std::string>& argv) {
    bench::CommandRun best;
    best.seconds = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const bench::CommandRun run = bench::RunCommand(argv);
        if (run.peakKiB < 0) {
            return run;
        }
        if (run.seconds < best.seconds) {
            best = run;
        }
    }
    return best;
}

bool HaveImageMagick() {
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

long SizeOf(const std::string& path) {
    return static_cast<long>(ByteFile::OpenRead(path).Size());
}

}  // namespace

int main(int argc, char** argv) {
    // `png_bench --picture FILE` only writes the picture, as a BMP, for profiling.
    if (argc == 3 && std::string(argv[1]) == "--picture") {
        WriteTestBmp(argv[2]);
        return 0;
    }
    bench::ScratchFolder dir(bench::BenchBase());
    const std::string bmp = dir.File("big.bmp");
    const std::string skin = dir.File("big.k");
    WriteTestBmp(bmp);
    EncodeSkinPictureTo(bmp, skin, TransparencyColour{}, true);

    const bench::CommandRun toPng =
        Best({LUMIGRAM_CLI, "convert", skin, "-o", dir.File("ours.png")});
    const bench::CommandRun toSkin =
        Best({LUMIGRAM_CLI, "convert", dir.File("ours.png"), "-o", dir.File("back.k")});
    if (toPng.peakKiB < 0 || toSkin.peakKiB < 0) {
        std::printf("lumigram-cli convert failed\n");
        return 1;
    }
    std::printf(
        "picture: %d x %d, 18-bit .k with mask: a sheet of photos, gradients, flat panels "
        "and icons on transparency (fixed seed)\n",
        kSide, kSide);
    std::printf("lumigram-cli .k -> PNG: %.3f s, peak %.1f MiB (target < 16), PNG %ld bytes\n",
                toPng.seconds, bench::MiBOf(toPng.peakKiB), SizeOf(dir.File("ours.png")));
    std::printf("lumigram-cli PNG -> .k: %.3f s, peak %.1f MiB (target < 16)\n", toSkin.seconds,
                bench::MiBOf(toSkin.peakKiB));

    if (!HaveImageMagick()) {
        std::printf("ImageMagick's convert is not installed: no comparison made\n");
        return 0;
    }
    const bench::CommandRun imToPng = Best({"convert", bmp, dir.File("im.png")});
    const bench::CommandRun imToBmp = Best({"convert", dir.File("im.png"), dir.File("im.bmp")});
    if (imToPng.peakKiB < 0 || imToBmp.peakKiB < 0) {
        std::printf("ImageMagick's convert failed: no comparison made\n");
        return 0;
    }
    // The way back on the very PNG ImageMagick reads, as a painter's PNG would come.
    const bench::CommandRun imPngToSkin =
        Best({LUMIGRAM_CLI, "convert", dir.File("im.png"), "-o", dir.File("im.k")});
    std::printf("lumigram-cli PNG -> .k on ImageMagick's PNG: %.3f s, peak %.1f MiB\n",
                imPngToSkin.seconds, bench::MiBOf(imPngToSkin.peakKiB));
    const long ours = SizeOf(dir.File("ours.png"));
    const long theirs = SizeOf(dir.File("im.png"));
    std::printf("ImageMagick BMP -> PNG: %.3f s, PNG %ld bytes\n", imToPng.seconds, theirs);
    std::printf("ImageMagick PNG -> BMP: %.3f s\n", imToBmp.seconds);
    std::printf(".k -> PNG speed-up over ImageMagick: %.2fx (target >= 2)\n",
                imToPng.seconds / toPng.seconds);
    std::printf("PNG -> .k speed-up over ImageMagick, same PNG: %.2fx (target >= 2)\n",
                imToBmp.seconds / imPngToSkin.seconds);
    std::printf("PNG -> .k (our own PNG) against ImageMagick's PNG -> BMP: %.2fx\n",
                imToBmp.seconds / toSkin.seconds);
    std::printf("PNG size against ImageMagick's: %+.1f%% (target <= +10%%)\n",
                100.0 * (double(ours) - double(theirs)) / double(theirs));

    // The synthetic pattern: PNG sizes only, one run each.
    WriteBmp(bmp, XorPattern);
    EncodeSkinPictureTo(bmp, skin, TransparencyColour{}, true);
    if (bench::RunCommand({LUMIGRAM_CLI, "convert", skin, "-o", dir.File("xor.png")}).peakKiB < 0 ||
        bench::RunCommand({"convert", bmp, dir.File("xor-im.png")}).peakKiB < 0) {
        std::printf("synthetic XOR-gradient pattern: conversion failed\n");
        return 1;
    }
    const long xorOurs = SizeOf(dir.File("xor.png"));
    const long xorTheirs = SizeOf(dir.File("xor-im.png"));
    std::printf(
        "PNG size on the synthetic XOR-gradient pattern (the former bench picture, not "
        "realistic): %ld bytes against ImageMagick's %ld, %+.1f%%\n",
        xorOurs, xorTheirs, 100.0 * (double(xorOurs) - double(xorTheirs)) / double(xorTheirs));
    return 0;
}
