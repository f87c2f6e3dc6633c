#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "app/window_fixture.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

BmpSpec Plain(Rgb colour) {
    BmpSpec spec;
    spec.width = 2;
    spec.height = 2;
    spec.pixel = [colour](int, int) { return colour; };
    return spec;
}

class WindowFixesTest : public WindowTest {
  protected:
    // ant.k and pic.k, different pictures, in the pictures folder.
    void PutTwoSkins() {
        Put("ant.bmp", MakeBmp(Plain(Rgb{10, 20, 30})));
        Put("pic.bmp", MakeBmp(Plain(Rgb{200, 100, 0})));
        for (const std::string stem : {"ant", "pic"}) {
            EncodeSkinPictureTo(Pic(stem + ".bmp"), Pic(stem + ".k"), TransparencyColour{}, false);
            std::filesystem::remove(Pic(stem + ".bmp"));
        }
    }
};

// The list getting the focus with no current row makes Qt choose row 0; that
// is no choice of the user's and must show nothing.
TEST_F(WindowFixesTest, TheListGettingTheFocusKeepsTheOpenedFile) {
    PutTwoSkins();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // The file to open is the one that is not in the list's first row.
    Expect({Accept(Pic("ant.k"))});
    Trigger(window_->FileOpen1);
    const std::string opened = ListItems()[0] == "ant.k" ? "pic.k" : "ant.k";
    Expect({Accept(Pic(opened))});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(Widgets().fileList->currentRow(), 1);  // set without a preview

    Widgets().fileList->clearFocus();
    Widgets().fileList->setCurrentRow(-1);  // as after a list refilled by Qt
    Widgets().colourButton->setFocus(Qt::OtherFocusReason);
    Widgets().fileList->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(Widgets().fileList->hasFocus());
    EXPECT_EQ(window_->state().CurrentFile, Pic(opened));

    Expect({Accept(dir_.File("saved.bmp"))});
    Trigger(window_->FileSave1);
    const std::string expected = dir_.File("expected.bmp");
    DecodeSkinPictureTo(Pic(opened), expected, TransparencyColour{}, true);
    EXPECT_EQ(ReadAll(dir_.File("saved.bmp")), ReadAll(expected));
}

TEST_F(WindowFixesTest, EverySaveAsksBeforeReplacing) {
    Put("pic.bmp", MakeBmp(Plain(Rgb{1, 2, 3})));
    Expect({Accept(Pic("pic.bmp"))});
    Trigger(window_->FileOpen1);
    const struct {
        QAction* action;
        std::initializer_list<DialogAnswer> answers;
    } rows[] = {{window_->FileSave1, {DialogAnswer::Cancel()}},
                {window_->FileSaveAs1, {DialogAnswer::Cancel()}},
                {window_->SaveEZX1, {Accept(Pics()), DialogAnswer::Cancel()}}};
    for (const auto& row : rows) {
        Expect(row.answers);
        Trigger(row.action);
        EXPECT_EQ(requests_.back().kind, DialogKind::kSaveFile);
        EXPECT_TRUE(requests_.back().confirmOverwrite) << row.action->text().toStdString();
    }
}

