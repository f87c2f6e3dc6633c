#include "platform/temporary_folder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/io_error.h"

namespace lumigram {

TemporaryFolder::TemporaryFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string pattern =
        ((error ? std::filesystem::path("/tmp") : base) / "lumigram-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ThrowIoErrorFromErrno(errno, pattern);
    }
    path_ = std::move(pattern);
    cleanup_ = std::make_unique<InterruptCleanupFolder>(path_);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace lumigram
