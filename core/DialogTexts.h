#pragma once

#include <string_view>

// The dialog's own words, beside the controller's replies (device/StatusMessage.h).
namespace tq37r::text {

inline constexpr std::string_view kProgramTitle = "tq37r-params";
inline constexpr std::string_view kParamDialogTitle = "TQ-37R Parameters Setting";
inline constexpr std::string_view kEnterAnInteger = "Please enter an integer.";
inline constexpr std::string_view kEnterAnIntegerBetween = "Please enter an integer between ";
inline constexpr std::string_view kOpenFail = "open fail";
inline constexpr std::string_view kOpenCaption = "Open";
inline constexpr std::string_view kCloseCaption = "Close";
inline constexpr std::string_view kChooseAPort = "Choose a port from the list";
inline constexpr std::string_view kBadBaudRate = "The baud rate must be a positive whole number";
inline constexpr std::string_view kFindController = "Find controller";
inline constexpr std::string_view kControllerFound = "Controller found on ";
inline constexpr std::string_view kNoControllerAnswered = "No controller answered.";
inline constexpr std::string_view kSearchCancelled = "The search for the controller was cancelled.";
inline constexpr std::string_view kClosePortToSearch =
    "Close the port first: the search opens each port itself.";
inline constexpr std::string_view kLineLogTitle = "Line log";
inline constexpr std::string_view kLineLogPause = "Pause";
inline constexpr std::string_view kLineLogResume = "Resume";
inline constexpr std::string_view kLineLogSave = "Save log…";
inline constexpr std::string_view kLineLogClear = "Clear";
inline constexpr std::string_view kHistoryNotWritten = "The tuning history cannot be written: ";
inline constexpr std::string_view kHelp =
    "Pick the controller's port and rate and press Open: the gains are read into the grid. Each row's Set "
    "sends it; Write to TQ-37R has the controller keep what it holds. The tints say what the controller "
    "holds: green as in its flash, yellow changed here, blue sent but not saved, red saved but reading "
    "otherwise. Find controller… tries every port; Flight settings… reaches the altitude, radius, mixing "
    "mode, gyro self-test, automatic return, flight mode and task; History… goes back to any earlier read "
    "or save; Ctrl+Z undoes a change of the grid.";
inline constexpr std::string_view kHelpMore =
    "The README that comes with the tool says more; tq37r-cli does the same from a shell.";
inline constexpr std::string_view kCloseAnyway =
    "Close anyway? Write to TQ-37R keeps what was sent; Ctrl+S keeps the grid in a file.";

} // namespace tq37r::text
