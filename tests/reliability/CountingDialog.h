#pragma once

#include <QEvent>

#include <array>
#include <cstdint>
#include <span>

#include "protocol/Frame.h"
#include "protocol/FrameIo.h"
#include "ui/MessageMap.h"
#include "ui/ParamDialog.h"
#include "ui/ParamProcessState.h"

namespace tq37r::test {

// The real dialog, with every frame it decodes also counted by reply code. It drains
// the port exactly as the dialog's own handler does, with a counting step in front of
// the dialog's decoder.
class CountingDialog : public ParamDialog {
public:
    explicit CountingDialog(ParamProcessState& state) : ParamDialog(state), state_(state) {}

    std::uint64_t decoded(std::uint8_t code) const { return decoded_[code]; }
    std::uint64_t decoded() const {
        std::uint64_t total = 0;
        for (std::uint64_t n : decoded_) {
            total += n;
        }
        return total;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == wm::kSerialRx && port.isOpen()) {
            auto handler = [this](std::span<const std::uint8_t> frameBytes) {
                ++decoded_[frameBytes[frame::kCodeOffset]];
                decodeFrame(frameBytes);
            };
            drainPort(port, state_.receiver, handler);
            return true;
        }
        return ParamDialog::event(e);
    }

private:
    ParamProcessState& state_;
    std::array<std::uint64_t, 256> decoded_{};
};

} // namespace tq37r::test
