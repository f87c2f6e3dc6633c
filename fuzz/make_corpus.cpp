// Makes the seed corpora of the fuzz harnesses from our own encoder and packer:
// valid samples, every truncation of the small ones, and bit flips.
//   make_fuzz_corpus OUTPUT-FOLDER
// writes OUTPUT-FOLDER/{decode,encode,unpack,verify,roundtrip}/.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "codec/skin_encoder.h"
#include "codec/skin_to_png.h"
#include "fuzz_support.h"
#include "package/ezx_pack.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"

using namespace lumigram;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes ReadWhole(const std::string& path) {
    ByteFile file = ByteFile::OpenRead(path);
    Bytes bytes(file.Size());
    file.Read(bytes);
    return bytes;
}

void WriteWhole(const std::string& path, const Bytes& bytes) {
    ByteFile file = ByteFile::Create(path);
    file.Write(bytes);
    file.Close();
}

Bytes Bmp(int width, int height, int bitCount, bool topDown, std::mt19937& random) {
    Bytes bmp = fuzz::BlankBmp(width, height, bitCount, topDown);
    for (std::size_t i = 54; i < bmp.size(); ++i) {
        bmp[i] = (random() % 4 == 0) ? (i % 3 == 1 ? 0 : 255) : static_cast<std::uint8_t>(random());
    }
    return bmp;
}

