#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <cstdint>

namespace lumigram {

// An open or save dialog whose properties stay set between showings: a title,
// filter, file name or default extension that one command sets is what the
// next command's dialog shows, unless that command sets it again.
class TFileDialog : public QObject {
    Q_OBJECT

  public:
    enum class Mode { kOpen, kSave };
    TFileDialog(Mode mode, QObject* parent = nullptr);

    QString Title;
    QString Filter;  // "caption|patterns|..."
    int FilterIndex = 1;
    QString FileName;
    QString DefaultExt;  // with or without the leading "."
    QString InitialDir;
    bool FileMustExist = false;
    bool ConfirmOverwrite = false;

    // Shows the dialog; on acceptance FileName (and FilterIndex) hold the choice.
    // A name chosen without extension gets DefaultExt, when there is one.
    bool Execute(QWidget* parent = nullptr);

  private:
    Mode mode_;
};

// The colour chooser. Color is 0x00BBGGRR (red in the low byte), as the window
// splits it into the transparency colour's bytes.
class TColorDialog : public QObject {
    Q_OBJECT

  public:
    explicit TColorDialog(QObject* parent = nullptr) : QObject(parent) {}

    std::uint32_t Color = 0x00FF00FF;  // fuchsia
    bool Execute(QWidget* parent = nullptr);
};

}  // namespace lumigram
