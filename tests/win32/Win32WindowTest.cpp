// The Win32 view under Wine: the dialog as the generated resource makes it, its menu bar, typed
// port text and the places windows are kept at, on a fake port; and on a real port against a pty,
// Enter opening COM1 and the first-open read's replies, posted by the port's watcher, filling the
// grid, and the Flight settings window's requests. The dialog runs modally on the test's thread
// while a second thread works it, as a user would.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "core/BackgroundMenu.h"
#include "core/FieldBindings.h"
#include "core/GainTexts.h"
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"
#include "res/ProjectInfo.h"
#include "res/win32/BoxIds.h"
#include "res/win32/FlightBoxIds.h"
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
// cancel command, and OK to the question, in a box of the dialog's title, that unsent gains bring.
void runWhile(Win32ParamWindow& window, const std::function<void(HWND)>& drive) {
    const std::wstring title = toUtf16(paramDialogTemplate().title);
    std::thread driver([&] {
        HWND dialog = nullptr;
        ASSERT_TRUE(
            eventually([&] { return ::IsWindowVisible(dialog = ::FindWindowW(L"#32770", title.c_str())); }));
        drive(dialog);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        HWND question = nullptr;
        eventually([&] {
            question = ::FindWindowExW(nullptr, nullptr, L"#32770", title.c_str());
            if (question == dialog) {
                question = ::FindWindowExW(nullptr, dialog, L"#32770", title.c_str());
            }
            return question != nullptr || !::IsWindow(dialog);
        });
        if (question != nullptr) {
            ::PostMessageW(question, WM_COMMAND, IDOK, 0);
        }
    });
    EXPECT_EQ(window.run(), IDCANCEL);
    driver.join();
}

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// Keys pressed together and let go in reverse, as the keyboard sends them to the focus.
void press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (const WORD key : keys) {
        add(key, 0);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        add(*key, KEYEVENTF_KEYUP);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Chooses a command from the menu bar as the keyboard would: Alt and the menu's letter, which
// opens it on its first item, then the arrows (which step over separators) and Enter.
void chooseFromMenuBar(HWND dialog, MenuCommand command) {
    for (const Menu& menu : kMenuBar) {
        const auto item = std::ranges::find(menu.items, command);
        if (item == menu.items.end()) {
            continue;
        }
        const auto letter = static_cast<wchar_t>(std::tolower(menu.title[menu.title.find('&') + 1]));
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, letter);
        // The menu opens by a key of its own, which keys queued before then would overtake.
        ASSERT_TRUE(eventually([] { return ::IsWindowVisible(::FindWindowW(L"#32768", nullptr)); }));
        for (auto i = menu.items.begin(); i != item; ++i) {
            if (*i != MenuCommand{}) {
                ::PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
            }
        }
        ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    }
}

// The box once it is shown: placed, and filled.
HWND flightSettingsBox() {
    HWND box = nullptr;
    eventually([&] { return ::IsWindowVisible(box = ::FindWindowW(L"#32770", L"Flight settings")); });
    return box;
}

// Where a button draws its caption: the dark pixels inside its frame, printed into a bitmap.
struct CaptionInk {
    RECT inside{};         // the client area less the frame
    RECT box{};            // the dark pixels' bounds, right and bottom exclusive; empty for none
    LONG neededHeight = 0; // the caption wrapped, as the button's style says, to the inside's width
};

CaptionInk captionInk(HWND button) {
    RECT client{};
    ::GetClientRect(button, &client);
    const int frame = 3; // a default button's outline and the two edges inside it
    CaptionInk ink;
    ink.inside = {frame, frame, client.right - frame, client.bottom - frame};
    const HDC screen = ::GetDC(button);
    const HDC dc = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    ::SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    ink.box = {client.right, client.bottom, 0, 0};
    for (LONG y = ink.inside.top; y < ink.inside.bottom; ++y) {
        for (LONG x = ink.inside.left; x < ink.inside.right; ++x) {
            const std::uint8_t* bgr = pixels + (y * client.right + x) * 4;
            if (bgr[0] + bgr[1] + bgr[2] < 3 * 100) {
                ink.box = {std::min(ink.box.left, x), std::min(ink.box.top, y),
                           std::max(ink.box.right, x + 1), std::max(ink.box.bottom, y + 1)};
            }
        }
    }
    const HGDIOBJ oldFont =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0)));
    std::wstring caption(64, L'\0');
    caption.resize(static_cast<std::size_t>(::GetWindowTextW(button, caption.data(), 64)));
    const int edge = ::GetSystemMetrics(SM_CXEDGE) + 1;
    RECT wrapped{0, 0, client.right - 2 * edge, 0};
    const bool wraps = (::GetWindowLongW(button, GWL_STYLE) & BS_MULTILINE) != 0;
    ::DrawTextW(dc, caption.c_str(), -1, &wrapped, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ink.neededHeight = wrapped.bottom;
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(button, screen);
    return ink;
}

