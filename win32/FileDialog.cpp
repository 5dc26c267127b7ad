#include "win32/FileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "serial/win32/Utf16.h"

namespace tq37r {

std::string askFilePath(HWND owner, const FileChoice& choice, bool forSaving, const std::string& folder) {
    std::wstring path(MAX_PATH, L'\0');
    if (forSaving) {
        const std::wstring name = toUtf16(choice.defaultName);
        std::copy(name.begin(), name.end(), path.begin());
    }
    const std::wstring extension = toUtf16(choice.extension);
    const std::wstring initialFolder = toUtf16(folder);
    // "Gain files (*.gains)", "*.gains", "All files", "*.*", each ended by a null, then one more.
    const std::wstring pattern = L"*." + extension;
    std::wstring filter = toUtf16(choice.filterName) + L" (" + pattern + L")";
    filter += L'\0' + pattern + L'\0' + L"All files" + L'\0' + L"*.*" + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = extension.c_str();
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialog.Flags = OFN_NOCHANGEDIR | (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(forSaving ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog))) {
        return {};
    }
    path.resize(wcslen(path.c_str()));
    return toUtf8(path);
}

} // namespace tq37r
