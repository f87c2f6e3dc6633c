#include "platform/fault_injection.h"

namespace lumigram {
namespace {

IoFaultHook& Hook() {
    static IoFaultHook hook;
    return hook;
}

}  // namespace

void SetIoFaultHook(IoFaultHook hook) {
    Hook() = std::move(hook);
}

void ClearIoFaultHook() {
    Hook() = nullptr;
}

int InjectedFault(IoOp op) {
    const IoFaultHook& hook = Hook();
    return hook ? hook(op) : 0;
}

}  // namespace lumigram
