// The Win32 view under Wine, on a fake port: the dialog as the generated resource makes it, and
// that keys, the port list, message boxes and the watcher's posted messages reach the core. The
// dialog runs modally on the test's thread while a second thread works it, as a user and the
// watcher would.
#include <windows.h>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "tests/core/Fakes.h"
#include "tests/support/FrameBytes.h"
#include "tests/support/SerialEvents.h"
#include "win32/Utf16.h"
#include "win32/Win32ParamWindow.h"

namespace tq37r::test {
namespace {

std::wstring windowText(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The top-level windows of a thread with the given class, e.g. L"#32770" for dialogs and boxes.
std::vector<HWND> threadWindows(DWORD threadId, const wchar_t* windowClass) {
    struct Search {
        const wchar_t* windowClass;
        std::vector<HWND> found;
    } search{windowClass, {}};
    ::EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            if (::IsWindowVisible(window) && className(window) == s->windowClass) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const wchar_t* windowClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit:
        return L"Edit";
    case ControlKind::ComboBox:
    case ControlKind::DropDownList:
        return L"ComboBox";
    case ControlKind::StaticText:
    case ControlKind::Picture:
        return L"Static";
    default:
        return L"Button";
    }
}

class Win32Window : public ::testing::Test {
protected:
    // Runs the dialog here while drive works it from another thread; ends it with the cancel
    // command unless drive did.
    void runWhile(const std::function<void(HWND)>& drive) {
        const DWORD guiThread = ::GetCurrentThreadId();
        std::thread driver([&] {
            std::vector<HWND> dialogs;
            ASSERT_TRUE(eventually([&] { return !(dialogs = threadWindows(guiThread, L"#32770")).empty(); }));
            drive(dialogs.front());
            ::PostMessageW(dialogs.front(), WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(window.run(), IDCANCEL);
        driver.join();
    }

    ParamProcessState state;
    FakeClock clock; // only stamps what the fake port writes
    FakePort port{clock};
    Win32ParamWindow window{port, state};
};

TEST_F(Win32Window, TheDialogIsTheTemplateControlForControlInTabOrder) {
    runWhile([&](HWND dialog) {
        const DialogTemplate& tmpl = paramDialogTemplate();
        EXPECT_EQ(windowText(dialog), toUtf16(tmpl.title));
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName), toUtf16(tmpl.fontFace));

        std::vector<HWND> tabStops;
        HWND child = ::GetWindow(dialog, GW_CHILD);
        for (std::size_t i = 0; i < tmpl.controls.size(); ++i, child = ::GetWindow(child, GW_HWNDNEXT)) {
            const ControlTemplate& control = tmpl.controls[i];
            SCOPED_TRACE("control #" + std::to_string(i + 1));
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(::GetDlgCtrlID(child), control.id);
            EXPECT_EQ(className(child), windowClassOf(control.kind));
            const LONG styles = ::GetWindowLongW(child, GWL_STYLE);
            EXPECT_EQ((styles & WS_VISIBLE) == 0, (control.styles & style::kHidden) != 0);
            EXPECT_EQ((styles & WS_DISABLED) != 0, (control.styles & style::kDisabled) != 0);
            EXPECT_EQ((styles & WS_TABSTOP) != 0, (control.styles & style::kTabStop) != 0);
            // Position and size are each converted from dialog units, as the dialog manager does.
            RECT place{control.x, control.y, control.width, control.height};
            ::MapDialogRect(dialog, &place);
            RECT got{};
            ::GetWindowRect(child, &got);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_EQ(std::pair(got.left, got.top), std::pair(place.left, place.top));
            // A closed list is one line high and a picture takes its bitmap's size.
            const bool ownHeight = control.kind == ControlKind::ComboBox ||
                                   control.kind == ControlKind::DropDownList ||
                                   control.kind == ControlKind::Picture;
            if (!ownHeight) {
                EXPECT_EQ(std::pair(got.right - got.left, got.bottom - got.top),
                          std::pair(place.right, place.bottom));
            }
            if ((styles & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE) &&
                (styles & WS_DISABLED) == 0) {
                tabStops.push_back(child);
            }
        }
        EXPECT_EQ(child, nullptr) << "a control the template does not have";
        for (std::size_t i = 0; i < tabStops.size(); ++i) {
            EXPECT_EQ(::GetNextDlgTabItem(dialog, tabStops[i], FALSE), tabStops[(i + 1) % tabStops.size()]);
        }
        EXPECT_EQ(::SendDlgItemMessageW(dialog, id::kPortList, CB_GETCOUNT, 0, 0), 9);
        EXPECT_EQ(windowText(::GetDlgItem(dialog, id::kBaudList)), L"19200");
    });
}

TEST_F(Win32Window, KeysBoxesAndPostedMessagesReachTheCore) {
    state.firstOpenRead = false;
    runWhile([&](HWND dialog) {
        const HWND portField = ::GetWindow(::GetDlgItem(dialog, id::kPortList), GW_CHILD);
        const HWND pitchLevel = ::GetDlgItem(dialog, id::kPitchLevelCoef);
        // Typed text leaves the list without a selection, so Enter in it cannot open a port.
        ::SendMessageW(portField, EM_SETSEL, 4, 4);
        ::SendMessageW(portField, WM_CHAR, L'x', 0);
        EXPECT_EQ(window.selection(id::kPortList), -1);
        ::PostMessageW(portField, WM_KEYDOWN, VK_RETURN, 0);
        std::vector<HWND> boxes;
        ASSERT_TRUE(eventually([&] {
            boxes = threadWindows(::GetWindowThreadProcessId(dialog, nullptr), L"#32770");
            return boxes.size() == 2;
        }));
        const HWND box = boxes.front() == dialog ? boxes.back() : boxes.front();
        EXPECT_EQ(windowText(box), L"COM1x");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(port.isOpen());

        // A picked entry opens; Enter in an edit is the default button, Open.
        ::SendMessageW(::GetDlgItem(dialog, id::kPortList), CB_SETCURSEL, 0, 0);
        EXPECT_EQ(window.selection(id::kPortList), 0);
        ::PostMessageW(pitchLevel, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(eventually([&] { return windowText(::GetDlgItem(dialog, id::kOpenClose)) == L"Close"; }));
        EXPECT_EQ(port.openedName, "COM1");

        // The watcher's notification, posted from another thread, drains the reply into the grid.
        const Bytes reply =
            makeFrame(0xEB, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
        port.input.assign(reply.begin(), reply.end());
        port.sink->postSerialEvent(SerialEvent::RxReady, port.sinkTag);
        EXPECT_TRUE(eventually([&] { return windowText(pitchLevel) == L"13"; }));

        // Escape is the cancel command, which ends the dialog.
        ::PostMessageW(pitchLevel, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(eventually([&] { return !::IsWindow(dialog); }));
    });
}

} // namespace
} // namespace tq37r::test
