#include "res/DialogTemplate.h"

#include <array>
#include <cstdint>
#include <utility>

#include "device/BaudTable.h"
#include "res/ControlIds.h"
#include "serial/PortName.h"

namespace tq37r {
namespace {

using K = ControlKind;
using namespace style;

// Style sets that recur; each kind that takes the keyboard is a tab stop.
constexpr std::uint32_t kButton = kTabStop;
constexpr std::uint32_t kGridEdit = kTabStop | kBorder | kAutoHScroll;
constexpr std::uint32_t kWrappingButton = kTabStop | kMultilineCaption;
constexpr std::uint32_t kNone = 0;
// Controls kept for their ids and captions only; they sit in the bottom band
// under the status line and are never shown.
constexpr std::uint32_t kHiddenButton = kHidden | kTabStop;
constexpr std::uint32_t kHiddenEdit = kHidden | kTabStop;
constexpr std::uint32_t kHiddenLabel = kHidden;

// Template order is tab and stacking order, so the hidden controls stand
// exactly where the original layout put them.
constexpr std::array<ControlTemplate, 96> kControls{{
    {id::kOpenClose, K::DefaultPushButton, "Open", 60, 56, 50, 27, kButton},
    {id::kCancel, K::PushButton, "退出", 346, 318, 36, 12, kHiddenButton},
    {id::kSpareEdit, K::Edit, "", 7, 315, 379, 18, kHidden | kTabStop | kBorder | kMultiline | kVScroll},
    {id::kStatusLine, K::Edit, "", 7, 315, 379, 18, kTabStop | kBorder},
    {id::kNoId, K::GroupBox, "Port：", 7, 46, 106, 43, kNone},
    {id::kPortList, K::ComboBox, "", 13, 54, 43, 72, kTabStop | kSorted | kVScroll},
    {id::kBaudList, K::ComboBox, "", 13, 70, 43, 92, kTabStop | kVScroll},

    // Flight settings and mixing mode.
    {id::kTargetAltitude, K::Edit, "", 41, 318, 24, 12, kHiddenEdit},
    {id::kNoId, K::GroupBox, "飞行参数设定：", 7, 315, 190, 18, kHiddenLabel},
    {id::kNoId, K::StaticText, "目标高度", 11, 320, 30, 8, kHiddenLabel},
    {id::kCirclingRadius, K::Edit, "", 98, 318, 24, 12, kHiddenEdit},
    {id::kNoId, K::StaticText, "盘旋半径", 68, 320, 30, 8, kHiddenLabel},
    {id::kSetTargetAltitude, K::PushButton, "设置", 124, 318, 22, 12, kHiddenButton},
    {id::kSetCirclingRadius, K::PushButton, "设置", 148, 318, 22, 12, kHiddenButton},
    {id::kReadFlightParams, K::PushButton, "读出", 172, 318, 22, 12, kHiddenButton},
    {id::kNoId, K::GroupBox, "舵面控制模式：", 199, 315, 187, 18, kHiddenLabel},
    {id::kMixingModeList, K::DropDownList, "", 203, 318, 130, 15, kHidden | kTabStop | kSorted | kVScroll},
    {id::kReadMixingMode, K::PushButton, "读出", 335, 318, 24, 12, kHiddenButton},
    {id::kSetMixingMode, K::PushButton, "设置", 360, 318, 24, 12, kHiddenButton},

    {id::kSaveConfiguration, K::PushButton, "Write to TQ-37R", 209, 54, 95, 31, kButton},

    // Flight-mode and task indicators, self-test, automatic return.
    {id::kNoId, K::GroupBox, "", 7, 315, 100, 18, kHiddenLabel},
    {id::kFlightModeRemote, K::PushButton, "遥控", 11, 318, 30, 12, kHiddenButton},
    {id::kFlightModeStabilised, K::PushButton, "增稳", 42, 318, 30, 12, kHiddenButton},
    {id::kFlightModeAuto, K::PushButton, "自动", 73, 318, 30, 12, kHiddenButton},
    {id::kNoId, K::GroupBox, "", 109, 315, 130, 18, kHiddenLabel},
    {id::kTaskReturn, K::PushButton, "返航", 113, 318, 30, 12, kHiddenButton},
    {id::kTaskCircle, K::PushButton, "盘旋", 144, 318, 30, 12, kHiddenButton},
    {id::kTaskTakeOff, K::PushButton, "起飞", 175, 318, 30, 12, kHiddenButton},
    {id::kTaskCancel, K::PushButton, "取消", 206, 318, 30, 12, kHiddenButton},
    {id::kNoId, K::GroupBox, "飞控自检：", 241, 315, 60, 18, kHiddenLabel},
    {id::kGyroSelfTest, K::PushButton, "陀螺自检", 245, 318, 52, 12, kHiddenButton},
    {id::kNoId, K::GroupBox, "设置是否自动返航：", 303, 315, 83, 18, kHiddenLabel},
    {id::kAutoReturnOn, K::PushButton, "开启", 307, 318, 37, 12, kHiddenButton},
    {id::kAutoReturnOff, K::PushButton, "关闭", 346, 318, 37, 12, kHiddenButton},

    {id::kPitchLevelCoef, K::Edit, "", 74, 108, 26, 12, kGridEdit},
    {id::kPitchStabilityContinue, K::Edit, "", 178, 108, 26, 12, kGridEdit},
    {id::kPitchStabilityCoef, K::Edit, "", 287, 108, 26, 12, kGridEdit},
    {id::kRollLevelCoef, K::Edit, "", 74, 138, 26, 12, kGridEdit},
    {id::kRollStabilityContinue, K::Edit, "", 178, 138, 26, 12, kGridEdit},
    {id::kRollStabilityCoef, K::Edit, "", 287, 138, 26, 12, kGridEdit},
    {id::kRead, K::PushButton, "Read", 357, 102, 26, 208, kButton},
    {id::kSetPitch, K::PushButton, "Set", 326, 100, 26, 24, kButton},
    {id::kSetRoll, K::PushButton, "Set", 326, 130, 26, 24, kButton},
    {id::kHeadingLockingCoef, K::Edit, "", 74, 169, 26, 12, kGridEdit},
    {id::kHeadingLockingContinue, K::Edit, "", 178, 169, 26, 12, kGridEdit},
    {id::kHeadingStabilityCoef, K::Edit, "", 287, 169, 26, 12, kGridEdit},
    {id::kSetHeading, K::PushButton, "Set", 326, 162, 26, 24, kButton},
    {id::kAltitudeCompensation, K::Edit, "", 74, 200, 26, 12, kGridEdit},
    {id::kSpeedControl, K::Edit, "", 178, 199, 26, 12, kGridEdit},
    {id::kOtherThird, K::Edit, "", 287, 199, 26, 12, kGridEdit | kDisabled},
    {id::kSetOther, K::PushButton, "Set", 326, 192, 26, 24, kButton},
    {id::kNoId, K::StaticText, "Speed Control", 117, 202, 57, 10, kNone},
    {id::kNoId, K::GroupBox, "", 7, 87, 379, 225, kNone},
    {id::kRestoreDefaults, K::PushButton, "Restore Default Parameters", 118, 54, 89, 31, kWrappingButton},
    {id::kNoId, K::GroupBox, "Pitch Control：", 15, 96, 308, 29, kNone},
    {id::kNoId, K::StaticText, "Pitch Level Coefficient", 22, 105, 52, 16, kNone},
    {id::kNoId, K::StaticText, "Stability Continue", 117, 106, 44, 16, kNone},
    {id::kNoId, K::StaticText, "Stability Coefficient", 228, 107, 52, 16, kNone},
    {id::kNoId, K::GroupBox, "Roll Control：", 16, 126, 308, 29, kNone},
    {id::kNoId, K::GroupBox, "Heading Control：", 15, 157, 308, 29, kNone},
    {id::kNoId, K::StaticText, "Locking Coefficient", 21, 167, 52, 16, kNone},
    {id::kNoId, K::GroupBox, "Other Control：", 15, 188, 308, 29, kNone},
    {id::kNoId, K::StaticText, "Roll Level Coefficient", 22, 136, 52, 16, kNone},
    {id::kNoId, K::StaticText, "Stability Continue", 117, 136, 44, 16, kNone},
    {id::kNoId, K::StaticText, "Stability Coefficient", 228, 136, 52, 16, kNone},
    {id::kNoId, K::StaticText, "Locking Continue", 117, 167, 44, 16, kNone},
    {id::kNoId, K::StaticText, "Stability Coefficient", 228, 167, 52, 16, kNone},
    {id::kNoId, K::GroupBox, "", 115, 46, 193, 44, kNone},
    {id::kNoId, K::GroupBox, "X：", 15, 218, 308, 29, kNone},
    {id::kNoId, K::GroupBox, "Y：", 16, 249, 308, 29, kNone},
    {id::kXP, K::Edit, "", 74, 230, 26, 12, kGridEdit},
    {id::kXI, K::Edit, "", 178, 230, 26, 12, kGridEdit},
    {id::kXD, K::Edit, "", 287, 230, 26, 12, kGridEdit},
    {id::kYP, K::Edit, "", 74, 259, 26, 12, kGridEdit},
    {id::kYI, K::Edit, "", 178, 259, 26, 12, kGridEdit},
    {id::kYD, K::Edit, "", 287, 259, 26, 12, kGridEdit},
    {id::kNoId, K::StaticText, "      P", 21, 233, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      I", 119, 233, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      D", 228, 232, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      P", 21, 261, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      I", 119, 262, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      D", 228, 261, 52, 10, kNone},
    {id::kSetX, K::PushButton, "Set", 326, 222, 26, 24, kButton},
    {id::kSetY, K::PushButton, "Set", 326, 254, 26, 24, kButton},
    {id::kNoId, K::StaticText, "Altitude Compensation", 20, 198, 52, 16, kNone},
    {id::kNoId, K::GroupBox, "Height Control：", 16, 280, 308, 29, kNone},
    {id::kHeightP, K::Edit, "", 74, 291, 26, 12, kGridEdit},
    {id::kHeightI, K::Edit, "", 178, 291, 26, 12, kGridEdit},
    {id::kHeightD, K::Edit, "", 287, 291, 26, 12, kGridEdit},
    {id::kNoId, K::StaticText, "      P", 21, 293, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      I", 119, 293, 52, 10, kNone},
    {id::kNoId, K::StaticText, "      D", 228, 292, 52, 10, kNone},
    {id::kSetHeight, K::PushButton, "Set", 326, 284, 26, 24, kButton},
    {id::kGetFirmwareVersion, K::PushButton, "Get Firmware Version", 313, 55, 69, 29, kWrappingButton},
    {id::kNoId, K::GroupBox, "", 309, 46, 77, 44, kNone},
    {id::kNoId, K::Picture, "149", 7, 6, 151, 39, kNone},
}};

// The list's texts are made from the port count and the baud table at compile time, so what the
// list shows is what Open takes.
template <std::size_t Size> struct Text {
    std::array<char, Size> chars{};
    std::size_t size = 0;
    constexpr std::string_view view() const { return {chars.data(), size}; }
};

template <std::size_t Size> constexpr Text<Size> decimal(std::string_view prefix, std::uint32_t value) {
    Text<Size> text;
    for (const char c : prefix) {
        text.chars[text.size++] = c;
    }
    std::array<char, 10> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        text.chars[text.size++] = digits[--count];
    }
    return text;
}

template <std::size_t... I> constexpr auto portTexts(std::index_sequence<I...>) {
    return std::array<Text<8>, sizeof...(I)>{decimal<8>("COM", I + 1)...};
}
template <std::size_t... I> constexpr auto baudTexts(std::index_sequence<I...>) {
    return std::array<Text<8>, sizeof...(I)>{decimal<8>("", kBaudTable[I])...};
}
template <std::size_t N, std::size_t... I>
constexpr auto views(const std::array<Text<8>, N>& texts, std::index_sequence<I...>) {
    return std::array<std::string_view, N>{texts[I].view()...};
}

constexpr auto kPortTexts = portTexts(std::make_index_sequence<kListedPorts>{});
constexpr auto kPortNames = views(kPortTexts, std::make_index_sequence<kListedPorts>{});
// Same order as the baud table the connection code indexes with the selection.
constexpr auto kBaudTexts = baudTexts(std::make_index_sequence<kBaudTable.size()>{});
constexpr auto kBaudRates = views(kBaudTexts, std::make_index_sequence<kBaudTable.size()>{});
constexpr std::array<std::string_view, 4> kMixingModes{
    "1.未混控，副翼导航",
    "2.未混控，副翼&方向舵导航",
    "3.升降和副翼混控，副翼导航",
    "4.升降和副翼混控，副翼&方向舵导航",
};

constexpr std::array<ComboInit, 3> kComboInits{{
    {id::kPortList, kPortNames},
    {id::kBaudList, kBaudRates},
    {id::kMixingModeList, kMixingModes},
}};

constexpr DialogTemplate kParamDialog{
    id::kParamDialogTemplate, "TQ-37R Parameters Setting", 393, 340, "宋体", 9, true, kControls, kComboInits,
};

} // namespace

const DialogTemplate& paramDialogTemplate() {
    return kParamDialog;
}

std::span<const std::string_view> paramDialogComboItems(int id) {
    for (const ComboInit& init : kParamDialog.comboInits) {
        if (init.id == id) {
            return init.items;
        }
    }
    return {};
}

} // namespace tq37r
