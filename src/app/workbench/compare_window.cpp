#include "app/workbench/compare_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/command.h"
#include "app/window_placement.h"
#include "app/workbench/before_after.h"
#include "app/workbench/member_bytes.h"
#include "app/workbench/member_picture.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/zoom_actions.h"
#include "display/preview_image.h"
#include "display/zoom_view.h"
#include "package/editable_package.h"
#include "platform/ansi_codepage.h"
#include "platform/path.h"

namespace lumigram {
namespace {

const QString kPlaceKey = QStringLiteral("compare");

QString ShownName(const std::string& storedName) {
    return QString::fromStdString(AnsiToUtf8(storedName));
}

quint64 KeyOf(std::size_t index, bool newer) {
    return (static_cast<quint64>(index) << 1) | (newer ? 1 : 0);
}

}  // namespace

// One package of the two: opened as diff opens it, with a handle of its own for
// the thumbnail readers.
struct CompareWindow::Side {
    std::string path;
    EditablePackage package;
    std::shared_ptr<SharedPackageFile> reader;

    static std::unique_ptr<Side> Open(const std::string& path) {
        auto side = std::make_unique<Side>();
        side->path = path;
        side->package = EditablePackage::Open(path);
        side->reader = std::make_shared<SharedPackageFile>(ByteFile::OpenRead(path));
        return side;
    }
    // The member at a record's position; none for a record with an empty name,
    // which diff counts after the members and which has no picture to show.
    std::optional<std::size_t> MemberAt(std::size_t position) const {
        return position < package.members().size() ? std::optional(position) : std::nullopt;
    }
    QString FileName() const { return QString::fromStdString(ExtractFileName(path)); }
};

CompareWindow::CompareWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName("Compare");
    setWindowTitle("Lumigram compare");
    loader_ = new ThumbnailLoader(this);
    auto* split = new QSplitter(this);
    list_ = new QTreeWidget(split);
    list_->setObjectName("Differences");
    list_->setColumnCount(4);
    list_->setHeaderLabels({"Change", "Member", "Old", "New"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    // Widths set once a list is made: measured on every thumbnail that
    // arrives, 500 rows would be measured 1000 times.
    list_->header()->setSectionResizeMode(QHeaderView::Interactive);
    auto* right = new QWidget(split);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    caption_ = new QLabel(right);
    caption_->setObjectName("Shown");
    column->addWidget(caption_);
    view_ = new TZoomView(right);
    view_->preview()->SetCheckerboard(true);
    view_->preview()->SetPlaceholder("Select a difference");
    view_->setMinimumSize(200, 200);
    column->addWidget(view_, 1);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    setCentralWidget(split);
    summary_ = new QLabel(statusBar());
    summary_->setObjectName("Summary");
    statusBar()->addWidget(summary_, 1);

    // The two pictures of a member are best told apart filling the view.
    view_->SetZoom(TPreviewImage::kZoomFit);
    flipAction = new QAction("Show the o&ld one", this);
    flipAction->setObjectName("Flip");
    flipAction->setShortcut(QKeySequence(Qt::Key_Space));
    flipAction->setToolTip("Flip between the old and the new picture (Space)");
    ConnectCommand(flipAction, &QAction::triggered, this, [this] { Flip(); });
    QToolBar* tools = addToolBar("Compare");
    tools->setObjectName("CompareTools");
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools->addAction(flipAction);
    QMenu* viewMenu = menuBar()->addMenu("&View");
    viewMenu->addAction(flipAction);
    viewMenu->addSeparator();
    AddZoomActions(*viewMenu, *view_);

    QRect place(0, 0, 820, 560);
    if (parent != nullptr) {
        place.moveCenter(parent->geometry().center());
    }
    PlaceWindow(*this, kPlaceKey, place);
    connect(loader_, &ThumbnailLoader::loaded, this,
            [this](quint64 key, const Thumbnail& thumbnail) {
                RunCommand([&] { ThumbnailLoaded(key, thumbnail); });
            });
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this] { RunCommand([this] { ShowRow(); }); });
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::SetTransparency(const Transparency& transparency) {
    transparency_ = transparency;
}

void CompareWindow::Compare(const std::string& before, const std::string& after) {
    std::unique_ptr<Side> older = Side::Open(before);
    std::unique_ptr<Side> newer = Side::Open(after);
    PackageDiff diff = ComparePackageFiles(older->package, newer->package);
    loader_->Cancel();
    before_ = std::move(older);
    after_ = std::move(newer);
    diff_ = std::move(diff);
    rows_.clear();
    rowsOf_.clear();
    const QSignalBlocker quiet(list_);
    list_->clear();
    QPixmap blank(kThumbnailSide, kThumbnailSide);
    blank.fill(Qt::transparent);
    const QIcon none(blank);
    // Rows take the records' positions from diff, so each of two members of
    // one name shows its own pictures.
    const auto add = [&](const QString& change, const std::string& name, const QString& detail,
                         std::optional<std::size_t> inBefore, std::optional<std::size_t> inAfter) {
        Row row{inBefore ? before_->MemberAt(*inBefore) : std::nullopt,
                inAfter ? after_->MemberAt(*inAfter) : std::nullopt};
        auto* item = new QTreeWidgetItem(list_, {change, ShownName(name), QString(), QString()});
        item->setToolTip(kName, detail.isEmpty() ? ShownName(name) : detail);
        item->setIcon(kOld, none);
        item->setIcon(kNew, none);
        for (const bool isNew : {false, true}) {
            const std::optional<std::size_t> index = isNew ? row.after : row.before;
            if (index) {
                rowsOf_[KeyOf(*index, isNew)].push_back(static_cast<int>(rows_.size()));
                const Side& side = isNew ? *after_ : *before_;
                loader_->Load(KeyOf(*index, isNew), {side.reader, side.package.members()[*index]},
                              transparency_.enabled);
            }
        }
        rows_.push_back(row);
    };
    for (std::size_t k = 0; k < diff_.added.size(); ++k) {
        add("added", diff_.added[k], {}, std::nullopt, diff_.addedAt[k]);
    }
    for (std::size_t k = 0; k < diff_.removed.size(); ++k) {
        add("removed", diff_.removed[k], {}, diff_.removedAt[k], std::nullopt);
    }
    for (const ChangedMember& member : diff_.changed) {
        add("changed", member.name,
            QStringLiteral("%1: %2 \u2192 %3 bytes")
                .arg(ShownName(member.name))
                .arg(member.sizeA)
                .arg(member.sizeB),
            member.at.inA, member.at.inB);
    }
    for (std::size_t k = 0; k < diff_.moved.size(); ++k) {
        add("moved", diff_.moved[k], {}, diff_.movedAt[k].inA, diff_.movedAt[k].inB);
    }
    list_->resizeColumnToContents(kChange);
    list_->resizeColumnToContents(kName);
    list_->setColumnWidth(kOld, kThumbnailSide + 16);
    list_->setColumnWidth(kNew, kThumbnailSide + 16);
    setWindowTitle(QStringLiteral("%1 \u2192 %2 \u2014 Lumigram compare")
                       .arg(before_->FileName(), after_->FileName()));
    summary_->setText(diff_.empty() ? QStringLiteral("%1 and %2 hold the same members")
                                          .arg(before_->FileName(), after_->FileName())
                                    : QStringLiteral("%1 added, %2 removed, %3 changed, %4 moved")
                                          .arg(diff_.added.size())
                                          .arg(diff_.removed.size())
                                          .arg(diff_.changed.size())
                                          .arg(diff_.moved.size()));
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    ShowRow();
}

void CompareWindow::ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail) {
    if (thumbnail.image.isNull()) {
        return;
    }
    const QIcon icon(QPixmap::fromImage(thumbnail.image));
    const int column = (key & 1) != 0 ? kNew : kOld;
    for (const int row : rowsOf_.value(key)) {
        list_->topLevelItem(row)->setIcon(column, icon);
    }
}