// The sample itself, its truncations (all of them for small samples), and flips.
void AddVariants(const std::string& folder, const std::string& stem, const Bytes& sample,
                 std::mt19937& random) {
    WriteWhole(folder + "/" + stem, sample);
    const std::size_t step = sample.size() <= 256 ? 1 : sample.size() / 64;
    for (std::size_t cut = 0; cut < sample.size(); cut += step) {
        WriteWhole(folder + "/" + stem + ".cut" + std::to_string(cut),
                   Bytes(sample.begin(), sample.begin() + static_cast<long>(cut)));
    }
    for (int flip = 0; flip < 16 && !sample.empty(); ++flip) {
        Bytes flipped = sample;
        const std::size_t at = random() % std::min<std::size_t>(flipped.size(), 160);
        flipped[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        WriteWhole(folder + "/" + stem + ".flip" + std::to_string(flip), flipped);
    }
}

std::array<std::uint8_t, 4> Be32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

void AppendChunk(Bytes& png, const char* type, const Bytes& data) {
    const auto length = Be32(static_cast<std::uint32_t>(data.size()));
    png.insert(png.end(), length.begin(), length.end());
    const std::size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const auto crc = Be32(
        static_cast<std::uint32_t>(crc32(0, png.data() + at, static_cast<uInt>(png.size() - at))));
    png.insert(png.end(), crc.begin(), crc.end());
}

// A 7 x 5 PNG of random samples and filter types; a palette of 3 entries with
// tRNS for type 3, a transparent colour for types 0 and 2.
Bytes SmallPng(std::uint8_t type, std::uint8_t depth, bool interlaced, std::mt19937& random) {
    constexpr std::uint32_t kWidth = 7;
    constexpr std::uint32_t kHeight = 5;
    const unsigned channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (const std::uint32_t v : {kWidth, kHeight}) {
        const auto b = Be32(v);
        ihdr.insert(ihdr.end(), b.begin(), b.end());
    }
    ihdr.insert(ihdr.end(), {depth, type, 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
    AppendChunk(png, "IHDR", ihdr);
    if (type == 3) {
        AppendChunk(png, "PLTE", {200, 10, 10, 10, 200, 10, 10, 10, 200});
        AppendChunk(png, "tRNS", {255, 0});
    } else if (type == 0) {
        AppendChunk(png, "tRNS", {0, 1});
    } else if (type == 2) {
        AppendChunk(png, "tRNS", {0, 1, 0, 2, 0, 3});
    }
    struct Pass {
        std::uint32_t x, y, dx, dy;
    };
    const std::vector<Pass> passes =
        interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                   : std::vector<Pass>{{0, 0, 1, 1}};
    Bytes rows;
    for (const Pass& p : passes) {
        const std::uint32_t columns = kWidth > p.x ? (kWidth - p.x + p.dx - 1) / p.dx : 0;
        for (std::uint32_t y = p.y; columns > 0 && y < kHeight; y += p.dy) {
            rows.push_back(static_cast<std::uint8_t>(random() % 5));
            for (std::size_t i = 0; i < (std::size_t{columns} * channels * depth + 7) / 8; ++i) {
                rows.push_back(static_cast<std::uint8_t>(random()));
            }
        }
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes deflated(size);
    compress(deflated.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
    deflated.resize(size);
    AppendChunk(png, "IDAT", deflated);
    AppendChunk(png, "IEND", {});
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    for (const char* what :
         {"decode", "encode", "unpack", "verify", "roundtrip", "convert", "png"}) {
        fs::create_directories(out + "/" + what);
    }
    std::mt19937 random(20261208);
    const std::string work = out + "/.work";
    fs::create_directories(work);

    // Pictures: BMPs of several shapes and the ".k" pictures our encoder makes.
    int n = 0;
    for (const auto& [width, height, bits, topDown] :
         std::vector<std::tuple<int, int, int, bool>>{{1, 1, 24, false},
                                                      {4, 3, 24, false},
                                                      {5, 2, 24, true},
                                                      {33, 4, 24, false},
                                                      {37, 2, 32, false},
                                                      {8, 8, 32, true},
                                                      {0, 0, 24, false},
                                                      {64, 1, 24, false}}) {
        const Bytes bmp = Bmp(width, height, bits, topDown, random);
        const std::string name = "pic" + std::to_string(n++);
        AddVariants(out + "/encode", name + ".bmp", bmp, random);
        WriteWhole(work + "/in.bmp", bmp);
        for (const bool mask : {true, false}) {
            EncodeSkinPictureTo(work + "/in.bmp", work + "/out.k", TransparencyColour{}, mask);
            AddVariants(out + "/decode", name + (mask ? ".mask.k" : ".k"),
                        ReadWhole(work + "/out.k"), random);
            AddVariants(out + "/convert", name + (mask ? ".mask.k" : ".k"),
                        ReadWhole(work + "/out.k"), random);
            // And its PNG form, for the way back.
            try {
                DecodeSkinPictureToPng(work + "/out.k", work + "/out.png", mask);
                AddVariants(out + "/convert", name + (mask ? ".mask.png" : ".png"),
                            ReadWhole(work + "/out.png"), random);
                AddVariants(out + "/png", name + (mask ? ".mask.png" : ".png"),
                            ReadWhole(work + "/out.png"), random);
            } catch (const Error&) {
                // An empty picture has no PNG form.
            }
        }
    }
    // A PNG large enough to be read on two threads, plain enough to stay small:
    // bands of grey and of the transparency colour.
    Bytes large = fuzz::BlankBmp(1024, 520, 24, false);
    for (std::size_t i = 54; i < large.size(); ++i) {
        const std::size_t row = (i - 54) / (1024 * 3);
        large[i] = row % 64 < 8 ? static_cast<std::uint8_t>(i % 3 == 1 ? 0 : 255)
                                : static_cast<std::uint8_t>(row & 0xFC);
    }
    WriteWhole(work + "/in.bmp", large);
    EncodeSkinPictureTo(work + "/in.bmp", work + "/out.k", TransparencyColour{}, true);
    DecodeSkinPictureToPng(work + "/out.k", work + "/out.png", true);
    AddVariants(out + "/convert", "large.png", ReadWhole(work + "/out.png"), random);
    // PNGs of every colour type and depth, interlaced or not, with the
    // palette and transparency chunks they may carry, for the differential
    // harness.
    const std::pair<std::uint8_t, std::vector<std::uint8_t>> kinds[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& [type, depths] : kinds) {
        for (const std::uint8_t depth : depths) {
            for (const bool interlaced : {false, true}) {
                AddVariants(out + "/png",
                            "t" + std::to_string(type) + "d" + std::to_string(depth) +
                                (interlaced ? "i.png" : ".png"),
                            SmallPng(type, depth, interlaced, random), random);
            }
        }
    }
    AddVariants(out + "/encode", "gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, random);
    AddVariants(out + "/encode", "png", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}, random);

    // Packages from our packer: the two-member example, empty members, long names.
    const std::vector<std::vector<std::pair<std::string, Bytes>>> folders = {
        {{"icon.k", {1, 2, 3, 4, 5}}, {"wall.g", {0xAA, 0xBB, 0xCC}}},
        {{"a.k", {}}, {"b.g", {}}, {"c.a", {9}}},
        {{std::string(120, 'n') + ".k", Bytes(300, 7)}, {"x.a", Bytes(20, 1)}},
    };
    n = 0;
    for (const auto& members : folders) {
        const std::string folder = work + "/pack" + std::to_string(n);
        fs::create_directories(folder);
        for (const auto& [name, content] : members) {
            WriteWhole(folder + "/" + name, content);
        }
        PackEZX(folder, work + "/out.ezx");
        const Bytes package = ReadWhole(work + "/out.ezx");
        AddVariants(out + "/unpack", "pkg" + std::to_string(n) + ".ezx", package, random);
        AddVariants(out + "/verify", "pkg" + std::to_string(n) + ".ezx", package, random);
        ++n;
    }

    for (int i = 0; i < 32; ++i) {
        Bytes seed(5 + random() % 400);
        for (auto& b : seed)
            b = static_cast<std::uint8_t>(random());
        WriteWhole(out + "/roundtrip/seed" + std::to_string(i), seed);
    }
    fs::remove_all(work);
    std::printf("seed corpora written to %s\n", out.c_str());
    return 0;
}