TEST_F(WindowFixesTest, EachWindowHasAPrivateScratchFolderAndStaleOnesGo) {
    // A folder left by a run whose process is gone, and one of a live process.
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const std::string stale = Runtime() + "/lumigram-window-" + std::to_string(child) + "-AbCdEf";
    const std::string live = Runtime() + "/lumigram-window-1-AbCdEf";  // init runs
    std::filesystem::create_directories(stale);
    std::filesystem::create_directories(live);
    // The user's own files in the start folder are not the window's.
    WriteAll(Start() + "/temp.k", {7});
    WriteAll(Start() + "/temp.g", {8});

    PutTwoSkins();
    TSDIAppForm other;
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_NE(other.ScratchFolder(), Scratch());
    for (const std::string& folder : {Scratch(), other.ScratchFolder()}) {
        EXPECT_EQ(folder.rfind(Runtime() + "/lumigram-window-" + std::to_string(getpid()), 0), 0u);
        struct stat info {};
        ASSERT_EQ(stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }

    // Two windows at once: each saves its own picture, also after the other closed.
    Expect({Accept(Pic("ant.k"))});
    Trigger(window_->FileOpen1);
    Expect({Accept(Pic("pic.k"))});
    other.FileOpen1Execute();
    other.close();
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    Expect({Accept(dir_.File("a.bmp")), Accept(Pic("pic.k")), Accept(out)});
    Trigger(window_->FileSave1);
    Trigger(window_->Convertall1);
    const std::string expected = dir_.File("expected.bmp");
    DecodeSkinPictureTo(Pic("ant.k"), expected, TransparencyColour{}, true);
    EXPECT_EQ(ReadAll(dir_.File("a.bmp")), ReadAll(expected));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ListFolder(Start()), (std::vector<std::string>{"temp.g", "temp.k"}));
    EXPECT_EQ(ReadAll(Start() + "/temp.k"), Bytes{7});
}

TEST_F(WindowFixesTest, ARefusedOpenLeavesTheWindowAsItWas) {
    Put("ok.bmp", MakeBmp(Plain(Rgb{1, 2, 3})));
    Bytes cut = MakeBmp(Plain(Rgb{4, 5, 6}));
    cut.resize(cut.size() - 4);
    EncodeSkinPictureTo(Put("whole.bmp", MakeBmp(Plain(Rgb{4, 5, 6}))), dir_.File("whole.k"),
                        TransparencyColour{}, true);
    std::filesystem::remove(Pic("whole.bmp"));
    Bytes truncated = ReadAll(dir_.File("whole.k"));
    truncated.resize(17);
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;
    } rows[] = {
        {"wide.bmp", cut, "unsupported BMP: "},
        {"short.k", truncated, "pixel rows run past the end of the file"},
        {"empty.k", Bytes{}, "not a skin picture"},
        {"junk.g", Bytes{'J', 'U', 'N', 'K'}, "not a GIF or PNG picture"},
    };
    Expect({Accept(Pic("ok.bmp"))});
    Trigger(window_->FileOpen1);
    const std::vector<std::string> list = ListItems();
    for (const auto& row : rows) {
        Put(row.name, row.bytes);
        const std::size_t before = Messages().size();
        Expect({Accept(Pic(row.name))});
        Trigger(window_->FileOpen1);
        ASSERT_EQ(Messages().size(), before + 1) << row.name;
        EXPECT_TRUE(Messages().back().text.startsWith(row.message)) << row.name;
        EXPECT_EQ(window_->state().CurrentFile, Pic("ok.bmp")) << row.name;
        EXPECT_EQ(window_->windowTitle(), "ok.bmp \u2014 Lumigram") << row.name;
        EXPECT_EQ(ListItems(), list) << row.name;
    }
    // A FIFO named like a picture is refused at once: nothing waits for a writer.
    ASSERT_EQ(::mkfifo(Pic("pipe.k").c_str(), 0644), 0);
    Expect({Accept(Pic("pipe.k"))});
    Trigger(window_->FileOpen1);
    EXPECT_TRUE(Messages().back().text.startsWith("is a FIFO, not a regular file"));
    EXPECT_EQ(window_->state().CurrentFile, Pic("ok.bmp"));
    Expect({Accept(dir_.File("out.k"))});
    Trigger(window_->FileSave1);
    EXPECT_EQ(requests_.back().fileName, "ok.k");
    EncodeSkinPictureTo(Pic("ok.bmp"), dir_.File("expected.k"), TransparencyColour{}, true);
    EXPECT_EQ(ReadAll(dir_.File("out.k")), ReadAll(dir_.File("expected.k")));
}

