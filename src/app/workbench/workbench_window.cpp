#include "app/workbench/workbench_window.h"

#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/error_box.h"
#include "app/workbench/member_list_model.h"
#include "app/workbench/member_picture.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_document.h"
#include "dialogs/dialog_seam.h"
#include "display/preview_image.h"
#include "platform/ansi_codepage.h"
#include "platform/path.h"

namespace lumigram {
namespace {

constexpr std::array<int, 4> kZoomSteps = {1, 2, 4, 8};

QString ShownName(const std::string& storedName) {
    return QString::fromStdString(AnsiToUtf8(storedName));
}

}  // namespace

WorkbenchWindow::WorkbenchWindow(std::string scratchFolder, QWidget* parent)
    : QMainWindow(parent, Qt::Window), scratchFolder_(std::move(scratchFolder)) {
    setObjectName("Workbench");
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(900, 600);
    undo_ = new QUndoStack(this);
    loader_ = new ThumbnailLoader(this);
    model_ = new MemberListModel(cache_, this);
    filter_ = new QSortFilterProxyModel(this);
    filter_->setSourceModel(model_);
    filter_->setFilterRole(MemberListModel::kNameRole);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    BuildActions();
    BuildLayout();
    connect(loader_, &ThumbnailLoader::loaded, this, &WorkbenchWindow::ThumbnailLoaded);
    connect(model_, &MemberListModel::renameRequested, this, &WorkbenchWindow::RenameMember);
    connect(undo_, &QUndoStack::cleanChanged, this, [this] { UpdateTitleAndActions(); });
    UpdateTitleAndActions();
}

WorkbenchWindow::~WorkbenchWindow() {
    undo_->clear();  // its steps refer to the package
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
    preview_ = new TPreviewImage(split);
    preview_->setObjectName("MemberPreview");
    preview_->SetCheckerboard(true);
    preview_->setMinimumSize(240, 300);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    column->addWidget(split, 1);
    setCentralWidget(client);
    details_ = new QLabel(statusBar());
    details_->setObjectName("MemberDetails");
    statusBar()->addPermanentWidget(details_);

    connect(filterBox_, &QLineEdit::textChanged, filter_,
            &QSortFilterProxyModel::setFilterFixedString);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ShowSelected(); });
}

void WorkbenchWindow::BuildActions() {
    const auto make = [this](const char* name, const QString& caption,
                             const QList<QKeySequence>& keys = {}) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        action->setShortcuts(keys);
        return action;
    };
    browseAction = make("Browse", "&Browse package...", {QKeySequence("Ctrl+B")});
    saveAction = make("Save", "&Save", {QKeySequence("Ctrl+S")});
    saveAsAction = make("SaveAs", "Save &As...");
    salvageAction = make("Salvage", "Sal&vage...");
    undoAction = undo_->createUndoAction(this, "&Undo");
    undoAction->setShortcuts({QKeySequence("Ctrl+Z")});
    redoAction = undo_->createRedoAction(this, "&Redo");
    redoAction->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    replaceAction = make("Replace", "Re&place...");
    addMemberAction = make("Add", "&Add...");
    deleteAction = make("Delete", "&Delete", {QKeySequence::Delete});
    renameAction = make("Rename", "Re&name", {QKeySequence("F2")});
    exportAction = make("Export", "&Export...");
    exportPngAction = make("ExportPng", "Export as P&NG...");
    exportBmpAction = make("ExportBmp", "Export as B&MP...");

    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({browseAction, saveAction, saveAsAction, salvageAction});
    file->addSeparator();
    file->addAction("&Close", this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({undoAction, redoAction});
    edit->addSeparator();
    edit->addActions({replaceAction, addMemberAction, deleteAction, renameAction});
    edit->addSeparator();
    edit->addActions({exportAction, exportPngAction, exportBmpAction});
    QMenu* view = menuBar()->addMenu("&View");
    QAction* zoomIn = view->addAction("Zoom &In", this, [this] { StepZoom(+1); });
    zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence("Ctrl+=")});
    view->addAction("Zoom &Out", this, [this] { StepZoom(-1); })
        ->setShortcuts(QKeySequence::ZoomOut);
    view->addAction("&Actual Size", this, [this] { preview_->SetZoom(1); })
        ->setShortcut(QKeySequence("Ctrl+0"));
    view->addAction("&Fit to Window", this, [this] { preview_->SetZoom(TPreviewImage::kZoomFit); });

    connect(browseAction, &QAction::triggered, this, &WorkbenchWindow::BrowsePackage);
    connect(saveAction, &QAction::triggered, this, &WorkbenchWindow::Save);
    connect(saveAsAction, &QAction::triggered, this, &WorkbenchWindow::SaveAs);
    connect(salvageAction, &QAction::triggered, this, &WorkbenchWindow::Salvage);
    connect(replaceAction, &QAction::triggered, this, &WorkbenchWindow::ReplaceMember);
    connect(addMemberAction, &QAction::triggered, this, &WorkbenchWindow::AddMember);
    connect(deleteAction, &QAction::triggered, this, &WorkbenchWindow::DeleteMembers);
    connect(renameAction, &QAction::triggered, this, [this] {
        if (grid_->currentIndex().isValid()) {
            grid_->edit(grid_->currentIndex());
        }
    });
    connect(exportAction, &QAction::triggered, this, [this] { Export(ExportForm::kAsStored); });
    connect(exportPngAction, &QAction::triggered, this, [this] { Export(ExportForm::kPng); });
    connect(exportBmpAction, &QAction::triggered, this, [this] { Export(ExportForm::kBmp); });
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
    for (QAction* action :
         {saveAction, saveAsAction, replaceAction, addMemberAction, deleteAction, renameAction}) {
        action->setEnabled(editable);
    }
    salvageAction->setEnabled(open && document_->readOnly());
    for (QAction* action : {exportAction, exportPngAction, exportBmpAction}) {
        action->setEnabled(open);
    }
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
                    {"Save", "Discard", "Cancel"}, this);
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
    return true;
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
    if (!keepPreview_) {
        preview_->SetPicture(nullptr);
        details_->clear();
    }
    Refresh();
    UpdateTitleAndActions();
    if (document_->readOnly()) {
        statusBar()->showMessage(
            QStringLiteral("Damaged package: read-only; %1 intact members can be exported or "
                           "salvaged")
                .arg(document_->package().members().size()));
    } else {
        statusBar()->showMessage(
            QStringLiteral("%1 members").arg(document_->package().members().size()));
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
    const QModelIndex current = grid_->currentIndex();
    const std::string selected = current.isValid()
                                     ? model_->Entry(filter_->mapToSource(current).row()).storedName
                                     : std::string();
    model_->SetMembers(members, std::move(keys));
    SelectMember(selected);
    UpdateTitleAndActions();
}

