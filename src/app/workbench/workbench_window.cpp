#include "app/workbench/workbench_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "app/command.h"
#include "app/window_placement.h"
#include "app/workbench/before_after.h"
#include "app/workbench/compare_window.h"
#include "app/workbench/member_list_model.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_document.h"
#include "app/zoom_actions.h"
#include "dialogs/dialog_seam.h"
#include "display/preview_image.h"
#include "display/zoom_view.h"
#include "package/package_edit.h"
#include "platform/ansi_codepage.h"
#include "platform/path.h"

namespace lumigram {
namespace {

const QString kPlaceKey = QStringLiteral("workbench");

QString ShownName(const std::string& storedName) {
    return QString::fromStdString(AnsiToUtf8(storedName));
}

// Where the workbench first opens: 900 x 600, centred on the main screen.
QRect DefaultPlace() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect place(0, 0, 900, 600);
    place.moveCenter(room.center());
    return place;
}

}  // namespace

WorkbenchWindow::WorkbenchWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName("Workbench");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAcceptDrops(true);  // files and folders dropped replace members
    undo_ = new QUndoStack(this);
    watcher_ = new QFileSystemWatcher(this);
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(250);
    loader_ = new ThumbnailLoader(this);
    model_ = new MemberListModel(cache_, this);
    filter_ = new QSortFilterProxyModel(this);
    filter_->setSourceModel(model_);
    filter_->setFilterRole(MemberListModel::kNameRole);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    BuildLayout();
    BuildActions();
    BuildMenusAndToolBar();
    setMinimumSize(420, 320);
    PlaceWindow(*this, kPlaceKey, DefaultPlace());
    connect(loader_, &ThumbnailLoader::loaded, this,
            [this](quint64 key, const Thumbnail& thumbnail) {
                RunCommand([&] { ThumbnailLoaded(key, thumbnail); });
            });
    connect(model_, &MemberListModel::renameRequested, this,
            [this](int row, const QString& name) { RunCommand([&] { RenameMember(row, name); }); });
    connect(undo_, &QUndoStack::cleanChanged, this, [this] { UpdateTitleAndActions(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this,
            [this] { RunCommand([this] { PackageChangedOnDisk(); }); });
    UpdateTitleAndActions();
}

void WorkbenchWindow::Watch() {
    if (!watcher_->files().isEmpty()) {
        watcher_->removePaths(watcher_->files());
    }
    if (document_) {
        // A file replaced by a rename is a new file: watched again each time.
        watcher_->addPath(QString::fromStdString(document_->path()));
    }
}

void WorkbenchWindow::PackageChangedOnDisk() {
    if (!document_) {
        return;
    }
    Watch();
    const std::string& path = document_->path();
    const QString name = QString::fromStdString(ExtractFileName(path));
    const std::optional<FileStamp> now = PackageStampNow(path);
    if (now && now == document_->package().openedStamp()) {
        return;  // this window's own save, or nothing that matters
    }
    if (!now) {
        statusBar()->showMessage(
            QStringLiteral("%1 is no longer on disk; Save asks before it writes it again")
                .arg(name));
        return;
    }
    if (modified() || pending_) {
        statusBar()->showMessage(
            QStringLiteral("%1 was changed by another program; Save asks what to do").arg(name));
        return;
    }
    const std::optional<std::size_t> shown = CurrentMember();
    Reopen(path);
    if (shown && document_->size() > 0) {
        SelectMember(std::min(*shown, document_->size() - 1));
    }
    statusBar()->showMessage(
        QStringLiteral("%1 was changed by another program: reloaded").arg(name));
}

WorkbenchWindow::~WorkbenchWindow() {
    undo_->clear();  // its steps refer to the package
}

TPreviewImage* WorkbenchWindow::preview() const {
    return previewArea_->preview();
}

void WorkbenchWindow::BuildLayout() {
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    findings_ = new QListWidget(client);
    findings_->setObjectName("Findings");
    findings_->setMaximumHeight(110);
    findings_->hide();
    column->addWidget(findings_);
    filterBox_ = new QLineEdit(client);
    filterBox_->setObjectName("Filter");
    filterBox_->setPlaceholderText("Filter by name");
    filterBox_->setClearButtonEnabled(true);
    column->addWidget(filterBox_);
    auto* split = new QSplitter(client);
    grid_ = new QListView(split);
    grid_->setObjectName("Members");
    grid_->setViewMode(QListView::IconMode);
    grid_->setResizeMode(QListView::Adjust);
    grid_->setMovement(QListView::Static);
    grid_->setWordWrap(true);
    grid_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    grid_->setUniformItemSizes(true);
    grid_->setGridSize(kCellSize + QSize(6, 6));
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    grid_->setModel(filter_);
    grid_->setMinimumWidth(kCellSize.width() + 30);
    grid_->setAcceptDrops(false);  // a drop goes to the window: batch replace
    grid_->viewport()->setAcceptDrops(false);
    previewStack_ = new QStackedWidget(split);
    previewArea_ = new TZoomView(previewStack_);
    previewArea_->setObjectName("MemberPreview");
    previewArea_->preview()->setObjectName("MemberPicture");
    previewArea_->preview()->SetCheckerboard(true);
    previewArea_->preview()->SetPlaceholder("Select a member");
    previewArea_->setMinimumSize(200, 200);
    previewStack_->addWidget(previewArea_);
    beforeAfter_ = new BeforeAfterPanel(previewStack_);
    beforeAfter_->setObjectName("BeforeAfter");
    previewStack_->addWidget(beforeAfter_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    column->addWidget(split, 1);
    setCentralWidget(client);
    count_ = new QLabel(statusBar());
    count_->setObjectName("MemberCount");
    statusBar()->addPermanentWidget(count_);
    details_ = new QLabel(statusBar());
    details_->setObjectName("MemberDetails");
    statusBar()->addPermanentWidget(details_);
    zoomInfo_ = new QLabel(statusBar());
    zoomInfo_->setObjectName("ZoomInfo");
    statusBar()->addPermanentWidget(zoomInfo_);

    connect(filterBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_->setFilterFixedString(text);
        ShowCount();
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        RunCommand([this] {
            if (pending_) {
                CancelReplace();  // the replacement was for the member shown before
            }
            ShowSelected();
        });
    });
    connect(previewArea_, &TZoomView::zoomChanged, this,
            [this] { zoomInfo_->setText(previewArea_->ZoomText()); });
}

void WorkbenchWindow::BuildActions() {
    // Every action of the workbench, with its caption (an access key unique in
    // its menu), shortcuts, themed icon and command.
    struct Spec {
        QAction*& action;
        const char* name;
        const char* caption;
        QList<QKeySequence> keys;
        const char* icon;  // the desktop theme's name
        QStyle::StandardPixmap fallback;
        std::function<void()> command;
    };
    constexpr QStyle::StandardPixmap kNoIcon = QStyle::SP_CustomBase;
    const Spec specs[] = {
        {browseAction,
         "Browse",
         "&Browse package...",
         {QKeySequence("Ctrl+B")},
         "document-open",
         QStyle::SP_DialogOpenButton,
         [this] { BrowsePackage(); }},
        {saveAction,
         "Save",
         "&Save",
         {QKeySequence::Save},
         "document-save",
         QStyle::SP_DialogSaveButton,
         [this] { Save(); }},
        {saveAsAction,
         "SaveAs",
         "Save &As...",
         {},
         "document-save-as",
         kNoIcon,
         [this] { SaveAs(); }},
        {compareAction,
         "Compare",
         "Co&mpare with...",
         {},
         "edit-copy",
         QStyle::SP_FileDialogContentsView,
         [this] { CompareWith(); }},
        {salvageAction, "Salvage", "Sal&vage...", {}, "", kNoIcon, [this] { Salvage(); }},
        {closeAction,
         "Close",
         "&Close",
         {QKeySequence::Close},
         "window-close",
         kNoIcon,
         [this] { close(); }},
        {replaceAction,
         "Replace",
         "Re&place...",
         {},
         "edit-find-replace",
         QStyle::SP_BrowserReload,
         [this] { ReplaceMember(); }},
        {replaceFromFolderAction,
         "ReplaceFromFolder",
         "Replace from &folder...",
         {},
         "",
         kNoIcon,
         [this] { ReplaceFromFolder(); }},
        {addMemberAction,
         "Add",
         "&Add...",
         {},
         "list-add",
         QStyle::SP_FileDialogNewFolder,
         [this] { AddMember(); }},
        {deleteAction,
         "Delete",
         "&Delete",
         {QKeySequence::Delete},
         "edit-delete",
         QStyle::SP_TrashIcon,
         [this] { DeleteMembers(); }},
        {renameAction,
         "Rename",
         "Re&name",
         {QKeySequence("F2")},
         "",
         kNoIcon,
         [this] {
             if (grid_->currentIndex().isValid()) {
                 grid_->edit(grid_->currentIndex());
             }
         }},
        {exportAction,
         "Export",
         "&Export...",
         {},
         "document-send",
         QStyle::SP_DriveFDIcon,
         [this] { Export(ExportForm::kAsStored); }},
        {exportPngAction,
         "ExportPng",
         "Export as PN&G...",
         {},
         "",
         kNoIcon,
         [this] { Export(ExportForm::kPng); }},
        {exportBmpAction,
         "ExportBmp",
         "Export as B&MP...",
         {},
         "",
         kNoIcon,
         [this] { Export(ExportForm::kBmp); }},
        {acceptReplaceAction,
         "AcceptReplace",
         "Use the replacement",
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
         "",
         kNoIcon,
         [this] { AcceptReplace(); }},
        {cancelReplaceAction,
         "CancelReplace",
         "Keep the member",
         {QKeySequence(Qt::Key_Escape)},
         "",
         kNoIcon,
         [this] { CancelReplace(); }},
    };
    for (const Spec& spec : specs) {
        spec.action = new QAction(spec.caption, this);
        spec.action->setObjectName(spec.name);
        spec.action->setShortcuts(spec.keys);
        if (*spec.icon != '\0') {
            spec.action->setIcon(QIcon::fromTheme(
                spec.icon,
                spec.fallback == kNoIcon ? QIcon() : style()->standardIcon(spec.fallback)));
        }
        ConnectCommand(spec.action, &QAction::triggered, this, spec.command);
    }
    undoAction = undo_->createUndoAction(this, "&Undo");
    undoAction->setShortcuts(QKeySequence::Undo);
    undoAction->setIcon(QIcon::fromTheme("edit-undo", style()->standardIcon(QStyle::SP_ArrowBack)));
    redoAction = undo_->createRedoAction(this, "&Redo");
    redoAction->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    redoAction->setIcon(
        QIcon::fromTheme("edit-redo", style()->standardIcon(QStyle::SP_ArrowForward)));
    // Enter and Esc belong to the replacement shown, only while it is.
    addActions({acceptReplaceAction, cancelReplaceAction});
    acceptReplaceAction->setEnabled(false);
    cancelReplaceAction->setEnabled(false);
}

void WorkbenchWindow::BuildMenusAndToolBar() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({browseAction, saveAction, saveAsAction, compareAction, salvageAction});
    file->addSeparator();
    file->addAction(closeAction);
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({undoAction, redoAction});
    edit->addSeparator();
    edit->addActions(
        {replaceAction, replaceFromFolderAction, addMemberAction, deleteAction, renameAction});
    edit->addSeparator();
    edit->addActions({exportAction, exportPngAction, exportBmpAction});
    viewMenu_ = menuBar()->addMenu("&View");
    AddZoomActions(*viewMenu_, *previewArea_);

    toolBar_ = addToolBar("Tools");
    toolBar_->setObjectName("WorkbenchTools");
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->addActions({saveAction, undoAction, redoAction});
    toolBar_->addSeparator();
    toolBar_->addActions({addMemberAction, replaceAction, deleteAction, exportAction});
    toolBar_->addSeparator();
    toolBar_->addAction(compareAction);
}

