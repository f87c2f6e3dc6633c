#include "dialogs/open_dir.h"

#include <QDir>

#include "dialogs/dialog_seam.h"

namespace lumigram {
namespace {

// The network form of a path: a path on a network share in "\\server\share"
// form. Local paths come back unchanged; POSIX has no such form.
QString ExpandUncFileName(const QString& path) {
    return path;
}

}  // namespace

bool TOpenDirectory::Execute(QWidget* parent) {
    directory_.clear();
    uncDirectory_.clear();

    DialogRequest request;
    request.kind = DialogKind::kDirectory;
    request.title = Title;
    request.initialDir = InitialDir.isEmpty() ? QDir::currentPath() : InitialDir;
    request.resizable = EnableSizing;
    emit shown();
    directory_ = request.initialDir;
    uncDirectory_ = ExpandUncFileName(directory_);
    emit folderChanged();
    const DialogAnswer answer = ShowModalDialog(request, parent);
    emit closed();

    if (!answer.accepted || answer.path.isEmpty()) {
        directory_.clear();
        uncDirectory_.clear();
        return false;
    }
    directory_ = QDir::toNativeSeparators(answer.path);
    // A path's network form is the path itself here, so UNCDirectory, which
    // holds it only when the two differ, stays empty.
    uncDirectory_.clear();
    if (!NoChangeDir) {
        QDir::setCurrent(directory_);
    }
    return true;
}

}  // namespace lumigram
