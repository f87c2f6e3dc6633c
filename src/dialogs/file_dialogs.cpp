#include "dialogs/file_dialogs.h"

#include "dialogs/dialog_seam.h"
#include "platform/path.h"

namespace lumigram {

TFileDialog::TFileDialog(Mode mode, QObject* parent) : QObject(parent), mode_(mode) {}

bool TFileDialog::Execute(QWidget* parent) {
    DialogRequest request;
    request.kind = mode_ == Mode::kOpen ? DialogKind::kOpenFile : DialogKind::kSaveFile;
    request.title = Title;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.fileName = FileName;
    request.defaultExtension = DefaultExt;
    request.initialDir = InitialDir;
    request.fileMustExist = FileMustExist;
    request.confirmOverwrite = ConfirmOverwrite;
    const DialogAnswer answer = ShowModalDialog(request, parent);
    if (!answer.accepted) {
        return false;
    }
    FileName = answer.path;
    FilterIndex = answer.filterIndex;
    if (!DefaultExt.isEmpty() && ExtractFileExt(FileName.toStdString()).empty()) {
        FileName += DefaultExt.startsWith(QLatin1Char('.')) ? DefaultExt : "." + DefaultExt;
    }
    return true;
}

bool TColorDialog::Execute(QWidget* parent) {
    DialogRequest request;
    request.kind = DialogKind::kColour;
    request.colour = QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                            static_cast<int>((Color >> 16) & 0xFF));
    const DialogAnswer answer = ShowModalDialog(request, parent);
    if (!answer.accepted || !answer.colour.isValid()) {
        return false;
    }
    Color = static_cast<std::uint32_t>(answer.colour.red()) |
            (static_cast<std::uint32_t>(answer.colour.green()) << 8) |
            (static_cast<std::uint32_t>(answer.colour.blue()) << 16);
    return true;
}

}  // namespace lumigram