class Win32Window : public ::testing::Test {
protected:
    FakePort port;
    Win32ParamWindow window{port};
};

TEST_F(Win32Window, TheDialogIsTheTemplateControlForControlInTabOrder) {
    runWhile(window, [&](HWND dialog) {
        const DialogTemplate& tmpl = paramDialogTemplate();
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName), toUtf16(tmpl.fontFace));
        EXPECT_EQ((::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0, tmpl.appWindow);
        // One dialog unit in pixels, each way, whatever face stands in for the template's.
        RECT client{};
        ::GetClientRect(dialog, &client);
        const double unitX = static_cast<double>(client.right) / tmpl.width;
        const double unitY = static_cast<double>(client.bottom) / tmpl.height;

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
            // Position and size are each converted from dialog units, to the pixel.
            RECT got{};
            ::GetWindowRect(child, &got);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_NEAR(got.left, control.x * unitX, 1.0);
            EXPECT_NEAR(got.top, control.y * unitY, 1.0);
            // A closed list is one line high and a picture takes its bitmap's size.
            if (std::wstring_view(className) != L"ComboBox" && control.kind != ControlKind::Picture) {
                EXPECT_NEAR(got.right - got.left, control.width * unitX, 1.0);
                EXPECT_NEAR(got.bottom - got.top, control.height * unitY, 1.0);
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

// A machine without the template's face shows the window the template describes: its dialog
// units stay square, an eighth of the face's em (9 pt) each way, as with the face itself, and
// every visible button's caption, as the button draws it, lies whole inside its frame and takes no
// more lines than it needs at the button's width.
TEST_F(Win32Window, KeepsTheTemplatesProportionsAndWholeCaptionsWhateverTheFont) {
    runWhile(window, [&](HWND dialog) {
        const DialogTemplate& tmpl = paramDialogTemplate();
        const HDC screen = ::GetDC(dialog);
        const int em = ::MulDiv(tmpl.fontPointSize, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
        ::ReleaseDC(dialog, screen);
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_NEAR(client.right, tmpl.width * em / 8.0, tmpl.width * em / 8.0 * 0.05);
        EXPECT_NEAR(client.bottom, tmpl.height * em / 8.0, tmpl.height * em / 8.0 * 0.05);
        // No button has the focus, whose dotted frame would count as ink.
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(dialog, id::kPortList)),
                       TRUE);
        for (const ControlTemplate& control : tmpl.controls) {
            const bool button =
                control.kind == ControlKind::PushButton || control.kind == ControlKind::DefaultPushButton;
            if (!button || (control.styles & style::kHidden) != 0) {
                continue;
            }
            SCOPED_TRACE(std::string(control.caption));
            const CaptionInk ink = captionInk(::GetDlgItem(dialog, control.id));
            ASSERT_LT(ink.box.left, ink.box.right) << "no caption drawn";
            EXPECT_TRUE(ink.box.left > ink.inside.left && ink.box.right < ink.inside.right)
                << "cut at a side";
            EXPECT_TRUE(ink.box.top > ink.inside.top && ink.box.bottom < ink.inside.bottom)
                << "cut at the top or bottom";
            EXPECT_LE(ink.box.bottom - ink.box.top, ink.neededHeight) << "more lines than the width needs";
        }
    });
}

// The program carries its version where Windows' file properties look for it.
TEST(Win32Resources, CarryTheProjectsVersion) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::uint8_t> info(::GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()));
    wchar_t* version = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                                 reinterpret_cast<void**>(&version), &length));
    EXPECT_EQ(toUtf8(version), project::kVersion);
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

