#include "app/error_box.h"

#include "dialogs/dialog_seam.h"
#include "platform/io_error.h"
#include "platform/printable_text.h"

namespace lumigram {

void ShowErrorBox(const std::exception& error) {
    // Names from files and packages may hold control characters; they are
    // shown escaped, so a crafted name cannot fake or hide a line.
    QString text = QString::fromStdString(EscapeControls(error.what()));
    if (const auto* ours = dynamic_cast<const Error*>(&error); ours && !ours->path().empty()) {
        text += "\n" + QString::fromStdString(EscapeControls(ours->path()));
    }
    ShowMessageBox(QStringLiteral("Lumigram"), text, MessageIcon::kCritical,
                   QApplication::activeWindow());
}

void ShowErrorBoxQuietly(const std::exception& error) noexcept {
    try {
        ShowErrorBox(error);
    } catch (...) {  // NOLINT(bugprone-empty-catch): nothing is left to tell the user with
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(error);
    }
    return false;
}

}  // namespace lumigram
