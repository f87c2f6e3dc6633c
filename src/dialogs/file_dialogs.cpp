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
    request.filterIndex = filterIndex;
    request.fileName = fileName;
    request.defaultExtension = defaultExt;
    request.initialDir = InitialDir;
    request.fileMustExist = fileMustExist;
    request.confirmOverwrite = confirmOverwrite;
    const DialogAnswer answer = ShowModalDialog(request, parent);
    if (!answer.accepted) {
        return false;
    }
    fileName = answer.path;
    filterIndex = answer.filterIndex;
    if (!defaultExt.isEmpty() && ExtractFileExt(fileName.toStdString()).empty()) {
        fileName += defaultExt.startsWith(QLatin1Char('.')) ? defaultExt : "." + defaultExt;
    }
    return true;
}

bool TColorDialog::Execute(QWidget* parent) {
    DialogRequest request;
    request.kind = DialogKind::kColour;
    request.colour = QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                            static_cast<int>((color >> 16) & 0xFF));
    const DialogAnswer answer = ShowModalDialog(request, parent);
    if (!answer.accepted || !answer.colour.isValid()) {
        return false;
    }
    color = static_cast<std::uint32_t>(answer.colour.red()) |
            (static_cast<std::uint32_t>(answer.colour.green()) << 8) |
            (static_cast<std::uint32_t>(answer.colour.blue()) << 16);
    return true;
}

}  // namespace lumigram