TEST_F(WindowFixesTest, TransparencyChangesReachTheNextSaveOfAnOrdinaryPicture) {
    BmpSpec spec = Plain(Rgb{0, 255, 0});
    spec.pixel = [](int x, int) { return x == 0 ? Rgb{255, 0, 255} : Rgb{0, 255, 0}; };
    Put("pic.bmp", MakeBmp(spec));
    Expect({Accept(Pic("pic.bmp"))});
    Trigger(window_->FileOpen1);
    const struct {
        bool enabled;
        QColor colour;
    } rows[] = {{false, {}}, {true, QColor(0, 255, 0)}};
    for (const auto& row : rows) {
        Widgets().transparencyBox->setChecked(row.enabled);
        if (row.colour.isValid()) {
            Expect({DialogAnswer::AcceptColour(row.colour)});
            Widgets().colourButton->click();
        }
        Expect({Accept(dir_.File("out.k"))});
        Trigger(window_->FileSave1);
        const TransparencyColour colour{static_cast<std::uint8_t>(row.colour.blue()),
                                        static_cast<std::uint8_t>(row.colour.green()),
                                        static_cast<std::uint8_t>(row.colour.red())};
        EncodeSkinPictureTo(Pic("pic.bmp"), dir_.File("expected.k"), colour, row.enabled);
        EXPECT_EQ(ReadAll(dir_.File("out.k")), ReadAll(dir_.File("expected.k"))) << row.enabled;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowFixesTest, OpenEzxAsksBeforeReplacingFiles) {
    Put("skin.ezx", ExamplePackage());  // icon.k and wall.g
    const struct {
        int button;
        Bytes icon;
        bool wallWritten;
    } rows[] = {{0, {1, 2, 3, 4, 5}, true}, {1, {9}, true}, {2, {9}, false}, {-1, {9}, false}};
    for (const auto& row : rows) {
        const std::string out = dir_.File("out" + std::to_string(row.button + 1));
        std::filesystem::create_directory(out);
        WriteAll(out + "/icon.k", {9});
        Expect({Accept(Pic("skin.ezx")), Accept(out), DialogAnswer::Button(row.button)});
        Trigger(window_->OpenEZX1);
        const DialogRequest& question = requests_.back();
        EXPECT_EQ(question.kind, DialogKind::kQuestion);
        EXPECT_EQ(question.text.toStdString(), "1 files in " + out + " will be replaced");
        EXPECT_EQ(question.buttons, (QStringList{"&Replace", "&Skip existing", "&Cancel"}));
        EXPECT_EQ(ReadAll(out + "/icon.k"), row.icon) << row.button;
        EXPECT_EQ(Exists(out + "/wall.g"), row.wallWritten) << row.button;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowFixesTest, DialogsOpenInThePicturesFolderOrTheLastOneNeverInScratch) {
    const QString home = QDir::homePath();
    const QString pics = QString::fromStdString(Pics());
    Put("pic.bmp", MakeBmp(Plain(Rgb{1, 2, 3})));
    Expect({Accept(Pic("pic.bmp")), DialogAnswer::Cancel(), DialogAnswer::Cancel()});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(requests_.back().initialDir, home);  // the first run
    Trigger(window_->FileSave1);
    EXPECT_EQ(requests_.back().initialDir, pics);  // the picture's folder
    Trigger(window_->SaveEZX1);
    EXPECT_EQ(requests_.back().initialDir, pics);

    // A new run, no picture yet: the folder each dialog was last used in.
    window_ = std::make_unique<TSDIAppForm>();
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    Expect({DialogAnswer::Cancel(), Accept(Pics()), DialogAnswer::Cancel(), Accept(out),
            DialogAnswer::Cancel()});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(requests_.back().initialDir, pics);
    Trigger(window_->SaveEZX1);  // the folder picker: never used yet, then Save
    EXPECT_EQ(requests_[requests_.size() - 2].initialDir, home);
    Trigger(window_->SaveEZX1);
    EXPECT_EQ(requests_[requests_.size() - 2].initialDir, pics);
    for (const DialogRequest& request : requests_) {
        EXPECT_FALSE(request.initialDir.startsWith(QString::fromStdString(Runtime())));
    }
}

}  // namespace
}  // namespace lumigram::test
