#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "display/file_picture.h"

namespace lumigram {

// Hint texts and a picture that hang off the preview control. Nothing in the
// program reads them; they are kept for anyone who configures the control.
class THintInfo : public QObject {
    Q_OBJECT

  public:
    explicit THintInfo(QObject* parent = nullptr);

    QString Title;
    QStringList Notes;
    bool ShowHelp = false;
    TFilePicture& Picture() { return *picture_; }
    const TFilePicture& Picture() const { return *picture_; }

    // From another THintInfo: copies Title, Notes, ShowHelp, then the picture.
    // Any other source is ignored.
    void Assign(const QObject* source);

  private:
    TFilePicture* picture_;  // a child object, freed with this one
};

}  // namespace lumigram
