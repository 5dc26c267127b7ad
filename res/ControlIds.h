#pragma once

// The named ids of dialog template 102's controls. The template data, the dialog core,
// every view and the tests use these names; a control no code refers to has kNoId.
namespace tq37r::id {

inline constexpr int kNoId = -1;

// Connection and status.
inline constexpr int kOpenClose = 1; // the default button: Enter acts on it
inline constexpr int kCancel = 2;    // hidden; Escape and the close box send it
inline constexpr int kSpareEdit = 1000;
inline constexpr int kStatusLine = 1027;
inline constexpr int kPortList = 1031;
inline constexpr int kBaudList = 1032;

// Visible buttons.
inline constexpr int kSaveConfiguration = 1017; // "Write to TQ-37R"
inline constexpr int kRead = 1029;
inline constexpr int kRestoreDefaults = 1035;
inline constexpr int kGetFirmwareVersion = 1068;
inline constexpr int kSetPitch = 1037;
inline constexpr int kSetRoll = 1047;
inline constexpr int kSetHeading = 1051;
inline constexpr int kSetOther = 1055;
inline constexpr int kSetX = 1062;
inline constexpr int kSetY = 1063;
inline constexpr int kSetHeight = 1067;

// Hidden flight settings, mixing mode, indicators, self-test and automatic return.
inline constexpr int kSetTargetAltitude = 1012;
inline constexpr int kSetCirclingRadius = 1013;
inline constexpr int kReadFlightParams = 1014;
inline constexpr int kReadMixingMode = 1015;
inline constexpr int kSetMixingMode = 1016;
inline constexpr int kFlightModeRemote = 1018;
inline constexpr int kFlightModeStabilised = 1019;
inline constexpr int kFlightModeAuto = 1020;
inline constexpr int kTaskReturn = 1021;
inline constexpr int kTaskCircle = 1022;
inline constexpr int kTaskTakeOff = 1023;
inline constexpr int kTaskCancel = 1024;
inline constexpr int kGyroSelfTest = 1025;
inline constexpr int kAutoReturnOn = 1026;
inline constexpr int kAutoReturnOff = 1028; // shares the firmware-version handler
inline constexpr int kMixingModeList = 1040;

// Parameter edits.
inline constexpr int kTargetAltitude = 1038;
inline constexpr int kCirclingRadius = 1039;
inline constexpr int kPitchLevelCoef = 1041;
inline constexpr int kPitchStabilityContinue = 1042;
inline constexpr int kPitchStabilityCoef = 1043;
inline constexpr int kRollLevelCoef = 1044;
inline constexpr int kRollStabilityContinue = 1045;
inline constexpr int kRollStabilityCoef = 1046;
inline constexpr int kHeadingLockingCoef = 1048;
inline constexpr int kHeadingLockingContinue = 1049;
inline constexpr int kHeadingStabilityCoef = 1050;
inline constexpr int kAltitudeCompensation = 1052;
inline constexpr int kSpeedControl = 1053;
inline constexpr int kOtherThird = 1054; // disabled
inline constexpr int kXP = 1056;
inline constexpr int kXI = 1057;
inline constexpr int kXD = 1058;
inline constexpr int kYP = 1059;
inline constexpr int kYI = 1060;
inline constexpr int kYD = 1061;
inline constexpr int kHeightP = 1064;
inline constexpr int kHeightI = 1065;
inline constexpr int kHeightD = 1066;

// Resources.
inline constexpr int kParamDialogTemplate = 102;
inline constexpr int kAppIcon = 128;
inline constexpr int kBannerBitmap = 149;

} // namespace tq37r::id
