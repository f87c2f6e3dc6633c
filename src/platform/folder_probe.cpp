#include <random>

#include "platform/folder_writes.h"
#include "platform/interrupt_cleanup.h"
#include "platform/io_error.h"
#include "platform/system_calls.h"

namespace lumigram {
namespace {

// Six lower-case letters, hidden behind the prefix the output layer's
// temporaries have, so nothing ever takes the probe for a file to read.
std::string ProbeName() {
    std::minstd_rand random(static_cast<std::uint_fast32_t>(sys::RandomSeed()));
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

bool Exists(const sys::EntryRef& entry) {
    return sys::LookAt(entry, entry.path).kind != EntryKind::kMissing;
}

}  // namespace

bool FolderIgnoresCase(const OutputFolder& folder) {
    try {
        for (int attempt = 0; attempt < 8; ++attempt) {
            const std::string lower = ProbeName();
            const std::string upper = Upper(lower);
            const std::string lowerPath = folder.PathOf(lower);
            const std::string upperPath = folder.PathOf(upper);
            const sys::EntryRef lowerEntry{folder.descriptor(), lower, lowerPath};
            const sys::EntryRef upperEntry{folder.descriptor(), upper, upperPath};
            if (Exists(upperEntry)) {
                continue;  // a name taken already tells nothing
            }
            UniqueFd probe = sys::CreateNew(lowerEntry, lowerPath);
            if (!probe) {
                continue;  // taken meanwhile
            }
            const InterruptCleanupEntry cleanup(folder.descriptor(), lower);
            probe = UniqueFd();  // closed first: Windows removes no open file
            const bool found = Exists(upperEntry);
            sys::RemoveQuietly(lowerEntry);
            return found;
        }
    } catch (const IoError&) {
        // A folder that takes no file: its outputs will say why.
    }
    return false;
}

std::optional<FileIdentity> EntryIdentity(const OutputFolder& folder, const std::string& name) {
    const std::string path = folder.PathOf(name);
    try {
        const sys::EntryInfo info = sys::LookAt({folder.descriptor(), name, path}, path);
        if (info.kind != EntryKind::kMissing) {
            return info.stamp.identity;
        }
    } catch (const IoError&) {
        // Nothing to compare with: the write itself will say what is wrong.
    }
    return std::nullopt;
}

}  // namespace lumigram
