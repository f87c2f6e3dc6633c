#include <sys/stat.h>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <map>
#include <sstream>

#include "app/window_fixture.h"
#include "app/workbench/batch_replace.h"
#include "app/workbench/before_after.h"
#include "app/workbench/compare_window.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_document.h"
#include "app/workbench/workbench_window.h"
#include "display/display_test_support.h"
#include "display/zoom_view.h"
#include "package/editable_package.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

// A solid 18-bit ".k" of 6-bit channels, no mask.
Bytes Solid(unsigned r6, unsigned g6, unsigned b6, std::uint16_t side = 6) {
    const std::uint32_t v = (r6 << 12) | (g6 << 6) | b6;
    const std::uint16_t stride = static_cast<std::uint16_t>((side * 3 + 3) & ~3);
    Bytes rows(std::size_t{stride} * side, 0);
    for (std::size_t y = 0; y < side; ++y) {
        for (std::size_t x = 0; x < side; ++x) {
            rows[y * stride + x * 3] = static_cast<std::uint8_t>(v);
            rows[y * stride + x * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
            rows[y * stride + x * 3 + 2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
    return MakeSkin(side, side, 18, stride, rows);
}

// The access key of a caption ("Save &As..." gives 'a'), or 0.
QChar AccessKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (caption[i + 1] != '&') {
                return caption[i + 1].toLower();
            }
            ++i;
        }
    }
    return {};
}

// Every caption of these actions without an access key, or sharing one.
std::vector<std::string> KeyClashes(const QString& where, const QList<QAction*>& actions) {
    std::vector<std::string> clashes;
    std::map<QChar, QString> taken;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        const QChar key = AccessKey(action->text());
        const auto [at, fresh] = taken.emplace(key, action->text());
        if (key.isNull() || !fresh) {
            clashes.push_back((where + ": " + action->text() + " / " + at->second).toStdString());
        }
        if (action->menu() != nullptr) {
            const std::vector<std::string> inner =
                KeyClashes(where + " > " + action->text(), action->menu()->actions());
            clashes.insert(clashes.end(), inner.begin(), inner.end());
        }
    }
    return clashes;
}

class WorkbenchToolsTest : public WindowTest {
  protected:
    WorkbenchWindow& Open(const std::vector<Member>& members, const std::string& name = "a.ezx") {
        Put(name, BuildPackage(members));
        window_->OpenPath(QString::fromStdString(Pic(name)));
        WorkbenchWindow& bench = *window_->workbench();
        EXPECT_TRUE(QTest::qWaitFor([&] { return bench.loader()->pending() == 0; }, 5000));
        return bench;
    }
    static void Select(WorkbenchWindow& bench, int row) {
        bench.grid()->selectionModel()->setCurrentIndex(bench.filterModel()->index(row, 0),
                                                        QItemSelectionModel::ClearAndSelect);
        QCoreApplication::processEvents();
    }
    // The colour in the middle of what a view shows.
    static QRgb Middle(TZoomView& view) {
        const QRect at = view.preview()->PictureRect();
        return Render(*view.preview()).pixel(at.center());
    }
};

TEST_F(WorkbenchToolsTest, EveryMenuHasAccessKeysOfItsOwn) {
    WorkbenchWindow& bench = Open({{"a.k", Solid(63, 0, 0)}});
    window_->workbench()->ShowComparison(Pic("a.ezx"), Pic("a.ezx"));
    std::vector<std::string> clashes;
    for (QMainWindow* window :
         std::initializer_list<QMainWindow*>{window_.get(), &bench, bench.compareWindow()}) {
        const QString where = window->objectName();
        for (const auto& found : KeyClashes(where, window->menuBar()->actions())) {
            clashes.push_back(found);
        }
        for (QToolBar* tools : window->findChildren<QToolBar*>()) {
            if (tools->objectName() == "CompareTools") {
                const auto found = KeyClashes(where + " tools", tools->actions());
                clashes.insert(clashes.end(), found.begin(), found.end());
            }
        }
    }
    // The questions the windows ask.
    Select(bench, 0);
    Trigger(bench.deleteAction);
    Expect({DialogAnswer::Button(2)});
    bench.close();
    ASSERT_EQ(requests_.back().kind, DialogKind::kQuestion);
    std::map<QChar, int> keys;
    for (const QString& button : requests_.back().buttons) {
        EXPECT_EQ(++keys[AccessKey(button)], 1) << button.toStdString();
    }
    EXPECT_EQ(clashes, std::vector<std::string>{});
    // The designed captions stay.
    EXPECT_EQ(window_->FileSaveAs1->text(), "Save &As...");
    EXPECT_EQ(window_->FileExit1->text(), "E&xit");
}

