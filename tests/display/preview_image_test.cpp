#include "display/preview_image.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>

#include "display/display_test_support.h"

namespace lumigram::test {
namespace {

class PreviewImageTest : public ::testing::Test {
  protected:
    void Show(const Bytes& bytes, int width, int height) {
        preview_.resize(width, height);
        WriteAll(dir_.File("pic"), bytes);
        preview_.Picture().LoadFromFile(QString::fromStdString(dir_.File("pic")));
    }
    TempDir dir_;
    TPreviewImage preview_;
};

TEST_F(PreviewImageTest, WithoutAPictureOnlyADottedBlueOutlineIsPainted) {
    preview_.resize(241, 321);
    const QImage image = Render(preview_);
    int blue = 0;
    int grey = 0;
    for (int x = 0; x < 241; ++x) {
        for (int y : {0, 320}) {
            const QRgb p = image.pixel(x, y);
            blue += p == qRgb(0, 0, 255);
            grey += p == kBackground;
        }
    }
    EXPECT_GT(blue, 100);  // dotted: some of the edge, not all of it
    EXPECT_GT(grey, 100);
    EXPECT_EQ(blue + grey, 2 * 241);
    for (int y = 1; y < 320; y += 7) {
        for (int x = 1; x < 240; x += 5) {
            ASSERT_EQ(image.pixel(x, y), kBackground) << x << "," << y;
        }
    }
    EXPECT_EQ(preview_.size(), QSize(241, 321));
}

TEST_F(PreviewImageTest, PicturesAreCentredRoundingTowardZero) {
    struct Case {
        int pictureWidth, pictureHeight, controlWidth, controlHeight, left, top;
    };
    const Case cases[] = {
        {100, 100, 241, 321, 70, 110},
        {300, 400, 241, 321, -29, -39},
        {101, 101, 100, 100, 0, 0},
    };
    for (const Case& c : cases) {
        Show(GradientBmp(c.pictureWidth, c.pictureHeight), c.controlWidth, c.controlHeight);
        const QImage image = Render(preview_);
        // The control's top-left pixel shows picture pixel (-left, -top) when cut
        // off, else the background; the picture starts at (left, top).
        const int x = std::max(c.left, 0);
        const int y = std::max(c.top, 0);
        EXPECT_EQ(image.pixel(x + 1, y + 1), Colour(GradientPixel(x + 1 - c.left, y + 1 - c.top)))
            << c.pictureWidth;
        if (c.left > 0) {
            EXPECT_EQ(image.pixel(c.left - 1, c.top + 1), kBackground);
            EXPECT_EQ(image.pixel(c.left + c.pictureWidth, c.top + 1), kBackground);
        }
    }
}

TEST_F(PreviewImageTest, AZeroLengthPicturePaintsNothingAtAll) {
    Show({}, 50, 50);
    const QImage image = Render(preview_);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(image.pixel(i, 0), kBackground);
        ASSERT_EQ(image.pixel(0, i), kBackground);
    }
}

TEST_F(PreviewImageTest, TellsWhenTheMouseEntersAndLeaves) {
    int entered = 0;
    int left = 0;
    QObject::connect(&preview_, &TPreviewImage::mouseEntered, [&] { ++entered; });
    QObject::connect(&preview_, &TPreviewImage::mouseLeft, [&] { ++left; });
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&preview_, &enter);
    QApplication::sendEvent(&preview_, &leave);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 1);
}

TEST_F(PreviewImageTest, VersionIsFixed) {
    EXPECT_EQ(preview_.Version(), "1.0.0.0");
    preview_.SetVersion("2.0.0.0");
    EXPECT_EQ(preview_.Version(), "1.0.0.0");
    EXPECT_EQ(TPreviewImage::GetVersionNr(), 0x01000000u);
}

TEST_F(PreviewImageTest, AssigningAPictureCopiesIt) {
    TFilePicture other;
    WriteAll(dir_.File("a.bmp"), GradientBmp(4, 4));
    other.LoadFromFile(QString::fromStdString(dir_.File("a.bmp")));
    preview_.resize(8, 8);
    preview_.SetPicture(&other);
    EXPECT_EQ(preview_.Picture().DataStream(), other.DataStream());
    EXPECT_NE(&preview_.Picture(), &other);
    EXPECT_EQ(Render(preview_).pixel(3, 3), Colour(GradientPixel(1, 1)));
}

}  // namespace
}  // namespace lumigram::test
