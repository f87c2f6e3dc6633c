#include "platform/replace_on_commit.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>

#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/io_error.h"
#include "platform/path.h"

namespace lumigram {
namespace {

std::string RandomSuffix() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    std::mt19937 generator(
        seed ^ static_cast<unsigned>(counter++) ^
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = kDigits[generator() % 36];
    }
    return suffix;
}

}  // namespace

ReplaceOnCommit::ReplaceOnCommit(std::string target) : target_(std::move(target)) {
    const std::string folder = ExtractFilePath(target_);
    const std::string name = ExtractFileName(target_);
    // A hidden name that says what it is, should a crash ever leave one behind.
    for (int attempt = 0;; ++attempt) {
        std::string candidate = folder + "." + name + ".lumigram-" + RandomSuffix() + ".tmp";
        bool created = false;
        try {
            ByteFile file = ByteFile::CreateExclusive(candidate);
            created = true;
            file.Close();
            temporary_ = std::move(candidate);
            return;
        } catch (const IoError& error) {
            if (created) {
                DeleteFileQuietly(candidate);
            }
            // A name taken by someone else is tried again; anything else is real.
            if (attempt >= 16 || error.code() != IoCodeFromErrno(EEXIST)) {
                throw IoError(error.code(), target_);
            }
        }
    }
}

ReplaceOnCommit::~ReplaceOnCommit() {
    if (!committed_) {
        DeleteFileQuietly(temporary_);
    }
}

void ReplaceOnCommit::Commit() {
    RenameFile(temporary_, target_);
    committed_ = true;
}

}  // namespace lumigram
