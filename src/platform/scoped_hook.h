#pragma once

#include <utility>

namespace lumigram {

// A test seam's hook, installed for one scope: the seam's slot takes the new
// hook, and the hook it held before comes back when the scope ends, so that
// scopes nest. Production code never installs one.
template <typename Hook>
class ScopedHook {
  public:
    ScopedHook(Hook& slot, Hook hook)
        : slot_(slot), previous_(std::exchange(slot, std::move(hook))) {}
    ~ScopedHook() { slot_ = std::move(previous_); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

  private:
    Hook& slot_;
    Hook previous_;
};

}  // namespace lumigram
