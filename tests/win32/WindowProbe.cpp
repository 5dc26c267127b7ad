// Reads the controls of the running tool's dialog from another process, as an operator's eyes
// would: window-probe TITLE ID... prints one "ID=TEXT" line (UTF-8) per id. Exits 1 when no
// window has that title within 10 s.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "win32/Utf16.h"

int wmain(int argc, wchar_t** argv) {
    HWND dialog = nullptr;
    for (int tries = 0; argc > 1 && dialog == nullptr && tries < 100; ++tries) {
        if ((dialog = ::FindWindowW(nullptr, argv[1])) == nullptr) {
            ::Sleep(100);
        }
    }
    if (dialog == nullptr) {
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int id = std::wcstol(argv[i], nullptr, 10);
        wchar_t text[512] = {};
        ::GetDlgItemTextW(dialog, id, text, 512); // WM_GETTEXT, carried across processes
        std::printf("%d=%s\n", id, tq37r::toUtf8(text).c_str());
    }
    return 0;
}
