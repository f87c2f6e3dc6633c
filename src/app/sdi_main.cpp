#include "app/sdi_main.h"

#include <QAction>
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
#include <filesystem>
#include <memory>
#include <optional>

#include "app/about_box.h"
#include "app/batch_progress.h"
#include "app/command.h"
#include "app/file_list_box.h"
#include "app/glyphs.h"
#include "app/grow_layout.h"
#include "app/shape.h"
#include "app/window_placement.h"
#include "app/window_settings.h"
#include "app/workbench/workbench_window.h"
#include "codec/folder_conversion.h"
#include "codec/picture_groups.h"
#include "dialogs/dialog_seam.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/open_dir.h"
#include "display/file_picture.h"
#include "display/preview_image.h"
#include "display/zoom_view.h"
#include "package/ezx_existing.h"
#include "package/ezx_pack.h"
#include "package/ezx_unpack.h"
#include "package/member_names.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/printable_text.h"

namespace lumigram {
namespace {

const QString kPictureFilter = ".k/g files|*.g;*.k|Images|*.bmp;*.gif;*.png";
const QString kPackageFilter = "EZX files|*.ezx";
const QString kOpenTitle = "Open file";
const QString kSaveTitle = "Save converted file";
const QString kPackageTitle = "Select an .ezx file";
const QString kOutputFolderTitle = "Select directory to save converted files";
const QString kPlaceKey = QStringLiteral("main");

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

}  // namespace

TSDIAppForm::TSDIAppForm(QWidget* parent)
    : QMainWindow(parent), document_(new PictureDocument(this)), state_(document_->state()) {
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

    // Outer size 544 x 524 at (197, 111); Qt sizes the client area, frame aside.
    resize(536, 490);
    BuildActions();
    BuildMenus();
    statusBar()->setObjectName("StatusBar");
    statusBar()->setSizeGripEnabled(true);
    batchSummary_ = new QLabel(statusBar());
    batchSummary_->setObjectName("BatchSummary");
    statusBar()->addWidget(batchSummary_, 1);
    zoomInfo_ = new QLabel(statusBar());
    zoomInfo_->setObjectName("ZoomInfo");
    statusBar()->addPermanentWidget(zoomInfo_);
    pictureInfo_ = new QLabel(statusBar());
    pictureInfo_->setObjectName("PictureInfo");
    statusBar()->addPermanentWidget(pictureInfo_);
    // Measured with the menu bar and the status bar in place.
    BuildClientArea();
    const ZoomActions zoom = AddZoomActions(*viewMenu_, *previewArea_);
    zoomInAction = zoom.zoomIn;
    zoomOutAction = zoom.zoomOut;
    zoomActualAction = zoom.actualSize;
    zoomFactorActions = zoom.factors;
    // On any screen at any scale: within its available room, where it was last.
    PlaceWindow(*this, kPlaceKey, QRect(197, 111, 536, 490));

    // The widgets follow the document; a failure to show (no memory for a
    // picture) reaches the error box, not Qt's signal delivery.
    connect(document_, &PictureDocument::pictureChanged, this,
            [this](bool anotherFile) { RunCommand([&] { ShowPicture(anotherFile); }); });
    ConnectCommand(document_, &PictureDocument::fileListChanged, this, [this] { ShowFileList(); });
    ConnectCommand(document_, &PictureDocument::transparencyChanged, this,
                   [this] { ShowTransparency(); });
    ConnectCommand(document_, &PictureDocument::messageChanged, this, [this] { ShowMessage(); });
    connect(previewArea_, &TZoomView::zoomChanged, this,
            [this] { zoomInfo_->setText(previewArea_->ZoomText()); });
    FormCreate();
    aboutBox_ = new TAboutBox(this);
    aboutBox_->hide();
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::FormCreate() {
    batchScratch_ = JoinPath(document_->ScratchFolder(), "batch");
    ShowCurrentFileInTitle();
    RefreshRecentMenu();
}

void TSDIAppForm::BuildActions() {
    // Every action of the window, with its caption, hint ("short|long": the
    // tool tip and the status bar's text), shortcut, glyph and command.
    const QStyle& look = *style();
    struct Spec {
        QAction*& action;
        const char* name;
        const char* category;
        const char* caption;
        const char* hint;
        const char* shortcut;
        std::optional<Glyph> glyph;
        void (TSDIAppForm::*command)();
    };
    const Spec specs[] = {
        {FileNew1, "FileNew1", "File", "&New", "New|Create a new file", "Ctrl+N", Glyph::kNew,
         nullptr},
        {FileOpen1, "FileOpen1", "File", "&Open", "Open|Open a file", "Ctrl+O", Glyph::kOpen,
         &TSDIAppForm::FileOpen1Execute},
        {FileSave1, "FileSave1", "File", "&Save", "Save|Save current file", "Ctrl+S", Glyph::kSave,
         &TSDIAppForm::FileSave1Execute},
        {FileSaveAs1, "FileSaveAs1", "File", "Save &As...",
         "Save As|Save current file with different name", "", std::nullopt,
         &TSDIAppForm::FileSave1Execute},
        {FileExit1, "FileExit1", "File", "E&xit", "Exit|Exit application", "", std::nullopt,
         &TSDIAppForm::FileExit1Execute},
        {EditCut1, "EditCut1", "Edit", "Cu&t",
         "Cut|Cuts the selection and puts it on the Clipboard", "Ctrl+X", Glyph::kCut, nullptr},
        {EditCopy1, "EditCopy1", "Edit", "&Copy",
         "Copy|Copies the selection and puts it on the Clipboard", "Ctrl+C", Glyph::kCopy, nullptr},
        {EditPaste1, "EditPaste1", "Edit", "&Paste", "Paste|Inserts Clipboard contents", "Ctrl+V",
         Glyph::kPaste, nullptr},
        {HelpAbout1, "HelpAbout1", "Help", "&About...",
         "About|Displays program information, version number, and copyright", "", std::nullopt,
         &TSDIAppForm::HelpAbout1Execute},
        // Beyond the design: access keys that no other item of the File menu
        // uses, and no shortcut of their own but Ctrl+B.
        {Convertall1, "Convertall1", "File", "&Convert all", "", "", std::nullopt,
         &TSDIAppForm::Convertall1Click},
        {OpenEZX1, "OpenEZX1", "File", "Open &EZX", "", "", std::nullopt,
         &TSDIAppForm::OpenEZX1Click},
        {SaveEZX1, "SaveEZX1", "File", "Save E&ZX...", "", "", std::nullopt,
         &TSDIAppForm::SaveEZX1Click},
        {exportPngAction, "exportPngAction", "File", "Export &PNG...",
         "|Write the current picture as PNG with its transparency", "", std::nullopt,
         &TSDIAppForm::ExportPngClick},
        {saveSkinPictureAction, "saveSkinPictureAction", "File", "Save as s&kin picture...",
         "|Write the current BMP or PNG as a .k, PNG alpha as the mask", "", std::nullopt,
         &TSDIAppForm::SaveSkinPictureClick},
        {browsePackageAction, "browsePackageAction", "File", "&Browse package...",
         "|Open a skin package in the workbench", "Ctrl+B", std::nullopt,
         &TSDIAppForm::BrowsePackageClick},
    };
    for (const Spec& spec : specs) {
        spec.action = new QAction(spec.caption, this);
        spec.action->setObjectName(spec.name);
        spec.action->setProperty("category", spec.category);
        const QString hint = spec.hint;
        if (!hint.isEmpty()) {
            const qsizetype bar = hint.indexOf(QLatin1Char('|'));
            spec.action->setToolTip(bar > 0 ? hint.left(bar) : QString());
            spec.action->setStatusTip(hint.mid(bar + 1));
        }
        spec.action->setShortcut(QKeySequence(spec.shortcut));
        if (spec.glyph) {
            spec.action->setIcon(GlyphIcon(*spec.glyph, look));
        }
        if (spec.command != nullptr) {
            ConnectCommand(spec.action, &QAction::triggered, this,
                           [this, command = spec.command] { (this->*command)(); });
        }
    }
    // Shortcuts are live whether or not a menu item shows them. New and the
    // clipboard actions have no target in this window: they do nothing.
    addActions(
        {FileNew1, FileOpen1, FileSave1, EditCut1, EditCopy1, EditPaste1, browsePackageAction});
}

void TSDIAppForm::BuildMenus() {
    menuBar()->setObjectName("MainMenu1");
    fileMenu_ = menuBar()->addMenu("&File");
    fileMenu_->setObjectName("File1");
    fileMenu_->menuAction()->setStatusTip("File related commands");
    fileMenu_->addAction(FileOpen1);
    recentMenu_ = fileMenu_->addMenu("Open &Recent");
    recentMenu_->setObjectName("OpenRecent1");
    fileMenu_->addActions({Convertall1, OpenEZX1, SaveEZX1, exportPngAction, saveSkinPictureAction,
                           browsePackageAction, FileSaveAs1});
    fileMenu_->addSeparator()->setObjectName("N1");
    fileMenu_->addAction(FileExit1);

    viewMenu_ = menuBar()->addMenu("&View");
    viewMenu_->setObjectName("View1");  // its zoom items come with the preview

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
    // every control where it is at that size, grows preview and list beyond,
    // and shrinks them on a screen too small for it.
    layout()->activate();
    auto* grow = new TGrowLayout(client, client->size(), QSize(150, 150));
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
    toolBar_->addActions({FileOpen1, FileSave1});
    openButton_ = qobject_cast<QToolButton*>(toolBar_->widgetForAction(FileOpen1));
    saveButton_ = qobject_cast<QToolButton*>(toolBar_->widgetForAction(FileSave1));
    grow->Add(toolBar_, {0, 0, client->width(), 30}, {0, 0, 1, 0});

    previewLabel_ = new QLabel("Preview", client);
    previewLabel_->setObjectName("Label1");
    grow->Add(previewLabel_, {16, 40, 52, 16}, {});

    previewFrame_ = new TShape(client);
    previewFrame_->setObjectName("Shape1");
    grow->Add(previewFrame_, {16, 64, 257, 337}, previewSide);

    // The preview in a scroll area of its place and size: a picture that fits
    // shows as it always did, a larger or zoomed one scrolls.
    previewArea_ = new TZoomView(client);
    previewArea_->setObjectName("PreviewArea");
    preview_ = previewArea_->preview();
    preview_->setObjectName("PreviewImage1");
    preview_->SetCheckerboard(true);
    grow->Add(previewArea_, {24, 72, 241, 321}, previewSide);

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
    ConnectCommand(fileList_, &TFileListBox::userChoseRow, this, [this] { ListBox1Click(); });
    ConnectCommand(transparencyBox_, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    ConnectCommand(colourButton_, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TSDIAppForm::ShowPicture(bool anotherFile) {
    preview_->SetPicture(&document_->picture());
    if (anotherFile) {
        previewArea_->PictureChanged();
    }
    ShowCurrentFileInTitle();
    pictureInfo_->setText(document_->pictureInfo());
    zoomInfo_->setText(previewArea_->ZoomText());
    SelectCurrentRow();
}

void TSDIAppForm::ShowFileList() {
    const QSignalBlocker quiet(fileList_);  // filling the list shows nothing
    fileList_->clear();
    for (const std::string& path : state_.FileList) {
        fileList_->addItem(ToQt(ExtractFileName(path)));
    }
    SelectCurrentRow();
}

void TSDIAppForm::ShowTransparency() {
    const bool enabled = state_.transparency.enabled;
    {
        const QSignalBlocker quiet(transparencyBox_);
        transparencyBox_->setChecked(enabled);
    }
    colourButton_->setEnabled(enabled);
    colourSwatch_->setHidden(!enabled);
    colourSwatch_->SetBrushColour(ToQColor(state_.transparency.colour));
    if (workbench_ != nullptr) {
        workbench_->SetTransparency(state_.transparency);
    }
}

void TSDIAppForm::ShowMessage() {
    batchSummary_->setText(document_->message());
    statusBar()->clearMessage();
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
    document_->SetMessage(text);
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

void TSDIAppForm::FileOpen1Execute() {
    openDialog_->Title = kOpenTitle;
    openDialog_->Filter = kPictureFilter;
    openDialog_->defaultExt.clear();
    openDialog_->InitialDir = StartFolder(kOpenDialogName);
    if (!openDialog_->Execute(this)) {
        document_->ListFolder();  // a cancelled Open still lists the current folder
        return;
    }
    WindowSettings::SetLastFolder(kOpenDialogName, FolderOf(openDialog_->fileName));
    OpenPicture(FromQt(openDialog_->fileName));
}

void TSDIAppForm::OpenPicture(const std::string& name) {
    document_->LoadAndPreview(name);
    document_->ListFolder();
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

void TSDIAppForm::SelectCurrentRow() {
    const QSignalBlocker quiet(fileList_);
    fileList_->setCurrentRow(document_->CurrentRow());
}

void TSDIAppForm::ListBox1Click() {
    const int i = fileList_->currentRow();
    if (i < 0) {
        return;
    }
    try {
        document_->ShowRow(static_cast<std::size_t>(i));
    } catch (...) {
        SelectCurrentRow();  // the list goes back to the file still shown
        throw;
    }
}

void TSDIAppForm::CheckBox1Click() {
    Transparency transparency = state_.transparency;
    transparency.enabled = transparencyBox_->isChecked();
    document_->SetTransparency(transparency);
}

void TSDIAppForm::Button1Click() {
    if (!colourDialog_->Execute(this)) {
        return;
    }
    const std::uint32_t colour = colourDialog_->color;  // 0x00BBGGRR
    Transparency transparency = state_.transparency;
    transparency.colour = TransparencyColour{static_cast<std::uint8_t>(colour >> 16),
                                             static_cast<std::uint8_t>(colour >> 8),
                                             static_cast<std::uint8_t>(colour)};
    document_->SetTransparency(transparency);
}

void TSDIAppForm::FileSave1Execute() {
    saveDialog_->Title = kSaveTitle;
    saveDialog_->Filter = document_->SaveFilter();
    // The name in the direction the save writes: the source is never the
    // default target, and a name typed bare gets the extension of its content.
    saveDialog_->defaultExt = ToQt(document_->SaveExtension());
    saveDialog_->fileName = ToQt(document_->ProposedSaveName());
    saveDialog_->confirmOverwrite = true;
    saveDialog_->InitialDir = StartFolder(kSaveDialogName);
    if (!saveDialog_->Execute(this)) {
        return;
    }
    WindowSettings::SetLastFolder(kSaveDialogName, FolderOf(saveDialog_->fileName));
    document_->SaveTo(FromQt(saveDialog_->fileName));
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

WorkbenchWindow& TSDIAppForm::Workbench() {
    if (workbench_ == nullptr) {
        workbench_ = new WorkbenchWindow(this);
        workbench_->SetTransparency(state_.transparency);
    }
    return *workbench_;
}

void TSDIAppForm::BrowsePackage(const QString& path) {
    WorkbenchWindow& workbench = Workbench();
    // Shown only once the package is open: a refused one leaves no empty window.
    if (workbench.OpenPackage(FromQt(QFileInfo(path).absoluteFilePath()))) {
        workbench.show();
        workbench.raise();
        workbench.activateWindow();
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
            {"&Replace", "&Skip existing", "&Cancel"}, this);
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
        ConnectCommand(action, &QAction::triggered, this, [this, path] { OpenPath(path); });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

void TSDIAppForm::FileExit1Execute() {
    close();
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    if (workbench_ != nullptr && !workbench_->ResolveUnsaved()) {
        event->ignore();  // the package's changes are still wanted
        return;
    }
    RememberPlace(*this, kPlaceKey);
    document_->RemoveScratchFolder();  // by Exit or by the close box alike
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
    RunCommand([this, file = urls.first().toLocalFile()] { OpenPath(file); });
}

void TSDIAppForm::HelpAbout1Execute() {
    RunModal(*aboutBox_);
}

}  // namespace lumigram
