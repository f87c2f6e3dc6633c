// Lumigram: views and converts a phone's skin pictures, and unpacks and packs
// its skin packages. `lumigram FILE` opens FILE (a ".ezx" in the workbench);
// `lumigram --package PACKAGE.ezx` opens the workbench on PACKAGE.
#include <QCommandLineParser>
#include <QMetaObject>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/error_box.h"
#include "app/sdi_main.h"
#include "app/signal_exit.h"

int main(int argc, char** argv) {
    lumigram::TApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Lumigram");
    QCoreApplication::setApplicationName("lumigram");
    QCommandLineParser parser;
    parser.addPositionalArgument("file", "A picture or package to open.", "[FILE]");
    const QCommandLineOption package("package", "Open a skin package in the workbench.",
                                     "package.ezx");
    parser.addOption(package);
    parser.addHelpOption();
    parser.process(application);

    std::unique_ptr<lumigram::TSDIAppForm> window;
    try {
        window = std::make_unique<lumigram::TSDIAppForm>();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lumigram: %s\n", error.what());
        return 1;
    }
    // A signal ends the run as a close would: the scratch folder goes.
    lumigram::SignalExit signalExit([&window](int number) {
        window->RemoveScratchFolder();
        QCoreApplication::exit(128 + number);
    });
    window->show();
    if (parser.isSet(package)) {
        const QString file = parser.value(package);
        QMetaObject::invokeMethod(
            window.get(), [&window, file] { window->BrowsePackage(file); }, Qt::QueuedConnection);
    } else if (!parser.positionalArguments().isEmpty()) {
        // The name's own bytes, not its QString form, which loses any that are
        // not UTF-8: the first argument that is no option.
        std::string file = parser.positionalArguments().constFirst().toStdString();
        for (int i = 1; i < argc; ++i) {
            if (argv[i][0] != '-' || std::string_view(argv[i]) == "-") {
                file = argv[i];
                break;
            }
        }
        // Through the event loop, so that a refusal reaches the error box.
        QMetaObject::invokeMethod(
            window.get(), [&window, file] { window->OpenPath(file); }, Qt::QueuedConnection);
    }
    return lumigram::TApplication::exec();
}