bool WorkbenchWindow::modified() const {
    return !undo_->isClean();
}

void WorkbenchWindow::UpdateTitleAndActions() {
    const bool open = document_ != nullptr;
    const bool editable = open && !document_->readOnly();
    QString title = QStringLiteral("Lumigram workbench");
    if (open) {
        title = QString::fromStdString(ExtractFileName(document_->path())) +
                (document_->readOnly() ? QStringLiteral(" (damaged, read-only)") : QString()) +
                QStringLiteral("[*] \u2014 ") + title;
    }
    setWindowTitle(title);
    setWindowModified(modified());
    for (QAction* action : {saveAction, saveAsAction, replaceAction, replaceFromFolderAction,
                            addMemberAction, deleteAction, renameAction}) {
        action->setEnabled(editable && !pending_);
    }
    salvageAction->setEnabled(open && document_->readOnly());
    for (QAction* action : {exportAction, exportPngAction, exportBmpAction, compareAction}) {
        action->setEnabled(open);
    }
    acceptReplaceAction->setEnabled(pending_.has_value());
    cancelReplaceAction->setEnabled(pending_.has_value());
    model_->SetEditable(editable);
}

bool WorkbenchWindow::ResolveUnsaved() {
    if (!modified()) {
        return true;
    }
    const int answer =
        AskQuestion("Lumigram workbench",
                    QStringLiteral("Save the changes to %1?")
                        .arg(QString::fromStdString(ExtractFileName(document_->path()))),
                    {"&Save", "&Discard", "&Cancel"}, this);
    if (answer == 1) {
        return true;
    }
    if (answer != 0) {
        return false;
    }
    try {
        Save();
    } catch (const std::exception& error) {
        ShowErrorBox(error);
        return false;
    }
    return !modified();
}

