// Makes the seed corpora of the fuzz harnesses from our own encoder and packer:
// valid samples, every truncation of the small ones, and bit flips.
//   make_fuzz_corpus OUTPUT-FOLDER
// writes OUTPUT-FOLDER/{decode,encode,unpack,verify,roundtrip}/.
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    for (const char* what : {"decode", "encode", "unpack", "verify", "roundtrip", "convert"}) {
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
