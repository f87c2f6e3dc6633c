// File > Export PNG... and File > Save as skin picture...: the current picture
// written once more, through the core's converters, in the other direction.
#include <QFileInfo>

#include "app/sdi_main.h"
#include "app/window_settings.h"
#include "codec/picture_conversion.h"
#include "dialogs/file_dialogs.h"
#include "platform/io_error.h"
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
    if (state_.CurrentFile.empty()) {
        throw Error("There is no picture to export", "");
    }
    const std::string name = AskForOutput(*saveDialog_, this, "Export PNG", "PNG files|*.png",
                                          ".png", state_.CurrentFile, StartFolder(kSaveDialogName));
    if (name.empty()) {
        return;
    }
    // A ".k" follows the transparency settings of this moment.
    ExportPictureAsPng(state_.CurrentFile, name,
                       ConversionOptions{state_.transparency.colour, state_.transparency.enabled});
    document_->SetMessage(
        QStringLiteral("Exported %1").arg(QString::fromStdString(ExtractFileName(name))));
}

void TSDIAppForm::SaveSkinPictureClick() {
    if (state_.CurrentFile.empty()) {
        throw Error("There is no picture to save", "");
    }
    const PictureKind kind = ReadPictureKind(state_.CurrentFile);
    if (kind != PictureKind::kBmp && kind != PictureKind::kPng) {
        throw FormatError("only a BMP or a PNG picture can be saved as a skin picture",
                          state_.CurrentFile);
    }
    const std::string name =
        AskForOutput(*saveDialog_, this, "Save as skin picture", ".k files|*.k", ".k",
                     state_.CurrentFile, StartFolder(kSaveDialogName));
    if (name.empty()) {
        return;
    }
    ConvertPictureTo(state_.CurrentFile, name, TargetFormat::kK,
                     ConversionOptions{state_.transparency.colour, state_.transparency.enabled});
    document_->SetMessage(
        QStringLiteral("Saved %1").arg(QString::fromStdString(ExtractFileName(name))));
}

}  // namespace lumigram
