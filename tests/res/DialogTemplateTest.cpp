// Checks dialog template 102 against the facts the rest of the program relies
// on (ids, kinds, captions, order, combo contents, geometry), and that the
// artwork is reachable through the resource system.
#include "res/DialogTemplate.h"
#include "res/Resources.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tq37r {
namespace {

using K = ControlKind;

const DialogTemplate& dlg() {
    return paramDialogTemplate();
}

bool isHidden(const ControlTemplate& c) {
    return (c.styles & style::kHidden) != 0;
}

const ControlTemplate* find(int id) {
    for (const auto& c : dlg().controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

std::ptrdiff_t indexOf(int id) {
    const auto it = std::ranges::find(dlg().controls, id, &ControlTemplate::id);
    return it == dlg().controls.end() ? -1 : it - dlg().controls.begin();
}

// A control as the order checks name it: its id, or for an anonymous one its
// kind and caption.
struct Signature {
    int id;
    K kind;
    std::string_view caption;
    bool operator==(const Signature&) const = default;
};

std::vector<Signature> signaturesBetween(int firstId, int lastId) {
    const auto first = indexOf(firstId);
    const auto last = indexOf(lastId);
    std::vector<Signature> out;
    for (auto i = first + 1; i < last; ++i) {
        const auto& c = dlg().controls[static_cast<std::size_t>(i)];
        out.push_back({c.id, c.kind, c.caption});
    }
    return out;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80           ? 1
                                : (b >> 5) == 0x6  ? 2
                                : (b >> 4) == 0xE  ? 3
                                : (b >> 3) == 0x1E ? 4
                                                   : 0;
        if (len == 0 || i + len > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += len;
    }
    return true;
}

TEST(DialogTemplate, WindowPropertiesAndControlCounts) {
    EXPECT_EQ(dlg().resourceId, 102);
    EXPECT_EQ(dlg().title, "TQ-37R Parameters Setting");
    EXPECT_EQ(dlg().width, 393);
    EXPECT_EQ(dlg().height, 340);
    EXPECT_EQ(dlg().fontFace, "宋体");
    EXPECT_EQ(dlg().fontPointSize, 9);

    ASSERT_EQ(dlg().controls.size(), 96u);
    EXPECT_EQ(std::ranges::count_if(dlg().controls, isHidden), 28);
}

TEST(DialogTemplate, IdsAreUniqueExceptAnonymousControls) {
    std::set<int> seen;
    for (const auto& c : dlg().controls) {
        if (c.id == kNoId) {
            continue;
        }
        EXPECT_TRUE(seen.insert(c.id).second) << "duplicate id " << c.id;
        EXPECT_TRUE(c.id == 1 || c.id == 2 || (c.id >= 1000 && c.id <= 1068)) << c.id;
    }
    // Static texts, group boxes and the banner are the only anonymous controls.
    for (const auto& c : dlg().controls) {
        const bool decorative = c.kind == K::StaticText || c.kind == K::GroupBox || c.kind == K::Picture;
        EXPECT_EQ(c.id == kNoId, decorative) << c.caption;
    }
}

// Every control the handlers, bindings and data exchange refer to, with the
// kind and caption the code expects and whether it is shown.
TEST(DialogTemplate, ControlsTheProgramUsesHaveTheirKindCaptionAndVisibility) {
    struct Expected {
        int id;
        K kind;
        std::string_view caption;
        bool hidden;
    };
    std::vector<Expected> expected = {
        {1, K::DefaultPushButton, "Open", false},
        {2, K::PushButton, "退出", true},
        {1000, K::Edit, "", true},
        {1012, K::PushButton, "设置", true},
        {1013, K::PushButton, "设置", true},
        {1014, K::PushButton, "读出", true},
        {1015, K::PushButton, "读出", true},
        {1016, K::PushButton, "设置", true},
        {1017, K::PushButton, "Write to TQ-37R", false},
        {1018, K::PushButton, "遥控", true},
        {1019, K::PushButton, "增稳", true},
        {1020, K::PushButton, "自动", true},
        {1021, K::PushButton, "返航", true},
        {1022, K::PushButton, "盘旋", true},
        {1023, K::PushButton, "起飞", true},
        {1024, K::PushButton, "取消", true},
        {1025, K::PushButton, "陀螺自检", true},
        {1026, K::PushButton, "开启", true},
        {1027, K::Edit, "", false},
        {1028, K::PushButton, "关闭", true},
        {1029, K::PushButton, "Read", false},
        {1031, K::ComboBox, "", false},
        {1032, K::ComboBox, "", false},
        {1035, K::PushButton, "Restore Default Parameters", false},
        {1038, K::Edit, "", true},
        {1039, K::Edit, "", true},
        {1040, K::DropDownList, "", true},
        {1068, K::PushButton, "Get Firmware Version", false},
    };
    for (int id : {1037, 1047, 1051, 1055, 1062, 1063, 1067}) {
        expected.push_back({id, K::PushButton, "Set", false});
    }
    // The 21 grid edits: 1041 to 1066 apart from the seven Set buttons.
    for (int id : {1041, 1042, 1043, 1044, 1045, 1046, 1048, 1049, 1050, 1052, 1053,
                   1054, 1056, 1057, 1058, 1059, 1060, 1061, 1064, 1065, 1066}) {
        expected.push_back({id, K::Edit, "", false});
    }

    for (const auto& e : expected) {
        SCOPED_TRACE(e.id);
        const auto* c = find(e.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->kind, e.kind);
        EXPECT_EQ(c->caption, e.caption);
        EXPECT_EQ(isHidden(*c), e.hidden);
    }
    // Nothing else carries an id: no stray or mistyped ids.
    const auto withId = std::ranges::count_if(dlg().controls, [](const auto& c) { return c.id != kNoId; });
    EXPECT_EQ(static_cast<std::size_t>(withId), expected.size());
}

TEST(DialogTemplate, StylesFollowTheControlKinds) {
    for (const auto& c : dlg().controls) {
        SCOPED_TRACE(c.id);
        const bool takesKeyboard = c.kind != K::StaticText && c.kind != K::GroupBox && c.kind != K::Picture;
        EXPECT_EQ((c.styles & style::kTabStop) != 0, takesKeyboard) << c.caption;
        EXPECT_EQ((c.styles & style::kDisabled) != 0, c.id == 1054);
        EXPECT_EQ(c.kind == K::DefaultPushButton, c.id == 1);
        EXPECT_EQ((c.styles & style::kMultilineCaption) != 0, c.id == 1035 || c.id == 1068);
        EXPECT_EQ((c.styles & style::kMultiline) != 0, c.id == 1000);
        EXPECT_EQ((c.styles & style::kSorted) != 0, c.id == 1031 || c.id == 1040);
        EXPECT_EQ((c.styles & style::kVScroll) != 0,
                  c.id == 1000 || c.id == 1031 || c.id == 1032 || c.id == 1040);
        if (c.kind == K::Edit && c.id >= 1041) {
            EXPECT_EQ(c.styles & (style::kBorder | style::kAutoHScroll),
                      style::kBorder | style::kAutoHScroll);
        }
    }
    EXPECT_TRUE(find(1000)->styles & style::kBorder);
    EXPECT_TRUE(find(1027)->styles & style::kBorder);
}

TEST(DialogTemplate, HiddenControlsStandInThreeRunsInTemplateOrder) {
    using S = Signature;
    EXPECT_EQ(indexOf(1), 0);

    EXPECT_EQ(signaturesBetween(1, 1027), (std::vector<S>{{2, K::PushButton, "退出"}, {1000, K::Edit, ""}}));

    const auto secondRun = std::vector<S>{
        {1038, K::Edit, ""},
        {kNoId, K::GroupBox, "飞行参数设定："},
        {kNoId, K::StaticText, "目标高度"},
        {1039, K::Edit, ""},
        {kNoId, K::StaticText, "盘旋半径"},
        {1012, K::PushButton, "设置"},
        {1013, K::PushButton, "设置"},
        {1014, K::PushButton, "读出"},
        {kNoId, K::GroupBox, "舵面控制模式："},
        {1040, K::DropDownList, ""},
        {1015, K::PushButton, "读出"},
        {1016, K::PushButton, "设置"},
    };
    EXPECT_EQ(signaturesBetween(1032, 1017), secondRun);

    const auto thirdRun = std::vector<S>{
        {kNoId, K::GroupBox, ""},          {1018, K::PushButton, "遥控"},
        {1019, K::PushButton, "增稳"},     {1020, K::PushButton, "自动"},
        {kNoId, K::GroupBox, ""},          {1021, K::PushButton, "返航"},
        {1022, K::PushButton, "盘旋"},     {1023, K::PushButton, "起飞"},
        {1024, K::PushButton, "取消"},     {kNoId, K::GroupBox, "飞控自检："},
        {1025, K::PushButton, "陀螺自检"}, {kNoId, K::GroupBox, "设置是否自动返航："},
        {1026, K::PushButton, "开启"},     {1028, K::PushButton, "关闭"},
    };
    EXPECT_EQ(signaturesBetween(1017, 1041), thirdRun);

    // Exactly the controls of the three runs are hidden: 2 + 12 + 14.
    std::size_t hiddenInRuns = 0;
    for (auto [from, to] : {std::pair{1, 1027}, std::pair{1032, 1017}, std::pair{1017, 1041}}) {
        for (auto i = indexOf(from) + 1; i < indexOf(to); ++i) {
            hiddenInRuns += isHidden(dlg().controls[static_cast<std::size_t>(i)]) ? 1 : 0;
        }
    }
    EXPECT_EQ(hiddenInRuns, 28u);
    // The visible start of the tab order: Open, status line, port box, its lists.
    EXPECT_EQ(indexOf(1027), 3);
    EXPECT_EQ(indexOf(1031), indexOf(1027) + 2);
    EXPECT_EQ(indexOf(1032), indexOf(1031) + 1);
    EXPECT_EQ(dlg().controls.back().kind, K::Picture);
}

TEST(DialogTemplate, ComboBoxesAreFilledInTheirOrder) {
    std::map<int, std::vector<std::string_view>> items;
    for (const auto& init : dlg().comboInits) {
        EXPECT_TRUE(items.emplace(init.id, std::vector(init.items.begin(), init.items.end())).second);
        const auto* c = find(init.id);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->kind == K::ComboBox || c->kind == K::DropDownList);
    }
    ASSERT_EQ(items.size(), 3u);

    std::vector<std::string_view> ports;
    std::vector<std::string> names;
    for (int i = 1; i <= 9; ++i) {
        names.push_back("COM" + std::to_string(i));
    }
    ports.assign(names.begin(), names.end());
    EXPECT_EQ(items[1031], ports);

    // Index i must name entry i of the baud table the connection code uses.
    EXPECT_EQ(items[1032], (std::vector<std::string_view>{"115200", "57600", "56000", "38400", "19200",
                                                          "14400", "9600", "4800"}));
    EXPECT_EQ(items[1040], (std::vector<std::string_view>{"1.未混控，副翼导航", "2.未混控，副翼&方向舵导航",
                                                          "3.升降和副翼混控，副翼导航",
                                                          "4.升降和副翼混控，副翼&方向舵导航"}));

    // Sorted lists must already be in sorted order, or the indices would move.
    for (int id : {1031, 1040}) {
        EXPECT_TRUE(std::ranges::is_sorted(items[id])) << id;
    }
}

TEST(DialogTemplate, GeometryKeepsControlsWhereTheyBelong) {
    for (const auto& c : dlg().controls) {
        SCOPED_TRACE(std::to_string(c.id) + " " + std::string(c.caption));
        EXPECT_GT(c.width, 0);
        EXPECT_GT(c.height, 0);
        EXPECT_GE(c.x, 0);
        EXPECT_LE(c.x + c.width, dlg().width);
        if (isHidden(c)) {
            // Never shown, parked in the status line's band.
            EXPECT_GE(c.y, 315);
            EXPECT_LE(c.y + c.height, 333);
        } else {
            EXPECT_GE(c.y, 0);
            EXPECT_LE(c.y + c.height, dlg().height);
        }
    }
}

// Each gain row's three edits run left to right and sit within the height of
// the Set button at their right; a swapped id or a mistyped coordinate in the
// grid breaks this.
TEST(DialogTemplate, GainRowsLineUpWithTheirSetButtons) {
    struct Row {
        int set;
        int edits[3];
    };
    const Row rows[] = {
        {1037, {1041, 1042, 1043}}, {1047, {1044, 1045, 1046}}, {1051, {1048, 1049, 1050}},
        {1055, {1052, 1053, 1054}}, {1062, {1056, 1057, 1058}}, {1063, {1059, 1060, 1061}},
        {1067, {1064, 1065, 1066}},
    };
    int previousSetY = -1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.set);
        const auto* set = find(row.set);
        ASSERT_NE(set, nullptr);
        EXPECT_GT(set->y, previousSetY);
        previousSetY = set->y;
        int previousRight = 0;
        for (int id : row.edits) {
            const auto* e = find(id);
            ASSERT_NE(e, nullptr);
            EXPECT_GT(e->x, previousRight) << id;
            previousRight = e->x + e->width;
            EXPECT_GE(e->y, set->y) << id;
            EXPECT_LE(e->y + e->height, set->y + set->height) << id;
        }
        EXPECT_LT(previousRight, set->x);
    }
}

