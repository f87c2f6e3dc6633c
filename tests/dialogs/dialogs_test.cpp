#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "dialogs/dialog_seam.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/filter_text.h"
#include "dialogs/open_dir.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

TEST(FilterText, CaptionPatternPairsBecomeQtFilters) {
    EXPECT_EQ(QtNameFilters(".k/g files|*.g;*.k|Images|*.bmp;*.gif;*.png"),
              (QStringList{".k/g files (*.g *.k)", "Images (*.bmp *.gif *.png)"}));
    EXPECT_EQ(QtNameFilters("EZX files|*.ezx"), QStringList{"EZX files (*.ezx)"});
    EXPECT_EQ(QtNameFilters(""), QStringList{});
}

class OpenDirectoryTest : public ::testing::Test {
  protected:
    OpenDirectoryTest() : start_(QDir::currentPath()) {}
    ~OpenDirectoryTest() override { QDir::setCurrent(start_); }
    QString start_;
    TempDir dir_;
};

TEST_F(OpenDirectoryTest, CancelGivesFalseAndEmptyResults) {
    TOpenDirectory picker;
    QString shownTitle = "unset";
    ScopedDialogResponder answer([&](const DialogRequest& request) {
        shownTitle = request.title;
        EXPECT_EQ(request.kind, DialogKind::kDirectory);
        EXPECT_EQ(request.initialDir, QDir::currentPath());
        return DialogAnswer::Cancel();
    });
    EXPECT_FALSE(picker.Execute());
    EXPECT_TRUE(picker.Directory().isEmpty());
    EXPECT_TRUE(picker.UNCDirectory().isEmpty());
    EXPECT_EQ(shownTitle, "");
    EXPECT_EQ(QDir::currentPath(), start_);
}

TEST_F(OpenDirectoryTest, AcceptSetsDirectoryAndTheCurrentDirectoryUnlessNoChangeDir) {
    const QString chosen = QString::fromStdString(dir_.path());
    TOpenDirectory picker;
    picker.Title = "Select directory to save converted files";
    std::vector<QString> titles;
    int notifications = 0;
    QObject::connect(&picker, &TOpenDirectory::shown, [&] { ++notifications; });
    QObject::connect(&picker, &TOpenDirectory::closed, [&] { ++notifications; });
    ScopedDialogResponder answer([&](const DialogRequest& request) {
        titles.push_back(request.title);
        return DialogAnswer::Accept(chosen);
    });

    EXPECT_TRUE(picker.Execute());
    EXPECT_EQ(picker.Directory(), chosen);
    EXPECT_TRUE(picker.UNCDirectory().isEmpty());
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(chosen).canonicalPath());
    EXPECT_EQ(notifications, 2);

    QDir::setCurrent(start_);
    picker.NoChangeDir = true;
    EXPECT_TRUE(picker.Execute());  // the title stays set for later calls
    EXPECT_EQ(picker.Directory(), chosen);
    EXPECT_EQ(QDir::currentPath(), start_);
    EXPECT_EQ(titles, (std::vector<QString>{picker.Title, picker.Title}));
}

TEST(FileDialogs, PropertiesStayAndTheDefaultExtensionIsAdded) {
    TFileDialog save(TFileDialog::Mode::kSave);
    save.Title = "Save converted file";
    save.Filter = "EZX files|*.ezx";
    save.defaultExt = ".ezx";
    DialogRequest seen;
    ScopedDialogResponder answer([&](const DialogRequest& request) {
        seen = request;
        return DialogAnswer::Accept("/tmp/skin");
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.fileName, "/tmp/skin.ezx");
    EXPECT_EQ(seen.kind, DialogKind::kSaveFile);
    EXPECT_EQ(seen.title, "Save converted file");
    EXPECT_EQ(seen.defaultExtension, ".ezx");

    save.Filter = "Images|*.png;*.gif;*.bmp";
    ASSERT_TRUE(save.Execute());  // the last name is offered again
    EXPECT_EQ(seen.fileName, "/tmp/skin.ezx");
    EXPECT_EQ(seen.filter, "Images|*.png;*.gif;*.bmp");
    EXPECT_EQ(seen.title, "Save converted file");
}

TEST(FileDialogs, ColourComesBackAsBgrInAnInteger) {
    TColorDialog colours;
    EXPECT_EQ(colours.color, 0x00FF00FFu);
    {
        ScopedDialogResponder answer([](const DialogRequest& request) {
            EXPECT_EQ(request.colour, QColor(255, 0, 255));
            return DialogAnswer::AcceptColour(QColor(0x12, 0x34, 0x56));
        });
        ASSERT_TRUE(colours.Execute());
    }
    EXPECT_EQ(colours.color, 0x00563412u);
    ScopedDialogResponder cancel([](const DialogRequest&) { return DialogAnswer::Cancel(); });
    EXPECT_FALSE(colours.Execute());
    EXPECT_EQ(colours.color, 0x00563412u);
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST(Questions, EnterTakesTheDefaultAnswerAndEscapeTheLast) {
    const struct {
        Qt::Key key;
        int defaultButton;
        int answer;
    } rows[] = {
        {Qt::Key_Return, 2, 2},  // "Cancel by default": Enter keeps everything
        {Qt::Key_Return, 1, 1},
        {Qt::Key_Escape, 0, 2},  // Escape: the last, cautious answer
    };
    for (const auto& row : rows) {
        // The real box, answered by a key once it is up.
        QTimer::singleShot(50, [key = row.key] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QCoreApplication::sendEvent(box, &press);
            }
        });
        EXPECT_EQ(AskQuestion("Q", "changed?", {"Save &As...", "&Overwrite", "&Cancel"}, nullptr,
                              row.defaultButton),
                  row.answer)
            << row.key << " " << row.defaultButton;
    }
}

}  // namespace
}  // namespace lumigram::test