bool WorkbenchWindow::OpenPackage(const std::string& path) {
    if (!ResolveUnsaved()) {
        return false;
    }
    Reopen(path);
    return true;
}

void WorkbenchWindow::Reopen(const std::string& path,
                             const std::vector<Thumbnail>& keptThumbnails) {
    std::unique_ptr<WorkbenchDocument> opened = WorkbenchDocument::Open(path);
    if (pending_) {
        CancelReplace();
    }
    undo_->clear();
    loader_->Cancel();
    requested_.clear();
    cache_.Clear();
    document_ = std::move(opened);
    const std::vector<PackageEntry>& members = document_->package().members();
    if (keptThumbnails.size() == members.size()) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (!keptThumbnails[i].image.isNull() || !keptThumbnails[i].error.isEmpty() ||
                keptThumbnails[i].size.isValid()) {
                cache_.Insert(cache_.KeyOf(members[i]), keptThumbnails[i]);
            }
        }
    }
    findings_->clear();
    for (const PackageFinding& finding : document_->findings().findings) {
        findings_->addItem(
            (finding.member ? QStringLiteral("member %1: ").arg(*finding.member) : QString()) +
            QString::fromLatin1(FindingSeverityName(finding.severity)) + QStringLiteral(": ") +
            QString::fromStdString(finding.message));
    }
    findings_->setVisible(document_->readOnly());
    Watch();
    if (!keepPreview_) {
        ShowImage(*previewArea_, {}, "Select a member");
        details_->clear();
        filterBox_->clear();
    }
    Refresh();
    UpdateTitleAndActions();
    if (document_->readOnly()) {
        statusBar()->showMessage(
            QStringLiteral("Damaged package: read-only; %1 intact members can be exported or "
                           "salvaged")
                .arg(document_->size()));
    } else if (!keepPreview_) {
        statusBar()->clearMessage();  // what was said was about the package before
    }
}

