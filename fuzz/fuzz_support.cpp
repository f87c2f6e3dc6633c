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
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/lumigram-fuzz-XXXXXX";
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

}  // namespace lumigram::fuzz