TEST(DialogTemplate, CaptionsKeepTheirExactText) {
    int pidLabels = 0;
    for (const auto& c : dlg().controls) {
        EXPECT_TRUE(isValidUtf8(c.caption)) << c.id;
        if (c.kind == K::GroupBox && !c.caption.empty()) {
            EXPECT_TRUE(c.caption.ends_with("：")) << c.caption; // full-width colon
        }
        const auto trimmed = c.caption.substr(std::min(c.caption.find_first_not_of(' '), c.caption.size()));
        if (c.kind == K::StaticText && (trimmed == "P" || trimmed == "I" || trimmed == "D")) {
            EXPECT_EQ(c.caption.size(), 7u) << "six blanks before " << trimmed;
            ++pidLabels;
        }
    }
    EXPECT_EQ(pidLabels, 9);
    for (const auto& init : dlg().comboInits) {
        for (auto item : init.items) {
            EXPECT_TRUE(isValidUtf8(item)) << item;
            EXPECT_EQ(item.find(','), std::string_view::npos) << "half-width comma in " << item;
        }
    }
    const auto& banner = dlg().controls.back();
    EXPECT_EQ(banner.caption, std::to_string(kBannerBitmapId));
}

// Reads width and height from a PNG's header chunk.
std::pair<int, int> pngSize(const char* path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {-1, -1};
    }
    const QByteArray head = f.read(24);
    if (head.size() < 24 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR") {
        return {-2, -2};
    }
    auto be32 = [&](int at) {
        int v = 0;
        for (int k = 0; k < 4; ++k) {
            v = (v << 8) | static_cast<unsigned char>(head[at + k]);
        }
        return v;
    };
    return {be32(16), be32(20)};
}

TEST(Artwork, IconAndBannerAreCompiledInAtTheirSizes) {
    initResources();
    initResources(); // a second call must be harmless
    EXPECT_EQ(pngSize(kAppIconPath), std::pair(32, 32));
    EXPECT_EQ(pngSize(kAppIconLargePath), std::pair(256, 256));
    EXPECT_EQ(pngSize(kBannerPath), std::pair(226, 58));
}

} // namespace
} // namespace tq37r
