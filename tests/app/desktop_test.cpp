#include <signal.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/shape.h"
#include "app/signal_exit.h"
#include "app/window_fixture.h"
#include "app/window_placement.h"
#include "app/window_settings.h"
#include "app/workbench/workbench_document.h"
#include "app/workbench/workbench_window.h"
#include "codec/skin_encoder.h"
#include "display/zoom_view.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

using DesktopTest = WindowTest;

// A 4 x 4 picture whose four columns have four colours.
BmpSpec Columns() {
    BmpSpec spec;
    spec.width = 4;
    spec.height = 4;
    spec.pixel = [](int x, int) {
        const Rgb colours[] = {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 250, 0}};
        return colours[x];
    };
    return spec;
}

TEST_F(DesktopTest, OpensFromTheCommandLineByDropAndFromRecentFiles) {
    for (int i = 0; i < 12; ++i) {
        Put("p" + std::to_string(i) + ".bmp", MakeBmp(Columns()));
    }
    window_->OpenPath(QString::fromStdString(Pic("p0.bmp")));  // what `lumigram FILE` calls
    EXPECT_EQ(window_->state().CurrentFile, Pic("p0.bmp"));

    // A drop opens the first file dropped.
    window_->show();
    for (int i = 1; i < 12; ++i) {
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(QString::fromStdString(Pic("p" + std::to_string(i) + ".bmp")))});
        // The drag enters first: it makes the window the drop's target.
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &drop);
    }
    EXPECT_EQ(window_->state().CurrentFile, Pic("p11.bmp"));

    // The last ten, newest first, kept between runs.
    window_ = std::make_unique<TSDIAppForm>();
    const QStringList recent = WindowSettings::RecentFiles();
    ASSERT_EQ(recent.size(), 10);
    EXPECT_EQ(recent.first(), QString::fromStdString(Pic("p11.bmp")));
    EXPECT_EQ(recent.last(), QString::fromStdString(Pic("p2.bmp")));
    ASSERT_EQ(Widgets().recentMenu->actions().size(), 10);
    Widgets().recentMenu->actions()[3]->trigger();
    EXPECT_EQ(window_->state().CurrentFile, Pic("p8.bmp"));
    EXPECT_EQ(WindowSettings::RecentFiles().first(), QString::fromStdString(Pic("p8.bmp")));

    // A package opens in the workbench: no dialog, nothing unpacked.
    Put("skin.ezx", ExamplePackage());
    const std::size_t asked = requests_.size();
    window_->OpenPath(QString::fromStdString(Pic("skin.ezx")));
    EXPECT_EQ(requests_.size(), asked);
    ASSERT_NE(window_->workbench(), nullptr);
    EXPECT_TRUE(window_->workbench()->isVisible());
    EXPECT_EQ(window_->workbench()->document()->package().members().size(), 2u);
}

