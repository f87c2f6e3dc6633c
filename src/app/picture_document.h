#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <string>

#include "app/window_state.h"
#include "platform/private_scratch.h"

namespace lumigram {

class TFilePicture;

// What the main window works on, and the commands that change it: the file
// shown and its picture, the listed sibling files, the transparency setting
// and the status message that belongs to the file shown. The window's widgets
// only show this state; they follow its signals.
class PictureDocument : public QObject {
    Q_OBJECT

  public:
    explicit PictureDocument(QObject* parent = nullptr);
    ~PictureDocument() override;

    const WindowState& state() const { return state_; }
    // This window's own scratch folder, removed when the window closes.
    const std::string& ScratchFolder() const { return scratch_.path(); }
    void RemoveScratchFolder() { scratch_.Remove(); }

    // The picture shown: the bytes Save writes for a ".k" or ".g" (the decoded
    // BMP, the GIF or PNG), with a ".k"'s mask deciding which pixels are
    // see-through.
    TFilePicture& picture() { return *picture_; }
    // The status bar's description of the file shown ("176 × 220, 18 bits per
    // pixel, mask: partial").
    const QString& pictureInfo() const { return pictureInfo_; }
    // The status bar's message about the file shown or the last command
    // ("Saved wall1.bmp"); another file shown clears it.
    const QString& message() const { return message_; }
    void SetMessage(const QString& text);

    // Shows name: prepares its scratch file and its picture, and only when both
    // worked makes it the current file. Raises, changing nothing, otherwise.
    void LoadAndPreview(const std::string& name);
    // Shows the listed file of row; a row past the list does nothing.
    void ShowRow(std::size_t row);
    // Lists the current file's folder: its group's files, as Open lists them.
    void ListFolder();
    // The row of the current file in the list, or -1.
    int CurrentRow() const;

    // A ".k" on screen is shown again with the new setting.
    void SetTransparency(const Transparency& transparency);

    // What Save proposes and writes: the filter of the save dialog, the
    // extension of what it writes (".bmp" for a ".k", ".gif" or ".png" for a
    // ".g" after its content, ".k" for a BMP, ".g" for a GIF or PNG), and the
    // name it proposes (the current file's stem with that extension).
    QString SaveFilter() const;
    std::string SaveExtension() const;
    std::string ProposedSaveName() const;
    // Writes the current picture in the other direction to path, and says so.
    void SaveTo(const std::string& path);
    // Writes the current picture as PNG to path (a ".k" with the transparency
    // settings of this moment), and says so.
    void ExportPng(const std::string& path);
    // Writes the current BMP or PNG as a ".k" to path (PNG alpha as the mask),
    // and says so; any other picture is refused.
    void SaveAsSkinPicture(const std::string& path);
    // Raise unless there is a picture ExportPng, or SaveAsSkinPicture, takes:
    // asked before the dialogs ask for a name.
    void CheckExportSource() const;
    void CheckSkinPictureSource() const;

  signals:
    // anotherFile: a different file is shown (not the same one again).
    void pictureChanged(bool anotherFile);
    void fileListChanged();
    void transparencyChanged();
    void messageChanged();

  private:
    PrivateScratchFolder scratch_;
    WindowState state_;
    TFilePicture* picture_;  // a child, freed with the document
    QString pictureInfo_;
    QString message_;
    std::string saveExtension_;
};

}  // namespace lumigram
