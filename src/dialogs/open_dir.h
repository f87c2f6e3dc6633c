#pragma once

#include <QObject>
#include <QString>

namespace lumigram {

// The folder chooser. Execute() shows a dialog that lists folders only and
// returns true when one was accepted; Directory then holds it and, unless
// NoChangeDir is set, it becomes the process's current directory. Cancel gives
// false with Directory and UNCDirectory empty. UNCDirectory holds a network
// form of the folder where the platform has one (on POSIX it stays empty).
class TOpenDirectory : public QObject {
    Q_OBJECT

  public:
    explicit TOpenDirectory(QObject* parent = nullptr) : QObject(parent) {}

    QString Title;       // empty leaves the dialog's own caption
    QString InitialDir;  // empty: the current directory
    bool EnableSizing = true;
    bool NoChangeDir = false;

    const QString& Directory() const { return directory_; }
    const QString& UNCDirectory() const { return uncDirectory_; }

    bool Execute(QWidget* parent = nullptr);

  signals:
    void shown();
    void folderChanged();
    void closed();

  private:
    QString directory_;
    QString uncDirectory_;
};

}  // namespace lumigram
