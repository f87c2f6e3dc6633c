#include <QCheckBox>
#include <QListView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QWheelEvent>

#include "app/window_fixture.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_window.h"
#include "codec/skin_encoder.h"
#include "display/display_test_support.h"
#include "display/zoom_view.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

constexpr QRgb kBlue = 0xFF0000FC;  // 255 narrowed to six bits and widened
constexpr QRgb kRed = 0xFFFC0000;
constexpr QRgb kDarkMagenta = 0xFFFC00FC;  // magenta as a ".k" stores it
constexpr QRgb kMagenta = 0xFFFF00FF;
constexpr QRgb kChecker = 1;  // whichever square of the checkerboard is there

// 8 x 2 (a mask needs at least 5 columns): blue, blue, magenta, red... over
// blue, red... The bottom-left pixel is blue, so a key taken from it would make
// the blue pixels see-through.
BmpSpec Probe() {
    BmpSpec spec;
    spec.width = 8;
    spec.height = 2;
    spec.pixel = [](int x, int y) {
        const Rgb blue{255, 0, 0};
        const Rgb red{0, 0, 255};
        if (y == 0) {
            return x < 2 ? blue : x == 2 ? Rgb{255, 0, 255} : red;
        }
        return x == 0 ? blue : red;
    };
    return spec;
}

// 4 x 1, 32 bits: green opaque, grey with alpha 0, red with alpha 128, blue opaque.
Bytes ThirtyTwoBits() {
    return MakeSkin(4, 1, 32, 16, {0, 200, 0, 255, 90, 90, 90, 0, 0, 0, 200, 128, 200, 0, 0, 255});
}

