#include "platform/edit_lock.h"

#include <algorithm>
#include <thread>

#include "platform/io_error.h"

namespace lumigram {

EditLock EditLock::Take(const sys::EntryRef& entry, const std::string& shown,
                        std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds kPoll{20};
    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        sys::LockAttempt attempt = sys::TryEditLock(entry);
        if (attempt.state != sys::LockAttempt::State::kBusy) {
            return EditLock(std::move(attempt.handle));
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            throw FileBusyError(shown, attempt.holder);
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kPoll, deadline - now));
    }
}

}  // namespace lumigram
