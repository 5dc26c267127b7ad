#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "device/Requests.h"
#include "sim/ControllerSettings.h"
#include "sim/FlashFile.h"

namespace tq37r::sim {

using WireFrame = std::vector<std::uint8_t>;

struct FirmwareInfo {
    std::uint8_t model = 37;
    std::uint8_t versionHundredths = 120; // 1.20
};

// Signed tenths of a degree per second, as the 0x81 reply carries them.
struct GyroReading {
    std::int8_t x = 0, y = 0, z = 0;
};

// The TQ-37R as seen from the serial line: working settings, a flash image,
// the current flight mode and task. Takes checked request frames and gives
// the frames the controller answers with.
class SimController {
public:
    static constexpr auto kTaskCancel = static_cast<std::uint8_t>(Task::Cancel);

    // Starts from the flash file's image when the file exists, else from the
    // defaults; throws std::runtime_error for a damaged file.
    SimController(std::optional<FlashFile> flash, FirmwareInfo firmware, std::uint32_t seed);

    // Appends the answers to one request, in the order they go out. Unknown
    // codes and requests too short for their code get no answer.
    void handleRequest(std::span<const std::uint8_t> frameBytes, std::vector<WireFrame>& replies);

    // From now on the gyro self-test reports a failure.
    void failGyroSelfTest() { gyroFails_ = true; }

    WireFrame stateReport() const;
    // Telemetry the controller sends on its own; the tool shows nothing for it.
    WireFrame telemetryF2();
    WireFrame telemetryF3();

    const ControllerSettings& working() const { return working_; }
    const ControllerSettings& flash() const { return flashImage_; }
    std::uint8_t flightMode() const { return flightMode_; }
    std::uint8_t task() const { return task_; }
    const FirmwareInfo& firmware() const { return firmware_; }
    const GyroReading& lastGyro() const { return lastGyro_; }

private:
    void answerGyro(std::vector<WireFrame>& replies);
    bool applySetting(std::uint8_t code, std::span<const std::uint8_t> payload);
    bool save();

    std::optional<FlashFile> flashFile_;
    ControllerSettings flashImage_;
    ControllerSettings working_;
    FirmwareInfo firmware_;
    std::uint8_t flightMode_ = 0;
    std::uint8_t task_ = kTaskCancel;
    GyroReading lastGyro_;
    bool gyroFails_ = false;
    std::mt19937 random_;
};

} // namespace tq37r::sim
