#include "display/file_picture.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "display/display_test_support.h"
#include "platform/io_error.h"

namespace lumigram::test {
namespace {

class FilePictureTest : public ::testing::Test {
  protected:
    std::string Put(const std::string& name, const Bytes& bytes) {
        WriteAll(dir_.File(name), bytes);
        return dir_.File(name);
    }
    // Draws the picture into rect on a grey canvas of the given size.
    QImage DrawOnCanvas(TFilePicture& picture, QSize size, QRect rect) {
        QImage canvas(size, QImage::Format_RGB32);
        canvas.fill(kBackground);
        QPainter painter(&canvas);
        picture.Draw(painter, rect);
        return canvas;
    }
    TempDir dir_;
};

TEST_F(FilePictureTest, SizeChangesOnlyWhenADecodeRuns) {
    TFilePicture picture;
    EXPECT_TRUE(picture.GetEmpty());
    EXPECT_EQ(picture.GetWidth(), 0);
    EXPECT_FALSE(picture.GetImageSizes());

    picture.LoadFromFile(QString::fromStdString(Put("a.bmp", GradientBmp(10, 20))));
    EXPECT_FALSE(picture.GetEmpty());
    EXPECT_EQ(picture.GetWidth(), 0);  // not decoded yet
    EXPECT_TRUE(picture.GetImageSizes());
    EXPECT_EQ(picture.GetWidth(), 10);
    EXPECT_EQ(picture.GetHeight(), 20);

    picture.LoadFromFile(QString::fromStdString(Put("b.png", GradientPng(30, 40))));
    EXPECT_EQ(picture.GetWidth(), 10);              // still the previous picture's
    DrawOnCanvas(picture, {50, 50}, {0, 0, 5, 5});  // a non-BMP draw decodes
    EXPECT_EQ(picture.GetWidth(), 30);
    EXPECT_EQ(picture.GetHeight(), 40);

    // Zero bytes: not empty, but nothing to decode; the size stays.
    picture.LoadFromFile(QString::fromStdString(Put("zero.k", {})));
    EXPECT_FALSE(picture.GetEmpty());
    EXPECT_FALSE(picture.GetImageSizes());
    EXPECT_EQ(picture.GetWidth(), 30);

    // Undecodable bytes decode to a size of 0 by 0.
    picture.LoadFromFile(QString::fromStdString(Put("junk.g", {1, 2, 3, 4, 5})));
    EXPECT_TRUE(picture.GetImageSizes());
    EXPECT_EQ(picture.GetWidth(), 0);
}

TEST_F(FilePictureTest, SignalsFireInOrder) {
    TFilePicture picture;
    std::vector<std::string> events;
    QObject::connect(&picture, &TFilePicture::changed, [&] { events.push_back("changed"); });
    QObject::connect(&picture, &TFilePicture::cleared, [&] { events.push_back("cleared"); });

    picture.LoadFromFile(QString::fromStdString(Put("a.bmp", GradientBmp(2, 2))));
    EXPECT_EQ(events, (std::vector<std::string>{"cleared", "changed"}));
    events.clear();
    picture.Assign(nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"changed", "cleared"}));
    EXPECT_TRUE(picture.GetEmpty());
    events.clear();

    TFilePicture other;
    other.LoadFromFile(QString::fromStdString(dir_.File("a.bmp")));
    picture.Assign(&other);
    EXPECT_EQ(events, std::vector<std::string>{"changed"});
    EXPECT_EQ(picture.DataStream(), other.DataStream());
    events.clear();

    QObject foreign;
    picture.Assign(&foreign);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(picture.GetEmpty());

    picture.LoadFromFile(QString::fromStdString(dir_.File("missing.bmp")));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(picture.GetEmpty());
}

TEST_F(FilePictureTest, SavesTheKeptBytesExactly) {
    TFilePicture picture;
    for (const Bytes& bytes :
         {GradientBmp(3, 3), GradientPng(4, 4), Bytes{0xDE, 0xAD, 0, 1}, Bytes{}}) {
        picture.LoadFromFile(QString::fromStdString(Put("in", bytes)));
        picture.SaveToFile(QString::fromStdString(dir_.File("out")));
        EXPECT_EQ(ReadAll(dir_.File("out")), bytes);
    }
}

