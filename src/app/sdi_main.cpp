#include "app/sdi_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/about_box.h"
#include "app/batch_progress.h"
#include "app/glyphs.h"
#include "app/shape.h"
#include "codec/conversion_run.h"
#include "codec/convert_one_file.h"
#include "codec/g_picture.h"
#include "codec/picture_groups.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "dialogs/dialog_seam.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/open_dir.h"
#include "display/preview_image.h"
#include "package/ezx_pack.h"
#include "package/ezx_unpack.h"
#include "package/member_names.h"
#include "platform/copy_by_blocks.h"
#include "platform/file_ops.h"
#include "platform/scratch.h"

namespace lumigram {
namespace {

const QString kPictureFilter = ".k/g files|*.g;*.k|Images|*.bmp;*.gif;*.png";
const QString kPackageFilter = "EZX files|*.ezx";
const QString kImageSaveFilter = "Images|*.png;*.gif;*.bmp";
const QString kSkinSaveFilter = ".k/g files|*.k;*.g";

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
    return text.toStdString();
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

// Names a control and puts it where the layout says, in client-area pixels.
template <typename Widget>
Widget* Place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

TSDIAppForm::TSDIAppForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("SDIAppForm");
    setWindowTitle("Lumigram");
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);

    OpenDialog = new TFileDialog(TFileDialog::Mode::kOpen, this);
    OpenDialog->Title = "Open file";
    OpenDialog->FileMustExist = true;
    SaveDialog = new TFileDialog(TFileDialog::Mode::kSave, this);
    SaveDialog->Title = "Save converted file";
    SaveDialog->ConfirmOverwrite = false;
    ColorDialog1 = new TColorDialog(this);
    OpenDirectory1 = new TOpenDirectory(this);

    BuildActions();
    BuildMenus();
    BuildClientArea();
    statusBar()->setObjectName("StatusBar");
    statusBar()->setSizeGripEnabled(true);

    // Outer size 544 x 524 at (197, 111); Qt sizes the client area, frame aside.
    move(197, 111);
    resize(536, 490);
    FormCreate();
    AboutBox = new TAboutBox(this);
    AboutBox->hide();
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::FormCreate() {
    state_.TransparencyBlue = 255;
    state_.TransparencyGreen = 0;
    state_.TransparencyRed = 255;
    SetScratchDir(CurrentDirectory());
    state_.CurrentFile.clear();
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
    File1 = menuBar()->addMenu("&File");
    File1->setObjectName("File1");
    File1->menuAction()->setStatusTip("File related commands");
    File1->addAction(FileOpen1);
    Convertall1 = File1->addAction("Convert all");
    Convertall1->setObjectName("Convertall1");
    OpenEZX1 = File1->addAction("Open EZX");
    OpenEZX1->setObjectName("OpenEZX1");
    SaveEZX1 = File1->addAction("Save EZX...");
    SaveEZX1->setObjectName("SaveEZX1");
    File1->addAction(FileSaveAs1);
    File1->addSeparator()->setObjectName("N1");
    File1->addAction(FileExit1);
    Help1 = menuBar()->addMenu("&Help");
    Help1->setObjectName("Help1");
    Help1->menuAction()->setStatusTip("Help topics");
    Help1->addAction(HelpAbout1);

    connect(Convertall1, &QAction::triggered, this, &TSDIAppForm::Convertall1Click);
    connect(OpenEZX1, &QAction::triggered, this, &TSDIAppForm::OpenEZX1Click);
    connect(SaveEZX1, &QAction::triggered, this, &TSDIAppForm::SaveEZX1Click);
}

void TSDIAppForm::BuildClientArea() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);

    // The tool bar sits in the client area, full width, above the controls.
    ToolBar1 = new QToolBar(client);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setGeometry(0, 0, width(), 30);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setContentsMargins(5, 0, 0, 0);
    ToolBar1->addAction(FileOpen1);
    ToolBar1->addAction(FileSave1);
    ToolButton1 = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(FileOpen1));
    ToolButton2 = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(FileSave1));

    Label1 = Place(new QLabel("Preview", client), "Label1", {16, 40, 52, 16});

    Shape1 = Place(new TShape(client), "Shape1", {16, 64, 257, 337});

    PreviewImage1 = Place(new TPreviewImage(client), "PreviewImage1", {24, 72, 241, 321});

    ListBox1 = Place(new QListWidget(client), "ListBox1", {296, 64, 225, 217});
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    QFont listFont = ListBox1->font();
    listFont.setPixelSize(11);
    ListBox1->setFont(listFont);
    QPalette listPalette = ListBox1->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    ListBox1->setPalette(listPalette);
    ListBox1->setStyleSheet("QListWidget::item { height: 16px; }");

    CheckBox1 =
        Place(new QCheckBox("Enable transparency", client), "CheckBox1", {304, 312, 201, 17});
    CheckBox1->setChecked(true);

    Button1 = Place(new QPushButton("Transparency color", client), "Button1", {304, 352, 145, 33});

    Shape2 = Place(new TShape(client), "Shape2", {488, 352, 33, 33});
    Shape2->SetBrushColour(QColor(255, 0, 255));

    setTabOrder(ToolBar1, ListBox1);
    setTabOrder(ListBox1, Button1);
    setTabOrder(Button1, CheckBox1);

    // A click previews its item, even one already selected; the arrow keys
    // preview every item they pass. A press that moves the selection leaves the
    // preview to the click that follows, so one click previews once.
    connect(ListBox1, &QListWidget::itemClicked, this, &TSDIAppForm::ListBox1Click);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] {
        if (QApplication::mouseButtons() == Qt::NoButton) {
            ListBox1Click();
        }
    });
    connect(CheckBox1, &QCheckBox::toggled, this, &TSDIAppForm::CheckBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);
}

