// Writes dialog template 102 as a DIALOGEX resource script, with the menu bar as a MENU of the
// same number, so the Windows program's dialog comes from the same data as every other view.
// Built for the build machine and run by the build: GenerateDialogRc OUTPUT.rc
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "core/BackgroundMenu.h"
#include "res/DialogTemplate.h"
#include "res/win32/MenuLabel.h"

namespace tq37r {
namespace {

// A resource-script string: quotes are doubled, backslashes and tabs escaped; UTF-8 stays as it
// is under code page 65001.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct ClassAndStyle {
    std::string_view windowClass;
    std::string style;
};

ClassAndStyle classAndStyle(const ControlTemplate& control) {
    const auto has = [&](std::uint32_t bit) { return (control.styles & bit) != 0; };
    switch (control.kind) {
    case ControlKind::PushButton:
        return {"Button", has(style::kMultilineCaption) ? "BS_PUSHBUTTON | BS_MULTILINE" : "BS_PUSHBUTTON"};
    case ControlKind::DefaultPushButton:
        return {"Button", "BS_DEFPUSHBUTTON"};
    case ControlKind::Edit: {
        std::string style = "ES_LEFT";
        if (has(style::kAutoHScroll)) {
            style += " | ES_AUTOHSCROLL";
        }
        if (has(style::kMultiline)) {
            style += " | ES_MULTILINE";
        }
        return {"Edit", style};
    }
    case ControlKind::ComboBox:
        return {"ComboBox", has(style::kSorted) ? "CBS_DROPDOWN | CBS_SORT" : "CBS_DROPDOWN"};
    case ControlKind::DropDownList:
        return {"ComboBox", has(style::kSorted) ? "CBS_DROPDOWNLIST | CBS_SORT" : "CBS_DROPDOWNLIST"};
    case ControlKind::GroupBox:
        return {"Button", "BS_GROUPBOX"};
    case ControlKind::StaticText:
        return {"Static", "SS_LEFT"};
    case ControlKind::Picture:
        return {"Static", "SS_BITMAP"};
    }
    return {"Static", "SS_LEFT"};
}

// The window styles every kind shares; a CONTROL statement adds WS_CHILD | WS_VISIBLE itself.
std::string windowStyles(const ControlTemplate& control) {
    std::string out;
    const auto add = [&](std::uint32_t bit, std::string_view name) {
        if ((control.styles & bit) != 0) {
            out += " | ";
            out += name;
        }
    };
    add(style::kTabStop, "WS_TABSTOP");
    add(style::kBorder, "WS_BORDER");
    add(style::kVScroll, "WS_VSCROLL");
    add(style::kDisabled, "WS_DISABLED");
    add(style::kHidden, "NOT WS_VISIBLE");
    return out;
}

void writeDialog(std::ostream& out, const DialogTemplate& dialog) {
    out << "// Generated from res/DialogTemplate102.cpp by GenerateDialogRc: edit the template data "
           "instead.\n"
           "#include <windows.h>\n"
           "#pragma code_page(65001)\n\n";
    out << dialog.resourceId << " DIALOGEX 0, 0, " << dialog.width << ", " << dialog.height << "\n";
    out << "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX\n";
    // The dialog manager puts the menu above the client area, which keeps the template's size.
    out << "MENU " << dialog.resourceId << "\n";
    if (dialog.appWindow) {
        out << "EXSTYLE WS_EX_APPWINDOW\n";
    }
    out << "CAPTION " << quoted(dialog.title) << "\n";
    // Weight 400, not italic, and the face's own character set (134, GB2312; windres takes no
    // name here), so that a machine without the face picks a Chinese-capable fallback.
    out << "FONT " << dialog.fontPointSize << ", " << quoted(dialog.fontFace) << ", 400, 0, 134\n";
    out << "BEGIN\n";
    for (const ControlTemplate& control : dialog.controls) {
        const ClassAndStyle kind = classAndStyle(control);
        // A picture's caption names its bitmap resource by number.
        const std::string text =
            control.kind == ControlKind::Picture ? std::string(control.caption) : quoted(control.caption);
        out << "    CONTROL " << text << ", " << control.id << ", " << quoted(kind.windowClass) << ", "
            << kind.style << windowStyles(control) << ", " << control.x << ", " << control.y << ", "
            << control.width << ", " << control.height << "\n";
    }
    out << "END\n";
}

// Item ids are the commands' own numbers; MenuCommand{}, a separator, has none.
void writeMenuBar(std::ostream& out, int resourceId) {
    out << "\n" << resourceId << " MENU\nBEGIN\n";
    for (const Menu& menu : kMenuBar) {
        out << "    POPUP " << quoted(menu.title) << "\n    BEGIN\n";
        for (const MenuCommand command : menu.items) {
            if (command == MenuCommand{}) {
                out << "        MENUITEM SEPARATOR\n";
            } else {
                out << "        MENUITEM " << quoted(menuLabel(menuItem(command))) << ", "
                    << static_cast<int>(command) << "\n";
            }
        }
        out << "    END\n";
    }
    out << "END\n";
}

} // namespace
} // namespace tq37r

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: GenerateDialogRc OUTPUT.rc\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    tq37r::writeDialog(out, tq37r::paramDialogTemplate());
    tq37r::writeMenuBar(out, tq37r::paramDialogTemplate().resourceId);
    out.close();
    if (!out) {
        std::cerr << "GenerateDialogRc: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
