#include "platform/win32/handles.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/io_error.h"

namespace lumigram::sys {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

int AdoptHandle(HANDLE handle, const std::string& path) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        ThrowIoErrorFromErrno(EMFILE, path);
    }
    return fd;
}

std::optional<FileStamp> StampOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    const auto ticks = [](const FILETIME& time) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                         time.dwLowDateTime);
    };
    FileStamp stamp;
    stamp.identity =
        FileIdentity{info.dwVolumeSerialNumber,
                     (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = ticks(info.ftLastWriteTime);
    // The change time (attributes, renames) where the file system keeps one.
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
        stamp.changed = basic.ChangeTime.QuadPart;
    }
    return stamp;
}

}  // namespace lumigram::sys
