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
    int filterIndex = 1;
    QString fileName;
    QString defaultExt;  // with or without the leading "."
    QString InitialDir;
    bool fileMustExist = false;
    bool confirmOverwrite = false;

    // Shows the dialog; on acceptance fileName (and filterIndex) hold the choice.
    // A name chosen without extension gets defaultExt, when there is one.
    bool Execute(QWidget* parent = nullptr);

  private:
    Mode mode_;
};

// The colour chooser. color is 0x00BBGGRR (red in the low byte), as the window
// splits it into the transparency colour's bytes.
class TColorDialog : public QObject {
    Q_OBJECT

  public:
    explicit TColorDialog(QObject* parent = nullptr) : QObject(parent) {}

    std::uint32_t color = 0x00FF00FF;  // fuchsia
    bool Execute(QWidget* parent = nullptr);
};

}  // namespace lumigram
