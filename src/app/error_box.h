#pragma once

#include <QApplication>
#include <exception>

namespace lumigram {

// Shows an error that escaped a command: its text, and under it the file it
// concerns when it names one. The program then goes on with the window open.
void ShowErrorBox(const std::exception& error);
// The same, for a caller that must not raise: a failure to show the box (no
// memory left for it) is dropped.
void ShowErrorBoxQuietly(const std::exception& error) noexcept;

// The application object. Commands catch their own errors (RunCommand); this
// is the last guard for anything else, so that no error takes the program down.
class TApplication : public QApplication {
    Q_OBJECT

  public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace lumigram
