// File > Export PNG... and File > Save as skin picture...: the dialogs that ask
// where; the document writes the current picture there.
#include <QFileInfo>

#include "app/sdi_main.h"
#include "app/window_settings.h"
#include "dialogs/file_dialogs.h"
#include "platform/path.h"

namespace lumigram {
namespace {

// Asks for the file to write; an empty string when the user cancelled.
std::string AskForOutput(TFileDialog& dialog, QWidget* parent, const QString& title,
                         const QString& filter, const QString& extension,
                         const std::string& current, const QString& folder) {
    dialog.Title = title;
    dialog.Filter = filter;
    dialog.defaultExt = extension;
    dialog.fileName = QString::fromStdString(ChangeFileExt(ExtractFileName(current), ""));
    dialog.confirmOverwrite = true;
    dialog.InitialDir = folder;
    if (!dialog.Execute(parent)) {
        return {};
    }
    WindowSettings::SetLastFolder(kSaveDialogName, QFileInfo(dialog.fileName).absolutePath());
    return dialog.fileName.toStdString();
}

}  // namespace

void TSDIAppForm::ExportPngClick() {
    document_->CheckExportSource();  // before the dialog asks for a name
    const std::string name = AskForOutput(*saveDialog_, this, "Export PNG", "PNG files|*.png",
                                          ".png", state_.CurrentFile, StartFolder(kSaveDialogName));
    if (!name.empty()) {
        document_->ExportPng(name);
    }
}

void TSDIAppForm::SaveSkinPictureClick() {
    document_->CheckSkinPictureSource();  // before the dialog asks for a name
    const std::string name =
        AskForOutput(*saveDialog_, this, "Save as skin picture", ".k files|*.k", ".k",
                     state_.CurrentFile, StartFolder(kSaveDialogName));
    if (!name.empty()) {
        document_->SaveAsSkinPicture(name);
    }
}

}  // namespace lumigram
