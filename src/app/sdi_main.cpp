#include "app/sdi_main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include "app/about_box.h"
#include "app/batch_progress.h"
#include "app/file_list_box.h"
#include "app/glyphs.h"
#include "app/grow_layout.h"
#include "app/picture_status.h"
#include "app/shape.h"
#include "app/window_settings.h"
#include "app/workbench/workbench_window.h"
#include "codec/conversion_run.h"
#include "codec/convert_one_file.h"
#include "codec/folder_conversion.h"
#include "codec/picture_groups.h"
#include "codec/scratch_conversion.h"
#include "dialogs/dialog_seam.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/open_dir.h"
#include "display/file_picture.h"
#include "display/preview_image.h"
#include "package/ezx_existing.h"
#include "package/ezx_pack.h"
#include "package/ezx_unpack.h"
#include "package/member_names.h"
#include "platform/byte_file.h"
#include "platform/copy_by_blocks.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/printable_text.h"
#include "platform/scratch.h"

namespace lumigram {
namespace {

const QString kPictureFilter = ".k/g files|*.g;*.k|Images|*.bmp;*.gif;*.png";
const QString kPackageFilter = "EZX files|*.ezx";
const QString kImageSaveFilter = "Images|*.png;*.gif;*.bmp";
const QString kSkinSaveFilter = ".k/g files|*.k;*.g";
const QString kOpenTitle = "Open file";
const QString kSaveTitle = "Save converted file";
const QString kPackageTitle = "Select an .ezx file";
const QString kOutputFolderTitle = "Select directory to save converted files";

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
    return text.toStdString();
}

QColor ToQColor(TransparencyColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// The folder part of a chosen file, to be remembered for its dialog.
QString FolderOf(const QString& file) {
    return QFileInfo(file).absolutePath();
}

// A hint is "short|long": the tool tip and the status-bar text.
void SetHint(QAction* action, const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(hint.left(bar));
    action->setStatusTip(hint.mid(bar + 1));
}

QAction* MakeAction(QObject* parent, const char* name, const char* category, const QString& caption,
                    const QString& hint, const QKeySequence& shortcut = {}) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    action->setProperty("category", category);
    SetHint(action, hint);
    action->setShortcut(shortcut);
    return action;
}

// The zoom steps, smallest first; the View menu also offers fitting.
constexpr std::array<int, 4> kZoomSteps = {1, 2, 4, 8};

}  // namespace

TSDIAppForm::TSDIAppForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("SDIAppForm");
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);
    setAcceptDrops(true);

    openDialog_ = new TFileDialog(TFileDialog::Mode::kOpen, this);
    openDialog_->fileMustExist = true;
    saveDialog_ = new TFileDialog(TFileDialog::Mode::kSave, this);
    colourDialog_ = new TColorDialog(this);
    folderPicker_ = new TOpenDirectory(this);

    BuildActions();
    BuildMenus();
    BuildViewMenu();
    statusBar()->setObjectName("StatusBar");
    statusBar()->setSizeGripEnabled(true);
    batchSummary_ = new QLabel(statusBar());
    batchSummary_->setObjectName("BatchSummary");
    statusBar()->addWidget(batchSummary_, 1);
    pictureInfo_ = new QLabel(statusBar());
    pictureInfo_->setObjectName("PictureInfo");
    statusBar()->addPermanentWidget(pictureInfo_);

    // Outer size 544 x 524 at (197, 111); Qt sizes the client area, frame aside.
    move(197, 111);
    resize(536, 490);
    BuildClientArea();
    FormCreate();
    aboutBox_ = new TAboutBox(this);
    aboutBox_->hide();
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::FormCreate() {
    state_ = WindowState{};
    batchScratch_ = JoinPath(scratch_.path(), "batch");
    ShowCurrentFileInTitle();
    RefreshRecentMenu();
}

