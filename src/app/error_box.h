#pragma once

#include <QApplication>
#include <exception>

namespace lumigram {

// Shows an error that escaped a command: its text, and under it the file it
// concerns when it names one. The program then goes on with the window open.
void ShowErrorBox(const std::exception& error);

// The application object: every error that a command lets escape ends that
// command and reaches the user through ShowErrorBox; none takes the program down.
class TApplication : public QApplication {
    Q_OBJECT

  public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace lumigram
