#pragma once

#include <functional>

#include "platform/scoped_hook.h"

namespace lumigram {

// The byte-file operations that a test can make fail.
enum class IoOp { kOpen, kCreate, kRead, kWrite, kSeek, kClose, kRename, kSync };

// A test seam: when set, the hook is asked before every byte-file operation and
// returns an errno value to make that operation fail with, or 0 to let it run.
// Production code never sets it.
using IoFaultHook = std::function<int(IoOp op)>;

// The hook in force (empty when none is).
IoFaultHook& IoFaultHookSlot();

// Returns the errno value the hook chooses for op, or 0.
int InjectedFault(IoOp op);

// Installs a hook for one scope.
class ScopedIoFault : public ScopedHook<IoFaultHook> {
  public:
    explicit ScopedIoFault(IoFaultHook hook) : ScopedHook(IoFaultHookSlot(), std::move(hook)) {}
};

}  // namespace lumigram