void TSDIAppForm::BuildActions() {
    const QStyle& look = *style();
    FileNew1 = MakeAction(this, "FileNew1", "File", "&New", "New|Create a new file",
                          QKeySequence("Ctrl+N"));
    FileNew1->setIcon(GlyphIcon(Glyph::kNew, look));
    FileOpen1 =
        MakeAction(this, "FileOpen1", "File", "&Open", "Open|Open a file", QKeySequence("Ctrl+O"));
    FileOpen1->setIcon(GlyphIcon(Glyph::kOpen, look));
    FileSave1 = MakeAction(this, "FileSave1", "File", "&Save", "Save|Save current file",
                           QKeySequence("Ctrl+S"));
    FileSave1->setIcon(GlyphIcon(Glyph::kSave, look));
    FileSaveAs1 = MakeAction(this, "FileSaveAs1", "File", "Save &As...",
                             "Save As|Save current file with different name");
    FileExit1 = MakeAction(this, "FileExit1", "File", "E&xit", "Exit|Exit application");
    EditCut1 =
        MakeAction(this, "EditCut1", "Edit", "Cu&t",
                   "Cut|Cuts the selection and puts it on the Clipboard", QKeySequence("Ctrl+X"));
    EditCut1->setIcon(GlyphIcon(Glyph::kCut, look));
    EditCopy1 = MakeAction(this, "EditCopy1", "Edit", "&Copy",
                           "Copy|Copies the selection and puts it on the Clipboard",
                           QKeySequence("Ctrl+C"));
    EditCopy1->setIcon(GlyphIcon(Glyph::kCopy, look));
    EditPaste1 = MakeAction(this, "EditPaste1", "Edit", "&Paste",
                            "Paste|Inserts Clipboard contents", QKeySequence("Ctrl+V"));
    EditPaste1->setIcon(GlyphIcon(Glyph::kPaste, look));
    HelpAbout1 = MakeAction(this, "HelpAbout1", "Help", "&About...",
                            "About|Displays program information, version number, and copyright");

    // Shortcuts are live whether or not a menu item shows them. New and the
    // clipboard actions have no target in this window: they do nothing.
    addActions({FileNew1, FileOpen1, FileSave1, EditCut1, EditCopy1, EditPaste1});

    connect(FileOpen1, &QAction::triggered, this, &TSDIAppForm::FileOpen1Execute);
    connect(FileSave1, &QAction::triggered, this, &TSDIAppForm::FileSave1Execute);
    connect(FileSaveAs1, &QAction::triggered, this, &TSDIAppForm::FileSave1Execute);
    connect(FileExit1, &QAction::triggered, this, &TSDIAppForm::FileExit1Execute);
    connect(HelpAbout1, &QAction::triggered, this, &TSDIAppForm::HelpAbout1Execute);
}

void TSDIAppForm::BuildMenus() {
    menuBar()->setObjectName("MainMenu1");
    fileMenu_ = menuBar()->addMenu("&File");
    fileMenu_->setObjectName("File1");
    fileMenu_->menuAction()->setStatusTip("File related commands");
    fileMenu_->addAction(FileOpen1);
    recentMenu_ = fileMenu_->addMenu("Open &Recent");
    recentMenu_->setObjectName("OpenRecent1");
    // Access keys that no other item of the menu uses; no shortcut changes.
    Convertall1 = fileMenu_->addAction("&Convert all");
    Convertall1->setObjectName("Convertall1");
    OpenEZX1 = fileMenu_->addAction("Open &EZX");
    OpenEZX1->setObjectName("OpenEZX1");
    SaveEZX1 = fileMenu_->addAction("Save E&ZX...");
    SaveEZX1->setObjectName("SaveEZX1");
    exportPngAction = fileMenu_->addAction("Export &PNG...");
    exportPngAction->setObjectName("exportPngAction");
    exportPngAction->setStatusTip("Write the current picture as PNG with its transparency");
    saveSkinPictureAction = fileMenu_->addAction("Save as s&kin picture...");
    saveSkinPictureAction->setObjectName("saveSkinPictureAction");
    saveSkinPictureAction->setStatusTip(
        "Write the current BMP or PNG as a .k, PNG alpha as the mask");
    browsePackageAction = fileMenu_->addAction("&Browse package...");
    browsePackageAction->setObjectName("browsePackageAction");
    browsePackageAction->setShortcut(QKeySequence("Ctrl+B"));
    addAction(browsePackageAction);
    fileMenu_->addAction(FileSaveAs1);
    fileMenu_->addSeparator()->setObjectName("N1");
    fileMenu_->addAction(FileExit1);

    connect(Convertall1, &QAction::triggered, this, &TSDIAppForm::Convertall1Click);
    connect(OpenEZX1, &QAction::triggered, this, &TSDIAppForm::OpenEZX1Click);
    connect(SaveEZX1, &QAction::triggered, this, &TSDIAppForm::SaveEZX1Click);
    connect(exportPngAction, &QAction::triggered, this, &TSDIAppForm::ExportPngClick);
    connect(saveSkinPictureAction, &QAction::triggered, this, &TSDIAppForm::SaveSkinPictureClick);
    connect(browsePackageAction, &QAction::triggered, this, &TSDIAppForm::BrowsePackageClick);
}