TEST_F(DesktopTest, TheWindowSaysWhatIsShown) {
    Put("pic.bmp", MakeBmp(Columns()));
    EncodeSkinPictureTo(Pic("pic.bmp"), Pic("icon.k"), TransparencyColour{}, true);
    QImage png(4, 3, QImage::Format_RGB32);
    png.fill(Qt::white);
    png.save(QString::fromStdString(Pic("real.png")), "PNG");
    Put("wall.g", ReadAll(Pic("real.png")));
    // A PNG header for 20000 x 20000 pixels and an empty data chunk, each with
    // its CRC: more than the preview decodes.
    const Bytes huge{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0, 0,    13,
                     'I',  'H', 'D', 'R', 0,    0,    0x4E, 0x20, 0,    0, 0x4E, 0x20,
                     8,    2,   0,   0,   0,    0x6C, 0x12, 0xD1, 0x6E, 0, 0,    0,
                     0,    'I', 'D', 'A', 'T',  0x35, 0xAF, 0x06, 0x1E};
    Put("huge.png", huge);
    const struct {
        const char* name;
        const char* title;
        const char* info;
    } rows[] = {
        {"icon.k", "icon.k \u2014 Lumigram", "4 \u00D7 4, 18 bits per pixel, mask: none"},
        {"wall.g", "wall.g \u2014 Lumigram", "PNG, 4 \u00D7 3"},
        {"pic.bmp", "pic.bmp \u2014 Lumigram", "BMP, 4 \u00D7 4"},
        {"huge.png", "huge.png \u2014 Lumigram",
         "PNG, 20000 \u00D7 20000 \u2014 too large to preview"},
    };
    EXPECT_EQ(window_->windowTitle(), "Lumigram");
    for (const auto& row : rows) {
        Expect({Accept(Pic(row.name))});
        Trigger(window_->FileOpen1);
        EXPECT_EQ(window_->windowTitle(), row.title);
        EXPECT_EQ(Widgets().pictureInfo->text().toStdString(), row.info);
        const int current = Widgets().fileList->currentRow();
        ASSERT_GE(current, 0) << row.name;
        EXPECT_EQ(ListItems()[static_cast<std::size_t>(current)], row.name);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DesktopTest, ZoomScalesByNearestNeighbour) {
    Put("pic.bmp", MakeBmp(Columns()));
    Expect({Accept(Pic("pic.bmp"))});
    Trigger(window_->FileOpen1);
    // Each row: the action, the scale it gives, the size of one picture pixel.
    const struct {
        QAction* action;
        int zoom;
        int pixel;
    } rows[] = {
        {window_->zoomInAction, 2, 2},          {window_->zoomInAction, 4, 4},
        {window_->zoomInAction, 8, 8},          {window_->zoomInAction, 8, 8},
        {window_->zoomOutAction, 4, 4},         {window_->zoomActualAction, 1, 1},
        {window_->zoomFactorActions[4], 0, 60},  // fit: the whole factor of 241 / 4
    };
    for (const auto& row : rows) {
        row.action->trigger();
        EXPECT_EQ(Widgets().preview->Zoom(), row.zoom);
        const int side = 4 * row.pixel;
        const QImage shown = PreviewPixels();
        const int left = (241 - side) / 2;
        const int top = (321 - side) / 2;
        // Column 0 holds the bottom-left colour, see-through: the checkerboard
        // shows. Then the first and last screen pixel of column 1, and column 2.
        EXPECT_EQ(shown.pixel(left, top), qRgb(255, 255, 255)) << row.zoom;
        EXPECT_EQ(shown.pixel(left + row.pixel, top), qRgb(0, 250, 0)) << row.zoom;
        EXPECT_EQ(shown.pixel(left + 2 * row.pixel - 1, top + side - 1), qRgb(0, 250, 0))
            << row.zoom;
        EXPECT_EQ(shown.pixel(left + 2 * row.pixel, top), qRgb(250, 0, 0)) << row.zoom;
    }
}

TEST_F(DesktopTest, TheLayoutKeepsItsPlacesAndGrowsPreviewAndList) {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QSize start = window_->size();
    // Each row: a control, its place at the default size, and how much its
    // left, top, width and height gain when the window grows by 200 x 100.
    const struct {
        QWidget* control;
        QRect place;
        QRect grown;
    } rows[] = {
        {Widgets().previewFrame, {16, 64, 257, 337}, {0, 0, 100, 100}},
        {Widgets().previewArea, {24, 72, 241, 321}, {0, 0, 100, 100}},
        {Widgets().fileList, {296, 64, 225, 217}, {100, 0, 100, 100}},
        {Widgets().transparencyBox, {304, 312, 201, 17}, {100, 100, 0, 0}},
        {Widgets().colourButton, {304, 352, 145, 33}, {100, 100, 0, 0}},
        {Widgets().colourSwatch, {488, 352, 33, 33}, {200, 100, 0, 0}},
        {Widgets().previewLabel, {16, 40, 52, 16}, {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.control->geometry(), row.place) << row.control->objectName().toStdString();
    }
    window_->resize(start + QSize(200, 100));
    QCoreApplication::processEvents();
    for (const auto& row : rows) {
        const QRect expected(row.place.x() + row.grown.x(), row.place.y() + row.grown.y(),
                             row.place.width() + row.grown.width(),
                             row.place.height() + row.grown.height());
        EXPECT_EQ(row.control->geometry(), expected) << row.control->objectName().toStdString();
    }
}

TEST_F(DesktopTest, ASignalReachesTheUserInterfaceThread) {
    std::vector<int> received;
    {
        SignalExit exit([&](int number) { received.push_back(number); });
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 2000));
    }
    EXPECT_EQ(received, (std::vector<int>{SIGHUP, SIGTERM}));
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

TEST(WindowPlacement, AWindowLandsWithinTheScreensFreeArea) {
    // wanted: frame corner and client size; the room keeps 4 pixels of frame
    // at the sides and below, 28 for the title bar.
    const QRect screen(0, 0, 800, 500);  // 1600 x 1000 at scale 2
    const struct {
        const char* what;
        QRect wanted;
        QRect placed;
    } rows[] = {
        {"fits: stays exactly", {197, 50, 536, 400}, {197, 50, 536, 400}},
        {"too tall: as tall as the room, at the top", {197, 111, 536, 490}, {197, 0, 536, 468}},
        {"sticks out right: moved in", {700, 10, 450, 330}, {342, 10, 450, 330}},
        {"off screen to the left and above: moved in", {-500, -50, 450, 330}, {0, 0, 450, 330}},
        {"larger than the screen: the room, not below the minimum",
         {0, 0, 1800, 1200},
         {0, 0, 792, 468}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceOnScreen(row.wanted, screen, QSize(420, 320)), row.placed) << row.what;
    }
}

TEST_F(DesktopTest, TheWindowComesBackWhereItWasClosed) {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->move(60, 50);
    window_->resize(600, 500);
    QCoreApplication::processEvents();
    window_->close();
    window_ = std::make_unique<TSDIAppForm>();
    EXPECT_EQ(window_->size(), QSize(600, 500));
    EXPECT_EQ(window_->pos(), QPoint(60, 50));
}

}  // namespace
}  // namespace lumigram::test
