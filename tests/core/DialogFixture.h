#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>

#include "core/ParamDialog.h"
#include "res/ControlIds.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {

using namespace std::chrono_literals;

// The dialog core against a fake window, a fake clock and a fake port: no toolkit, no pty, no waiting.
class DialogFixture : public ::testing::Test {
protected:
    DialogFixture() {
        port.clock = &clock;
        dialog.OnInitDialog();
    }

    void click(int controlId) { dialog.onCommand(controlId); }
    // Opens COM1 as if the gains had been read already, so only what a test sends goes out.
    void openQuietly() {
        dialog.session().skipFirstOpenRead();
        click(id::kOpenClose);
        ASSERT_TRUE(port.isOpen());
    }
    // The operator types into an edit, as a window tells the core.
    void type(int editId, std::string text) {
        view.type(editId, std::move(text));
        dialog.onEditChanged(editId);
    }
    // The controller's bytes arrive and the watcher's notification is handled.
    void reply(const Bytes& bytes) {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        dialog.onSerialRx(port.sinkTag);
    }
    std::string status() const { return view.text(id::kStatusLine); }
    void tick(std::chrono::milliseconds duration) {
        clock.advance(duration, [this](int timerId) { dialog.OnTimer(timerId); });
    }
    // The request codes written so far, in order; forgets them.
    std::vector<std::uint8_t> takeSentCodes() {
        std::vector<std::uint8_t> codes;
        for (const auto& sent : port.written) {
            codes.push_back(sent[3]);
        }
        port.written.clear();
        port.writtenAt.clear();
        return codes;
    }

    // A tuning history of this test's own, empty at its start.
    static std::filesystem::path emptyFolder() {
        const auto folder =
            std::filesystem::temp_directory_path() / ("tq37r-data-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        return folder;
    }

    FakeView view;
    FakeClock clock;
    FakePort port;
    FakeSink sink;
    const std::filesystem::path dataFolder = emptyFolder();
    ParamDialog dialog{view, clock, port, sink, [this] { return port.sibling(); }, dataFolder};
};

} // namespace tq37r::test
