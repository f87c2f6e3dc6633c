#pragma once

#include <QMainWindow>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/path.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;

namespace lumigram {

class TAboutBox;
class TColorDialog;
class TFileDialog;
class TOpenDirectory;
class TPreviewImage;
class TShape;

// The program's state, shared by the window's commands for the whole run.
struct ProgramState {
    std::uint8_t TransparencyBlue = 255;
    std::uint8_t TransparencyGreen = 0;
    std::uint8_t TransparencyRed = 255;
    std::string CurrentFile;    // the file the user is working on
    std::string PreviewFile;    // the file last handed to the preview
    std::string CurrentExt;     // CurrentFile's extension
    std::string CurrentFolder;  // CurrentFile's folder, with its trailing separator
    FileKind Kind = FileKind::kNone;
    int FileCount = 0;
    // Slot i + 1 holds the full name behind list item i; slot 0 stays empty.
    std::vector<std::string> FileList;
};

// The one listing holds at most this many names (slot 0 of the table stays empty).
inline constexpr int kFileListSlots = 131072;

// The main window: the preview, the list of sibling files and the transparency
// controls, under a menu bar and a tool bar, with a status bar for hints. Its
// handlers let every error escape to the application's error box.
class TSDIAppForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TSDIAppForm(QWidget* parent = nullptr);
    ~TSDIAppForm() override;

    const ProgramState& state() const { return state_; }

    // Dialogs, single objects whose settings stay from one command to the next.
    TFileDialog* OpenDialog;
    TFileDialog* SaveDialog;
    TColorDialog* ColorDialog1;
    TOpenDirectory* OpenDirectory1;

    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QAction* FileNew1;
    QAction* FileOpen1;
    QAction* FileSave1;
    QAction* FileSaveAs1;
    QAction* FileExit1;
    QAction* EditCut1;
    QAction* EditCopy1;
    QAction* EditPaste1;
    QAction* HelpAbout1;
    QMenu* File1;
    QMenu* Help1;
    QAction* Convertall1;
    QAction* OpenEZX1;
    QAction* SaveEZX1;
    TShape* Shape1;
    QLabel* Label1;
    TPreviewImage* PreviewImage1;
    QListWidget* ListBox1;
    TShape* Shape2;
    QPushButton* Button1;
    QCheckBox* CheckBox1;
    TAboutBox* AboutBox;

    // Commands.
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileExit1Execute();
    void HelpAbout1Execute();
    void OpenEZX1Click();
    void SaveEZX1Click();
    void ListBox1Click();
    void CheckBox1Click();
    void Button1Click();
    void Convertall1Click();
    void LoadAndPreview();

  private:
    void FormCreate();
    void BuildActions();
    void BuildMenus();
    void BuildClientArea();
    void FillFileList();
    // Makes name the current file, with its extension and kind.
    void TakeCurrentFile(std::string name);
    bool TransparencyEnabled() const;

    ProgramState state_;
};

}  // namespace lumigram
