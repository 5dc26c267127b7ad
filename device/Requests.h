#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "protocol/TxFrame.h"

namespace tq37r {

// One row of three gains in the grid, each sent by its own Set button.
enum class GainGroup : std::uint8_t { Pitch, Roll, Heading, Other, X, Y, Height };

enum class FlightMode : std::uint8_t { Remote = 0, Stabilised = 1, Auto = 2 };
enum class Task : std::uint8_t { Return = 0, Circle = 1, TakeOff = 2, Cancel = 255 };

std::uint8_t gainGroupCode(GainGroup group);

// The byte sent for a mixing-mode list item (0..3), and the item a received byte selects.
std::uint8_t mixingModeByte(int item);
// -1 when the byte names no item.
int mixingModeItem(std::uint8_t modeByte);

// Each builder assembles one request in tx from offset 0 and returns its byte count (L + 2).
// Gains go out as their low 8 bits, altitude and radius as 16 bits high byte first.
namespace request {
// The controller takes the second gain read (0xEC) only this long after the first (0xEA).
inline constexpr std::chrono::milliseconds kReadPairGap{100};

std::size_t setGainGroup(TxFrame& tx, GainGroup group, std::int32_t first, std::int32_t second,
                         std::int32_t third);
std::size_t setTargetAltitude(TxFrame& tx, std::int32_t targetAltitude);
std::size_t setCirclingRadius(TxFrame& tx, std::int32_t circlingRadius);
std::size_t readFlightParams(TxFrame& tx);
std::size_t readMixingMode(TxFrame& tx);
std::size_t setMixingMode(TxFrame& tx, int item);
std::size_t saveConfiguration(TxFrame& tx);
std::size_t setFlightMode(TxFrame& tx, FlightMode mode);
std::size_t setTask(TxFrame& tx, Task task);
std::size_t gyroSelfTest(TxFrame& tx);
std::size_t autoReturnOn(TxFrame& tx);
// 92 00: the controller answers with its firmware version and an acknowledgement.
std::size_t firmwareVersion(TxFrame& tx);
std::size_t readGainBlock1(TxFrame& tx);
std::size_t readGainBlock2(TxFrame& tx);
} // namespace request

} // namespace tq37r
