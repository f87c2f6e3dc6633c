#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/shape.h"
#include "app/window_fixture.h"
#include "codec/skin_encoder.h"
#include "display/display_test_support.h"

namespace lumigram::test {
namespace {

// A 10 x 10 picture: red left half, blue right half, its bottom-left pixel magenta.
BmpSpec TwoHalves() {
    BmpSpec spec;
    spec.width = 10;
    spec.height = 10;
    spec.pixel = [](int x, int y) {
        if (x == 0 && y == 9) {
            return Rgb{255, 0, 255};
        }
        return x < 5 ? Rgb{0, 0, 200} : Rgb{200, 0, 0};
    };
    return spec;
}

class OpenAndPreviewTest : public WindowTest {
  protected:
    // icon.k (from TwoHalves), and siblings of both groups.
    void MakeFolder() {
        Put("pic.bmp", MakeBmp(TwoHalves()));
        EncodeSkinPictureTo(Pic("pic.bmp"), Pic("icon.k"), TransparencyColour{}, true);
        Put("b.k", ReadAll(Pic("icon.k")));
        Put("logo.g", Bytes{'G', 'I', 'F', '8', '9', 'a'});
        Put("menu.a", Bytes{1, 2, 3});
        Put("x.gif", Bytes{'G', 'I', 'F'});
        Put("y.png", Bytes{0x89, 'P', 'N', 'G'});
    }
    // Pixel of the previewed 10 x 10 picture at (x, y), centred in 241 x 321.
    QRgb Shown(int x, int y) { return PreviewPixels().pixel(115 + x, 155 + y); }
    // What a transparent pixel of the second row of 8 x 8 squares shows.
    static constexpr QRgb kCheckerDark = qRgb(214, 214, 214);
};

TEST_F(OpenAndPreviewTest, OpeningASkinPictureDecodesPreviewsAndListsTheSkinGroup) {
    MakeFolder();
    Expect({Accept(Pic("icon.k"))});
    Trigger(window_->FileOpen1);

    EXPECT_EQ(requests_[0].filter, ".k/g files|*.g;*.k|Images|*.bmp;*.gif;*.png");
    EXPECT_EQ(requests_[0].title, "Open file");
    EXPECT_EQ(window_->state().kind, FileKind::kSkin);
    EXPECT_EQ(window_->state().CurrentFile, Pic("icon.k"));
    EXPECT_TRUE(Exists(Scratch() + "/temp.bmp"));
    EXPECT_EQ(Shown(1, 1), qRgb(200, 0, 0) & 0xFFFCFCFC);  // widened: 200 -> 200
    EXPECT_EQ(Shown(8, 1), qRgb(0, 0, 200));
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"b.k", "icon.k", "logo.g", "menu.a"}));
    EXPECT_EQ(window_->state().FileList[3], Pic("menu.a"));
    EXPECT_EQ(Widgets().fileList->currentRow(), 1);  // the opened file
}

TEST_F(OpenAndPreviewTest, OpeningAnOrdinaryPictureListsTheImageGroup) {
    MakeFolder();
    Expect({Accept(Pic("pic.bmp"))});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(window_->state().kind, FileKind::kOrdinary);
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"pic.bmp", "x.gif", "y.png"}));
    EXPECT_EQ(window_->state().PreviewFile, Pic("pic.bmp"));
    EXPECT_EQ(ReadAll(Scratch() + "/temp.k")[8], 18);  // encoded for a later save
    EXPECT_EQ(Shown(1, 1), qRgb(200, 0, 0));
    EXPECT_EQ(Shown(0, 9), kCheckerDark);  // the BMP's key colour is see-through
}

TEST_F(OpenAndPreviewTest, ACancelledOpenStillListsTheCurrentFolder) {
    MakeFolder();
    Expect({Accept(Pic("icon.k")), DialogAnswer::Cancel()});
    Trigger(window_->FileOpen1);
    Choose(2);  // logo.g
    Trigger(window_->FileOpen1);
    EXPECT_EQ(ListItems().size(), 4u);
    EXPECT_EQ(window_->state().CurrentFile, Pic("logo.g"));

    // Before any file, the start folder (the scratch folder) is listed.
    window_ = std::make_unique<TSDIAppForm>();
    WriteAll(Start() + "/here.k", {1});
    Expect({DialogAnswer::Cancel()});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(ListItems(), std::vector<std::string>{"here.k"});
}

