#pragma once

#include <QMainWindow>
#include <QSet>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/window_state.h"
#include "app/workbench/member_export.h"
#include "app/workbench/thumbnail_cache.h"
#include "package/editable_package.h"
#include "package/package_edit.h"

class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QSortFilterProxyModel;
class QStackedWidget;
class QTimer;
class QToolBar;
class QUndoStack;

namespace lumigram {

class BatchReplaceDialog;
class BeforeAfterPanel;
class CompareWindow;
class MemberListModel;
class TPreviewImage;
class TZoomView;
class ThumbnailLoader;
class WorkbenchDocument;

// The package workbench: every member of one package as a grid of thumbnails
// with a filter box, the selected member in a zoomable preview and its details
// in the status bar, and the commands that change members (replace, add,
// delete, rename; each undoable until the package is saved), save it, compare
// it with another, export members and, for a damaged package opened
// read-only, salvage the intact ones. Members are addressed by position.
class WorkbenchWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Members are read, shown, converted and encoded in memory: the workbench
    // writes no scratch file.
    explicit WorkbenchWindow(QWidget* parent = nullptr);
    ~WorkbenchWindow() override;

    // Opens path in place of the package shown, after asking about unsaved
    // changes; false when the user cancelled. Errors escape.
    bool OpenPackage(const std::string& path);
    // Asks Save / Discard / Cancel when there are unsaved changes; true when
    // the package may go.
    bool ResolveUnsaved();
    // The transparency setting ".k" members are shown and encoded with.
    void SetTransparency(const Transparency& transparency);
    const Transparency& transparency() const { return transparency_; }

    const WorkbenchDocument* document() const { return document_.get(); }
    bool modified() const;

    // Commands.
    void BrowsePackage();
    void Save();
    void SaveAs();
    void Salvage();
    void Export(ExportForm form);
    // Asks for the file, then shows the member's picture and the replacement
    // side by side until AcceptReplace (Enter) or CancelReplace (Esc).
    void ReplaceMember();
    void AcceptReplace();
    void CancelReplace();
    bool replacing() const { return pending_.has_value(); }
    void AddMember();
    // Files matched to members by name with the core's intake rule: asks for a
    // folder, or takes files and folders dropped on the window; lists what
    // would be replaced, added and skipped, and applies it as one undo step.
    void ReplaceFromFolder();
    void ReplaceFromFiles(const QStringList& paths);
    void DeleteMembers();
    void RenameMember(int row, const QString& newName);
    // Asks for another package and shows how it differs from this one.
    void CompareWith();
    // Shows how after differs from before in the compare window.
    CompareWindow& ShowComparison(const std::string& before, const std::string& after);

    QAction* browseAction;
    QAction* saveAction;
    QAction* saveAsAction;
    QAction* compareAction;
    QAction* salvageAction;
    QAction* closeAction;
    QAction* undoAction;
    QAction* redoAction;
    QAction* replaceAction;
    QAction* replaceFromFolderAction;
    QAction* addMemberAction;
    QAction* deleteAction;
    QAction* renameAction;
    QAction* exportAction;
    QAction* exportPngAction;
    QAction* exportBmpAction;
    QAction* acceptReplaceAction;
    QAction* cancelReplaceAction;

    // The widgets, for the tests and the benchmark.
    QListView* grid() const { return grid_; }
    QSortFilterProxyModel* filterModel() const { return filter_; }
    QLineEdit* filterBox() const { return filterBox_; }
    TZoomView* previewArea() const { return previewArea_; }
    TPreviewImage* preview() const;
    BeforeAfterPanel* beforeAfter() const { return beforeAfter_; }
    QListWidget* findingsList() const { return findings_; }
    QLabel* details() const { return details_; }
    QLabel* count() const { return count_; }
    QToolBar* toolBar() const { return toolBar_; }
    ThumbnailLoader* loader() const { return loader_; }
    QUndoStack* undoStack() const { return undo_; }
    CompareWindow* compareWindow() const { return compare_; }
    // The list of the last batch replace, or nullptr.
    BatchReplaceDialog* batchList() const { return batchList_; }

  signals:
    // The window closed (its package let go).
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct PendingReplace {
        std::size_t index;
        PackageEntry entry;  // the member as it was when asked, to check it still is
        std::vector<std::uint8_t> bytes;
    };

    void BuildActions();
    void BuildMenusAndToolBar();
    void BuildLayout();
    // Shows the package's members as they are now: asks for the thumbnails not
    // made yet, keeps the selected member selected.
    void Refresh();
    void ShowSelected();
    void ShowCount();
    // The package file changed on disk (another program, or this window's own
    // save): reloaded when nothing here is unsaved, else said in the status bar.
    void PackageChangedOnDisk();
    void Watch();
    void ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail);
    void UpdateTitleAndActions();
    void SaveTo(const std::string& path, const InPlaceSaveOptions& options = {});
    // Opens path in place of the package shown. keptThumbnails: the thumbnails
    // of the members as the new package holds them, in order (after a save).
    void Reopen(const std::string& path, const std::vector<Thumbnail>& keptThumbnails = {});
    // Applies change to the package as one undoable step.
    template <typename Change>
    void Edit(const QString& text, Change change);
    // The member of the grid's current row, and the selected ones, by position.
    std::optional<std::size_t> CurrentMember() const;
    std::vector<std::size_t> SelectedMembers() const;
    void SelectMember(std::optional<std::size_t> index);
    QString StartFolder() const;

    Transparency transparency_;
    // While a saved package is opened again: the member shown stays as it is.
    bool keepPreview_ = false;
    std::unique_ptr<WorkbenchDocument> document_;
    std::optional<PendingReplace> pending_;
    ThumbnailCache cache_;
    QSet<quint64> requested_;
    ThumbnailLoader* loader_;
    MemberListModel* model_;
    QSortFilterProxyModel* filter_;
    QListView* grid_;
    QLineEdit* filterBox_;
    QStackedWidget* previewStack_;
    TZoomView* previewArea_;
    BeforeAfterPanel* beforeAfter_;
    QListWidget* findings_;
    QLabel* details_;
    QLabel* zoomInfo_;
    QLabel* count_;
    QToolBar* toolBar_;
    QMenu* viewMenu_;
    QUndoStack* undo_;
    QFileSystemWatcher* watcher_;
    QTimer* settle_;  // a change on disk is looked at once the writer is done
    CompareWindow* compare_ = nullptr;
    BatchReplaceDialog* batchList_ = nullptr;
};

}  // namespace lumigram