void TSDIAppForm::BuildViewMenu() {
    viewMenu_ = menuBar()->addMenu("&View");
    viewMenu_->setObjectName("View1");
    zoomInAction = viewMenu_->addAction("Zoom &In");
    zoomInAction->setShortcuts({QKeySequence::ZoomIn, QKeySequence("Ctrl+=")});
    zoomOutAction = viewMenu_->addAction("Zoom &Out");
    zoomOutAction->setShortcuts(QKeySequence::ZoomOut);
    zoomActualAction = viewMenu_->addAction("&Actual Size");
    zoomActualAction->setShortcut(QKeySequence("Ctrl+0"));
    viewMenu_->addSeparator();
    auto* factors = new QActionGroup(this);
    for (const int zoom : kZoomSteps) {
        QAction* action = viewMenu_->addAction(QStringLiteral("&%1\u00D7").arg(zoom));
        action->setCheckable(true);
        action->setChecked(zoom == 1);
        factors->addAction(action);
        zoomFactorActions.push_back(action);
        connect(action, &QAction::triggered, this, [this, zoom] { SetZoom(zoom); });
    }
    QAction* fit = viewMenu_->addAction("&Fit to Window");
    fit->setCheckable(true);
    factors->addAction(fit);
    zoomFactorActions.push_back(fit);
    connect(fit, &QAction::triggered, this, [this] { SetZoom(TPreviewImage::kZoomFit); });
    connect(zoomInAction, &QAction::triggered, this, [this] { StepZoom(+1); });
    connect(zoomOutAction, &QAction::triggered, this, [this] { StepZoom(-1); });
    connect(zoomActualAction, &QAction::triggered, this, [this] { SetZoom(1); });

    helpMenu_ = menuBar()->addMenu("&Help");
    helpMenu_->setObjectName("Help1");
    helpMenu_->menuAction()->setStatusTip("Help topics");
    helpMenu_->addAction(HelpAbout1);
}

