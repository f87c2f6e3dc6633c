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
    std::minstd_rand random(static_cast<std::minstd_rand::result_type>(sys::RandomSeed()));
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

// What stands at name in folder, links not followed; kMissing also when it
// cannot be looked at.
sys::EntryInfo EntryAt(const OutputFolder& folder, const std::string& name) {
    const std::string path = folder.PathOf(name);
    try {
        return sys::LookAt({folder.descriptor(), name, path}, path);
    } catch (const IoError&) {
        return {};
    }
}

}  // namespace

bool FolderIgnoresCase(const OutputFolder& folder) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string lower = ProbeName();
        const std::string upper = Upper(lower);
        if (EntryAt(folder, upper).kind != EntryKind::kMissing) {
            continue;  // a name taken already tells nothing
        }
        const std::string path = folder.PathOf(lower);
        const sys::EntryRef probe{folder.descriptor(), lower, path};
        UniqueFd made;
        try {
            made = sys::CreateNew(probe, path);
        } catch (const IoError&) {
            return false;  // a folder that takes no file: its outputs will say why
        }
        if (!made) {
            continue;
        }
        const InterruptCleanupEntry cleanup(folder.descriptor(), lower);
        made = UniqueFd();
        const bool found = EntryAt(folder, upper).kind != EntryKind::kMissing;
        sys::RemoveQuietly(probe);
        return found;
    }
    return false;
}

std::optional<FileIdentity> EntryIdentity(const OutputFolder& folder, const std::string& name) {
    const sys::EntryInfo entry = EntryAt(folder, name);
    if (entry.kind == EntryKind::kMissing) {
        return std::nullopt;
    }
    return entry.stamp.identity;
}

}  // namespace lumigram