bool TSDIAppForm::TransparencyEnabled() const {
    return !Shape2->isHidden();
}

void TSDIAppForm::TakeCurrentFile(std::string name) {
    state_.CurrentFile = std::move(name);
    state_.CurrentExt = ExtractFileExt(state_.CurrentFile);
    state_.Kind = FileKindOf(state_.CurrentFile);
}

void TSDIAppForm::FileOpen1Execute() {
    ListBox1->clear();
    OpenDialog->Filter = kPictureFilter;
    if (OpenDialog->Execute(this)) {
        TakeCurrentFile(FromQt(OpenDialog->FileName));
        LoadAndPreview();
    }
    FillFileList();
}

void TSDIAppForm::FillFileList() {
    state_.FileCount = 0;
    state_.CurrentFolder = ExtractFilePath(state_.CurrentFile);
    const std::vector<std::string> names =
        ListGroupFiles(state_.CurrentFolder, state_.Kind, kFileListSlots - 1);
    state_.FileList.assign(names.size() + 1, std::string());
    const QSignalBlocker quiet(ListBox1);  // filling the list selects nothing
    for (const std::string& name : names) {
        ++state_.FileCount;
        state_.FileList[static_cast<std::size_t>(state_.FileCount)] = state_.CurrentFolder + name;
        ListBox1->addItem(ToQt(name));
    }
}

void TSDIAppForm::ListBox1Click() {
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= state_.FileCount) {
        return;  // the list was cleared
    }
    TakeCurrentFile(state_.FileList[static_cast<std::size_t>(i) + 1]);
    LoadAndPreview();
}

void TSDIAppForm::LoadAndPreview() {
    const bool enabled = TransparencyEnabled();
    switch (state_.Kind) {
        case FileKind::kSkin:
            DecodeSkinPicture(state_.CurrentFile, state_.TransparencyBlue, state_.TransparencyGreen,
                              state_.TransparencyRed, enabled);
            state_.PreviewFile = ScratchPath(kScratchBmp);
            break;
        case FileKind::kGPicture: {
            const std::string_view name = ScratchNameFor(ReadGSignature(state_.CurrentFile));
            state_.PreviewFile = name.empty() ? std::string() : ScratchPath(name);
            if (!name.empty()) {
                CopyFileQuietly(state_.CurrentFile, state_.PreviewFile);
            }
            break;
        }
        default:
            EncodeSkinPicture(state_.CurrentFile, state_.TransparencyBlue, state_.TransparencyGreen,
                              state_.TransparencyRed, enabled);
            state_.PreviewFile = state_.CurrentFile;
            break;
    }
    PreviewImage1->Picture().LoadFromFile(ToQt(state_.PreviewFile));
}

void TSDIAppForm::CheckBox1Click() {
    const bool ticked = CheckBox1->isChecked();
    Button1->setEnabled(ticked);
    Shape2->setHidden(!ticked);
}

void TSDIAppForm::Button1Click() {
    if (!ColorDialog1->Execute(this)) {
        return;
    }
    const std::uint32_t colour = ColorDialog1->Color;  // 0x00BBGGRR
    Shape2->SetBrushColour(QColor(static_cast<int>(colour & 0xFF),
                                  static_cast<int>((colour >> 8) & 0xFF),
                                  static_cast<int>((colour >> 16) & 0xFF)));
    state_.TransparencyBlue = static_cast<std::uint8_t>(colour >> 16);
    state_.TransparencyGreen = static_cast<std::uint8_t>(colour >> 8);
    state_.TransparencyRed = static_cast<std::uint8_t>(colour);
    if (state_.Kind == FileKind::kSkin) {
        LoadAndPreview();
    }
}