void TSDIAppForm::BuildClientArea() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    // The client area's size at the window's default size: the layout keeps
    // every control where it is at that size and grows preview and list beyond.
    layout()->activate();
    auto* grow = new TGrowLayout(client, client->size());
    using Shares = TGrowLayout::Shares;
    const Shares previewSide{0, 0, 0.5, 1};
    const Shares listSide{0.5, 0, 1, 1};
    const Shares belowList{0.5, 1, 0.5, 1};

    // The tool bar sits in the client area, full width, above the controls.
    toolBar_ = new QToolBar(client);
    toolBar_->setObjectName("ToolBar1");
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    toolBar_->setContentsMargins(5, 0, 0, 0);
    toolBar_->addAction(FileOpen1);
    toolBar_->addAction(FileSave1);
    openButton_ = qobject_cast<QToolButton*>(toolBar_->widgetForAction(FileOpen1));
    saveButton_ = qobject_cast<QToolButton*>(toolBar_->widgetForAction(FileSave1));
    grow->Add(toolBar_, {0, 0, client->width(), 30}, {0, 0, 1, 0});

    previewLabel_ = new QLabel("Preview", client);
    previewLabel_->setObjectName("Label1");
    grow->Add(previewLabel_, {16, 40, 52, 16}, {});

    previewFrame_ = new TShape(client);
    previewFrame_->setObjectName("Shape1");
    grow->Add(previewFrame_, {16, 64, 257, 337}, previewSide);

    preview_ = new TPreviewImage(client);
    preview_->setObjectName("PreviewImage1");
    preview_->SetCheckerboard(true);
    grow->Add(preview_, {24, 72, 241, 321}, previewSide);

    fileList_ = new TFileListBox(client);
    fileList_->setObjectName("ListBox1");
    fileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList_->setUniformItemSizes(true);
    QFont listFont = fileList_->font();
    listFont.setPixelSize(11);
    fileList_->setFont(listFont);
    QPalette listPalette = fileList_->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    fileList_->setPalette(listPalette);
    fileList_->setStyleSheet("QListWidget::item { height: 16px; }");
    grow->Add(fileList_, {296, 64, 225, 217}, listSide);

    transparencyBox_ = new QCheckBox("Enable transparency", client);
    transparencyBox_->setObjectName("CheckBox1");
    transparencyBox_->setChecked(true);
    grow->Add(transparencyBox_, {304, 312, 201, 17}, belowList);

    colourButton_ = new QPushButton("Transparency color", client);
    colourButton_->setObjectName("Button1");
    grow->Add(colourButton_, {304, 352, 145, 33}, belowList);

    colourSwatch_ = new TShape(client);
    colourSwatch_->setObjectName("Shape2");
    colourSwatch_->SetBrushColour(ToQColor(TransparencyColour{}));
    grow->Add(colourSwatch_, {488, 352, 33, 33}, {1, 1, 1, 1});

    setTabOrder(toolBar_, fileList_);
    setTabOrder(fileList_, colourButton_);
    setTabOrder(colourButton_, transparencyBox_);

    // Only a move of the selection by the user shows a file: a row that Qt
    // makes current by itself (the list getting the focus) shows nothing.
    connect(fileList_, &TFileListBox::userChoseRow, this, &TSDIAppForm::ListBox1Click);
    connect(transparencyBox_, &QCheckBox::toggled, this, &TSDIAppForm::CheckBox1Click);
    connect(colourButton_, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);
}

void TSDIAppForm::ShowCurrentFileInTitle() {
    setWindowTitle(state_.CurrentFile.empty() ? QStringLiteral("Lumigram")
                                              : ToQt(ExtractFileName(state_.CurrentFile)) +
                                                    QStringLiteral(" \u2014 Lumigram"));
}

