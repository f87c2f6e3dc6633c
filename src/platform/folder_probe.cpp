#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/folder_writes.h"
#include "platform/interrupt_cleanup.h"

namespace lumigram {
namespace {

// Six lower-case letters, hidden behind the prefix the output layer's
// temporaries have, so nothing ever takes the probe for a file to read.
std::string ProbeName() {
    unsigned seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
        seed = std::random_device{}();
    }
    std::minstd_rand random(seed);
    std::string name = ".lumigram-";
    for (int i = 0; i < 6; ++i) {
        name += static_cast<char>('a' + random() % 26);
    }
    return name;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool Exists(int folder, const std::string& name) {
    struct ::stat st {};
    return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

bool FolderIgnoresCase(const OutputFolder& folder) {
    const int fd = folder.descriptor();
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string lower = ProbeName();
        const std::string upper = Upper(lower);
        if (Exists(fd, upper)) {
            continue;  // a name taken already tells nothing
        }
        const int probe =
            ::openat(fd, lower.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (probe < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;  // a folder that takes no file: its outputs will say why
        }
        const InterruptCleanupEntry cleanup(fd, lower);
        ::close(probe);
        const bool found = Exists(fd, upper);
        ::unlinkat(fd, lower.c_str(), 0);
        return found;
    }
    return false;
}

std::optional<FileIdentity> EntryIdentity(const OutputFolder& folder, const std::string& name) {
    struct ::stat st {};
    if (::fstatat(folder.descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace lumigram
