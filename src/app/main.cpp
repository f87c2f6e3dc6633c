// Lumigram: views and converts a phone's skin pictures, and unpacks and packs
// its skin packages. `lumigram FILE` opens FILE (a ".ezx" in the workbench);
// `lumigram --package PACKAGE.ezx` opens the workbench alone on PACKAGE;
// `lumigram --compare OLD.ezx NEW.ezx` shows how NEW differs from OLD.
#include <QCommandLineParser>
#include <QMetaObject>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/command.h"
#include "app/error_box.h"
#include "app/sdi_main.h"
#include "app/signal_exit.h"
#include "app/workbench/compare_window.h"
#include "app/workbench/workbench_window.h"

int main(int argc, char** argv) {
    lumigram::TApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Lumigram");
    QCoreApplication::setApplicationName("lumigram");
    QCommandLineParser parser;
    parser.addPositionalArgument("file", "A picture or package to open.", "[FILE]");
    const QCommandLineOption package("package", "Open a skin package in the workbench alone.",
                                     "package.ezx");
    const QCommandLineOption compare(
        "compare", "Show how the package given after this one differs from it.", "old.ezx");
    parser.addOption(package);
    parser.addOption(compare);
    parser.addHelpOption();
    parser.process(application);
    if (parser.isSet(compare) && parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "lumigram: --compare OLD.ezx NEW.ezx takes two packages\n");
        return 2;
    }

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
    lumigram::TSDIAppForm* form = window.get();
    if (parser.isSet(compare)) {
        // The compare view alone; the program ends with it, or when it could
        // not open.
        const std::string before = parser.value(compare).toStdString();
        const std::string after = parser.positionalArguments().constFirst().toStdString();
        QMetaObject::invokeMethod(
            form,
            [form, before, after] {
                bool shown = false;
                lumigram::RunCommand([&] {
                    lumigram::CompareWindow& view = form->Workbench().ShowComparison(before, after);
                    QObject::connect(&view, &lumigram::CompareWindow::closed, qApp,
                                     &QCoreApplication::quit);
                    shown = true;
                });
                if (!shown) {
                    QCoreApplication::exit(1);
                }
            },
            Qt::QueuedConnection);
    } else if (parser.isSet(package)) {
        // The workbench alone; the program ends when it closes, or when the
        // package could not be opened.
        const QString file = parser.value(package);
        QMetaObject::invokeMethod(
            form,
            [form, file] {
                lumigram::WorkbenchWindow& bench = form->Workbench();
                QObject::connect(&bench, &lumigram::WorkbenchWindow::closed, qApp,
                                 &QCoreApplication::quit);
                lumigram::RunCommand([&] { form->BrowsePackage(file); });
                if (!bench.isVisible()) {
                    QCoreApplication::exit(1);
                }
            },
            Qt::QueuedConnection);
    } else {
        form->show();
        if (!parser.positionalArguments().isEmpty()) {
            // The name's own bytes, not its QString form, which loses any that
            // are not UTF-8: the first argument that is no option.
            std::string file = parser.positionalArguments().constFirst().toStdString();
            for (int i = 1; i < argc; ++i) {
                if (argv[i][0] != '-' || std::string_view(argv[i]) == "-") {
                    file = argv[i];
                    break;
                }
            }
            // Through the event loop, so that a refusal reaches the error box.
            QMetaObject::invokeMethod(
                form, [form, file] { lumigram::RunCommand([&] { form->OpenPath(file); }); },
                Qt::QueuedConnection);
        }
    }
    return lumigram::TApplication::exec();
}