void CompareWindow::Flip() {
    showNew_ = !showNew_;
    flipAction->setText(showNew_ ? QStringLiteral("Show the o&ld one")
                                 : QStringLiteral("Show the ne&w one"));
    ShowRow();
}

void CompareWindow::ShowRow() {
    const int r =
        list_->currentItem() == nullptr ? -1 : list_->indexOfTopLevelItem(list_->currentItem());
    if (r < 0 || !before_ || !after_) {
        caption_->clear();
        ShowImage(*view_, {}, "Select a difference");
        return;
    }
    const Row& row = rows_[static_cast<std::size_t>(r)];
    const Side& side = showNew_ ? *after_ : *before_;
    const std::optional<std::size_t> index = showNew_ ? row.after : row.before;
    const QString which = showNew_ ? QStringLiteral("New") : QStringLiteral("Old");
    if (!index) {
        caption_->setText(QStringLiteral("%1: not in %2").arg(which, side.FileName()));
        ShowImage(*view_, {}, QStringLiteral("Not in %1").arg(side.FileName()));
        return;
    }
    const PackageEntry& entry = side.package.members()[*index];
    caption_->setText(QStringLiteral("%1: %2 in %3, %4 bytes")
                          .arg(which, ShownName(entry.storedName), side.FileName())
                          .arg(entry.size));
    QImage image;
    QString placeholder = QStringLiteral("%1 holds no picture").arg(ShownName(entry.storedName));
    try {
        image = DecodeMemberPicture(entry.storedName, side.package.ReadContent(*index),
                                    transparency_.enabled, AnsiToUtf8(entry.storedName));
    } catch (const std::exception& error) {
        placeholder = QString::fromStdString(error.what());
    }
    ShowImage(*view_, image, placeholder);
}

void CompareWindow::closeEvent(QCloseEvent* event) {
    RememberPlace(*this, kPlaceKey);
    QMainWindow::closeEvent(event);
    emit closed();
}

}  // namespace lumigram
