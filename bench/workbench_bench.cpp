// The workbench on a package of 500 skin pictures of 176 x 220 (18-bit, with
// mask):
// - from the open to the grid shown (target: under 200 ms), and to every
//   thumbnail made (target: under 1 s);
// - replacing one member from a PNG and saving, against lumigram-cli pack of the
//   same package's folder in the same run (target: no longer);
// - the compare view of that package and a second version of it in which every
//   member changed, from the command to the list shown (target: under 1 s), and
//   to every thumbnail made.
#include <QImage>
#include <QListView>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/error_box.h"
#include "app/workbench/compare_window.h"
#include "app/workbench/thumbnail_loader.h"
#include "app/workbench/workbench_window.h"
#include "bench_support.h"
#include "codec/skin_encoder.h"
#include "dialogs/dialog_seam.h"
#include "package/editable_package.h"

using namespace lumigram;
namespace fs = std::filesystem;

namespace {

constexpr int kMembers = 500;

QImage Picture(int seed) {
    QImage image(176, 220, QImage::Format_RGB888);
    for (int y = 0; y < 220; ++y) {
        for (int x = 0; x < 176; ++x) {
            const bool key = (x / 22 + y / 22 + seed) % 5 == 0;
            image.setPixel(x, y, key ? qRgb(255, 0, 255) : qRgb(x + seed, y, (x * y + seed) % 256));
        }
    }
    return image;
}

void MakeMembers(const std::string& folder) {
    for (int i = 0; i < kMembers; ++i) {
        const std::string bmp = folder + "/source.bmp";
        Picture(i).save(QString::fromStdString(bmp), "BMP");
        char name[32];
        std::snprintf(name, sizeof name, "/pic%03d.k", i);
        EncodeSkinPictureTo(bmp, folder + name, TransparencyColour{}, true);
        fs::remove(bmp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    bench::ScratchFolder dir(bench::BenchBase());
    const std::string members = dir.File("members");
    fs::create_directories(members);
    MakeMembers(members);
    const std::string package = dir.File("skin.ezx");
    bench::RunCommand({LUMIGRAM_CLI, "pack", members, package});
    const std::string png = dir.File("new.png");
    Picture(7).save(QString::fromStdString(png), "PNG");

    ScopedDialogResponder responder(
        [&](const DialogRequest&) { return DialogAnswer::Accept(QString::fromStdString(png)); });
    WorkbenchWindow bench;
    bench.show();
    QCoreApplication::processEvents();

    // Shown: the package read, the grid laid out and painted once.
    const auto start = std::chrono::steady_clock::now();
    bench.OpenPackage(package);
    bench.grid()->repaint();
    const double shown =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!QTest::qWaitFor([&] { return bench.loader()->pending() == 0; }, 60000)) {
        std::printf("thumbnails did not finish\n");
        return 1;
    }
    const double thumbnails =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double replaceAndSave = bench::BestSeconds(5, [&] {
        bench.grid()->setCurrentIndex(bench.grid()->model()->index(250, 0));
        bench.ReplaceMember();
        bench.AcceptReplace();
        bench.Save();
    });
    const double saveOnly =
        bench::BestSeconds(5, [&] { EditablePackage::Open(package).Save(dir.File("copy.ezx")); });
    const double pack = bench::BestSeconds(5, [&] {
        bench::RunCommand({LUMIGRAM_CLI, "pack", members, dir.File("packed.ezx")});
    });

    // A second version in which every member changed: the longest list.
    const std::string changed = dir.File("changed");
    fs::create_directories(changed);
    for (int i = 0; i < kMembers; ++i) {
        const std::string bmp = changed + "/source.bmp";
        Picture(i + 1).save(QString::fromStdString(bmp), "BMP");
        char name[32];
        std::snprintf(name, sizeof name, "/pic%03d.k", i);
        EncodeSkinPictureTo(bmp, changed + name, TransparencyColour{}, true);
        fs::remove(bmp);
    }
    const std::string newer = dir.File("skin-v2.ezx");
    bench::RunCommand({LUMIGRAM_CLI, "pack", changed, newer});
    const auto compareStart = std::chrono::steady_clock::now();
    CompareWindow& view = bench.ShowComparison(package, newer);
    view.list()->repaint();
    const double compared =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - compareStart).count();
    if (!QTest::qWaitFor([&] { return view.loader()->pending() == 0; }, 60000)) {
        std::printf("compare thumbnails did not finish\n");
        return 1;
    }
    const double compareThumbnails =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - compareStart).count();

    std::printf("%d skin pictures of 176 x 220 (18-bit with mask) in one package, in %s\n",
                kMembers, dir.path().c_str());
    std::printf("grid shown:                    %7.1f ms (target < 200)\n", 1000 * shown);
    std::printf("all thumbnails made:           %7.1f ms (target < 1000)\n", 1000 * thumbnails);
    std::printf("replace one member and save:   %7.1f ms\n", 1000 * replaceAndSave);
    std::printf("the package's save alone:      %7.1f ms\n", 1000 * saveOnly);
    std::printf("lumigram-cli pack of the same: %7.1f ms\n", 1000 * pack);
    std::printf("ratio replace+save / pack:     %7.2f (target <= 1)\n", replaceAndSave / pack);
    std::printf("compare view, %zu rows shown:  %7.1f ms (target < 1000)\n",
                view.diff().changed.size(), 1000 * compared);
    std::printf("compare view, all thumbnails:  %7.1f ms\n", 1000 * compareThumbnails);
    return 0;
}