void WorkbenchWindow::SetTransparency(const Transparency& transparency) {
    if (transparency == transparency_) {
        return;
    }
    transparency_ = transparency;
    loader_->Cancel();
    requested_.clear();
    cache_.Clear();
    if (document_) {
        Refresh();
        ShowSelected();
    }
}

void WorkbenchWindow::Refresh() {
    const std::optional<std::size_t> current = CurrentMember();
    const std::optional<PackageEntry> selected =
        current && *current < static_cast<std::size_t>(model_->rowCount())
            ? std::optional<PackageEntry>(model_->Entry(static_cast<int>(*current)))
            : std::nullopt;
    const std::vector<PackageEntry>& members = document_->package().members();
    std::vector<quint64> keys;
    keys.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const quint64 key = cache_.KeyOf(members[i]);
        keys.push_back(key);
        if (cache_.Find(key) == nullptr && !requested_.contains(key)) {
            requested_.insert(key);
            loader_->Load(key, document_->SourceOf(i), transparency_.enabled);
        }
    }
    model_->SetMembers(members, std::move(keys));
    std::optional<std::size_t> again;
    if (selected) {
        if (const std::ptrdiff_t at = document_->Find(*selected); at >= 0) {
            again = static_cast<std::size_t>(at);
        }
    }
    SelectMember(again);
    ShowCount();
    UpdateTitleAndActions();
}

