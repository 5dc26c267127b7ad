#include "app/QtArguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tq37r {
namespace {

// QGuiApplication's, QApplication's and the X11 platform's options, as qt6options(7) lists them.
constexpr std::array<std::string_view, 15> kTakingValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger", "dialogs", "fontengine",
};
constexpr std::array<std::string_view, 5> kFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

bool among(std::string_view name, auto const& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::string firstArgumentQtDoesNotTake(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        if (!name.starts_with('-')) {
            return arguments[i];
        }
        // Qt reads "--platform" as "-platform".
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            if (!among(name.substr(0, equals), kTakingValue)) {
                return arguments[i];
            }
        } else if (among(name, kTakingValue)) {
            ++i; // its value, whatever it looks like
        } else if (!among(name, kFlags)) {
            return arguments[i];
        }
    }
    return {};
}

} // namespace tq37r
