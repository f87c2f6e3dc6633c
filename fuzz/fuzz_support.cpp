#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/byte_file.h"

namespace lumigram::fuzz {
namespace {

struct Folder {
    std::string path;
    Folder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr ? base : "/tmp") + "/lumigram-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            Fail("cannot make a work folder");
        }
        path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& WorkFolder() {
    static Folder folder;
    return folder.path;
}

std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = WorkFolder() + "/" + name;
    ByteFile file = ByteFile::Create(path);
    file.Write(std::span(data, size));
    file.Close();
    return path;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "harness property violated: %s\n", what.c_str());
    std::abort();
}

long long SizeOf(const std::string& path) {
    struct ::stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

std::vector<std::uint8_t> BlankBmp(int width, int height, int bitCount, bool topDown) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * (bitCount / 8) + 3) & ~3u;
    std::vector<std::uint8_t> bmp(54 + stride * static_cast<std::size_t>(height), 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(topDown ? -height : height));
    bmp[26] = 1;
    bmp[28] = static_cast<std::uint8_t>(bitCount);
    return bmp;
}

}  // namespace lumigram::fuzz