QString TSDIAppForm::StartFolder(const char* dialog) const {
    if (!state_.CurrentFile.empty()) {
        return FolderOf(ToQt(state_.CurrentFile));
    }
    const QString last = WindowSettings::LastFolder(dialog);
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

void TSDIAppForm::ShowSummary(const QString& text) {
    batchSummary_->setText(text);
    statusBar()->clearMessage();
}

void TSDIAppForm::ShowFailures(const QString& caption, const QString& heading,
                               const QStringList& failures) {
    if (!failures.isEmpty()) {
        QStringList shown;
        for (const QString& failure : failures) {
            shown << QString::fromStdString(EscapeControls(failure.toStdString()));
        }
        ShowMessageBox(caption, heading + "\n\n" + shown.join('\n'), MessageIcon::kCritical,
                       QApplication::activeWindow());
    }
}

void TSDIAppForm::LoadAndPreview(const std::string& name) {
    const FileKind kind = FileKindOf(name);
    const Transparency& transparency = state_.transparency;
    const std::string scratch =
        PrepareScratchFile(name, scratch_.path(), transparency.colour, transparency.enabled);
    if (kind == FileKind::kGPicture && scratch.empty()) {
        throw FormatError("not a GIF or PNG picture", name);
    }
    const std::string preview = kind == FileKind::kOrdinary ? name : scratch;
    // Opened once on its own first, so that a refusal ("is a FIFO, not a
    // regular file") reaches the error box; the picture object swallows it.
    ByteFile::OpenRead(preview).Close();
    TFilePicture picture;
    picture.LoadFromFile(ToQt(preview));
    if (picture.GetEmpty()) {
        throw IoError(IoCode::kFileNotFound, preview);
    }
    // Everything worked: only now does name become the current file.
    state_.CurrentFile = name;
    state_.kind = kind;
    state_.PreviewFile = preview;
    preview_->SetPicture(&picture);
    ShowCurrentFileInTitle();
    try {
        pictureInfo_->setText(DescribePicture(name, kind, preview));
    } catch (const std::exception& error) {
        pictureInfo_->setText(QString::fromStdString(error.what()));
    }
}

void TSDIAppForm::FileOpen1Execute() {
    openDialog_->Title = kOpenTitle;
    openDialog_->Filter = kPictureFilter;
    openDialog_->defaultExt.clear();
    openDialog_->InitialDir = StartFolder(kOpenDialogName);
    if (!openDialog_->Execute(this)) {
        FillFileList();  // a cancelled Open still lists the current folder
        return;
    }
    WindowSettings::SetLastFolder(kOpenDialogName, FolderOf(openDialog_->fileName));
    OpenPicture(FromQt(openDialog_->fileName));
}

void TSDIAppForm::OpenPicture(const std::string& name) {
    LoadAndPreview(name);
    FillFileList();
    WindowSettings::AddRecentFile(ToQt(name));
    RefreshRecentMenu();
}

void TSDIAppForm::OpenPath(const QString& path) {
    OpenPath(FromQt(path));
}

void TSDIAppForm::OpenPath(const std::string& path) {
    // Bytes as the system gave them: a name that is not UTF-8 still opens.
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).lexically_normal().string();
    if (HasExtensionIgnoringCase(full, ".ezx")) {
        BrowsePackage(ToQt(full));
    } else {
        OpenPicture(full);
    }
}

void TSDIAppForm::FillFileList() {
    const std::string folder = ExtractFilePath(state_.CurrentFile);
    const std::vector<std::string> names = ListGroupFiles(folder, state_.kind, kFileListLimit);
    state_.FileList.clear();
    const QSignalBlocker quiet(fileList_);  // filling the list shows nothing
    fileList_->clear();
    for (const std::string& name : names) {
        state_.FileList.push_back(folder + name);
        fileList_->addItem(ToQt(name));
    }
    SelectCurrentRow();
}

void TSDIAppForm::SelectCurrentRow() {
    const auto found =
        std::find(state_.FileList.begin(), state_.FileList.end(), state_.CurrentFile);
    const QSignalBlocker quiet(fileList_);
    if (found == state_.FileList.end()) {
        fileList_->setCurrentRow(-1);
        return;
    }
    fileList_->setCurrentRow(static_cast<int>(found - state_.FileList.begin()));
}

void TSDIAppForm::ListBox1Click() {
    const int i = fileList_->currentRow();
    if (i < 0 || static_cast<std::size_t>(i) >= state_.FileList.size()) {
        return;
    }
    try {
        LoadAndPreview(state_.FileList[static_cast<std::size_t>(i)]);
    } catch (...) {
        SelectCurrentRow();  // the list goes back to the file still shown
        throw;
    }
}

