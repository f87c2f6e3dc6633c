#include "app/signal_exit.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace lumigram {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
int pipeEnds[2] = {-1, -1};  // [0] written by the handler, [1] read by the notifier
struct sigaction previous[kSignals.size()];

extern "C" void WriteSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[0], &byte, 1);
    errno = saved;
}

}  // namespace

SignalExit::SignalExit(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;  // no signal handling: the program still runs
    }
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalExit::Deliver);
    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &action, &previous[i]);
    }
}

SignalExit::~SignalExit() {
    if (!notifier_) {
        return;
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous[i], nullptr);
    }
    notifier_.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void SignalExit::Deliver() {
    unsigned char byte = 0;
    if (::read(pipeEnds[1], &byte, 1) == 1 && onSignal_) {
        onSignal_(byte);
    }
}

}  // namespace lumigram