// Ctrl+Z in a gain edit is the grid's undo, across edits (an edit's own would only toggle its
// typing), and sends nothing; History… lists the journal's snapshots, what two of them differ
// in, and loads one into the grid.
TEST_F(Win32Window, CtrlZUndoesTheGridAndHistoryLoadsASnapshotIntoIt) {
    std::filesystem::remove(window.core().journal().path());
    JournalEntry read;
    read.gains.emplace();
    read.gains->fill(1);
    for (const std::uint8_t pitchLevel : {40, 41}) {
        (*read.gains)[0] = pitchLevel;
        window.core().journal().record(read);
    }
    runWhile(window, [&](HWND dialog) {
        const int edit = kGainEdits[0];
        const std::wstring before = itemText(dialog, edit);
        window.focus(edit); // its text selected: typing replaces it
        press({'9'});
        ASSERT_TRUE(eventually([&] { return itemText(dialog, edit) == L"9"; }));
        window.focus(kGainEdits[1]);
        press({'8'});
        ASSERT_TRUE(eventually([&] { return itemText(dialog, kGainEdits[1]) == L"8"; }));
        press({VK_CONTROL, 'Z'});
        press({VK_CONTROL, 'Z'});
        EXPECT_TRUE(eventually([&] { return itemText(dialog, edit) == before; }));
        press({VK_CONTROL, VK_SHIFT, 'Z'});
        EXPECT_TRUE(eventually([&] { return itemText(dialog, edit) == L"9"; }));

        press({VK_CONTROL, 'H'});
        HWND box = nullptr;
        ASSERT_TRUE(
            eventually([&] { return (box = ::FindWindowW(L"#32770", L"Tuning history")) != nullptr; }));
        const HWND list = ::GetDlgItem(box, TQ37R_HISTORY_LIST);
        ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
        const auto select = [&](int row, UINT state) {
            LVITEMW item{};
            item.state = state;
            item.stateMask = LVIS_SELECTED;
            ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        };
        select(-1, LVIS_SELECTED);
        EXPECT_NE(itemText(box, TQ37R_HISTORY_DIFFERENCES).find(toUtf16(kGains[0].label) + L": 41 in "),
                  std::wstring::npos);
        select(-1, 0);
        select(0, LVIS_SELECTED); // the newest
        ::SendMessageW(box, WM_COMMAND, TQ37R_HISTORY_LOAD, 0);
        EXPECT_EQ(itemText(dialog, edit), L"41");
    });
}

// Line log… from the dialog's menu opens a box over the log's own ring: the first-open read's
// request is a row, the rows follow the end while state reports pour in, and closing the box
// destroys it.
TEST_F(Win32Window, TheLineLogShowsARequestAsARowAndFollowsTheEnd) {
    // Each request is answered, then followed by a run of state reports.
    port.peer = [this](const Bytes& request) {
        Bytes answer;
        if (request[3] == 0xEA || request[3] == 0xEC) { // a gain block's: EB, ED
            answer =
                makeFrame(static_cast<std::uint8_t>(request[3] + 1), Bytes(request[3] == 0xEA ? 18 : 6, 1));
        }
        for (int i = 0; i < 100; ++i) {
            std::ranges::copy(makeFrame(0xF1, {0, 0, 0}), std::back_inserter(answer));
        }
        port.input.insert(port.input.end(), answer.begin(), answer.end());
    };
    runWhile(window, [&](HWND dialog) {
        // The keys are queued behind the menu's opening, which takes them from there.
        ::PostMessageW(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog), 0);
        const auto item = std::ranges::find(kBackgroundMenu, MenuCommand::LineLog, &MenuItem::command);
        for (auto i = kBackgroundMenu.begin(); i <= item; ++i) {
            ::PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
        }
        ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
        HWND box = nullptr;
        ASSERT_TRUE(eventually([&] { return (box = ::FindWindowW(L"#32770", L"Line log")) != nullptr; }));
        const HWND list = ::GetDlgItem(box, TQ37R_LINE_LOG_LINES);
        const auto rows = [list] { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };
        const auto row = [list](int index) {
            wchar_t text[256] = {};
            LVITEMW item{};
            item.pszText = text;
            item.cchTextMax = 256;
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(&item));
            return std::wstring(text);
        };
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id::kOpenClose, BN_CLICKED), 0);
        const auto lastRowInView = [&] {
            const LRESULT top = ::SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
            return top > 0 && top + ::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0) >= rows();
        };
        // Pages of rows: at least the last request's run of reports (a request purges what is unread).
        EXPECT_TRUE(eventually([&] { return rows() > 100 && lastRowInView(); })) << rows() << " rows";
        int request = 0;
        while (request < rows() &&
               row(request).find(L"-> A5 5A 04 EA EE AA  read gains, first block") == std::wstring::npos) {
            ++request;
        }
        EXPECT_LT(request, rows()) << "no row for the request";
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(eventually([&] { return !::IsWindow(box); }));
    });
}