TEST_F(WorkbenchToolsTest, CompareListsWhatDiffFindsAndFlipsBetweenOldAndNew) {
    const std::vector<Member> before = {{"a.k", Solid(63, 0, 0)},
                                        {"b.k", Solid(0, 63, 0)},
                                        {"c.k", Solid(0, 0, 63)},
                                        {"d.g", Bytes{'G', 'I', 'F', '8', '9', 'a'}},
                                        {"gone.a", Bytes{1, 2}}};
    const std::vector<Member> after = {{"b.k", Solid(0, 63, 0)},
                                       {"a.k", Solid(0, 0, 63, 8)},
                                       {"c.k", Solid(0, 0, 63)},
                                       {"d.g", Bytes{'G', 'I', 'F', '8', '9', 'a'}},
                                       {"new.k", Solid(30, 30, 30)}};
    Put("old.ezx", BuildPackage(before));
    Put("new.ezx", BuildPackage(after));
    CompareWindow& view = window_->Workbench().ShowComparison(Pic("old.ezx"), Pic("new.ezx"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.loader()->pending() == 0; }, 5000));

    const CommandResult diff =
        RunCommand(std::string(LUMIGRAM_CLI) + " diff " + ShellQuote(Pic("old.ezx")) + " " +
                   ShellQuote(Pic("new.ezx")));
    std::vector<std::string> expected;
    std::istringstream lines(diff.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string change;
        std::string name;
        words >> change >> name;
        expected.push_back(change + " " + name);
    }
    std::vector<std::string> listed;
    for (int i = 0; i < view.list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view.list()->topLevelItem(i);
        listed.push_back(
            (item->text(CompareWindow::kChange) + " " + item->text(CompareWindow::kName))
                .toStdString());
        // Thumbnails old | new where the member is in that package.
        const bool inOld = item->text(CompareWindow::kChange) != "added";
        const bool inNew = item->text(CompareWindow::kChange) != "removed";
        const auto drawn = [&](int column) {
            return qAlpha(item->icon(column).pixmap(kThumbnailSide).toImage().pixel(32, 32)) != 0;
        };
        EXPECT_EQ(drawn(CompareWindow::kOld), inOld && !item->text(1).endsWith(".a"))
            << listed.back();
        EXPECT_EQ(drawn(CompareWindow::kNew), inNew) << listed.back();
    }
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(listed, (std::vector<std::string>{"added new.k", "removed gone.a", "changed a.k",
                                                "moved b.k", "moved a.k"}));  // swapped: both

    // The changed member: new, then Space shows the old one, then the new again.
    view.list()->setCurrentItem(view.list()->topLevelItem(2));
    EXPECT_EQ(Middle(*view.view()), qRgb(0, 0, 252));
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_FALSE(view.showingNew());
    EXPECT_EQ(Middle(*view.view()), qRgb(252, 0, 0));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(Middle(*view.view()), qRgb(0, 0, 252));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WorkbenchToolsTest, CompareShowsTheMemberOfADuplicateNameThatDiffMeans) {
    // diff matches the first dup.k of each package: the second one of the old
    // package is the one removed, and its row must show that one's picture.
    Put("old.ezx", BuildPackage({{"dup.k", Solid(63, 0, 0)}, {"dup.k", Solid(0, 63, 0)}}));
    Put("new.ezx", BuildPackage({{"dup.k", Solid(63, 0, 0)}}));
    CompareWindow& view = window_->Workbench().ShowComparison(Pic("old.ezx"), Pic("new.ezx"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.loader()->pending() == 0; }, 5000));
    ASSERT_EQ(view.list()->topLevelItemCount(), 1);
    const QTreeWidgetItem* removed = view.list()->topLevelItem(0);
    EXPECT_EQ(removed->text(CompareWindow::kChange), "removed");
    EXPECT_EQ(removed->icon(CompareWindow::kOld).pixmap(kThumbnailSide).toImage().pixel(32, 32),
              qRgb(0, 252, 0));
}

