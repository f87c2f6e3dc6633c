#include "platform/temporary_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/system_calls.h"

namespace lumigram {

TemporaryFolder::TemporaryFolder() {
    path_ = sys::MakePrivateFolder(sys::TemporaryBase(), "lumigram-");
    cleanup_ = std::make_unique<InterruptCleanupFolder>(path_);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(sys::NativePath(path_), ignored);
}

}  // namespace lumigram
