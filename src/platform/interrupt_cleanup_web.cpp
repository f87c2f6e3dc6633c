// Interrupt cleanup in the browser: there are no signals, and the files live in
// the page's in-memory file system, which goes with the page. Nothing is kept.
#include "platform/interrupt_cleanup.h"

namespace lumigram {

void InstallInterruptCleanup() {}

void ForwardInterruptsTo(int) noexcept {}

InterruptCleanupEntry::InterruptCleanupEntry(int, const std::string&) noexcept {}

// No slot is ever taken.
InterruptCleanupEntry::~InterruptCleanupEntry() {
    static_cast<void>(slot_);
}

InterruptCleanupFolder::InterruptCleanupFolder(const std::string&) noexcept {}

InterruptCleanupFolder::~InterruptCleanupFolder() {
    static_cast<void>(slot_);
}

}  // namespace lumigram
