// The Win32 view under Wine: the dialog as the generated resource makes it and typed port text, on
// a fake port; and on a real port against a pty, Enter opening COM1 and the first-open read's
// replies, posted by the port's watcher, filling the grid. The dialog runs modally on the test's
// thread while a second thread works it, as a user would.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "serial/win32/Utf16.h"
#include "tests/serial/PtyPeer.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"
#include "tests/support/SerialEvents.h"
#include "win32/Win32ParamWindow.h"

namespace tq37r::test {
namespace {

const wchar_t* windowClassOf(ControlKind kind) {
    using enum ControlKind;
    return kind == Edit                               ? L"Edit"
           : kind == ComboBox || kind == DropDownList ? L"ComboBox"
           : kind == StaticText || kind == Picture    ? L"Static"
                                                      : L"Button";
}

// Runs the window's dialog here while drive works it from another thread, then ends it with the
// cancel command.
void runWhile(Win32ParamWindow& window, const std::function<void(HWND)>& drive) {
    const std::wstring title = toUtf16(paramDialogTemplate().title);
    std::thread driver([&] {
        HWND dialog = nullptr;
        ASSERT_TRUE(
            eventually([&] { return ::IsWindowVisible(dialog = ::FindWindowW(L"#32770", title.c_str())); }));
        drive(dialog);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(window.run(), IDCANCEL);
    driver.join();
}

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[64] = {};
    ::GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

class Win32Window : public ::testing::Test {
protected:
    ParamProcessState state;
    FakePort port;
    Win32ParamWindow window{port, state};
};

TEST_F(Win32Window, TheDialogIsTheTemplateControlForControlInTabOrder) {
    runWhile(window, [&](HWND dialog) {
        const DialogTemplate& tmpl = paramDialogTemplate();
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
            wchar_t className[64] = {};
            ::GetClassNameW(child, className, 64);
            EXPECT_STREQ(className, windowClassOf(control.kind));
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
            if (std::wstring_view(className) != L"ComboBox" && control.kind != ControlKind::Picture) {
                EXPECT_EQ(std::pair(got.right - got.left, got.bottom - got.top),
                          std::pair(place.right, place.bottom));
            }
            if ((styles & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE)) {
                tabStops.push_back(child);
            }
        }
        EXPECT_EQ(child, nullptr) << "a control the template does not have";
        for (std::size_t i = 0; i < tabStops.size(); ++i) {
            EXPECT_EQ(::GetNextDlgTabItem(dialog, tabStops[i], FALSE), tabStops[(i + 1) % tabStops.size()]);
        }
    });
}

// Text typed into the port list is no selection, even with the entry it begins highlighted in
// the dropped-down list: Enter then tries that name, and the failure box comes up under it.
TEST_F(Win32Window, TypedPortTextIsNoSelection) {
    runWhile(window, [&](HWND dialog) {
        const HWND list = ::GetDlgItem(dialog, id::kPortList);
        const HWND field = ::GetWindow(list, GW_CHILD);
        ::SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
        ::SetWindowTextW(field, L"COM");
        EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), 0); // COM1 highlighted
        EXPECT_EQ(window.selection(id::kPortList), -1);
        ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
        ::PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
        HWND box = nullptr;
        ASSERT_TRUE(eventually([&] { return (box = ::FindWindowW(L"#32770", L"COM")) != nullptr; }));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

// Enter in the port list works the default button, Open: COM1 opens and the first-open read goes
// out. The controller's replies reach the grid through the port's watcher.
TEST(Win32WindowOnAPort, EnterOpensCom1AndTheGainRepliesFillTheGrid) {
    PtyPeer peer;
    Win32SerialPort port;
    ParamProcessState state;
    Win32ParamWindow window{port, state};
    runWhile(window, [&](HWND dialog) {
        ::PostMessageW(::GetWindow(::GetDlgItem(dialog, id::kPortList), GW_CHILD), WM_KEYDOWN, VK_RETURN, 0);
        Bytes expected;
        for (const std::uint8_t code : {0xEA, 0xEC, 0xEA, 0xEC}) {
            std::ranges::copy(makeFrame(code, {}), std::back_inserter(expected));
        }
        // The read pauses between its requests for longer than one peer read waits.
        Bytes sent;
        eventually([&] {
            std::ranges::copy(peer.readAvailable(), std::back_inserter(sent));
            return sent.size() >= expected.size();
        });
        EXPECT_EQ(sent, expected);

        peer.write(makeFrame(0xEB, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
        peer.write(makeFrame(0xED, {19, 20, 21, 22, 23, 24}));
        // Payload byte 12 of the first block, 5 of the second; the second comes last.
        EXPECT_TRUE(eventually([&] { return itemText(dialog, id::kXD) == L"24"; }));
        EXPECT_EQ(itemText(dialog, id::kPitchLevelCoef), L"13");
    });
}

} // namespace
} // namespace tq37r::test
