// The workbench's commands: what its menus, tool bar and keys run, each through
// RunCommand. An error ends the command and leaves the package as it was.
#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStringList>
#include <QUndoStack>

#include "app/workbench/batch_replace.h"
#include "app/workbench/before_after.h"
#include "app/workbench/compare_window.h"
#include "app/workbench/member_edit.h"
#include "app/workbench/member_from_file.h"
#include "app/workbench/member_list_model.h"
#include "app/workbench/member_picture.h"
#include "app/workbench/workbench_document.h"
#include "app/workbench/workbench_window.h"
#include "dialogs/dialog_seam.h"
#include "display/zoom_view.h"
#include "package/package_edit.h"
#include "platform/ansi_codepage.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/printable_text.h"

namespace lumigram {
namespace {

const QString kPackageFilter = "EZX files|*.ezx";
const QString kMemberFileFilter = "Pictures and members|*.bmp;*.png;*.gif;*.k;*.g;*.a|All files|*";

QString AskFile(DialogKind kind, const QString& title, const QString& filter, const QString& folder,
                QWidget* parent) {
    DialogRequest request;
    request.kind = kind;
    request.title = title;
    request.filter = filter;
    request.initialDir = folder;
    request.fileMustExist = kind == DialogKind::kOpenFile;
    request.confirmOverwrite = kind == DialogKind::kSaveFile;
    request.defaultExtension = filter == kPackageFilter ? ".ezx" : QString();
    const DialogAnswer answer = ShowModalDialog(request, parent);
    return answer.accepted ? answer.path : QString();
}

QString ShownName(const std::string& storedName) {
    return QString::fromStdString(AnsiToUtf8(storedName));
}

// A name in a menu item's text ("Undo Rename to a&b.k") shows its "&".
QString EscapeMnemonics(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

template <typename Change>
void WorkbenchWindow::Edit(const QString& text, Change change) {
    EditablePackage& package = document_->package();
    std::vector<PackageEntry> before = package.members();
    try {
        change(*document_);
    } catch (...) {
        package.Restore(before);
        throw;
    }
    std::vector<PackageEntry> after = package.members();
    undo_->push(
        new MemberEdit(text, package, std::move(before), std::move(after), [this] { Refresh(); }));
}

void WorkbenchWindow::BrowsePackage() {
    const QString path =
        AskFile(DialogKind::kOpenFile, "Browse package", kPackageFilter, StartFolder(), this);
    if (!path.isEmpty()) {
        OpenPackage(path.toStdString());
    }
}

void WorkbenchWindow::SaveTo(const std::string& path, const InPlaceSaveOptions& options) {
    if (!document_ || document_->readOnly()) {
        throw Error("a damaged package is read-only; Salvage writes its intact members",
                    document_ ? document_->path() : path);
    }
    if (path == document_->path()) {
        // Over the package opened: an edit in place, refused if the file
        // changed on disk since it was opened or last saved (FileChangedError);
        // its lock is held only for the moment of the rename.
        SaveInPlace(document_->package(), path, document_->package().openedStamp(), options);
    } else {
        document_->package().Save(path);
    }
    const std::optional<std::size_t> selected = CurrentMember();
    // The saved package holds the same members in the same order: their
    // thumbnails carry over rather than being made again.
    std::vector<Thumbnail> kept(static_cast<std::size_t>(model_->rowCount()));
    for (int row = 0; row < model_->rowCount(); ++row) {
        const Thumbnail* made = cache_.Find(model_->Key(row));
        if (made != nullptr) {
            kept[static_cast<std::size_t>(row)] = *made;
        }
    }
    keepPreview_ = true;
    try {
        Reopen(path, kept);
        SelectMember(selected);
    } catch (...) {
        keepPreview_ = false;
        throw;
    }
    keepPreview_ = false;
    statusBar()->showMessage(QStringLiteral("Saved %1 members into %2")
                                 .arg(document_->size())
                                 .arg(QString::fromStdString(path)));
}

void WorkbenchWindow::Save() {
    if (!document_) {
        return;
    }
    const std::string path = document_->path();
    const QString name = QString::fromStdString(ExtractFileName(path));
    InPlaceSaveOptions options;
    if (IsPackageWriteProtected(path)) {
        const int answer = AskQuestion(
            "Lumigram workbench",
            QStringLiteral("%1 is write-protected. Save over it all the same?").arg(name),
            {"Save &anyway", "Save &As...", "&Cancel"}, this, 2);
        if (answer == 1) {
            SaveAs();
        }
        if (answer != 0) {
            return;
        }
        options.force = true;
    }
    try {
        SaveTo(path, options);
    } catch (const FileChangedError&) {
        // Another program wrote the package meanwhile: nothing is lost
        // unless the user says so.
        const int answer = AskQuestion(
            "Lumigram workbench",
            QStringLiteral("%1 was changed by another program since you opened it").arg(name),
            {"Save &As...", "&Overwrite", "&Cancel"}, this, 2);
        if (answer == 0) {
            SaveAs();
        }
        if (answer != 1) {
            return;
        }
        options.overwrite = true;
        SaveTo(path, options);
    }
}

void WorkbenchWindow::SaveAs() {
    const QString path =
        AskFile(DialogKind::kSaveFile, "Save package as", kPackageFilter, StartFolder(), this);
    if (!path.isEmpty()) {
        SaveTo(path.toStdString());
    }
}

void WorkbenchWindow::Salvage() {
    if (!document_) {
        return;
    }
    const QString path = AskFile(DialogKind::kSaveFile, "Salvage intact members into",
                                 kPackageFilter, StartFolder(), this);
    if (path.isEmpty()) {
        return;
    }
    OutputRules rules;  // never over the damaged package itself
    if (const auto identity = IdentityOfPath(document_->path())) {
        rules.inputs.push_back(*identity);
    }
    document_->package().Save(path.toStdString(), rules);
    statusBar()->showMessage(QStringLiteral("Salvaged %1 intact members into %2")
                                 .arg(document_->package().members().size())
                                 .arg(path));
}

void WorkbenchWindow::Export(ExportForm form) {
    const std::vector<std::size_t> members = SelectedMembers();
    if (!document_ || members.empty()) {
        throw Error("Select the members to export first", "");
    }
    DialogRequest request;
    request.kind = DialogKind::kDirectory;
    request.title = "Export members into";
    request.initialDir = StartFolder();
    const DialogAnswer answer = ShowModalDialog(request, this);
    if (!answer.accepted) {
        return;
    }
    const OutputFolder folder = OutputFolder::Open(answer.path.toStdString());
    OutputRules rules;
    if (const auto identity = IdentityOfPath(document_->path())) {
        rules.inputs.push_back(*identity);
    }
    // Files of the outputs' names: asked about once, as Open EZX asks.
    int existing = 0;
    for (const std::size_t index : members) {
        existing += folder.Holds(ExportName(document_->package().members()[index].storedName, form))
                        ? 1
                        : 0;
    }
    bool skipExisting = false;
    if (existing > 0) {
        const int choice = AskQuestion(
            "Export",
            QStringLiteral("%1 files in %2 will be replaced").arg(existing).arg(answer.path),
            {"&Replace", "&Skip existing", "&Cancel"}, this);
        if (choice != 0 && choice != 1) {
            return;
        }
        skipExisting = choice == 1;
    }
    const ConversionOptions options = transparency_.AsConversionOptions();
    QStringList failures;
    int written = 0;
    for (const std::size_t index : members) {
        const std::string& storedName = document_->package().members()[index].storedName;
        if (skipExisting && folder.Holds(ExportName(storedName, form))) {
            continue;
        }
        try {
            ExportMember(folder, storedName, document_->package().ReadContent(index), form, options,
                         rules);
            ++written;
        } catch (const std::exception& error) {
            failures << QString::fromStdString(EscapeControls(AnsiToUtf8(storedName)) + ": " +
                                               error.what());
        }
    }
    statusBar()->showMessage(QStringLiteral("Exported %1 of %2 members into %3")
                                 .arg(written)
                                 .arg(members.size())
                                 .arg(answer.path));
    if (!failures.isEmpty()) {
        ShowMessageBox("Export",
                       QStringLiteral("%1 members were not exported:\n\n%2")
                           .arg(failures.size())
                           .arg(failures.join('\n')),
                       MessageIcon::kCritical, this);
    }
}

void WorkbenchWindow::ReplaceMember() {
    const std::vector<std::size_t> members = SelectedMembers();
    if (!document_ || members.size() != 1) {
        throw Error("Select the one member to replace first", "");
    }
    const std::size_t index = members.front();
    const PackageEntry entry = document_->member(index);
    const QString name = ShownName(entry.storedName);
    const QString path =
        AskFile(DialogKind::kOpenFile, "Replace " + name, kMemberFileFilter, StartFolder(), this);
    if (path.isEmpty()) {
        return;
    }
    std::vector<std::uint8_t> bytes = MemberBytesFromFile(entry.storedName, path.toStdString(),
                                                          transparency_.AsConversionOptions());
    // Before and after, side by side, until the user says which.
    QImage now;
    QImage replacement;
    try {
        now = document_->MemberImage(index, transparency_.enabled);
        replacement =
            DecodeMemberPicture(entry.storedName, bytes, transparency_.enabled, path.toStdString());
    } catch (const std::exception&) {
        // A picture that does not decode shows as "(none)"; the bytes still go in.
    }
    pending_ = PendingReplace{index, entry, std::move(bytes)};
    beforeAfter_->Show(name + QStringLiteral(" now"), now,
                       QFileInfo(path).fileName() + QStringLiteral(" in its place"), replacement);
    previewStack_->setCurrentWidget(beforeAfter_);
    statusBar()->showMessage(QStringLiteral("Enter replaces %1 with %2; Esc keeps it")
                                 .arg(name, QFileInfo(path).fileName()));
    UpdateTitleAndActions();
}

void WorkbenchWindow::AcceptReplace() {
    if (!pending_ || !document_) {
        return;
    }
    PendingReplace replace = std::move(*pending_);
    pending_.reset();
    previewStack_->setCurrentWidget(previewArea_);
    statusBar()->clearMessage();
    UpdateTitleAndActions();
    if (replace.index >= document_->size() ||
        document_->Find(replace.entry) != static_cast<std::ptrdiff_t>(replace.index)) {
        throw Error("the member to replace has changed meanwhile; nothing was replaced", "");
    }
    const QString name = ShownName(replace.entry.storedName);
    Edit("Replace " + EscapeMnemonics(name), [&](WorkbenchDocument& document) {
        document.Replace(replace.index, std::move(replace.bytes));
    });
    SelectMember(replace.index);
    ShowSelected();
}

void WorkbenchWindow::CancelReplace() {
    if (!pending_) {
        return;
    }
    pending_.reset();
    previewStack_->setCurrentWidget(previewArea_);
    statusBar()->clearMessage();
    UpdateTitleAndActions();
}

void WorkbenchWindow::AddMember() {
    if (!document_) {
        return;
    }
    const QString path =
        AskFile(DialogKind::kOpenFile, "Add to package", kMemberFileFilter, StartFolder(), this);
    if (path.isEmpty()) {
        return;
    }
    MemberFromFile member = MemberForFile(path.toStdString(), transparency_.AsConversionOptions());
    const std::string storedName = member.storedName;
    if (document_->package().Find(storedName)) {
        throw FormatError(
            "the package holds a member " + AnsiToUtf8(storedName) + " already; Replace changes it",
            path.toStdString());
    }
    std::vector<std::uint8_t> bytes = std::move(member.bytes);
    std::size_t added = 0;
    Edit("Add " + EscapeMnemonics(ShownName(storedName)),
         [&](WorkbenchDocument& document) { added = document.Add(storedName, std::move(bytes)); });
    SelectMember(added);
}

void WorkbenchWindow::ReplaceFromFolder() {
    if (!document_) {
        return;
    }
    DialogRequest request;
    request.kind = DialogKind::kDirectory;
    request.title = "Replace members from the files in";
    request.initialDir = StartFolder();
    const DialogAnswer answer = ShowModalDialog(request, this);
    if (answer.accepted) {
        ReplaceFromFiles({answer.path});
    }
}

void WorkbenchWindow::ReplaceFromFiles(const QStringList& paths) {
    if (!document_ || document_->readOnly()) {
        return;
    }
    BatchPlan plan = PlanBatch(FilesToOffer(paths), document_->package().members(),
                               transparency_.AsConversionOptions());
    delete batchList_;
    batchList_ = new BatchReplaceDialog(plan, this);
    if (!RunModal(*batchList_) || plan.replaced + plan.added == 0) {
        return;
    }
    std::optional<std::size_t> last;
    Edit(QStringLiteral("Replace from files: %1 replaced, %2 added")
             .arg(plan.replaced)
             .arg(plan.added),
         [&](WorkbenchDocument& document) {
             // Replaced first, at the places planned; then added where pack puts them.
             for (BatchStep& made : plan.steps) {
                 if (made.step.action == IntakeStep::Action::kReplace) {
                     document.Replace(made.step.member, std::move(made.bytes));
                     last = made.step.member;
                 }
             }
             for (BatchStep& made : plan.steps) {
                 if (made.step.action == IntakeStep::Action::kAdd) {
                     last = document.Add(made.step.plan.storedName, std::move(made.bytes));
                 }
             }
         });
    SelectMember(last);
    statusBar()->showMessage(QStringLiteral("%1 members replaced, %2 added, %3 files skipped")
                                 .arg(plan.replaced)
                                 .arg(plan.added)
                                 .arg(plan.skipped));
}

void WorkbenchWindow::DeleteMembers() {
    const std::vector<std::size_t> members = SelectedMembers();
    if (!document_ || members.empty()) {
        return;
    }
    const QString what =
        members.size() == 1
            ? "Delete " + EscapeMnemonics(ShownName(document_->member(members.front()).storedName))
            : QStringLiteral("Delete %1 members").arg(members.size());
    Edit(what, [&](WorkbenchDocument& document) { document.Remove(members); });
    // The member after the first one deleted, or the last one left.
    if (document_->size() > 0) {
        SelectMember(std::min(members.front(), document_->size() - 1));
    }
}

void WorkbenchWindow::RenameMember(int row, const QString& newName) {
    if (!document_ || document_->readOnly() || row < 0 ||
        static_cast<std::size_t>(row) >= document_->size()) {
        return;
    }
    const std::optional<std::string> stored = Utf8ToAnsi(newName.toStdString());
    if (!stored) {
        throw FormatError("cannot be a member's name: it has characters a package cannot store",
                          newName.toStdString());
    }
    std::size_t now = static_cast<std::size_t>(row);
    Edit("Rename to " + EscapeMnemonics(newName), [&](WorkbenchDocument& document) {
        now = document.Rename(static_cast<std::size_t>(row), *stored);
    });
    SelectMember(now);
}

void WorkbenchWindow::CompareWith() {
    if (!document_) {
        return;
    }
    const QString path =
        AskFile(DialogKind::kOpenFile, "Compare with", kPackageFilter, StartFolder(), this);
    if (!path.isEmpty()) {
        ShowComparison(document_->path(), path.toStdString());
    }
}

CompareWindow& WorkbenchWindow::ShowComparison(const std::string& before,
                                               const std::string& after) {
    if (compare_ == nullptr) {
        compare_ = new CompareWindow(this);
    }
    compare_->SetTransparency(transparency_);
    compare_->Compare(before, after);
    compare_->show();
    compare_->raise();
    compare_->activateWindow();
    return *compare_;
}

}  // namespace lumigram
