// The system calls of edits in place on Windows.
//
// The edit lock is a file beside the package (".NAME.lumigram-lock"), opened
// with no sharing at all and deleted when its handle closes. Windows cannot
// move a file over one that is open, so the package itself cannot carry the
// lock as it does elsewhere; a lock file opened this way is held exactly as
// long as its handle, which the system closes when the process ends however it
// ends, so a left-over lock file is never a held lock: the next edit simply
// opens it again.
#include <windows.h>

#include "platform/path.h"
#include "platform/system_calls.h"
#include "platform/wide_text.h"
#include "platform/win32/handles.h"

namespace lumigram::sys {

std::string FinalTarget(const std::string& path) {
    if (KindAt(path) != EntryKind::kLink) {
        return path;
    }
    const HANDLE handle = ::CreateFileW(
        Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return path;
    }
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, MAX_PATH * 4,
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(handle);
    if (length == 0 || length >= MAX_PATH * 4) {
        return path;
    }
    std::wstring target(buffer, length);
    // "\\?\C:\skins\v3.ezx" and "\\?\UNC\server\share\..." as users write them.
    if (target.starts_with(L"\\\\?\\UNC\\")) {
        target = L"\\\\" + target.substr(8);
    } else if (target.starts_with(L"\\\\?\\")) {
        target = target.substr(4);
    }
    return Narrow(target);
}

bool IsWriteProtected(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

LockAttempt TryEditLock(const EntryRef& entry) {
    const std::string lockPath = entry.path.substr(0, entry.path.size() - entry.name.size()) + "." +
                                 entry.name + ".lumigram-lock";
    const std::wstring wide = Widen(lockPath);
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    LockAttempt attempt;
    if (handle != INVALID_HANDLE_VALUE) {
        attempt.state = LockAttempt::State::kTaken;
        attempt.handle = UniqueFd(AdoptHandle(handle, lockPath));
        return attempt;
    }
    const DWORD error = ::GetLastError();
    // Open elsewhere, or closed and not yet gone: held. Denied for a lock file
    // that does not exist: a folder we may not write, whose write then fails.
    if (error == ERROR_SHARING_VIOLATION ||
        (error == ERROR_ACCESS_DENIED &&
         ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)) {
        attempt.state = LockAttempt::State::kBusy;
    }
    return attempt;
}

}  // namespace lumigram::sys