void TSDIAppForm::CheckBox1Click() {
    const bool ticked = transparencyBox_->isChecked();
    colourButton_->setEnabled(ticked);
    colourSwatch_->setHidden(!ticked);
    state_.transparency.enabled = ticked;
    if (workbench_ != nullptr) {
        workbench_->SetTransparency(state_.transparency);
    }
    // A ".k" on screen shows the new setting at once; an ordinary picture is
    // encoded with it at the next Save.
    if (state_.kind == FileKind::kSkin) {
        LoadAndPreview(state_.CurrentFile);
    }
}

void TSDIAppForm::Button1Click() {
    if (!colourDialog_->Execute(this)) {
        return;
    }
    const std::uint32_t colour = colourDialog_->color;  // 0x00BBGGRR
    state_.transparency.colour = TransparencyColour{static_cast<std::uint8_t>(colour >> 16),
                                                    static_cast<std::uint8_t>(colour >> 8),
                                                    static_cast<std::uint8_t>(colour)};
    colourSwatch_->SetBrushColour(ToQColor(state_.transparency.colour));
    if (workbench_ != nullptr) {
        workbench_->SetTransparency(state_.transparency);
    }
    if (state_.kind == FileKind::kSkin) {
        LoadAndPreview(state_.CurrentFile);
    }
}

void TSDIAppForm::FileSave1Execute() {
    const bool pictureKind = state_.kind == FileKind::kSkin || state_.kind == FileKind::kGPicture;
    saveDialog_->Title = kSaveTitle;
    saveDialog_->Filter = pictureKind ? kImageSaveFilter : kSkinSaveFilter;
    saveDialog_->defaultExt.clear();
    saveDialog_->fileName = ToQt(ExtractFileName(state_.CurrentFile));
    saveDialog_->confirmOverwrite = true;
    saveDialog_->InitialDir = StartFolder(kSaveDialogName);
    if (!saveDialog_->Execute(this)) {
        return;
    }
    const std::string name = FromQt(saveDialog_->fileName);
    WindowSettings::SetLastFolder(kSaveDialogName, FolderOf(saveDialog_->fileName));
    if (pictureKind) {
        preview_->Picture().SaveToFile(ToQt(name));
        return;
    }
    if (state_.CurrentFile.empty()) {
        throw Error("There is no picture to save", name);
    }
    // Encoded now, so that the transparency settings of this moment apply.
    const std::string encoded =
        PrepareScratchFile(state_.CurrentFile, scratch_.path(), state_.transparency.colour,
                           state_.transparency.enabled);
    CopyFileByBlocks(encoded, name);
}

void TSDIAppForm::Convertall1Click() {
    openDialog_->Title = kOpenTitle;
    openDialog_->Filter = kPictureFilter;
    openDialog_->defaultExt.clear();
    openDialog_->InitialDir = StartFolder(kOpenDialogName);
    if (!openDialog_->Execute(this)) {
        return;
    }
    const std::string chosen = FromQt(openDialog_->fileName);
    WindowSettings::SetLastFolder(kOpenDialogName, FolderOf(openDialog_->fileName));
    folderPicker_->Title = kOutputFolderTitle;
    folderPicker_->InitialDir = StartFolder(kFolderDialogName);
    if (!folderPicker_->Execute(this)) {
        return;
    }
    const std::string outputFolder = FromQt(folderPicker_->Directory());
    WindowSettings::SetLastFolder(kFolderDialogName, folderPicker_->Directory());
    const std::string folder = ExtractFilePath(chosen);

    // Its own scratch folder: the picture on screen keeps its scratch files.
    CreateFolders(batchScratch_);
    FolderConversionOptions options;
    options.colour = state_.transparency.colour;
    options.transparencyEnabled = state_.transparency.enabled;
    options.scratchDir = batchScratch_;
    QStringList failures;
    options.onFailure = [&](const std::string& path, const std::string& message) {
        failures << ToQt(EscapeControls(path) + ": " + message);
    };
    options.onNoOutput = [&](const std::string& source) {
        failures << ToQt(EscapeControls(source) + ": not a GIF or PNG picture");
    };
    std::unique_ptr<BatchProgress> progress;
    options.onProgress = [&](std::size_t done, std::size_t total, const std::string&) {
        if (!progress) {
            progress =
                std::make_unique<BatchProgress>(this, "Convert all", static_cast<int>(total));
        }
        return progress->Step(static_cast<int>(done));
    };
    const FolderConversionResult result =
        ConvertFolder(folder, FileKindOf(chosen), outputFolder, options);
    const std::size_t converted = result.written;
    const bool cancelled = result.cancelled;
    const std::size_t files = result.files;
    ShowSummary(QStringLiteral("Converted %1 of %2 files into %3%4")
                    .arg(converted)
                    .arg(files)
                    .arg(ToQt(outputFolder))
                    .arg(cancelled ? QStringLiteral(" (cancelled)") : QString()));
    ShowFailures("Lumigram", QStringLiteral("%1 files were not converted:").arg(failures.size()),
                 failures);
}

