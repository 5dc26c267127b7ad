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
inline constexpr std::string_view kCloseAnyway =
    "Close anyway? Write to TQ-37R keeps what was sent; Ctrl+S keeps the grid in a file.";

} // namespace tq37r::text
