#include "platform/fault_injection.h"

namespace lumigram {

IoFaultHook& IoFaultHookSlot() {
    static IoFaultHook hook;
    return hook;
}

int InjectedFault(IoOp op) {
    const IoFaultHook& hook = IoFaultHookSlot();
    return hook ? hook(op) : 0;
}

}  // namespace lumigram