void TSDIAppForm::OpenEZX1Click() {
    openDialog_->Title = kPackageTitle;
    openDialog_->Filter = kPackageFilter;
    openDialog_->defaultExt.clear();
    openDialog_->InitialDir = StartFolder(kOpenDialogName);
    if (!openDialog_->Execute(this)) {
        return;
    }
    WindowSettings::SetLastFolder(kOpenDialogName, FolderOf(openDialog_->fileName));
    UnpackPackage(FromQt(openDialog_->fileName));
}

void TSDIAppForm::BrowsePackageClick() {
    openDialog_->Title = "Browse package";
    openDialog_->Filter = kPackageFilter;
    openDialog_->defaultExt.clear();
    openDialog_->InitialDir = StartFolder(kOpenDialogName);
    if (!openDialog_->Execute(this)) {
        return;
    }
    WindowSettings::SetLastFolder(kOpenDialogName, FolderOf(openDialog_->fileName));
    BrowsePackage(openDialog_->fileName);
}

void TSDIAppForm::BrowsePackage(const QString& path) {
    if (workbench_ == nullptr) {
        CreateFolders(JoinPath(scratch_.path(), "workbench"));
        workbench_ = new WorkbenchWindow(JoinPath(scratch_.path(), "workbench"), this);
    }
    workbench_->SetTransparency(state_.transparency);
    // Shown only once the package is open: a refused one leaves no empty window.
    if (workbench_->OpenPackage(FromQt(QFileInfo(path).absoluteFilePath()))) {
        workbench_->show();
        workbench_->raise();
    }
}

void TSDIAppForm::UnpackPackage(const std::string& package) {
    folderPicker_->Title.clear();  // the picker's own caption
    folderPicker_->InitialDir = StartFolder(kFolderDialogName);
    if (!folderPicker_->Execute(this)) {
        return;
    }
    const QString folder = folderPicker_->Directory();
    WindowSettings::SetLastFolder(kFolderDialogName, folder);
    UnpackOptions options;
    if (const std::vector<std::string> existing = ExistingMemberFiles(package, FromQt(folder));
        !existing.empty()) {
        const int answer = AskQuestion(
            "Open EZX",
            QStringLiteral("%1 files in %2 will be replaced").arg(existing.size()).arg(folder),
            {"Replace", "Skip existing", "Cancel"}, this);
        if (answer != 0 && answer != 1) {
            return;
        }
        options.skipExisting = answer == 1;
    }
    QStringList failures;
    options.onMemberNotWritten = [&](const MemberProblem& problem) {
        failures << ToQt(problem.memberPath) + ": " + ToQt(problem.message);
    };
    std::unique_ptr<BatchProgress> progress;
    options.onProgress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress = std::make_unique<BatchProgress>(this, "Open EZX", static_cast<int>(total));
        }
        return progress->Step(static_cast<int>(done));
    };
    const UnpackResult result = UnpackEZX(package, FromQt(folder), options);
    QString summary = QStringLiteral("Unpacked %1 members into %2").arg(result.written).arg(folder);
    if (result.skipped > 0) {
        summary += QStringLiteral(", %1 existing files skipped").arg(result.skipped);
    }
    if (result.cancelled) {
        summary += QStringLiteral(" (cancelled)");
    }
    ShowSummary(summary);
    ShowFailures("Error", QStringLiteral("%1 members were not written:").arg(failures.size()),
                 failures);
}

