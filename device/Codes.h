#pragma once

#include <cstdint>

namespace tq37r::code {

// Requests
inline constexpr std::uint8_t kGyroSelfTest = 0x80;
inline constexpr std::uint8_t kSaveConfiguration = 0x86;
inline constexpr std::uint8_t kAutoReturn = 0x92; // payload 01 = on; 00 also asks for the firmware version
inline constexpr std::uint8_t kSetTargetAltitude = 0xB1;
inline constexpr std::uint8_t kSetCirclingRadius = 0xB2;
inline constexpr std::uint8_t kReadFlightParams = 0xBA;
inline constexpr std::uint8_t kSetMixingMode = 0xD1;
inline constexpr std::uint8_t kSetFlightMode = 0xD2;
inline constexpr std::uint8_t kSetTask = 0xD4;
inline constexpr std::uint8_t kReadMixingMode = 0xDC;
// The gain rows' Set codes are in device/GainTable.h.
inline constexpr std::uint8_t kReadGainBlock1 = 0xEA;
inline constexpr std::uint8_t kReadGainBlock2 = 0xEC;

// Replies
inline constexpr std::uint8_t kGyroResult = 0x81;
inline constexpr std::uint8_t kFirmwareVersion = 0x93;
inline constexpr std::uint8_t kFlightParams = 0xBB;
inline constexpr std::uint8_t kMixingMode = 0xDD;
inline constexpr std::uint8_t kGainBlock1 = 0xEB;
inline constexpr std::uint8_t kGainBlock2 = 0xED;
inline constexpr std::uint8_t kStateReport = 0xF1;
inline constexpr std::uint8_t kUnsolicitedF2 = 0xF2;
inline constexpr std::uint8_t kUnsolicitedF3 = 0xF3;
inline constexpr std::uint8_t kAcknowledgement = 0xFA;

} // namespace tq37r::code
