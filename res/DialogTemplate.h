#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tq37r {

// A dialog described as data, the way a resource script lays it out: ids,
// kinds, captions, positions and sizes in dialog units, in tab order.
enum class ControlKind : std::uint8_t {
    PushButton,
    DefaultPushButton,
    Edit,
    ComboBox, // drop-down with editable text
    DropDownList,
    GroupBox,
    StaticText,
    Picture, // shows a bitmap resource; caption holds its resource name
};

namespace style {
inline constexpr std::uint32_t kHidden = 1u << 0; // created without the visible style
inline constexpr std::uint32_t kDisabled = 1u << 1;
inline constexpr std::uint32_t kTabStop = 1u << 2;
inline constexpr std::uint32_t kBorder = 1u << 3;
inline constexpr std::uint32_t kAutoHScroll = 1u << 4;
inline constexpr std::uint32_t kMultiline = 1u << 5;
inline constexpr std::uint32_t kVScroll = 1u << 6;
inline constexpr std::uint32_t kSorted = 1u << 7;
inline constexpr std::uint32_t kMultilineCaption = 1u << 8; // button caption wraps
} // namespace style

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string_view caption; // UTF-8
    int x, y, width, height;  // dialog units
    std::uint32_t styles;
};

struct ComboInit {
    int id;
    std::span<const std::string_view> items; // added in this order when the dialog initialises
};

struct DialogTemplate {
    int resourceId;
    std::string_view title;
    int width, height; // client area, dialog units
    std::string_view fontFace;
    int fontPointSize;
    bool appWindow; // a taskbar button of its own even when owned (WS_EX_APPWINDOW)
    std::span<const ControlTemplate> controls; // template order = tab and stacking order
    std::span<const ComboInit> comboInits;
};

// Dialog template 102, the tool's one window.
const DialogTemplate& paramDialogTemplate();
// The items the template gives a list of the tool's window; none for a control it gives none.
std::span<const std::string_view> paramDialogComboItems(int id);

} // namespace tq37r