// The menu bar is the core's: its menus, its commands' numbers and words, the shortcuts after a tab;
// a command from it does what the background menu's does.
TEST_F(Win32Window, TheMenuBarHoldsTheCoresCommandsAndRunsThem) {
    runWhile(window, [&](HWND dialog) {
        const HMENU bar = ::GetMenu(dialog);
        const auto text = [](HMENU menu, int position) {
            wchar_t text[128] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
            return std::wstring(text);
        };
        ASSERT_EQ(::GetMenuItemCount(bar), 4);
        EXPECT_EQ(text(bar, 0) + text(bar, 1) + text(bar, 2) + text(bar, 3), L"&File&Edit&Controller&Help");
        for (int m = 0; m < 4; ++m) {
            const HMENU menu = ::GetSubMenu(bar, m);
            const std::span<const MenuCommand> items = kMenuBar[static_cast<std::size_t>(m)].items;
            ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(items.size()));
            for (int i = 0; i < static_cast<int>(items.size()); ++i) {
                const MenuCommand command = items[static_cast<std::size_t>(i)];
                if (command == MenuCommand{}) {
                    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR);
                    continue;
                }
                EXPECT_EQ(::GetMenuItemID(menu, i), static_cast<UINT>(command));
                EXPECT_TRUE(text(menu, i).starts_with(toUtf16(menuItem(command).label)));
            }
        }
        EXPECT_TRUE(text(::GetSubMenu(bar, 0), 0).ends_with(L"\tCtrl+S"));
        EXPECT_TRUE(text(::GetSubMenu(bar, 1), 1).ends_with(L"\tCtrl+Y"));

        chooseFromMenuBar(dialog, MenuCommand::History);
        EXPECT_TRUE(eventually([] { return ::FindWindowW(L"#32770", L"Tuning history") != nullptr; }));
    });
}

// Whether the system keeps names set through the accessibility annotation service; Wine 8's only
// says it does not.
bool annotatedNamesKept() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    bool kept = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        const HWND probe = ::CreateWindowW(L"Static", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        kept = SUCCEEDED(services->SetHwndPropStr(probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                  PROPID_ACC_NAME, L"probe"));
        ::DestroyWindow(probe);
        services->Release();
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return kept;
}

// A screen reader names a gain edit by its row and its name in the row.
TEST_F(Win32Window, AGainEditIsNamedForScreenReaders) {
    if (!annotatedNamesKept()) {
        GTEST_SKIP() << "this system's oleacc keeps no names set through IAccPropServices";
    }
    runWhile(window, [&](HWND dialog) {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        IAccessible* edit = nullptr;
        ASSERT_TRUE(
            SUCCEEDED(::AccessibleObjectFromWindow(::GetDlgItem(dialog, kGainEdits[4]), OBJID_CLIENT,
                                                   __uuidof(IAccessible), reinterpret_cast<void**>(&edit))));
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        edit->get_accName(self, &name);
        const std::wstring got = name != nullptr ? name : L"";
        ::SysFreeString(name);
        edit->Release();
        ::CoUninitialize();
        EXPECT_EQ(got, toUtf16(gainAccessibleName(4)));
    });
}