void TSDIAppForm::SaveEZX1Click() {
    folderPicker_->Title.clear();  // the picker's own caption
    folderPicker_->InitialDir = StartFolder(kFolderDialogName);
    if (!folderPicker_->Execute(this)) {
        return;
    }
    const QString folder = folderPicker_->Directory();
    WindowSettings::SetLastFolder(kFolderDialogName, folder);
    saveDialog_->Title = kSaveTitle;
    saveDialog_->Filter = kPackageFilter;
    saveDialog_->defaultExt = ".ezx";
    saveDialog_->confirmOverwrite = true;
    saveDialog_->InitialDir = StartFolder(kSaveDialogName);
    if (!saveDialog_->Execute(this)) {
        return;
    }
    WindowSettings::SetLastFolder(kSaveDialogName, FolderOf(saveDialog_->fileName));
    std::unique_ptr<BatchProgress> progress;
    PackOptions options;
    options.onProgress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress = std::make_unique<BatchProgress>(this, "Save EZX", static_cast<int>(total));
        }
        return progress->Step(static_cast<int>(done));
    };
    const PackResult result = PackEZX(FromQt(folder), FromQt(saveDialog_->fileName), options);
    if (result.members == 0) {
        ShowSummary(QStringLiteral("Nothing to pack in %1").arg(folder));
    } else if (result.cancelled) {
        ShowSummary(QStringLiteral("Save EZX cancelled: nothing written"));
    } else {
        ShowSummary(QStringLiteral("Packed %1 members into %2")
                        .arg(result.members)
                        .arg(saveDialog_->fileName));
    }
}

void TSDIAppForm::RefreshRecentMenu() {
    recentMenu_->clear();
    const QStringList files = WindowSettings::RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        QAction* action =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(path));
        connect(action, &QAction::triggered, this, [this, path] { OpenPath(path); });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

void TSDIAppForm::SetZoom(int zoom) {
    preview_->SetZoom(zoom);
    const auto step = std::find(kZoomSteps.begin(), kZoomSteps.end(), zoom);
    const std::size_t index = step == kZoomSteps.end()
                                  ? zoomFactorActions.size() - 1
                                  : static_cast<std::size_t>(step - kZoomSteps.begin());
    zoomFactorActions[index]->setChecked(true);
}

void TSDIAppForm::StepZoom(int direction) {
    const int zoom = preview_->Zoom();
    if (zoom == TPreviewImage::kZoomFit) {
        SetZoom(direction > 0 ? kZoomSteps[1] : kZoomSteps[0]);
        return;
    }
    const auto step = std::find(kZoomSteps.begin(), kZoomSteps.end(), zoom);
    const auto index =
        std::clamp<std::ptrdiff_t>((step - kZoomSteps.begin()) + direction, 0,
                                   static_cast<std::ptrdiff_t>(kZoomSteps.size()) - 1);
    SetZoom(kZoomSteps[static_cast<std::size_t>(index)]);
}

void TSDIAppForm::FileExit1Execute() {
    close();
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    if (workbench_ != nullptr && !workbench_->ResolveUnsaved()) {
        event->ignore();  // the package's changes are still wanted
        return;
    }
    scratch_.Remove();  // by Exit or by the close box alike
    QMainWindow::closeEvent(event);
}

void TSDIAppForm::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void TSDIAppForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    OpenPath(urls.first().toLocalFile());
}

void TSDIAppForm::HelpAbout1Execute() {
    RunModal(*aboutBox_);
}

}  // namespace lumigram