TEST_F(WorkbenchToolsTest, ReplaceShowsBeforeAndAfterUntilEnterOrEsc) {
    WorkbenchWindow& bench = Open({{"a.k", Solid(63, 0, 0)}, {"b.k", Solid(0, 63, 0)}});
    const std::string green = Put("green.k", Solid(0, 63, 0));
    bench.show();
    QApplication::setActiveWindow(&bench);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bench));
    Select(bench, 0);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        Expect({Accept(green)});
        Trigger(bench.replaceAction);
        ASSERT_TRUE(bench.replacing());
        EXPECT_TRUE(bench.beforeAfter()->isVisible());
        EXPECT_EQ(Middle(*bench.beforeAfter()->beforeView()), qRgb(252, 0, 0));
        EXPECT_EQ(Middle(*bench.beforeAfter()->afterView()), qRgb(0, 252, 0));
        EXPECT_FALSE(bench.saveAction->isEnabled());  // nothing else until decided
        QTest::keyClick(&bench, key);
        EXPECT_FALSE(bench.replacing());
        EXPECT_TRUE(bench.previewArea()->isVisible());
        EXPECT_EQ(bench.modified(), key == Qt::Key_Return);
        EXPECT_EQ(Middle(*bench.previewArea()),
                  key == Qt::Key_Return ? qRgb(0, 252, 0) : qRgb(252, 0, 0));
    }
    EXPECT_EQ(bench.document()->ReadMember(0), Solid(0, 63, 0));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WorkbenchToolsTest, CountDeleteAndMembersOfTheSameName) {
    std::vector<Member> members;
    for (int i = 0; i < 20; ++i) {
        members.push_back({"icon" + std::to_string(10 + i) + ".k", Solid(i, 0, 0)});
    }
    WorkbenchWindow& bench = Open(members);
    EXPECT_EQ(bench.count()->text(), "20 members");
    bench.filterBox()->setText("icon1");
    EXPECT_EQ(bench.count()->text(), "10 of 20 members");
    bench.filterBox()->clear();
    EXPECT_EQ(bench.preview()->Picture().GetEmpty(), true);  // "Select a member"
    Select(bench, 4);
    Trigger(bench.deleteAction);
    ASSERT_TRUE(bench.grid()->currentIndex().isValid());
    EXPECT_EQ(bench.grid()->currentIndex().data(Qt::EditRole).toString(), "icon15.k");
    EXPECT_EQ(bench.count()->text(), "19 members");

    // Two members of one name: each is shown, replaced and renamed on its own.
    Expect({DialogAnswer::Button(1)});  // the deletion above is discarded
    WorkbenchWindow& same =
        Open({{"dup.k", Solid(63, 0, 0)}, {"dup.k", Solid(0, 63, 0)}, {"x.a", {1}}}, "dup.ezx");
    ASSERT_EQ(same.filterModel()->rowCount(), 3);
    const QRgb colours[] = {qRgb(252, 0, 0), qRgb(0, 252, 0)};
    for (int row = 0; row < 2; ++row) {
        Select(same, row);
        EXPECT_EQ(Middle(*same.previewArea()), colours[row]) << row;
    }
    const std::string blue = Put("blue.k", Solid(0, 0, 63));
    Select(same, 1);
    Expect({Accept(blue)});
    Trigger(same.replaceAction);
    Trigger(same.acceptReplaceAction);
    EXPECT_EQ(same.document()->ReadMember(0), Solid(63, 0, 0));
    EXPECT_EQ(same.document()->ReadMember(1), Solid(0, 0, 63));
    same.filterModel()->setData(same.filterModel()->index(0, 0), "first.k", Qt::EditRole);
    QCoreApplication::processEvents();
    ASSERT_EQ(same.document()->size(), 3u);
    EXPECT_EQ(same.document()->member(0).storedName, "dup.k");
    EXPECT_EQ(same.document()->ReadMember(0), Solid(0, 0, 63));
    EXPECT_EQ(same.grid()->currentIndex().data(Qt::EditRole).toString(), "first.k");
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST_F(WorkbenchToolsTest, BatchReplaceListsWhatUpdateConvertDoesAndIsOneUndoStep) {
    const std::vector<Member> members = {{"dup.k", Solid(1, 1, 1)},
                                         {"icon.k", Solid(63, 0, 0)},
                                         {"logo.g", Bytes{'G', 'I', 'F', '8', '9', 'a'}},
                                         {"dup.k", Solid(2, 2, 2)},
                                         {"wall.k", Solid(0, 63, 0)}};
    WorkbenchWindow& bench = Open(members, "skin.ezx");
    const std::string folder = dir_.File("new");
    std::filesystem::create_directories(folder);
    const auto png = [&](const std::string& name, QColor colour) {
        QImage image(6, 6, QImage::Format_RGB32);
        image.fill(colour);
        image.save(QString::fromStdString(folder + "/" + name), "PNG");
    };
    png("icon.png", Qt::blue);
    png("dup.png", Qt::red);
    png("WALL.png", Qt::green);
    BmpSpec bmp;
    bmp.width = 5;
    bmp.height = 3;
    WriteAll(folder + "/new.bmp", MakeBmp(bmp));
    WriteAll(folder + "/anim.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0});
    WriteAll(folder + "/notes.txt", Bytes{'h', 'i'});

    Expect({Accept(folder), DialogAnswer::Accept({})});
    Trigger(bench.replaceFromFolderAction);
    ASSERT_NE(bench.batchList(), nullptr);
    EXPECT_EQ(requests_.back().title, "Replace from files");
    std::map<std::string, std::string> listed;
    for (int i = 0; i < bench.batchList()->list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = bench.batchList()->list()->topLevelItem(i);
        listed[item->text(0).toStdString()] = (item->text(1) + " " + item->text(2)).toStdString();
    }
    EXPECT_EQ(bench.batchList()->summary()->text(), "1 replaced, 2 added, 3 skipped");
    EXPECT_EQ(listed["icon.png"], "icon.k replaced");
    EXPECT_EQ(listed["new.bmp"], "new.k added");
    EXPECT_EQ(listed["anim.gif"], "anim.g added");
    // The CLI refuses each skipped file with the reason the list gives.
    for (const char* skipped : {"dup.png", "WALL.png", "notes.txt"}) {
        const CommandResult refused = RunCommand(
            std::string(LUMIGRAM_CLI) + " update --convert " + ShellQuote(Pic("skin.ezx")) + " " +
            ShellQuote(folder + "/" + skipped) + " -o " + ShellQuote(dir_.File("refused.ezx")));
        EXPECT_NE(refused.exitCode, 0) << skipped;
        const std::string reason = listed[skipped].substr(listed[skipped].find("skipped: ") + 9);
        EXPECT_NE(refused.err.find(reason), std::string::npos) << skipped << ": " << refused.err;
    }

    // One step: undone at once, and redone.
    Trigger(bench.undoAction);
    EXPECT_EQ(bench.document()->size(), members.size());
    EXPECT_EQ(bench.document()->ReadMember(1), members[1].content);
    Trigger(bench.redoAction);
    // Saved, it is what update --convert writes.
    Trigger(bench.saveAction);
    Put("skin-before.ezx", BuildPackage(members));
    const CommandResult cli = RunCommand(
        std::string(LUMIGRAM_CLI) + " update --convert " + ShellQuote(Pic("skin-before.ezx")) +
        " " + ShellQuote(folder + "/icon.png") + " " + ShellQuote(folder + "/new.bmp") + " " +
        ShellQuote(folder + "/anim.gif") + " -o " + ShellQuote(dir_.File("expected.ezx")));
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(ReadAll(Pic("skin.ezx")), ReadAll(dir_.File("expected.ezx")));
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST_F(WorkbenchToolsTest, APackageChangedOnDiskIsReloadedWhenNothingIsUnsaved) {
    WorkbenchWindow& bench =
        Open({{"a.k", Solid(63, 0, 0)}, {"b.k", Solid(0, 63, 0)}, {"c.k", Solid(0, 0, 63)}});
    Select(bench, 1);
    const auto del = [&](const char* name) {
        return RunCommand(std::string(LUMIGRAM_CLI) + " delete " + ShellQuote(Pic("a.ezx")) + " " +
                          name)
            .exitCode;
    };
    ASSERT_EQ(del("a.k"), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bench.document()->size() == 2; }, 5000));
    EXPECT_EQ(bench.statusBar()->currentMessage(),
              "a.ezx was changed by another program: reloaded");
    EXPECT_EQ(Middle(*bench.previewArea()), qRgb(0, 0, 252));  // the second member now: c.k

    // With changes of its own it keeps them, and says so.
    Trigger(bench.deleteAction);
    ASSERT_EQ(del("b.k"), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bench.statusBar()->currentMessage().contains("Save asks"); }, 5000));
    EXPECT_EQ(bench.document()->size(), 1u);
    EXPECT_TRUE(bench.modified());
    Expect({DialogAnswer::Button(1)});  // Discard, at the end of the test
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST_F(WorkbenchToolsTest, SaveAsksWhenThePackageChangedBehindItsBack) {
    const std::vector<Member> start = {
        {"a.k", Solid(63, 0, 0)}, {"b.k", Solid(0, 63, 0)}, {"c.k", Solid(0, 0, 63)}};
    const std::vector<std::string> ours = {"b.k", "c.k"};    // a.k deleted here
    const std::vector<std::string> theirs = {"a.k", "c.k"};  // b.k deleted by the CLI
    const struct {
        const char* what;
        int button;  // Save As..., Overwrite, Cancel
        std::vector<std::string> onDisk;
        bool savedAs;
    } rows[] = {
        {"Cancel, the default: their package stays", 2, theirs, false},
        {"Overwrite: ours replaces it", 1, ours, false},
        {"Save As: ours elsewhere, theirs stays", 0, theirs, true},
    };
    const auto names = [](const std::string& path) {
        std::vector<std::string> found;
        const EditablePackage package = EditablePackage::Open(path);
        for (const PackageEntry& entry : package.members()) {
            found.push_back(entry.storedName);
        }
        return found;
    };
    for (const auto& row : rows) {
        std::filesystem::remove(Pic("elsewhere.ezx"));
        if (window_->workbench() != nullptr && window_->workbench()->modified()) {
            Expect({DialogAnswer::Button(1)});  // the last row's changes are discarded
        }
        WorkbenchWindow& bench = Open(start);
        Select(bench, 0);
        Trigger(bench.deleteAction);
        ASSERT_EQ(
            RunCommand(std::string(LUMIGRAM_CLI) + " delete " + ShellQuote(Pic("a.ezx")) + " b.k")
                .exitCode,
            0);
        Expect({DialogAnswer::Button(row.button)});
        if (row.savedAs) {
            Expect({Accept(Pic("elsewhere.ezx"))});
        }
        Trigger(bench.saveAction);
        const DialogRequest& asked = requests_[requests_.size() - (row.savedAs ? 2 : 1)];
        EXPECT_EQ(asked.text, "a.ezx was changed by another program since you opened it")
            << row.what;
        EXPECT_EQ(asked.buttons, (QStringList{"Save &As...", "&Overwrite", "&Cancel"}));
        EXPECT_EQ(asked.defaultButton, 2);
        EXPECT_EQ(names(Pic("a.ezx")), row.onDisk) << row.what;
        EXPECT_EQ(bench.modified(), row.button == 2) << row.what;
        if (row.savedAs) {
            EXPECT_EQ(names(Pic("elsewhere.ezx")), ours) << row.what;
        }
    }

    // A write-protected package: asked, and written only when the user says so.
    Put("a.ezx", BuildPackage(start));
    ::chmod(Pic("a.ezx").c_str(), 0444);
    window_->OpenPath(QString::fromStdString(Pic("a.ezx")));
    WorkbenchWindow& bench = *window_->workbench();
    Select(bench, 0);
    Trigger(bench.deleteAction);
    Expect({DialogAnswer::Button(0)});  // Save anyway
    Trigger(bench.saveAction);
    EXPECT_EQ(requests_.back().text, "a.ezx is write-protected. Save over it all the same?");
    EXPECT_EQ(names(Pic("a.ezx")), ours);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace lumigram::test
