#include <QListWidget>

#include "app/batch_progress.h"
#include "app/window_fixture.h"
#include "codec/skin_encoder.h"

namespace lumigram::test {
namespace {

using SaveAndConvertTest = WindowTest;

BmpSpec Small() {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    return spec;
}

TEST_F(SaveAndConvertTest, SaveWritesWhatThePreviewOrTheEncoderHolds) {
    Put("pic.bmp", MakeBmp(Small()));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("icon.k"), TransparencyColour{}, true);
    Put("wall.g", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 1});

    // Kind 1: the decoded BMP, under whatever name is chosen.
    Expect({Accept(Pic("icon.k")), Accept(dir_.File("out.png"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->FileSave1);
    EXPECT_EQ(requests_[1].filter, "Images|*.png;*.gif;*.bmp");
    EXPECT_EQ(requests_[1].title, "Save converted file");
    EXPECT_EQ(requests_[1].fileName, "icon.bmp");  // the stem, in the direction it writes
    EXPECT_TRUE(requests_[1].confirmOverwrite);
    EXPECT_EQ(ReadAll(dir_.File("out.png")), ReadAll(Scratch() + "/temp.bmp"));

    // Kind 3: its own bytes.
    Choose(1);  // wall.g
    Expect({Accept(dir_.File("wall.gif"))});
    Trigger(window_->FileSaveAs1);
    EXPECT_EQ(ReadAll(dir_.File("wall.gif")), ReadAll(Pic("wall.g")));

    // Kind 2: its ".k" encoding; the current file stays the picture shown.
    Expect({Accept(Pic("pic.bmp")), Accept(dir_.File("pic.k"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->FileSave1);
    EXPECT_EQ(requests_.back().filter, ".k/g files|*.k;*.g");
    EXPECT_EQ(ReadAll(dir_.File("pic.k")), ReadAll(Pic("icon.k")));
    EXPECT_EQ(window_->state().CurrentFile, Pic("pic.bmp"));

    // Cancelled: nothing written.
    Expect({DialogAnswer::Cancel()});
    Trigger(window_->FileSave1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveAndConvertTest, SavingTheScratchFileOntoItselfIsRefused) {
    Put("pic.bmp", MakeBmp(Small()));
    Expect({Accept(Pic("pic.bmp")), Accept(dir_.File("a.k"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->FileSave1);
    const Bytes encoded = ReadAll(Scratch() + "/temp.k");
    Expect({Accept(Scratch() + "/temp.k")});  // the preset name, in the scratch folder
    Trigger(window_->FileSave1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].text.startsWith("cannot copy a file onto itself"));
    EXPECT_EQ(ReadAll(Scratch() + "/temp.k"), encoded);
}

TEST_F(SaveAndConvertTest, APictureThatFailedToLoadLeavesTheShownOneToSave) {
    Put("wall.g", Bytes{'G', 'I', 'F', '8', '9', 'a'});
    Put("junk.g", Bytes{'n', 'o', 'p', 'e'});
    Expect({Accept(Pic("wall.g"))});
    Trigger(window_->FileOpen1);
    Choose(0);  // junk.g: refused
    Expect({Accept(dir_.File("out.gif"))});
    Trigger(window_->FileSave1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(requests_.back().fileName, "wall.gif");
    EXPECT_EQ(ReadAll(dir_.File("out.gif")), ReadAll(Pic("wall.g")));

    // Nothing shown yet: no picture to save.
    window_ = std::make_unique<TSDIAppForm>();
    Expect({Accept(dir_.File("none.k"))});
    Trigger(window_->FileSave1);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_TRUE(Messages()[1].text.startsWith("There is no picture to save"));
    EXPECT_FALSE(Exists(dir_.File("none.k")));
}

TEST_F(SaveAndConvertTest, ConvertAllConvertsTheGroupUnderNewNames) {
    Put("pic.bmp", MakeBmp(Small()));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("my.skin.k"), TransparencyColour{}, true);
    Put("wall.g", Bytes{0x89, 'P', 'N', 'G', 1});
    Put("junk.g", Bytes{'n', 'o'});
    Put("menu.a", Bytes{7, 7});
    Put("bm.a", MakeBmp(Small()));
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    // A stale scratch result from an earlier preview must not be taken for one.
    WriteAll(Scratch() + "/temp.g", {9, 9, 9});

    Expect({Accept(Pic("wall.g")), Accept(out)});
    Trigger(window_->Convertall1);
    EXPECT_EQ(requests_[1].kind, DialogKind::kDirectory);
    EXPECT_EQ(requests_[1].title, "Select directory to save converted files");
    EXPECT_EQ(ListFolder(out),
              (std::vector<std::string>{"bm.k", "menu.g", "my.skin.bmp", "wall.png"}));
    EXPECT_EQ(ReadAll(out + "/menu.g"), (Bytes{7, 7}));
    EXPECT_EQ(ReadAll(out + "/wall.png"), ReadAll(Pic("wall.g")));
    EXPECT_EQ(ReadAll(out + "/bm.k"), ReadAll(Pic("my.skin.k")));
    EXPECT_TRUE(ListFolder(Scratch() + "/batch").empty());        // no scratch file is left
    EXPECT_EQ(ReadAll(Scratch() + "/temp.g"), (Bytes{9, 9, 9}));  // nor the preview's touched
    EXPECT_EQ(window_->state().CurrentFile, "");  // choosing the folder opened nothing
    EXPECT_TRUE(Widgets().preview->Picture().GetEmpty());
    EXPECT_EQ(Widgets().batchSummary->text().toStdString(), "Converted 4 of 5 files into " + out);
    ASSERT_EQ(Messages().size(), 1u);  // junk.g, in the one box of failures
    EXPECT_EQ(Messages()[0].text.toStdString(),
              "1 files were not converted:\n\n" + Pic("junk.g") + ": not a GIF or PNG picture");

    // The image group, from a ".bmp".
    const std::string out2 = dir_.File("out2");
    std::filesystem::create_directory(out2);
    Expect({Accept(Pic("pic.bmp")), Accept(out2)});
    Trigger(window_->Convertall1);
    EXPECT_EQ(ListFolder(out2), std::vector<std::string>{"pic.k"});
}

TEST_F(SaveAndConvertTest, ConvertAllGoesOnAfterAnErrorAndCancelStopsBetweenFiles) {
    Put("a.k", Bytes(3, 0));  // refused
    Put("b.a", Bytes{1});
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    Expect({Accept(Pic("a.k")), Accept(out)});
    Trigger(window_->Convertall1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].text.contains(QString::fromStdString(Pic("a.k")) + ": not a skin"));
    EXPECT_EQ(ListFolder(out), std::vector<std::string>{"b.g"});  // b.a was converted all the same
    std::filesystem::remove(out + "/b.g");

    // Cancelled after the first file: what was written stays, nothing more is.
    std::filesystem::remove(Pic("a.k"));
    Put("c.a", Bytes{2});
    {
        const BatchProgress::ScopedCancelHook cancel([](int done, int) { return done >= 1; });
        Expect({Accept(Pic("a.k")), Accept(out)});
        Trigger(window_->Convertall1);
    }
    EXPECT_EQ(ListFolder(out), std::vector<std::string>{"b.g"});
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(SaveAndConvertTest, KindsIgnoreCaseAndConvertAllReportsCollisions) {
    Put("pic.bmp", MakeBmp(Small()));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("UPPER.K"), TransparencyColour{}, true);
    std::filesystem::remove(Pic("pic.bmp"));
    const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1};
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, Bytes>> files;  // added to the folder
        std::string chosen;
        std::vector<std::string> outputs;
        std::size_t messages;  // boxes shown by this run
    } cases[] = {
        {"upper-case skin group", {{"LOGO.G", gif}}, "UPPER.K", {"LOGO.GIF", "UPPER.BMP"}, 0},
        {"two files, one output name",
         {{"logo.gif", gif}, {"logo.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}}},
         "logo.gif",
         {"logo.g"},
         1},
    };
    for (const Case& c : cases) {
        for (const auto& [name, bytes] : c.files) {
            Put(name, bytes);
        }
        const std::string out = dir_.File(std::string("out-") + c.chosen);
        std::filesystem::create_directory(out);
        const std::size_t before = Messages().size();
        Expect({Accept(Pic(c.chosen)), Accept(out)});
        Trigger(window_->Convertall1);
        EXPECT_EQ(ListFolder(out), c.outputs) << c.what;
        ASSERT_EQ(Messages().size(), before + c.messages) << c.what;
        if (c.messages > 0) {
            EXPECT_TRUE(Messages().back().text.contains("logo.png: not written: its output"))
                << Messages().back().text.toStdString();
            EXPECT_EQ(ReadAll(out + "/logo.g"), gif);  // the first of the two
        }
    }
    // Opening an upper-case ".K" previews it and lists its group.
    Expect({Accept(Pic("UPPER.K"))});
    Trigger(window_->FileOpen1);
    EXPECT_FALSE(Widgets().preview->Picture().GetEmpty());
    EXPECT_EQ(Widgets().fileList->count(), 2);  // LOGO.G, UPPER.K
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST_F(SaveAndConvertTest, SaveProposesTheNameItWritesAndSaysSo) {
    Put("pic.bmp", MakeBmp(Small()));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("wall1.k"), TransparencyColour{}, true);
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("WALL2.K"), TransparencyColour{}, true);
    Put("anim.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 1});
    Put("logo.g", ReadAll(Pic("anim.gif")));
    QImage png(2, 2, QImage::Format_RGB32);
    png.fill(Qt::green);
    png.save(QString::fromStdString(Pic("photo.png")), "PNG");
    Put("shot.g", ReadAll(Pic("photo.png")));
    const struct {
        const char* open;
        const char* proposed;  // the stem with what the save writes
        const char* extension;
        Bytes written;  // what a bare name typed in the dialog receives
    } rows[] = {
        {"wall1.k", "wall1.bmp", ".bmp", {}},
        {"WALL2.K", "WALL2.BMP", ".bmp", {}},  // in the case of its own extension
        {"logo.g", "logo.gif", ".gif", ReadAll(Pic("anim.gif"))},
        {"shot.g", "shot.png", ".png", ReadAll(Pic("photo.png"))},
        {"pic.bmp", "pic.k", ".k", ReadAll(Pic("wall1.k"))},
        {"anim.gif", "anim.g", ".g", ReadAll(Pic("anim.gif"))},
        {"photo.png", "photo.g", ".g", ReadAll(Pic("photo.png"))},
    };
    int saved = 0;
    for (const auto& row : rows) {
        const std::string bare = dir_.File("out" + std::to_string(saved++));
        Expect({Accept(Pic(row.open)), Accept(bare)});
        Trigger(window_->FileOpen1);
        Trigger(window_->FileSave1);
        EXPECT_EQ(requests_.back().fileName.toStdString(), row.proposed) << row.open;
        EXPECT_EQ(requests_.back().defaultExtension.toStdString(), row.extension) << row.open;
        const std::string written = bare + row.extension;
        const Bytes expected = row.written.empty() ? ReadAll(Scratch() + "/temp.bmp") : row.written;
        EXPECT_EQ(ReadAll(written), expected) << row.open;
        EXPECT_EQ(Widgets().batchSummary->text().toStdString(), "Saved " + ExtractFileName(written))
            << row.open;
    }
    // The message belongs to the file saved: another file shown clears it.
    Choose(0);
    EXPECT_TRUE(Widgets().batchSummary->text().isEmpty());
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace lumigram::test
