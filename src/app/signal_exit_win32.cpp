// SignalExit on Windows: Ctrl+C, Ctrl+Break and closing the console the window
// was started from reach a console control handler, which runs on a thread of
// its own. It hands the matching signal number (SIGINT 2, SIGBREAK 21, SIGHUP
// 1) to the user-interface thread and waits there until onSignal has run, so
// the scratch folder is gone before Windows ends the process.
#include <windows.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <atomic>

#include "app/signal_exit.h"

namespace lumigram {
namespace {

std::atomic<SignalExit*> current{nullptr};
std::function<void(int)>* currentHandler = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    SignalExit* target = current.load();
    if (target == nullptr || currentHandler == nullptr) {
        return FALSE;
    }
    int number = 1;
    if (event == CTRL_C_EVENT) {
        number = 2;
    } else if (event == CTRL_BREAK_EVENT) {
        number = 21;
    }
    std::function<void(int)>* handler = currentHandler;
    QMetaObject::invokeMethod(
        target, [handler, number] { (*handler)(number); }, Qt::BlockingQueuedConnection);
    return TRUE;
}

}  // namespace

SignalExit::SignalExit(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    currentHandler = &onSignal_;
    current.store(this);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

SignalExit::~SignalExit() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    current.store(nullptr);
    currentHandler = nullptr;
}

void SignalExit::Deliver() {}

}  // namespace lumigram
