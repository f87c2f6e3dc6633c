// File > Export PNG... and File > Save as skin picture...
#include "app/window_fixture.h"
#include "codec/picture_conversion.h"
#include "codec/skin_encoder.h"
#include "support/png_files.h"

namespace lumigram::test {
namespace {

using ExportPngTest = WindowTest;

TEST_F(ExportPngTest, ExportPngAndSaveAsSkinPictureWriteThroughTheCore) {
    BmpSpec spec;
    spec.width = 40;
    spec.height = 2;
    spec.pixel = [](int x, int) { return x == 1 ? Rgb{255, 0, 255} : Rgb{40, 80, 120}; };
    Put("pic.bmp", MakeBmp(spec));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("icon.k"), TransparencyColour{}, true);
    PngSpec png;
    png.width = 40;
    png.height = 1;
    png.raw = Bytes(40 * 4, 200);
    png.raw[3] = 0;  // the first pixel transparent
    Put("alpha.png", MakePng(png));

    // A ".k": its mask as alpha.
    Expect({Accept(Pic("icon.k")), Accept(dir_.File("icon.png"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->exportPngAction);
    EXPECT_EQ(requests_.back().title, "Export PNG");
    EXPECT_EQ(requests_.back().filter, "PNG files|*.png");
    const RgbaPicture exported = ReadPng(ReadAll(dir_.File("icon.png")));
    EXPECT_EQ(exported.rgba[3], 255);
    EXPECT_EQ(exported.rgba[7], 0);  // pixel 1 was magenta
    EXPECT_EQ(Widgets().batchSummary->text(), "Exported icon.png");

    // A BMP: its transparency colour as alpha.
    Expect({Accept(Pic("pic.bmp")), Accept(dir_.File("pic.png"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->exportPngAction);
    EXPECT_EQ(ReadPng(ReadAll(dir_.File("pic.png"))).rgba[7], 0);

    // Save as skin picture: a BMP as encode packs it, a PNG with alpha as the mask.
    Expect({Accept(dir_.File("pic.k"))});
    Trigger(window_->saveSkinPictureAction);
    EXPECT_EQ(ReadAll(dir_.File("pic.k")), ReadAll(Pic("icon.k")));
    Expect({Accept(Pic("alpha.png")), Accept(dir_.File("alpha.k"))});
    Trigger(window_->FileOpen1);
    Trigger(window_->saveSkinPictureAction);
    ConvertPictureTo(Pic("alpha.png"), dir_.File("expected.k"), TargetFormat::kK, {});
    EXPECT_EQ(ReadAll(dir_.File("alpha.k")), ReadAll(dir_.File("expected.k")));
    EXPECT_TRUE(Messages().empty());

    // A ".k" is already one: refused before any dialog.
    Expect({Accept(Pic("icon.k"))});
    Trigger(window_->FileOpen1);
    const std::size_t asked = requests_.size();
    Trigger(window_->saveSkinPictureAction);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.toStdString().find("only a BMP or a PNG"), std::string::npos);
    EXPECT_EQ(requests_.size(), asked + 1);  // the error box only
}

}  // namespace
}  // namespace lumigram::test
