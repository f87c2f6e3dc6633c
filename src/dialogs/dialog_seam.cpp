#include "dialogs/dialog_seam.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "dialogs/filter_text.h"

namespace lumigram {

DialogResponder& DialogResponderSlot() {
    static DialogResponder responder;
    return responder;
}

namespace {

DialogAnswer RunFileDialog(const DialogRequest& request, QWidget* parent) {
    QFileDialog dialog(parent);
    if (!request.title.isEmpty()) {
        dialog.setWindowTitle(request.title);
    }
    // Like the platform's dialogs, open in the current directory unless told.
    dialog.setDirectory(request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir);
    dialog.setSizeGripEnabled(request.resizable);
    if (request.kind == DialogKind::kDirectory) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        const bool save = request.kind == DialogKind::kSaveFile;
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile
                                                          : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        const QStringList filters = QtNameFilters(request.filter);
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
        }
        QString suffix = request.defaultExtension;
        dialog.setDefaultSuffix(suffix.startsWith(QLatin1Char('.')) ? suffix.mid(1) : suffix);
        if (!request.fileName.isEmpty()) {
            dialog.selectFile(request.fileName);
        }
    }
    DialogAnswer answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer.accepted = true;
        answer.path = dialog.selectedFiles().constFirst();
        answer.filterIndex =
            static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    }
    return answer;
}

DialogAnswer RunColourDialog(const DialogRequest& request, QWidget* parent) {
    QColorDialog dialog(request.colour, parent);
    if (!request.title.isEmpty()) {
        dialog.setWindowTitle(request.title);
    }
    DialogAnswer answer;
    if (dialog.exec() == QDialog::Accepted) {
        answer.accepted = true;
        answer.colour = dialog.selectedColor();
    }
    return answer;
}

}  // namespace

DialogAnswer ShowModalDialog(const DialogRequest& request, QWidget* parent) {
    if (const DialogResponder& responder = DialogResponderSlot()) {
        return responder(request);
    }
    return request.kind == DialogKind::kColour ? RunColourDialog(request, parent)
                                               : RunFileDialog(request, parent);
}

void ShowMessageBox(const QString& caption, const QString& text, MessageIcon icon,
                    QWidget* parent) {
    DialogRequest request;
    request.kind = DialogKind::kMessage;
    request.title = caption;
    request.text = text;
    request.icon = icon;
    if (const DialogResponder& responder = DialogResponderSlot()) {
        responder(request);
        return;
    }
    QMessageBox box(icon == MessageIcon::kCritical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok, parent);
    box.exec();
}

int AskQuestion(const QString& caption, const QString& text, const QStringList& buttons,
                QWidget* parent, int defaultButton) {
    DialogRequest request;
    request.kind = DialogKind::kQuestion;
    request.title = caption;
    request.text = text;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    if (const DialogResponder& responder = DialogResponderSlot()) {
        return responder(request).button;
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> offered;
    for (const QString& label : buttons) {
        offered.push_back(box.addButton(label, QMessageBox::AcceptRole));
    }
    if (!offered.empty()) {
        box.setEscapeButton(offered.back());  // the last answer is the cautious one
    }
    if (defaultButton >= 0 && defaultButton < static_cast<int>(offered.size())) {
        box.setDefaultButton(
            qobject_cast<QPushButton*>(offered[static_cast<std::size_t>(defaultButton)]));
    }
    box.exec();
    const auto chosen = std::find(offered.begin(), offered.end(), box.clickedButton());
    return chosen == offered.end() ? -1 : static_cast<int>(chosen - offered.begin());
}

bool RunModal(QDialog& dialog) {
    if (const DialogResponder& responder = DialogResponderSlot()) {
        DialogRequest request;
        request.kind = DialogKind::kCustom;
        request.title = dialog.windowTitle();
        return responder(request).accepted;
    }
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace lumigram