void TSDIAppForm::FileSave1Execute() {
    const bool pictureKind = state_.Kind == FileKind::kSkin || state_.Kind == FileKind::kGPicture;
    SaveDialog->FileName = ToQt(ExtractFileName(state_.CurrentFile));
    SaveDialog->Filter = pictureKind ? kImageSaveFilter : kSkinSaveFilter;
    if (!SaveDialog->Execute(this)) {
        return;
    }
    const std::string name = FromQt(SaveDialog->FileName);
    if (pictureKind) {
        PreviewImage1->Picture().SaveToFile(ToQt(name));
    } else {
        state_.CurrentFile = ScratchPath(kScratchK);
        CopyFileByBlocks(state_.CurrentFile, name);
    }
}

void TSDIAppForm::Convertall1Click() {
    OpenDialog->Filter = kPictureFilter;
    if (!OpenDialog->Execute(this)) {
        return;
    }
    state_.CurrentFile = FromQt(OpenDialog->FileName);
    OpenDirectory1->Title = "Select directory to save converted files";
    if (!OpenDirectory1->Execute(this)) {
        return;
    }
    const std::string outputFolder = FromQt(OpenDirectory1->Directory());
    state_.CurrentExt = ExtractFileExt(state_.CurrentFile);
    state_.Kind = FileKindOf(state_.CurrentFile);
    state_.CurrentFolder = ExtractFilePath(state_.CurrentFile);

    // A scratch file left by an earlier preview would be taken for a result.
    DeleteScratchFiles(ScratchDir());
    const std::vector<std::string> names =
        ListGroupFiles(state_.CurrentFolder, state_.Kind, static_cast<std::size_t>(-1));
    BatchProgress progress(this, "Convert all", static_cast<int>(names.size()));
    const TransparencyColour colour{state_.TransparencyBlue, state_.TransparencyGreen,
                                    state_.TransparencyRed};
    const bool enabled = TransparencyEnabled();
    // No file of the run replaces another's output (logo.gif and logo.png both
    // give logo.g): such a file is skipped and listed when the run ends.
    ConversionRun run;
    QStringList collisions;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string source = state_.CurrentFolder + names[i];
        const OutputDecision decision = run.Decide(PlannedOutputPath(source, outputFolder));
        if (decision.verdict != OutputVerdict::kWrite) {
            collisions << ToQt(EscapeName(names[i], true) + ": " + decision.message);
        } else if (const ConversionOutcome outcome =
                       ConvertOneFile(source, outputFolder, ScratchDir(), colour, enabled);
                   outcome.written) {
            run.Written(source, outcome.destination);
        }
        if (!progress.Step(static_cast<int>(i + 1))) {
            break;
        }
    }
    if (!collisions.isEmpty()) {
        ShowMessageBox("Convert all",
                       "Not every file was converted:\n" + collisions.join(QLatin1Char('\n')),
                       MessageIcon::kCritical, this);
    }
}

void TSDIAppForm::OpenEZX1Click() {
    OpenDialog->Filter = kPackageFilter;
    OpenDialog->Title = "Select an .ezx file";
    if (!OpenDialog->Execute(this)) {
        return;
    }
    const std::string package = FromQt(OpenDialog->FileName);
    if (!OpenDirectory1->Execute(this)) {
        return;
    }
    std::unique_ptr<BatchProgress> progress;
    UnpackOptions options;
    options.onMemberNotWritten = [](const MemberProblem& problem) {
        ShowMessageBox("Error", ToQt(problem.memberPath), MessageIcon::kNone);
    };
    options.onProgress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress = std::make_unique<BatchProgress>(this, "Open EZX", static_cast<int>(total));
        }
        return progress->Step(static_cast<int>(done));
    };
    UnpackEZX(package, FromQt(OpenDirectory1->Directory()), options);
}

void TSDIAppForm::SaveEZX1Click() {
    if (!OpenDirectory1->Execute(this)) {
        return;
    }
    SaveDialog->Filter = kPackageFilter;
    SaveDialog->DefaultExt = ".ezx";
    if (!SaveDialog->Execute(this)) {
        return;
    }
    std::unique_ptr<BatchProgress> progress;
    PackOptions options;
    options.onProgress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress = std::make_unique<BatchProgress>(this, "Save EZX", static_cast<int>(total));
        }
        return progress->Step(static_cast<int>(done));
    };
    PackEZX(FromQt(OpenDirectory1->Directory()), FromQt(SaveDialog->FileName), options);
}

void TSDIAppForm::FileExit1Execute() {
    DeleteExitScratchFiles(ScratchDir());
    close();
}

void TSDIAppForm::HelpAbout1Execute() {
    RunModal(*AboutBox);
}

}  // namespace lumigram
