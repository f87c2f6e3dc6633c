#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QUndoStack>

#include "app/window_fixture.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_document.h"
#include "app/workbench/workbench_window.h"
#include "codec/picture_conversion.h"
#include "display/display_test_support.h"
#include "package/editable_package.h"
#include "platform/byte_file.h"
#include "support/packages.h"
#include "support/png_files.h"

namespace lumigram::test {
namespace {

// A solid 18-bit ".k" picture of 6-bit channels, no mask.
Bytes SolidSkin(std::uint16_t width, std::uint16_t height, unsigned r6, unsigned g6, unsigned b6) {
    const std::uint32_t v = (r6 << 12) | (g6 << 6) | b6;
    const std::uint16_t stride = static_cast<std::uint16_t>((width * 3 + 3) & ~3);
    Bytes rows(std::size_t{stride} * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            rows[y * stride + x * 3] = static_cast<std::uint8_t>(v);
            rows[y * stride + x * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
            rows[y * stride + x * 3 + 2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
    return MakeSkin(width, height, 18, stride, rows);
}

Bytes BluePng() {
    PngSpec spec;
    spec.width = 3;
    spec.height = 2;
    for (int i = 0; i < 6; ++i) {
        spec.raw.insert(spec.raw.end(), {0, 0, 252, 255});
    }
    return MakePng(spec);
}

std::vector<Member> SkinMembers() {
    // In pack's order, as Lumigram writes it.
    return {{"a.k", SolidSkin(4, 3, 63, 0, 0)},
            {"w.g", BluePng()},
            {"x.a", Bytes{1, 2, 3}},
            {"b.k", SolidSkin(2, 2, 0, 63, 0)}};
}

std::vector<std::string> Names(const EditablePackage& package) {
    std::vector<std::string> names;
    for (const PackageEntry& entry : package.members()) {
        names.push_back(entry.storedName);
    }
    return names;
}

class WorkbenchTest : public WindowTest {
  protected:
    WorkbenchWindow& Open(const std::vector<Member>& members,
                          const std::string& name = "skin.ezx") {
        Put(name, BuildPackage(members));
        window_->OpenPath(QString::fromStdString(Pic(name)));  // as a drop does
        WorkbenchWindow& bench = *window_->workbench();
        EXPECT_TRUE(QTest::qWaitFor([&] { return bench.loader()->pending() == 0; }, 5000));
        return bench;
    }
    QModelIndex Row(WorkbenchWindow& bench, int row) { return bench.filterModel()->index(row, 0); }
    void Select(WorkbenchWindow& bench, int row) {
        bench.grid()->selectionModel()->setCurrentIndex(Row(bench, row),
                                                        QItemSelectionModel::ClearAndSelect);
        QCoreApplication::processEvents();
    }
    EditablePackage Saved(const std::string& name = "skin.ezx") {
        return EditablePackage::Open(Pic(name));
    }
};

TEST_F(WorkbenchTest, OpensWithThumbnailsSizesFilterAndPreview) {
    WorkbenchWindow& bench = Open(SkinMembers());
    EXPECT_TRUE(bench.isVisible());
    ASSERT_EQ(bench.filterModel()->rowCount(), 4);
    // Every cell's picture fills the same square at one whole factor (4 x 3
    // grows 16 times to 64 x 48), so that the names under them line up.
    const QImage thumb = Row(bench, 0).data(Qt::DecorationRole).value<QImage>();
    EXPECT_EQ(thumb.size(), QSize(kThumbnailSide, kThumbnailSide));
    EXPECT_EQ(thumb.pixel(32, 32), qRgb(252, 0, 0));
    EXPECT_EQ(thumb.pixel(32, 8), qRgb(252, 0, 0));
    EXPECT_EQ(qAlpha(thumb.pixel(32, 7)), 0);
    EXPECT_EQ(Row(bench, 0).data().toString().toStdString(), "a.k\n52 bytes\n4 \u00D7 3");
    EXPECT_EQ(Row(bench, 1).data(Qt::DecorationRole).value<QImage>().size(),
              QSize(kThumbnailSide, kThumbnailSide));
    // A member that holds no picture: the file icon, in a cell of the same size.
    EXPECT_EQ(Row(bench, 2).data(Qt::DecorationRole).value<QImage>().size(),
              QSize(kThumbnailSide, kThumbnailSide));
    EXPECT_EQ(Row(bench, 2).data().toString().toStdString(), "x.a\n3 bytes\nnot a picture");

    Select(bench, 3);
    EXPECT_EQ(
        Render(*bench.preview()).pixel(bench.preview()->width() / 2, bench.preview()->height() / 2),
        qRgb(0, 252, 0));
    EXPECT_EQ(bench.details()->text().toStdString(), "b.k \u2014 32 bytes \u2014 2 \u00D7 2");

    bench.filterBox()->setText("W.");
    EXPECT_EQ(bench.filterModel()->rowCount(), 1);
    EXPECT_EQ(Row(bench, 0).data(Qt::EditRole).toString(), "w.g");
}

TEST_F(WorkbenchTest, ReplaceFromPngSavesEncodedMemberAndKeepsTheOthersBytes) {
    WorkbenchWindow& bench = Open(SkinMembers());
    const std::string png = Put("new.png", BluePng());
    Select(bench, 3);
    Expect({Accept(png)});
    Trigger(bench.replaceAction);
    Trigger(bench.acceptReplaceAction);
    EXPECT_TRUE(bench.modified());
    Trigger(bench.saveAction);
    EXPECT_FALSE(bench.modified());

    ByteFile expected = ByteFile::Create(dir_.File("expected.k"));
    ConvertPicture(png, PictureKind::kPng, TargetFormat::kK, expected, {});
    expected.Close();
    const EditablePackage saved = Saved();
    ASSERT_EQ(Names(saved), (std::vector<std::string>{"a.k", "w.g", "x.a", "b.k"}));
    const std::vector<Member> original = SkinMembers();
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(saved.ReadContent(i),
                  i == 3 ? ReadAll(dir_.File("expected.k")) : original[i].content)
            << i;
    }

    // A GIF cannot become a ".k": refused, nothing changed.
    const std::string gif = Put("anim.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0});
    Expect({Accept(gif)});
    Trigger(bench.replaceAction);
    ASSERT_FALSE(Messages().empty());
    EXPECT_TRUE(Messages().back().text.contains("is a GIF picture"))
        << Messages().back().text.toStdString();
    EXPECT_FALSE(bench.modified());
}

TEST_F(WorkbenchTest, AddDeleteRenameUndoAndRedo) {
    WorkbenchWindow& bench = Open(SkinMembers());
    const auto names = [&] { return Names(bench.document()->package()); };
    const std::vector<std::string> start = names();
    struct Step {
        const char* what;
        std::function<void()> run;
        std::vector<std::string> after;
    };
    const std::vector<Step> steps = {
        {"add a PNG as c.k, in pack's place",
         [&] {
             Expect({Accept(Put("c.png", BluePng()))});
             Trigger(bench.addMemberAction);
         },
         {"a.k", "w.g", "x.a", "b.k", "c.k"}},
        {"delete b.k",
         [&] {
             Select(bench, 3);
             Trigger(bench.deleteAction);
         },
         {"a.k", "w.g", "x.a", "c.k"}},
        {"rename a.k to z.k",
         [&] {
             bench.filterModel()->setData(Row(bench, 0), "z.k", Qt::EditRole);
             QCoreApplication::processEvents();
         },
         {"w.g", "x.a", "c.k", "z.k"}},
    };
    std::vector<std::vector<std::string>> states = {start};
    for (const Step& step : steps) {
        step.run();
        EXPECT_EQ(names(), step.after) << step.what;
        states.push_back(names());
    }
    // A name pack refuses is refused; nothing changes.
    bench.filterModel()->setData(Row(bench, 0), "bad.txt", Qt::EditRole);
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), states.back());
    EXPECT_FALSE(Messages().empty());
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        Trigger(bench.undoAction);
        EXPECT_EQ(names(), states[i - 1]) << "undo " << i;
    }
    EXPECT_FALSE(bench.modified());
    for (std::size_t i = 1; i < states.size(); ++i) {
        Trigger(bench.redoAction);
        EXPECT_EQ(names(), states[i]) << "redo " << i;
    }
    Trigger(bench.saveAction);
    EXPECT_EQ(Names(Saved()), states.back());
    EXPECT_FALSE(bench.undoAction->isEnabled());  // saved: the steps are gone
}

TEST_F(WorkbenchTest, UnsavedChangesAskSaveDiscardOrCancel) {
    struct Row {
        int button;  // Save, Discard, Cancel
        bool closed;
        bool fileChanged;
    };
    for (const Row& row : {Row{0, true, true}, Row{1, true, false}, Row{2, false, false}}) {
        WorkbenchWindow& bench = Open(SkinMembers());
        Select(bench, 3);
        Trigger(bench.deleteAction);
        const std::size_t asked = requests_.size();
        Expect({DialogAnswer::Button(row.button)});
        bench.close();
        ASSERT_EQ(requests_.size(), asked + 1);
        EXPECT_EQ(requests_.back().buttons, (QStringList{"&Save", "&Discard", "&Cancel"}));
        EXPECT_EQ(bench.isVisible(), !row.closed) << row.button;
        EXPECT_EQ(Saved().members().size(), row.fileChanged ? 3U : 4U) << row.button;
        if (!row.closed) {
            Expect({DialogAnswer::Button(1)});  // opening another package asks too
            window_->BrowsePackage(QString::fromStdString(Pic("skin.ezx")));
            EXPECT_FALSE(bench.modified());
        }
    }
}

TEST_F(WorkbenchTest, DamagedPackageOpensReadOnlyExportsAndSalvages) {
    // A file that cannot be read: the error box, and no empty workbench.
    QMetaObject::invokeMethod(
        window_.get(),
        [this] { window_->BrowsePackage(QString::fromStdString(Pic("missing.ezx"))); },
        Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(window_->workbench()->isVisible());

    Bytes package = BuildPackage(SkinMembers());
    package.resize(package.size() - 1);  // the last member runs past the end
    Put("broken.ezx", package);
    window_->OpenPath(QString::fromStdString(Pic("broken.ezx")));
    WorkbenchWindow& bench = *window_->workbench();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bench.loader()->pending() == 0; }, 5000));
    EXPECT_TRUE(bench.document()->readOnly());
    EXPECT_TRUE(bench.findingsList()->isVisibleTo(&bench));
    EXPECT_TRUE(bench.findingsList()->item(0)->text().contains("damaged"));
    EXPECT_FALSE(bench.replaceAction->isEnabled());
    EXPECT_FALSE(bench.saveAction->isEnabled());
    EXPECT_EQ(bench.filterModel()->rowCount(), 3);

    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    Select(bench, 0);
    Expect({Accept(out)});
    Trigger(bench.exportAction);
    Expect({Accept(out)});
    Trigger(bench.exportPngAction);
    EXPECT_EQ(ListFolder(out), (std::vector<std::string>{"a.k", "a.png"}));
    EXPECT_EQ(ReadAll(out + "/a.k"), SkinMembers()[0].content);
    EXPECT_EQ(ReadPng(ReadAll(out + "/a.png")).width, 4U);
    // Again: the existing file is asked about, and Cancel writes nothing.
    WriteAll(out + "/a.k", {9});
    Expect({Accept(out), DialogAnswer::Button(2)});
    Trigger(bench.exportAction);
    EXPECT_EQ(requests_.back().text.toStdString(), "1 files in " + out + " will be replaced");
    EXPECT_EQ(ReadAll(out + "/a.k"), Bytes{9});

    Expect({Accept(Pic("saved.ezx"))});
    Trigger(bench.salvageAction);
    EXPECT_EQ(Names(Saved("saved.ezx")), (std::vector<std::string>{"a.k", "w.g", "x.a"}));
    EXPECT_EQ(Saved("saved.ezx").ReadContent(1), SkinMembers()[1].content);
}

}  // namespace
}  // namespace lumigram::test
