#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/scoped_hook.h"

class QDialog;
class QWidget;

namespace lumigram {

// Every modal dialog of the program goes through ShowModalDialog. Production
// code runs the real Qt dialog; a test installs a responder that sees what the
// dialog would have been shown with and answers for the user.

enum class DialogKind {
    kOpenFile,
    kSaveFile,
    kDirectory,
    kColour,
    kMessage,   // a message box: title is its caption, text its text
    kQuestion,  // a message box with the buttons given in buttons
    kCustom,    // one of the program's own dialogs (the About box): title is its caption
};

enum class MessageIcon { kNone, kCritical };

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
    QString text;                   // message box
    MessageIcon icon = MessageIcon::kNone;
    QStringList buttons;     // question: the answers offered, in order
    int defaultButton = -1;  // question: the one Enter chooses; -1 for the box's own
};

struct DialogAnswer {
    bool accepted = false;
    QString path;  // the chosen file or folder
    int filterIndex = 1;
    QColor colour;
    int button = -1;  // question: the index of the button chosen; -1 for none (Escape)

    static DialogAnswer Cancel() { return {}; }
    static DialogAnswer Accept(const QString& path) { return {true, path, 1, {}, -1}; }
    static DialogAnswer AcceptColour(const QColor& colour) { return {true, {}, 1, colour, -1}; }
    static DialogAnswer Button(int index) { return {true, {}, 1, {}, index}; }
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest&)>;

DialogAnswer ShowModalDialog(const DialogRequest& request, QWidget* parent = nullptr);

// A message box with only an OK button.
void ShowMessageBox(const QString& caption, const QString& text, MessageIcon icon,
                    QWidget* parent = nullptr);

// A question with one button per answer; returns the index of the button
// chosen, or -1 when the box was closed without one. Escape chooses the last
// answer, the cautious one; Enter the default one, when given.
int AskQuestion(const QString& caption, const QString& text, const QStringList& buttons,
                QWidget* parent = nullptr, int defaultButton = -1);

// Runs one of the program's own dialogs modally (or lets the responder answer
// for it); true when it was accepted.
bool RunModal(QDialog& dialog);

// Test seam: the responder in force (empty when dialogs are really shown).
DialogResponder& DialogResponderSlot();

// Answers every dialog shown while the object lives.
class ScopedDialogResponder : public ScopedHook<DialogResponder> {
  public:
    explicit ScopedDialogResponder(DialogResponder responder)
        : ScopedHook(DialogResponderSlot(), std::move(responder)) {}
};

}  // namespace lumigram