void WorkbenchWindow::SelectMember(const std::string& storedName) {
    const int row = storedName.empty() ? -1 : model_->RowOf(storedName);
    const QModelIndex at = row < 0 ? QModelIndex() : filter_->mapFromSource(model_->index(row));
    grid_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    if (!at.isValid()) {
        preview_->SetPicture(nullptr);
        details_->clear();
    }
}

void WorkbenchWindow::ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail) {
    cache_.Insert(key, thumbnail);
    model_->ThumbnailReady(key);
}

void WorkbenchWindow::ShowSelected() {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid() || !document_ || keepPreview_) {
        return;
    }
    const int row = filter_->mapToSource(current).row();
    const PackageEntry& entry = model_->Entry(row);
    const QString name = ShownName(entry.storedName);
    QString details = QStringLiteral("%1 \u2014 %2 bytes").arg(name).arg(entry.size);
    TFilePicture picture;
    try {
        const std::vector<std::uint8_t> bytes =
            document_->package().ReadContent(static_cast<std::size_t>(row));
        const QImage image =
            DecodeMemberPicture(entry.storedName, bytes, transparency_.enabled, name.toStdString());
        if (!image.isNull()) {
            details +=
                QStringLiteral(" \u2014 %1 \u00D7 %2").arg(image.width()).arg(image.height());
            QBuffer buffer;
            buffer.open(QIODevice::ReadWrite);
            image.save(&buffer, "PNG", 100);  // stored, not compressed: it is read at once
            buffer.seek(0);
            picture.LoadFromStream(&buffer);
        }
    } catch (const std::exception& error) {
        details += QStringLiteral(" \u2014 ") + QString::fromStdString(error.what());
    }
    preview_->SetPicture(picture.GetEmpty() ? nullptr : &picture);
    details_->setText(details);
}

void WorkbenchWindow::StepZoom(int direction) {
    const int zoom = preview_->Zoom();
    if (zoom == TPreviewImage::kZoomFit) {
        preview_->SetZoom(direction > 0 ? kZoomSteps[1] : kZoomSteps[0]);
        return;
    }
    const auto step = std::find(kZoomSteps.begin(), kZoomSteps.end(), zoom);
    const auto index =
        std::clamp<std::ptrdiff_t>((step - kZoomSteps.begin()) + direction, 0,
                                   static_cast<std::ptrdiff_t>(kZoomSteps.size()) - 1);
    preview_->SetZoom(kZoomSteps[static_cast<std::size_t>(index)]);
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
    // Changes discarded are gone: the next open starts from the file.
    undo_->clear();
    loader_->Cancel();
    requested_.clear();
    document_.reset();
    model_->SetMembers({}, {});
    preview_->SetPicture(nullptr);
    details_->clear();
    UpdateTitleAndActions();
    QMainWindow::closeEvent(event);
}

}  // namespace lumigram
