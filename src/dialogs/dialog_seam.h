#pragma once

#include <QColor>
#include <QString>
#include <functional>

class QWidget;

namespace lumigram {

// Every modal dialog of the program goes through ShowModalDialog. Production
// code runs the real Qt dialog; a test installs a responder that sees what the
// dialog would have been shown with and answers for the user.

enum class DialogKind { kOpenFile, kSaveFile, kDirectory, kColour };

struct DialogRequest {
    DialogKind kind = DialogKind::kOpenFile;
    QString title;             // empty: the dialog's own caption
    QString filter;            // "caption|patterns|..." (file dialogs)
    int filterIndex = 1;       // 1-based, as the filter's entries are counted
    QString fileName;          // preset name (file dialogs)
    QString defaultExtension;  // ".ezx" or empty (file dialogs)
    QString initialDir;        // folder the dialog opens in
    bool resizable = true;
    bool fileMustExist = false;     // open dialog
    bool confirmOverwrite = false;  // save dialog
    QColor colour;                  // colour dialog: the colour it opens with
};

struct DialogAnswer {
    bool accepted = false;
    QString path;  // the chosen file or folder
    int filterIndex = 1;
    QColor colour;

    static DialogAnswer Cancel() { return {}; }
    static DialogAnswer Accept(const QString& path) { return {true, path, 1, {}}; }
    static DialogAnswer AcceptColour(const QColor& colour) { return {true, {}, 1, colour}; }
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest&)>;

DialogAnswer ShowModalDialog(const DialogRequest& request, QWidget* parent = nullptr);

// Test seam: answers every dialog shown while the object lives.
class ScopedDialogResponder {
  public:
    explicit ScopedDialogResponder(DialogResponder responder);
    ~ScopedDialogResponder();
    ScopedDialogResponder(const ScopedDialogResponder&) = delete;
    ScopedDialogResponder& operator=(const ScopedDialogResponder&) = delete;

  private:
    DialogResponder previous_;
};

}  // namespace lumigram
