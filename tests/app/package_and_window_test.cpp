#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "app/about_box.h"
#include "app/window_fixture.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

using PackageAndWindowTest = WindowTest;

TEST_F(PackageAndWindowTest, OpenAndSaveEzxRoundTripAndEachCommandSetsItsOwnDialogs) {
    Put("skin.ezx", ExamplePackage());
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    Expect({Accept(Pic("skin.ezx")), Accept(out)});
    Trigger(window_->OpenEZX1);
    EXPECT_EQ(requests_[0].filter, "EZX files|*.ezx");
    EXPECT_EQ(requests_[0].title, "Select an .ezx file");
    EXPECT_EQ(ReadAll(out + "/icon.k"), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadAll(out + "/wall.g"), (Bytes{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(Widgets().batchSummary->text().toStdString(), "Unpacked 2 members into " + out);

    // Save EZX: folder first, then the file, typed without extension.
    Expect({Accept(out), Accept(dir_.File("again"))});
    Trigger(window_->SaveEZX1);
    EXPECT_EQ(requests_[3].title, "Save converted file");
    EXPECT_EQ(requests_[3].defaultExtension, ".ezx");
    EXPECT_TRUE(requests_[3].confirmOverwrite);
    EXPECT_EQ(ReadAll(dir_.File("again.ezx")), ExamplePackage());
    EXPECT_EQ(Widgets().batchSummary->text().toStdString(),
              "Packed 2 members into " + dir_.File("again.ezx"));

    // No title, filter or default extension leaks into the next command.
    Expect({DialogAnswer::Cancel()});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(requests_.back().title, "Open file");
    Expect({Accept(Pic("skin.ezx")), DialogAnswer::Cancel()});
    Trigger(window_->Convertall1);
    EXPECT_EQ(requests_.back().title, "Select directory to save converted files");
    Expect({DialogAnswer::Cancel()});
    Trigger(window_->SaveEZX1);
    EXPECT_EQ(requests_.back().title, "");
    Put("pic.bmp", MakeBmp(BmpSpec{2, 2}));
    Expect({Accept(Pic("pic.bmp")), Accept(dir_.File("noext"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->FileSave1);
    EXPECT_EQ(requests_.back().defaultExtension, ".k");  // what it writes, not ".ezx"
    EXPECT_TRUE(Exists(dir_.File("noext.k")));
    EXPECT_FALSE(Exists(dir_.File("noext.ezx")));

    // An empty folder: nothing to pack, said so.
    const std::string empty = dir_.File("empty");
    std::filesystem::create_directory(empty);
    Expect({Accept(empty), Accept(dir_.File("none.ezx"))});
    Trigger(window_->SaveEZX1);
    EXPECT_EQ(Widgets().batchSummary->text().toStdString(), "Nothing to pack in " + empty);
}

TEST_F(PackageAndWindowTest, AMemberThatCannotBeCreatedShowsTheErrorBox) {
    Put("skin.ezx", ExamplePackage());
    const std::string out = dir_.File("out");
    std::filesystem::create_directories(out + "/icon.k");  // a folder in the way
    Expect({Accept(Pic("skin.ezx")), Accept(out)});
    Trigger(window_->OpenEZX1);
    ASSERT_EQ(Messages().size(), 1u);  // one box for all the members not written
    EXPECT_EQ(Messages()[0].title, "Error");
    EXPECT_TRUE(Messages()[0].text.startsWith(
        QString::fromStdString("1 members were not written:\n\n" + out + "/icon.k: member 1")));
    EXPECT_EQ(ReadAll(out + "/wall.g"), (Bytes{0xAA, 0xBB, 0xCC}));
}

TEST_F(PackageAndWindowTest, ShortcutsMenusAndHints) {
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));

    Expect({DialogAnswer::Cancel()});  // Ctrl+S saves though no menu item shows it
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, DialogKind::kSaveFile);
    for (const Qt::Key key : {Qt::Key_N, Qt::Key_X, Qt::Key_C, Qt::Key_V}) {
        QTest::keyClick(window_.get(), key, Qt::ControlModifier);
    }
    EXPECT_EQ(requests_.size(), 1u);  // nothing else happened

    QStringList menu;
    for (QAction* action : Widgets().fileMenu->actions()) {
        menu << (action->isSeparator() ? "-" : action->text());
    }
    // Access keys for the batch commands; no shortcut of theirs.
    EXPECT_EQ(menu, (QStringList{"&Open", "Open &Recent", "&Convert all", "Open &EZX",
                                 "Save E&ZX...", "Export &PNG...", "Save as s&kin picture...",
                                 "&Browse package...", "Save &As...", "-", "E&xit"}));
    EXPECT_TRUE(window_->Convertall1->shortcut().isEmpty());
    EXPECT_EQ(window_->FileOpen1->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window_->FileOpen1->toolTip(), "Open");
    EXPECT_EQ(window_->FileOpen1->statusTip(), "Open a file");
    EXPECT_EQ(Widgets().saveButton->defaultAction(), window_->FileSave1);
    EXPECT_EQ(window_->windowTitle(), "Lumigram");
}

TEST_F(PackageAndWindowTest, AboutBoxShowsNameAndVersion) {
    Expect({DialogAnswer::Accept({})});
    Trigger(window_->HelpAbout1);
    EXPECT_EQ(requests_.back().kind, DialogKind::kCustom);
    EXPECT_EQ(requests_.back().title, "About");
    EXPECT_EQ(Widgets().aboutBox->ProductName->text(), "Lumigram");
    EXPECT_EQ(Widgets().aboutBox->Version->text(), "Version 0.2");
}

TEST_F(PackageAndWindowTest, ExitAndTheCloseButtonBothRemoveTheScratchFolder) {
    for (const bool byExit : {true, false}) {
        window_ = std::make_unique<TSDIAppForm>();
        const std::string scratch = Scratch();
        WriteAll(scratch + "/temp.g", {1});
        window_->show();
        if (byExit) {
            Trigger(window_->FileExit1);
        } else {
            window_->close();
        }
        EXPECT_FALSE(std::filesystem::exists(scratch)) << byExit;
        EXPECT_FALSE(window_->isVisible());
    }
}

}  // namespace
}  // namespace lumigram::test
