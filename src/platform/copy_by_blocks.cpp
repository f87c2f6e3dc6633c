#include "platform/copy_by_blocks.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>

#include "platform/byte_file.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

constexpr std::size_t kBlockSize = 4096;

bool SameFile(const std::string& a, const std::string& b) {
    struct ::stat first {};
    struct ::stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

void CopyFileByBlocks(const std::string& source, const std::string& destination) {
    ByteFile in = ByteFile::OpenRead(source);
    if (SameFile(source, destination)) {
        throw Error("cannot copy a file onto itself", destination);
    }
    ByteFile out = ByteFile::Create(destination);
    std::array<std::uint8_t, kBlockSize> block{};
    while (const std::size_t n = in.Read(block)) {
        out.Write(std::span(block.data(), n));
    }
    in.Close();
    out.Close();
}

}  // namespace lumigram
