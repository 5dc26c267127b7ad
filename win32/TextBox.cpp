#include "win32/TextBox.h"

#include "res/win32/BoxIds.h"
#include "serial/win32/Utf16.h"
#include "win32/WindowText.h"

namespace tq37r {
namespace {

struct TextBox {
    const TextRequest& request;
    std::optional<std::string> entered; // nullopt: cancelled
};

INT_PTR CALLBACK textBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(box, DWLP_USER, lParam);
        const TextRequest& request = reinterpret_cast<TextBox*>(lParam)->request;
        ::SetWindowTextW(box, toUtf16(request.title).c_str());
        ::SetDlgItemTextW(box, TQ37R_TEXT_PROMPT, toUtf16(request.text).c_str());
        ::SetDlgItemTextW(box, TQ37R_TEXT_EDIT, toUtf16(request.initial).c_str());
        return TRUE; // the dialog manager focuses the edit, its text selected
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) {
            reinterpret_cast<TextBox*>(::GetWindowLongPtrW(box, DWLP_USER))->entered =
                toUtf8(windowText(::GetDlgItem(box, TQ37R_TEXT_EDIT)));
        }
        ::EndDialog(box, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

std::optional<std::string> askTextInBox(HINSTANCE instance, HWND owner, const TextRequest& request) {
    TextBox box{request, std::nullopt};
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(TQ37R_TEXT_DIALOG), owner, &textBoxProc,
                      reinterpret_cast<LPARAM>(&box));
    return box.entered;
}

} // namespace tq37r