// The dialog and the Flight settings window open where the operator left them, when that is still
// on a screen: else the window goes beside the dialog.
TEST_F(Win32Window, WindowsOpenWhereTheyWereLeftWhenThatIsOnAScreen) {
    window.core().settings().setPlace("window.flight-settings", {-30000, -30000, 10, 10}); // a screen gone
    runWhile(window, [&](HWND dialog) {
        chooseFromMenuBar(dialog, MenuCommand::FlightSettings);
        const HWND box = flightSettingsBox();
        ASSERT_NE(box, nullptr);
        RECT frame{};
        ::GetWindowRect(box, &frame);
        EXPECT_GT(frame.left, -1000);
        ::SetWindowPos(box, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER); // as the operator drags it
        ::SendMessageW(box, WM_EXITSIZEMOVE, 0, 0);
        ::SetWindowPos(dialog, nullptr, 70, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SendMessageW(dialog, WM_EXITSIZEMOVE, 0, 0);
    });
    FakePort secondPort;
    Win32ParamWindow second{secondPort};
    runWhile(second, [&](HWND dialog) {
        RECT frame{};
        ::GetWindowRect(dialog, &frame);
        EXPECT_EQ(frame.left * 1000 + frame.top, 70 * 1000 + 30);
        chooseFromMenuBar(dialog, MenuCommand::FlightSettings);
        const HWND box = flightSettingsBox();
        ASSERT_NE(box, nullptr);
        ::GetWindowRect(box, &frame);
        EXPECT_EQ(frame.left * 1000 + frame.top, 40 * 1000 + 50);
    });
}

// Enter in the port list works the default button, Open: COM1 opens and the first-open read goes
// out. The controller's replies reach the grid through the port's watcher.
void openCom1AndAnswerTheRead(PtyPeer& peer, HWND dialog) {
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
}

TEST(Win32WindowOnAPort, EnterOpensCom1AndTheGainRepliesFillTheGrid) {
    PtyPeer peer;
    Win32SerialPort port;
    Win32ParamWindow window{port};
    runWhile(window, [&](HWND dialog) { openCom1AndAnswerTheRead(peer, dialog); });
}

// Controller > Flight settings…: Set radius, worked by the keyboard, sends the one frame that sets
// it; a task's button shows its indicator as the controller reports it, and the task answered No
// sends nothing.
TEST(Win32WindowOnAPort, FlightSettingsSendTheRadiusAndNothingForATaskAnsweredNo) {
    PtyPeer peer;
    Win32SerialPort port;
    Win32ParamWindow window{port};
    runWhile(window, [&](HWND dialog) {
        openCom1AndAnswerTheRead(peer, dialog);
        chooseFromMenuBar(dialog, MenuCommand::FlightSettings);
        const HWND box = flightSettingsBox();
        ASSERT_NE(box, nullptr);
        // By the keyboard: from the altitude past its Set to the radius, then to Set radius.
        ASSERT_TRUE(eventually([&] { return ::GetForegroundWindow() == box; }));
        for (const WORD key : std::initializer_list<WORD>{VK_TAB, VK_TAB, '1', '2', '0', VK_TAB, VK_SPACE}) {
            press({key});
        }
        const Bytes radius{0xA5, 0x5A, 0x06, 0xB2, 0x00, 0x78, 0x30, 0xAA};
        Bytes sent;
        eventually([&] {
            std::ranges::copy(peer.readAvailable(), std::back_inserter(sent));
            return sent.size() >= radius.size();
        });
        EXPECT_EQ(sent, radius);

        peer.write(makeFrame(0xF1, {0, 0, 1 << 2})); // the controller circles
        EXPECT_TRUE(eventually([&] { return itemText(box, TQ37R_FLIGHT_CIRCLE) == L"盘旋ON"; }));
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(TQ37R_FLIGHT_CIRCLE, BN_CLICKED), 0);
        HWND question = nullptr;
        ASSERT_TRUE(eventually([&] {
            question = ::FindWindowExW(nullptr, nullptr, L"#32770", L"Flight settings");
            if (question == box) {
                question = ::FindWindowExW(nullptr, box, L"#32770", L"Flight settings");
            }
            return question != nullptr;
        }));
        ::PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(eventually([&] { return !::IsWindow(question); }));
        EXPECT_TRUE(peer.readAvailable().empty());
    });
}

} // namespace
} // namespace tq37r::test