class TruePictureTest : public WindowTest {
  protected:
    TruePictureTest() {
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    // Pixel (x, y) of the picture shown at 8x, sampled in the middle of its
    // square, which covers exactly one square of the checkerboard.
    static QRgb Sample(TPreviewImage& preview, int x, int y) {
        const QRect at = preview.PictureRect();
        const QRgb shown = Render(preview).pixel(at.left() + 8 * x + 4, at.top() + 8 * y + 4);
        const QRgb square = (x + y) % 2 == 0 ? qRgb(255, 255, 255) : qRgb(214, 214, 214);
        return shown == square ? kChecker : shown;
    }
};

TEST_F(TruePictureTest, PreviewShowsTheMaskAndBothWindowsAgree) {
    Put("probe.bmp", MakeBmp(Probe()));
    EncodeSkinPictureTo(Pic("probe.bmp"), Pic("masked.k"), TransparencyColour{}, true);
    EncodeSkinPictureTo(Pic("probe.bmp"), Pic("plain.k"), TransparencyColour{}, false);
    Put("deep.k", ThirtyTwoBits());
    const struct {
        const char* what;
        const char* file;
        bool transparency;
        std::vector<QRgb> top;  // the first row's four pixels
        QRgb bottomLeft;
    } rows[] = {
        {"the mask decides, on", "masked.k", true, {kBlue, kBlue, kChecker, kRed}, kBlue},
        {"opaque when off", "masked.k", false, {kBlue, kBlue, kDarkMagenta, kRed}, kBlue},
        {"no mask: all opaque", "plain.k", true, {kBlue, kBlue, kDarkMagenta, kRed}, kBlue},
        {"32 bits: alpha 0 is see-through",
         "deep.k",
         true,
         {qRgb(0, 200, 0), kChecker, 0, qRgb(0, 0, 200)},
         0},
        {"32 bits off: all opaque",
         "deep.k",
         false,
         {qRgb(0, 200, 0), qRgb(90, 90, 90), qRgb(200, 0, 0), qRgb(0, 0, 200)},
         0},
        {"a BMP keys on its bottom-left colour",
         "probe.bmp",
         true,
         {kChecker, kChecker, kMagenta, 0xFFFF0000},
         kChecker},
    };
    for (const auto& row : rows) {
        Widgets().transparencyBox->setChecked(row.transparency);
        Expect({Accept(Pic(row.file))});
        Trigger(window_->FileOpen1);
        Widgets().previewArea->SetZoom(8);
        const bool deep = std::string(row.file) == "deep.k";
        for (int x = 0; x < 4; ++x) {
            const QRgb shown = Sample(*Widgets().preview, x, 0);
            if (row.top[static_cast<std::size_t>(x)] != 0) {
                EXPECT_EQ(shown, row.top[static_cast<std::size_t>(x)]) << row.what << ", x " << x;
            } else {
                EXPECT_NE(qAlpha(shown), 0) << row.what;  // blended over the checkerboard
            }
        }
        if (!deep) {
            EXPECT_EQ(Sample(*Widgets().preview, 0, 1), row.bottomLeft) << row.what;
        }
        if (std::string(row.file).ends_with(".k")) {
            // The workbench shows the same pixels, partly see-through ones too.
            Put("one.ezx", BuildPackage({{"p.k", ReadAll(Pic(row.file))}}));
            window_->OpenPath(QString::fromStdString(Pic("one.ezx")));
            WorkbenchWindow& bench = *window_->workbench();
            ASSERT_TRUE(QTest::qWaitFor([&] { return bench.loader()->pending() == 0; }, 5000));
            bench.grid()->setCurrentIndex(bench.filterModel()->index(0, 0));
            bench.previewArea()->SetZoom(8);
            for (int y = 0; y < (deep ? 1 : 2); ++y) {
                for (int x = 0; x < 4; ++x) {
                    EXPECT_EQ(Sample(*bench.preview(), x, y), Sample(*Widgets().preview, x, y))
                        << row.what << ", workbench at " << x << "," << y;
                }
            }
            bench.close();
        }
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TruePictureTest, ZoomScrollsFitsLargePicturesAndFollowsThePointer) {
    BmpSpec wall;
    wall.width = 176;
    wall.height = 220;
    Put("wall.bmp", MakeBmp(wall));
    BmpSpec huge = wall;
    huge.width = 600;
    huge.height = 900;
    Put("huge.bmp", MakeBmp(huge));
    TZoomView& area = *Widgets().previewArea;
    const auto scrolls = [&] {
        return area.horizontalScrollBar()->maximum() > 0 && area.verticalScrollBar()->maximum() > 0;
    };
    const struct {
        const char* what;
        const char* file;
        std::function<void()> step;
        int zoom;
        bool scrolling;
        const char* shown;
    } rows[] = {
        {"fits at its own size", "wall.bmp", [] {}, 1, false, "1\u00D7"},
        {"8x scrolls both ways, and stays for the next picture", "wall.bmp",
         [&] { window_->zoomFactorActions[3]->trigger(); }, 8, true, "8\u00D7"},
        {"larger than the view: fitted", "huge.bmp", [&] { window_->zoomActualAction->trigger(); },
         TPreviewImage::kZoomFit, false, "Fit (36%)"},
        {"the next one that fits: its own size", "wall.bmp", [] {}, 1, false, "1\u00D7"},
    };
    for (const auto& row : rows) {
        row.step();  // what the user chose before the picture opens
        Expect({Accept(Pic(row.file))});
        Trigger(window_->FileOpen1);
        QCoreApplication::processEvents();
        EXPECT_EQ(area.Zoom(), row.zoom) << row.what;
        EXPECT_EQ(scrolls(), row.scrolling) << row.what;
        EXPECT_EQ(Widgets().zoomInfo->text().toStdString(), row.shown) << row.what;
    }

    // Ctrl and the wheel zoom around the pointer: the picture point under it stays.
    const QPoint pointer(150, 200);
    const auto pictureAt = [&] {
        const QRect at = Widgets().preview->PictureRect();
        const QPoint onPreview = pointer + QPoint(area.horizontalScrollBar()->value(),
                                                  area.verticalScrollBar()->value());
        return QPointF(onPreview - at.topLeft()) / Widgets().preview->Scale();
    };
    const QPointF before = pictureAt();
    for (int turn = 0; turn < 2; ++turn) {
        QWheelEvent wheel(pointer, area.viewport()->mapToGlobal(pointer), {}, {0, 120},
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(area.viewport(), &wheel);
    }
    EXPECT_EQ(area.Zoom(), 4);
    EXPECT_TRUE(scrolls());
    EXPECT_NEAR(pictureAt().x(), before.x(), 0.5);
    EXPECT_NEAR(pictureAt().y(), before.y(), 0.5);

    // A drag pans.
    const int left = area.horizontalScrollBar()->value();
    QTest::mousePress(Widgets().preview, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(Widgets().preview, QPoint(70, 100));
    QTest::mouseRelease(Widgets().preview, Qt::LeftButton, {}, QPoint(70, 100));
    EXPECT_EQ(area.horizontalScrollBar()->value(), left + 30);
}

}  // namespace
}  // namespace lumigram::test
