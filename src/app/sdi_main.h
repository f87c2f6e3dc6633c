#pragma once

#include <QMainWindow>
#include <QStringList>
#include <string>
#include <vector>

#include "app/picture_document.h"
#include "app/window_state.h"
#include "app/zoom_actions.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;

namespace lumigram {

class TAboutBox;
class TColorDialog;
class TFileDialog;
class TFileListBox;
class TOpenDirectory;
class TPreviewImage;
class TShape;
class TZoomView;
class WorkbenchWindow;

// The main window: the preview, the list of sibling files and the transparency
// controls, under a menu bar and a tool bar, with a status bar that describes
// the picture shown. What it works on lives in its PictureDocument; the
// widgets show that document and follow its signals. Every command runs
// through RunCommand, so an error reaches the error box and a command that
// fails leaves the window as it was before it.
class TSDIAppForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TSDIAppForm(QWidget* parent = nullptr);
    ~TSDIAppForm() override;

    const WindowState& state() const { return state_; }
    PictureDocument& document() const { return *document_; }
    // This window's own scratch folder, removed when the window closes.
    const std::string& ScratchFolder() const { return document_->ScratchFolder(); }
    void RemoveScratchFolder() { document_->RemoveScratchFolder(); }

    // Opens a file given from outside (the command line, a drop, Open Recent):
    // a picture is shown; a ".ezx" package opens in the workbench.
    void OpenPath(const QString& path);
    void OpenPath(const std::string& path);
    // Opens a package in the workbench (made on first use), which is shown.
    void BrowsePackage(const QString& path);
    // The workbench, or nullptr before the first package was browsed.
    WorkbenchWindow* workbench() const { return workbench_; }
    // The workbench, made on first use (not shown).
    WorkbenchWindow& Workbench();

    // The window's actions: what the menus, tool buttons and shortcuts run.
    QAction* FileNew1;
    QAction* FileOpen1;
    QAction* FileSave1;
    QAction* FileSaveAs1;
    QAction* FileExit1;
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QAction* HelpAbout1;
    QAction* Convertall1;
    QAction* OpenEZX1;
    QAction* SaveEZX1;
    QAction* exportPngAction;
    QAction* saveSkinPictureAction;
    QAction* browsePackageAction;
    QAction* zoomInAction;
    QAction* zoomOutAction;
    QAction* zoomActualAction;
    std::vector<QAction*> zoomFactorActions;  // 1x, 2x, 4x, 8x, fit

    // Commands.
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileExit1Execute();
    void HelpAbout1Execute();
    void OpenEZX1Click();
    void SaveEZX1Click();
    void BrowsePackageClick();
    void ListBox1Click();
    void CheckBox1Click();
    void Button1Click();
    void Convertall1Click();
    // The current picture as a PNG with its transparency, or (a BMP or PNG) as a
    // ".k" with its transparency as the mask.
    void ExportPngClick();
    void SaveSkinPictureClick();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    friend class WidgetAccess;

    PictureDocument* document_;  // a child, made first
    const WindowState& state_;   // the document's

    // Dialogs, single objects of the window.
    TFileDialog* openDialog_;
    TFileDialog* saveDialog_;
    TColorDialog* colourDialog_;
    TOpenDirectory* folderPicker_;

    QToolBar* toolBar_;
    QToolButton* openButton_;
    QToolButton* saveButton_;
    QMenu* fileMenu_;
    QMenu* recentMenu_;
    QMenu* viewMenu_;
    QMenu* helpMenu_;
    TShape* previewFrame_;
    QLabel* previewLabel_;
    TZoomView* previewArea_;
    TPreviewImage* preview_;  // inside previewArea_
    TFileListBox* fileList_;
    TShape* colourSwatch_;
    QPushButton* colourButton_;
    QCheckBox* transparencyBox_;
    QLabel* pictureInfo_;   // the status bar's description of the picture
    QLabel* batchSummary_;  // the status bar's message about the file shown or the last command
    QLabel* zoomInfo_;      // the status bar's zoom level
    TAboutBox* aboutBox_;
    WorkbenchWindow* workbench_ = nullptr;

    void FormCreate();
    void BuildActions();
    void BuildMenus();
    void BuildClientArea();
    // The widgets follow the document.
    void ShowPicture(bool anotherFile);
    void ShowFileList();
    void ShowTransparency();
    void ShowMessage();
    // Opens a picture as Open does: shows it, lists its folder, remembers it.
    void OpenPicture(const std::string& name);
    void UnpackPackage(const std::string& package);
    void SelectCurrentRow();
    void ShowCurrentFileInTitle();
    void RefreshRecentMenu();
    // The folder a dialog opens in: the current picture's, else the one the
    // dialog was last used in, else the home folder.
    QString StartFolder(const char* dialog) const;
    void ShowSummary(const QString& text);
    static void ShowFailures(const QString& caption, const QString& heading,
                             const QStringList& failures);

    std::string batchScratch_;  // Convert all's own part of the scratch folder
};

}  // namespace lumigram
