// tq37r-cli.exe: the same tool on Windows, its texts in UTF-8 inside as everywhere.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ToolMain.h"
#include "cli/win32/ConsoleText.h"
#include "cli/win32/Win32CommandPorts.h"
#include "serial/win32/Utf16.h"

// wmain: the arguments as Windows holds them, in UTF-16, so that a file name or a label in any
// script reaches the tool whole (main's would be in the ANSI code page).
int wmain(int argc, wchar_t** argv) {
    // The bytes a script reads are those Linux gives it: line ends stay "\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(tq37r::toUtf8(argv[i]));
    }
    std::vector<const char*> pointers;
    for (const std::string& arg : args) {
        pointers.push_back(arg.c_str());
    }
    tq37r::cli::ConsoleText console;
    tq37r::cli::Win32CommandPorts ports;
    return tq37r::cli::toolMain(argc, pointers.data(), ports);
}