TEST_F(OpenAndPreviewTest, GPicturesArePreviewedThroughACopyNamedForTheirContent) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    image.save(QString::fromStdString(Pic("real.png")), "PNG");
    Put("wall.g", ReadAll(Pic("real.png")));
    // A 1 x 1 GIF (Qt reads GIF but does not write it).
    Put("anim.g",
        Bytes{0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0,   0,
              0,    0x2C, 0,    0,    0,    0,    1, 0, 1, 0, 0,    2, 2, 0x44, 1,    0,    0x3B});
    Put("junk.g", Bytes{'J', 'U', 'N', 'K'});

    Expect({Accept(Pic("wall.g"))});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(window_->state().PreviewFile, Scratch() + "/temp.png");
    EXPECT_EQ(ReadAll(Scratch() + "/temp.png"), ReadAll(Pic("wall.g")));
    EXPECT_EQ(PreviewPixels().pixel(120, 160), qRgb(10, 200, 30));
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"anim.g", "junk.g", "wall.g"}));

    Choose(0);  // anim.g, by keyboard or click
    EXPECT_EQ(window_->state().PreviewFile, Scratch() + "/temp.gif");
    EXPECT_EQ(ReadAll(Scratch() + "/temp.gif"), ReadAll(Pic("anim.g")));

    Choose(1);  // junk.g: neither, refused; anim.g stays
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text.toStdString(), "not a GIF or PNG picture\n" + Pic("junk.g"));
    EXPECT_EQ(window_->state().CurrentFile, Pic("anim.g"));
    EXPECT_EQ(Widgets().fileList->currentRow(), 0);
}

TEST_F(OpenAndPreviewTest, AClickPreviewsOnceEvenTheSelectedItem) {
    MakeFolder();
    Expect({Accept(Pic("icon.k"))});
    Trigger(window_->FileOpen1);
    window_->show();
    QListWidget* list = Widgets().fileList;
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(window_->state().CurrentFile, Pic("icon.k"));
    std::filesystem::remove(Scratch() + "/temp.bmp");
    // Again, after the double-click interval so that it is a click of its own.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center(),
                      QApplication::doubleClickInterval() + 100);
    EXPECT_TRUE(Exists(Scratch() + "/temp.bmp"));
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(window_->state().CurrentFile, Pic("logo.g"));
}

TEST_F(OpenAndPreviewTest, AnAFileIsAnOrdinaryPicture) {
    MakeFolder();
    Expect({Accept(Pic("icon.k"))});
    Trigger(window_->FileOpen1);
    Choose(3);  // menu.a
    EXPECT_EQ(window_->state().kind, FileKind::kOrdinary);
    EXPECT_EQ(window_->state().PreviewFile, Pic("menu.a"));
    EXPECT_EQ(ReadAll(Scratch() + "/temp.k"), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadAll(Scratch() + "/temp.g"), (Bytes{1, 2, 3}));
}

TEST_F(OpenAndPreviewTest, TransparencySwitchAndColourChange) {
    // The preview shows the decoded BMP with its key colour see-through, so the
    // colour itself is read from the scratch BMP.
    const auto decodedCorner = [&] { return BmpPixel(ReadAll(Scratch() + "/temp.bmp"), 0, 9); };
    MakeFolder();
    Expect({Accept(Pic("icon.k"))});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(decodedCorner(), (Rgb{255, 0, 255}));
    EXPECT_EQ(Shown(0, 9), kCheckerDark);
    EXPECT_EQ(Shown(1, 9), qRgb(200, 0, 0));

    // A new colour re-decodes a ".k" picture at once.
    Expect({DialogAnswer::AcceptColour(QColor(0, 255, 0))});
    Widgets().colourButton->click();
    EXPECT_EQ(decodedCorner(), (Rgb{0, 255, 0}));
    EXPECT_EQ(window_->state().transparency.colour, (TransparencyColour{0, 255, 0}));
    EXPECT_EQ(Widgets().colourSwatch->BrushColour(), QColor(0, 255, 0));

    // Off: the swatch hides, the button is disabled, the ".k" is decoded again
    // at once without its mask.
    Widgets().transparencyBox->setChecked(false);
    EXPECT_FALSE(Widgets().colourButton->isEnabled());
    EXPECT_TRUE(Widgets().colourSwatch->isHidden());
    EXPECT_FALSE(window_->state().transparency.enabled);
    EXPECT_EQ(decodedCorner(), (Rgb{252, 0, 252}));

    // A colour change leaves an ordinary picture alone.
    Widgets().transparencyBox->setChecked(true);
    Choose(3);  // menu.a, kind 2
    const Bytes encoded = ReadAll(Scratch() + "/temp.k");
    Expect({DialogAnswer::AcceptColour(QColor(1, 2, 3))});
    Widgets().colourButton->click();
    EXPECT_EQ(ReadAll(Scratch() + "/temp.k"), encoded);
}

TEST_F(OpenAndPreviewTest, AnErrorReachesTheErrorBoxAndTheWindowGoesOn) {
    Put("broken.k", Bytes(10, 0));
    Expect({Accept(Pic("broken.k"))});
    Trigger(window_->FileOpen1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].icon, MessageIcon::kCritical);
    EXPECT_EQ(Messages()[0].text.toStdString(),
              "not a skin picture: the file is 10 bytes, shorter than the 16-byte header\n" +
                  Pic("broken.k"));
    EXPECT_TRUE(ListItems().empty());  // the command ended before the listing

    Put("fine.bmp", MakeBmp(TwoHalves()));
    Expect({Accept(Pic("fine.bmp"))});
    Trigger(window_->FileOpen1);
    EXPECT_EQ(Shown(1, 1), qRgb(200, 0, 0));
    EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
}  // namespace lumigram::test
