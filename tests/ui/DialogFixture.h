#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PtyPeer.h"
#include "protocol/FrameReceiver.h"
#include "protocol/TxFrame.h"
#include "tests/support/SuitePortDir.h"
#include "ui/ModalHooks.h"
#include "ui/ParamDialog.h"

namespace tq37r::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

using suite::portDir;

// A real dialog, shown offscreen, with its own process state, and a pty linked as COM1.
// Message boxes are recorded instead of shown.
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        peer = std::make_unique<PtyPeer>();
        peer->linkAs(portDir(), "COM1");
        ModalHooks::setMessageBoxHook([this](const MessageBoxRequest& request) { boxes.push_back(request); });
        dialog = std::make_unique<ParamDialog>(state);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void TearDown() override {
        dialog.reset();
        ModalHooks::setMessageBoxHook({});
        std::filesystem::remove(portDir() / "COM1");
    }

    QPushButton* button(int id) const { return dialog->button(id); }
    QLineEdit* edit(int id) const { return dialog->edit(id); }
    QComboBox* combo(int id) const { return dialog->combo(id); }
    QString text(int id) const { return edit(id)->text(); }
    QString statusText() const { return text(1027); }

    void click(int id) {
        QPushButton* target = button(id);
        if (target->isVisible()) {
            QTest::mouseClick(target, Qt::LeftButton);
        } else {
            target->click(); // hidden controls cannot be clicked with the mouse
        }
    }

    void typeInto(int id, const QString& typed) {
        QLineEdit* target = edit(id);
        if (!target->isVisible()) {
            target->setText(typed); // the operator cannot reach a hidden edit; tests still fill it
            return;
        }
        target->clear();
        QTest::keyClicks(target, typed);
    }

    // Opens COM1 without the first-open read, so the peer sees only what a test sends.
    void openPort() {
        state.firstOpenRead = false;
        click(1);
        ASSERT_EQ(button(1)->text(), "Close");
    }

    // What the dialog wrote, waiting for at least count bytes.
    Bytes written(std::size_t count) { return peer->take(count, 2s); }
    // What the dialog wrote within a short while; for checking that nothing was.
    Bytes writtenSoon() { return peer->take(SIZE_MAX, 300ms); }

    // The controller answers; the watcher's notification is handled by the event loop.
    void reply(const Bytes& frame) { peer->write(frame); }
    bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

    TxFrame tx;
    FrameReceiver receiver;
    ParamProcessState state{tx, receiver};
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<ParamDialog> dialog;
    std::vector<MessageBoxRequest> boxes;
};

} // namespace tq37r::test
