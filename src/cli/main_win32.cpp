// lumigram-cli on Windows. The arguments are taken from wmain in UTF-16, so
// any file name reaches the program whatever the system's ANSI code page is
// (an activeCodePage manifest would need Windows 10 1903 or later and would
// still leave the console to configure); they are turned into UTF-8, the
// program's one encoding, here. Output to the console is UTF-8 as well, and
// standard output and error are binary, so that what is written is
// byte for byte what the other systems write.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "platform/interrupt_cleanup.h"
#include "platform/wide_text.h"

int wmain(int argc, wchar_t** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    ::_setmode(_fileno(stdout), _O_BINARY);
    ::_setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(lumigram::Narrow(argv[i]));
    }
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    // Ctrl+C or a closed console mid-write removes the run's temporaries.
    lumigram::InstallInterruptCleanup();
    return lumigram::cli::RunCli(argc, pointers.data());
}
