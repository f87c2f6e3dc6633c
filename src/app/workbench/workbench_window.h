#pragma once

#include <QMainWindow>
#include <QSet>
#include <memory>
#include <string>

#include "app/window_state.h"
#include "app/workbench/member_export.h"
#include "app/workbench/thumbnail_cache.h"

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QSortFilterProxyModel;
class QUndoStack;

namespace lumigram {

class MemberListModel;
class TPreviewImage;
class ThumbnailLoader;
class WorkbenchDocument;

// The package workbench: every member of one package as a grid of thumbnails
// with a filter box, the selected member in a zoomable preview and its details
// in the status bar, and the commands that change members (replace, add,
// delete, rename; each undoable until the package is saved), save it, export
// members and, for a damaged package opened read-only, salvage the intact ones.
class WorkbenchWindow : public QMainWindow {
    Q_OBJECT

  public:
    // scratchFolder: a private folder for conversions on the way in and out.
    WorkbenchWindow(std::string scratchFolder, QWidget* parent = nullptr);
    ~WorkbenchWindow() override;

    // Opens path in place of the package shown, after asking about unsaved
    // changes; false when the user cancelled. Errors escape.
    bool OpenPackage(const std::string& path);
    // Asks Save / Discard / Cancel when there are unsaved changes; true when
    // the package may go.
    bool ResolveUnsaved();
    // The transparency setting ".k" members are shown and encoded with.
    void SetTransparency(const Transparency& transparency);

    const WorkbenchDocument* document() const { return document_.get(); }
    bool modified() const;

    // Commands.
    void BrowsePackage();
    void Save();
    void SaveAs();
    void Salvage();
    void Export(ExportForm form);
    void ReplaceMember();
    void AddMember();
    void DeleteMembers();
    void RenameMember(int row, const QString& newName);

    QAction* browseAction;
    QAction* saveAction;
    QAction* saveAsAction;
    QAction* salvageAction;
    QAction* undoAction;
    QAction* redoAction;
    QAction* replaceAction;
    QAction* addMemberAction;
    QAction* deleteAction;
    QAction* renameAction;
    QAction* exportAction;
    QAction* exportPngAction;
    QAction* exportBmpAction;

    // The widgets, for the tests and the benchmark.
    QListView* grid() const { return grid_; }
    QSortFilterProxyModel* filterModel() const { return filter_; }
    QLineEdit* filterBox() const { return filterBox_; }
    TPreviewImage* preview() const { return preview_; }
    QListWidget* findingsList() const { return findings_; }
    QLabel* details() const { return details_; }
    ThumbnailLoader* loader() const { return loader_; }
    QUndoStack* undoStack() const { return undo_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildActions();
    void BuildLayout();
    // Shows the package's members as they are now: asks for the thumbnails not
    // made yet, keeps the selection by name.
    void Refresh();
    void ShowSelected();
    void ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail);
    void UpdateTitleAndActions();
    void SaveTo(const std::string& path);
    // Opens path in place of the package shown. keptThumbnails: the thumbnails
    // of the members as the new package holds them, in order (after a save).
    void Reopen(const std::string& path, const std::vector<Thumbnail>& keptThumbnails = {});
    // Applies change to the package as one undoable step.
    template <typename Change>
    void Edit(const QString& text, Change change);
    // Package indexes of the selected rows, in package order.
    std::vector<std::size_t> SelectedMembers() const;
    void SelectMember(const std::string& storedName);
    void StepZoom(int direction);
    QString StartFolder() const;

    std::string scratchFolder_;
    Transparency transparency_;
    // While a saved package is opened again: the member shown stays as it is.
    bool keepPreview_ = false;
    std::unique_ptr<WorkbenchDocument> document_;
    ThumbnailCache cache_;
    QSet<quint64> requested_;
    ThumbnailLoader* loader_;
    MemberListModel* model_;
    QSortFilterProxyModel* filter_;
    QListView* grid_;
    QLineEdit* filterBox_;
    TPreviewImage* preview_;
    QListWidget* findings_;
    QLabel* details_;
    QUndoStack* undo_;
};

}  // namespace lumigram
