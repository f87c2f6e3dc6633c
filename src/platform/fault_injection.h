#pragma once

#include <functional>

namespace lumigram {

// The byte-file operations that a test can make fail.
enum class IoOp { kOpen, kCreate, kRead, kWrite, kSeek, kClose, kRename };

// A test seam: when set, the hook is asked before every byte-file operation and
// returns an errno value to make that operation fail with, or 0 to let it run.
// Production code never sets it.
using IoFaultHook = std::function<int(IoOp op)>;

void SetIoFaultHook(IoFaultHook hook);
void ClearIoFaultHook();

// Returns the errno value the hook chooses for op, or 0.
int InjectedFault(IoOp op);

// Installs a hook for one scope and removes it at the end.
class ScopedIoFault {
  public:
    explicit ScopedIoFault(IoFaultHook hook) { SetIoFaultHook(std::move(hook)); }
    ~ScopedIoFault() { ClearIoFaultHook(); }
    ScopedIoFault(const ScopedIoFault&) = delete;
    ScopedIoFault& operator=(const ScopedIoFault&) = delete;
};

}  // namespace lumigram
