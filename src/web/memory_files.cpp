#include "web/memory_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/byte_file.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"

namespace lumigram::web {

std::string MemoryFolder::Put(const std::string& name, std::span<const std::uint8_t> bytes) {
    const std::string folder = JoinPath(folder_.path(), std::to_string(inputs_++));
    if (::mkdir(folder.c_str(), 0700) != 0) {
        ThrowIoErrorFromErrno(errno, folder);
    }
    std::string fileName = ExtractFileName(name);
    if (fileName.empty() || fileName == "." || fileName == "..") {
        fileName = "input";
    }
    const std::string path = JoinPath(folder, fileName);
    WriteWholeOutput(path, bytes, false);
    return path;
}

std::string MemoryFolder::PutHead(const std::string& name, std::span<const std::uint8_t> bytes,
                                  std::size_t headBytes) {
    const std::string path = Put(name, bytes.first(std::min(headBytes, bytes.size())));
    if (::truncate(path.c_str(), static_cast<off_t>(bytes.size())) != 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
    return path;
}

std::string MemoryFolder::PathOf(const std::string& name) const {
    return JoinPath(folder_.path(), name);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    ByteFile file = ByteFile::OpenRead(path);
    // The in-memory file system lives in a 32-bit address space, so every file
    // in it fits a size_t; the cast cannot lose anything.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.Read(bytes));
    return bytes;
}

}  // namespace lumigram::web