void WorkbenchWindow::ShowCount() {
    const int all = model_->rowCount();
    const int shown = filter_->rowCount();
    count_->setText(filterBox_->text().isEmpty()
                        ? QStringLiteral("%1 members").arg(all)
                        : QStringLiteral("%1 of %2 members").arg(shown).arg(all));
}

std::optional<std::size_t> WorkbenchWindow::CurrentMember() const {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(filter_->mapToSource(current).row());
}

void WorkbenchWindow::SelectMember(std::optional<std::size_t> index) {
    const QModelIndex at = index && *index < static_cast<std::size_t>(model_->rowCount())
                               ? filter_->mapFromSource(model_->index(static_cast<int>(*index)))
                               : QModelIndex();
    grid_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    if (!at.isValid()) {
        ShowImage(*previewArea_, {}, "Select a member");
        details_->clear();
    }
}

void WorkbenchWindow::ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail) {
    cache_.Insert(key, thumbnail);
    model_->ThumbnailReady(key);
}

void WorkbenchWindow::ShowSelected() {
    const std::optional<std::size_t> index = CurrentMember();
    if (!index || !document_ || keepPreview_) {
        return;
    }
    const PackageEntry& entry = document_->member(*index);
    QString details =
        QStringLiteral("%1 \u2014 %2 bytes").arg(ShownName(entry.storedName)).arg(entry.size);
    QImage image;
    QString placeholder = QStringLiteral("%1 holds no picture").arg(ShownName(entry.storedName));
    try {
        // The member's own pixels, straight from its bytes in memory.
        image = document_->MemberImage(*index, transparency_.enabled);
        if (!image.isNull()) {
            details +=
                QStringLiteral(" \u2014 %1 \u00D7 %2").arg(image.width()).arg(image.height());
        }
    } catch (const std::exception& error) {
        details += QStringLiteral(" \u2014 ") + QString::fromStdString(error.what());
        placeholder = QString::fromStdString(error.what());
    }
    ShowImage(*previewArea_, image, placeholder);
    details_->setText(details);
}

std::vector<std::size_t> WorkbenchWindow::SelectedMembers() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes()) {
        rows.push_back(static_cast<std::size_t>(filter_->mapToSource(index).row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString WorkbenchWindow::StartFolder() const {
    return document_ ? QFileInfo(QString::fromStdString(document_->path())).absolutePath()
                     : QDir::homePath();
}

void WorkbenchWindow::closeEvent(QCloseEvent* event) {
    if (!ResolveUnsaved()) {
        event->ignore();
        return;
    }
    RememberPlace(*this, kPlaceKey);
    // Changes discarded are gone: the next open starts from the file.
    pending_.reset();
    undo_->clear();
    loader_->Cancel();
    requested_.clear();
    document_.reset();
    Watch();
    model_->SetMembers({}, {});
    previewStack_->setCurrentWidget(previewArea_);
    ShowImage(*previewArea_, {}, "Select a member");
    details_->clear();
    count_->clear();
    UpdateTitleAndActions();
    QMainWindow::closeEvent(event);
    emit closed();
}

void WorkbenchWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (document_ && !document_->readOnly() && !urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void WorkbenchWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // After the drop has ended: the list asks the user, modally.
    QMetaObject::invokeMethod(
        this, [this, paths] { RunCommand([&] { ReplaceFromFiles(paths); }); },
        Qt::QueuedConnection);
}

}  // namespace lumigram
