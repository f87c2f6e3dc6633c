// The window at work on 1,000 skin pictures of 240 x 320 (18-bit, with mask):
// - stepping through the list with the Down arrow, the preview painted at each
//   step (target: under 10 ms a step);
// - Convert all of the folder, against lumigram-cli decode run on the same files
//   one by one in the same run.
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/error_box.h"
#include "app/file_list_box.h"
#include "app/sdi_main.h"
#include "app/window_widgets.h"
#include "bench_support.h"
#include "codec/skin_encoder.h"
#include "dialogs/dialog_seam.h"
#include "display/preview_image.h"

using namespace lumigram;
namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 1000;

void MakePictures(const std::string& folder) {
    QImage image(240, 320, QImage::Format_RGB888);
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            const bool key = (x / 40 + y / 40) % 4 == 0;
            image.setPixel(x, y, key ? qRgb(255, 0, 255) : qRgb(x, y % 256, (x * y) % 256));
        }
    }
    const std::string bmp = folder + "/source.bmp";
    image.save(QString::fromStdString(bmp), "BMP");
    EncodeSkinPictureTo(bmp, folder + "/pic0000.k", TransparencyColour{}, true);
    fs::remove(bmp);
    for (int i = 1; i < kPictures; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/pic%04d.k", i);
        fs::copy_file(folder + "/pic0000.k", folder + name);
    }
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    bench::ScratchFolder dir(bench::BenchBase());
    const std::string pictures = dir.File("pictures");
    const std::string scratch = dir.File("scratch");
    const std::string out = dir.File("out");
    fs::create_directories(pictures);
    fs::create_directories(scratch);
    fs::create_directories(out);
    MakePictures(pictures);
    QDir::setCurrent(QString::fromStdString(scratch));

    std::vector<QString> answers;
    ScopedDialogResponder responder([&](const DialogRequest&) {
        const QString next = answers.front();
        answers.erase(answers.begin());
        return DialogAnswer::Accept(next);
    });
    TSDIAppForm window;
    window.show();
    answers = {QString::fromStdString(pictures + "/pic0000.k")};
    window.FileOpen1Execute();
    WidgetAccess::Widgets(window).fileList->setCurrentRow(0);
    WidgetAccess::Widgets(window).fileList->setFocus();

    // Each step: the Down key moves the selection, the picture is decoded and
    // loaded, and the preview is painted.
    QImage canvas(WidgetAccess::Widgets(window).preview->size(), QImage::Format_RGB32);
    const double stepping = Seconds([&] {
        for (int i = 1; i < kPictures; ++i) {
            QTest::keyClick(WidgetAccess::Widgets(window).fileList, Qt::Key_Down);
            WidgetAccess::Widgets(window).preview->render(&canvas);
        }
    });
    std::printf("%d skin pictures of 240 x 320 (18-bit with mask), working in %s\n", kPictures,
                dir.path().c_str());
    std::printf("arrow-key step with preview painted: %.2f ms a step (target < 10)\n",
                1000.0 * stepping / (kPictures - 1));

    answers = {QString::fromStdString(pictures + "/pic0000.k"), QString::fromStdString(out)};
    const double convertAll = Seconds([&] { window.Convertall1Click(); });
    const double oneByOne = Seconds([&] {
        for (int i = 0; i < kPictures; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/pic%04d", i);
            bench::RunCommand(
                {LUMIGRAM_CLI, "decode", pictures + name + ".k", out + name + ".cli.bmp"});
        }
    });
    std::printf("Convert all of the folder:           %.3f s (%.2f ms a picture)\n", convertAll,
                1000.0 * convertAll / kPictures);
    std::printf("lumigram-cli decode, one by one:     %.3f s (%.2f ms a picture)\n", oneByOne,
                1000.0 * oneByOne / kPictures);
    std::printf("ratio Convert all / one-by-one CLI:  %.2f\n", convertAll / oneByOne);
    return 0;
}
