#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace lumigram {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the user-interface thread:
// the handler only writes the signal's number into a pipe, and a notifier on
// the pipe's other end calls onSignal with it. The previous handlers come back
// when the object goes away. One object at a time.
class SignalExit : public QObject {
    Q_OBJECT

  public:
    explicit SignalExit(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~SignalExit() override;

  private:
    void Deliver();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lumigram
