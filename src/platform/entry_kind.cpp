#include "platform/entry_kind.h"

#include <sys/stat.h>

namespace lumigram {

EntryKind EntryKindOfMode(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return EntryKind::kRegular;
        case S_IFDIR:
            return EntryKind::kFolder;
#ifdef S_IFLNK
        case S_IFLNK:
            return EntryKind::kLink;
#endif
        case S_IFIFO:
            return EntryKind::kFifo;
        case S_IFCHR:
            return EntryKind::kCharDevice;
        case S_IFBLK:
            return EntryKind::kBlockDevice;
#ifdef S_IFSOCK
        case S_IFSOCK:
            return EntryKind::kSocket;
#endif
        default:
            return EntryKind::kOther;
    }
}

std::string NotARegularFileText(EntryKind kind) {
    switch (kind) {
        case EntryKind::kFolder:
            return "is a folder";
        case EntryKind::kFifo:
            return "is a FIFO, not a regular file";
        case EntryKind::kCharDevice:
            return "is a character device, not a regular file";
        case EntryKind::kBlockDevice:
            return "is a block device, not a regular file";
        case EntryKind::kSocket:
            return "is a socket, not a regular file";
        default:
            return "is not a regular file";
    }
}

}  // namespace lumigram