TEST_F(FilePictureTest, AFileThatCannotBeCreatedIsNamedInTheMessage) {
    TFilePicture picture;
    picture.LoadFromFile(QString::fromStdString(Put("a.bmp", GradientBmp(2, 2))));
    const std::string target = dir_.File("no-such-folder/a.bmp");
    try {
        picture.SaveToFile(QString::fromStdString(target));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + target + "\". the folder \"" +
                      dir_.File("no-such-folder/") + "\" does not exist");
    }
}

TEST_F(FilePictureTest, SavingAnEmptyPictureIsRefusedAndCreatesNoFile) {
    TFilePicture picture;
    picture.LoadFromFile(QString::fromStdString(Put("a.bmp", GradientBmp(2, 2))));
    picture.LoadFromFile(
        QString::fromStdString(dir_.File("missing.bmp")));  // empty, old bytes kept
    try {
        picture.SaveToFile(QString::fromStdString(dir_.File("new.bmp")));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "There is no picture to save");
        EXPECT_EQ(error.path(), dir_.File("new.bmp"));
    }
    EXPECT_FALSE(Exists(dir_.File("new.bmp")));
}

TEST_F(FilePictureTest, BmpIsDrawnAtItsOwnSizeWithItsKeyColourTransparent) {
    TFilePicture picture;
    // Bottom-left magenta, and a second magenta pixel at (3, 1).
    BmpSpec spec;
    spec.width = 6;
    spec.height = 4;
    spec.pixel = [](int x, int y) {
        return (x == 0 && y == 3) || (x == 3 && y == 1) ? Rgb{255, 0, 255} : GradientPixel(x, y);
    };
    picture.LoadFromFile(QString::fromStdString(Put("a.bmp", MakeBmp(spec))));
    const QImage canvas = DrawOnCanvas(picture, {20, 20}, {2, 3, 12, 8});  // twice the size
    EXPECT_EQ(canvas.pixel(2 + 1, 3 + 1), Colour(GradientPixel(1, 1)));
    EXPECT_EQ(canvas.pixel(2 + 5, 3 + 2), Colour(GradientPixel(5, 2)));
    EXPECT_EQ(canvas.pixel(2 + 3, 3 + 1), kBackground);  // magenta: transparent
    EXPECT_EQ(canvas.pixel(2 + 0, 3 + 3), kBackground);
    EXPECT_EQ(canvas.pixel(2 + 6, 3 + 2), kBackground);  // not stretched

    // An ordinary bottom-left colour is the key just the same.
    spec.pixel = [](int x, int y) {
        return x == 2 || (x == 0 && y == 3) ? Rgb{1, 2, 3} : GradientPixel(x, y);
    };
    picture.LoadFromFile(QString::fromStdString(Put("b.bmp", MakeBmp(spec))));
    const QImage second = DrawOnCanvas(picture, {20, 20}, {0, 0, 6, 4});
    EXPECT_EQ(second.pixel(1, 3), Colour(GradientPixel(1, 3)));
    EXPECT_EQ(second.pixel(0, 3), kBackground);
    EXPECT_EQ(second.pixel(2, 0), kBackground);
}

TEST_F(FilePictureTest, OtherFormatsAreStretchedToTheRectangle) {
    TFilePicture picture;
    picture.LoadFromFile(QString::fromStdString(Put("a.png", GradientPng(4, 4))));
    const QImage canvas = DrawOnCanvas(picture, {20, 20}, {0, 0, 8, 8});
    EXPECT_EQ(canvas.pixel(7, 7), Colour(GradientPixel(3, 3)));
    EXPECT_EQ(canvas.pixel(6, 0), Colour(GradientPixel(3, 0)));
    EXPECT_EQ(canvas.pixel(8, 8), kBackground);
}

TEST_F(FilePictureTest, ADecompressionBombDrawsNothing) {
    // A 40000 x 40000 BMP header over a few bytes of pixels: decoding it would
    // need gigabytes.
    Bytes bomb = GradientBmp(4, 4);
    PutLe32(bomb, 18, 40000);
    PutLe32(bomb, 22, 40000);
    TFilePicture picture;
    picture.LoadFromFile(QString::fromStdString(Put("bomb.bmp", bomb)));
    const QImage canvas = DrawOnCanvas(picture, {8, 8}, {0, 0, 8, 8});
    EXPECT_EQ(canvas.pixel(0, 0), kBackground);
    EXPECT_EQ(canvas.pixel(7, 7), kBackground);
}

}  // namespace
}  // namespace lumigram::test
