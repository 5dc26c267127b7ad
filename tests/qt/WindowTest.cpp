// The Qt view with real widgets, offscreen: the layout built from the template, and that
// clicks and keys reach the dialog core (the watcher's posted notifications are the
// end-to-end suite's, which has a real watcher).
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "core/DialogTexts.h"
#include "qt/FlightSettingsWindow.h"
#include "qt/LineLogWindow.h"
#include "qt/ModalHooks.h"
#include "qt/ParamWindow.h"
#include "tests/support/Fakes.h"
#include "tests/support/FrameBytes.h"

namespace tq37r::test {
namespace {

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ModalHooks::setMessageBoxHook([this](const MessageBoxRequest& request) {
            boxes.push_back(request);
            return MessageBoxAnswer::Ok;
        });
        window.core().session().skipFirstOpenRead(); // no real 800 ms of pauses
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { ModalHooks::setMessageBoxHook({}); }

    QLineEdit* edit(int controlId) const { return window.edit(controlId); }

    FakePort port;
    ParamWindow window{port, [this] { return port.sibling(); }};
    std::vector<MessageBoxRequest> boxes;
};

TEST_F(Window, EveryTemplateControlStandsWhereTheTemplateSaysInTheTemplatesShape) {
    const DialogTemplate& tmpl = paramDialogTemplate();
    ASSERT_EQ(window.controls().size(), tmpl.controls.size());
    const DialogBaseUnits units = window.baseUnits();
    for (std::size_t i = 0; i < tmpl.controls.size(); ++i) {
        const ControlTemplate& control = tmpl.controls[i];
        QWidget* widget = window.controls()[i];
        EXPECT_EQ(widget->isVisible(), (control.styles & style::kHidden) == 0) << control.id;
        EXPECT_EQ(widget->isEnabled(), (control.styles & style::kDisabled) == 0) << control.id;
        const PixelRect want = units.toPixels(control.x, control.y, control.width, control.height);
        EXPECT_EQ(widget->pos(), QPoint(want.x, want.y)) << "control #" << i + 1;
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap() && label->isVisible()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "a wrapped label cut short";
        }
    }
    // The template's own font (SimSun 9 pt: base units 6 x 12) makes 393 x 340 units 590 x 510 px;
    // whatever font this machine has, the window keeps that shape.
    // The template's area, below the menu bar: the bar only adds to the window's height.
    const QWidget* area = window.templateArea();
    const double aspect = static_cast<double>(area->width()) / area->height();
    EXPECT_EQ(window.height(), area->height() + window.findChild<QMenuBar*>()->height());
    EXPECT_NEAR(aspect / ((393.0 * 6 / 4) / (340.0 * 12 / 8)), 1.0, 0.05);
    const QFontMetrics metrics(window.font());
    for (const QChar c : QStringLiteral("遥控增稳自动返航盘旋起飞取消！：")) {
        EXPECT_TRUE(metrics.inFont(c))
            << "the dialog font lacks U+" << std::hex << static_cast<int>(c.unicode());
    }
    EXPECT_EQ(edit(id::kPitchLevelCoef)->text(), "0");
    EXPECT_EQ(window.button(id::kFlightModeRemote)->text(), QString::fromUtf8("遥控ON"));
}

TEST_F(Window, TabOrderIsTemplateOrderAndFramesLetClicksThrough) {
    std::vector<QWidget*> tabStops;
    const DialogTemplate& tmpl = paramDialogTemplate();
    for (std::size_t i = 0; i < tmpl.controls.size(); ++i) {
        if ((tmpl.controls[i].styles & style::kTabStop) != 0) {
            tabStops.push_back(window.controls()[i]);
        }
    }
    for (std::size_t i = 1; i < tabStops.size(); ++i) {
        QWidget* next = tabStops[i - 1]->nextInFocusChain();
        while (std::find(tabStops.begin(), tabStops.end(), next) == tabStops.end()) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, tabStops[i]) << "after tab stop " << i - 1;
    }
    QLineEdit* pitchLevel = edit(id::kPitchLevelCoef);
    QTest::mouseClick(window.childAt(pitchLevel->mapTo(&window, pitchLevel->rect().center())),
                      Qt::LeftButton);
    EXPECT_TRUE(pitchLevel->hasFocus());
}

TEST_F(Window, ClicksAndEnterReachTheCore) {
    QTest::keyClick(edit(id::kXP), Qt::Key_Return); // Enter in an edit acts on Open
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(window.button(id::kOpenClose)->text(), "Close");

    QTest::keyClicks(edit(id::kPitchLevelCoef), "5");
    QTest::mouseClick(window.button(id::kSetPitch), Qt::LeftButton);
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0][4], 5); // "05" as typed after the "0"

    window.combo(id::kPortList)->setCurrentIndex(1);
    QTest::mouseClick(window.button(id::kOpenClose), Qt::LeftButton);
    QTest::mouseClick(window.button(id::kOpenClose), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "COM2");
}

TEST_F(Window, TypingTintsTheGainAndADroppedGainFileFillsTheGrid) {
    const QColor untinted = edit(id::kYI)->palette().color(QPalette::Base);
    const QString before = edit(id::kYI)->text();
    QTest::keyClicks(edit(id::kYI), "3");
    EXPECT_NE(edit(id::kYI)->palette().color(QPalette::Base), untinted) << "changed here, not sent";
    const QString typed = edit(id::kYI)->text();
    // The grid's undo, not the edit's own: the same keys in any edit.
    QTest::keyClick(edit(id::kXP), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit(id::kYI)->text(), before);
    QTest::keyClick(edit(id::kYI), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit(id::kYI)->text(), typed);

    const auto path =
        std::filesystem::temp_directory_path() / ("tq37r-drop-" + std::to_string(::getpid()) + ".gains");
    std::ofstream(path) << "y.i = 42\n";
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    const QPointF centre(window.width() / 2.0, window.height() / 2.0);
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(edit(id::kYI)->text(), "42");
    std::filesystem::remove(path);
}

TEST_F(Window, EnterInTheListsTypedTextActsOnOpenAndEscapeEndsTheRun) {
    QLineEdit* typed = window.combo(id::kPortList)->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "COM2"); // a listed name, typed: selects nothing, as a click would see it
    QTest::keyClick(typed, Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "open fail");
    EXPECT_TRUE(window.isVisible());

    QTest::keyClick(&window, Qt::Key_Escape); // nothing was changed: no question
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(Window, FindControllerShowsWhereItAnsweredInTheLists) {
    port.present = {"COM3"};
    port.siblingPeer = [](FakePort& line, const Bytes& request) {
        if (line.openedWith.baudRate == 57600 && request[3] == 0xEA) {
            const Bytes answer = makeFrame(0xEB, Bytes(18, 1));
            line.input.insert(line.input.end(), answer.begin(), answer.end());
        }
    };
    window.core().onMenuCommand(MenuCommand::FindController); // the progress box runs the search
    EXPECT_EQ(window.combo(id::kPortList)->currentText(), "COM3");
    EXPECT_EQ(window.combo(id::kBaudList)->currentText(), "57600");
    EXPECT_EQ(edit(id::kStatusLine)->text(), "Controller found on COM3 at 57600.");
    EXPECT_FALSE(port.isOpen());
}

TEST_F(Window, TheLineLogWindowShowsARequestLiveAndSavesIt) {
    window.core().onMenuCommand(MenuCommand::LineLog);
    LineLogWindow* log = window.lineLogWindow();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(window.screen()->availableGeometry().contains(log->geometry()))
        << "whole on the dialog's screen";
    QTest::mouseClick(window.button(id::kOpenClose), Qt::LeftButton);
    QTest::mouseClick(window.button(id::kRead), Qt::LeftButton);
    const auto shown = [log] {
        QString text;
        const QAbstractItemModel* rows = log->lines()->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            text += rows->data(rows->index(row, 0)).toString() + "\n";
        }
        return text;
    };
    QTRY_VERIFY(shown().contains("-> A5 5A 04 EA EE AA  read gains, first block"));
    QTRY_VERIFY(shown().contains("read gains, second block")); // after the pause

    const auto path =
        std::filesystem::temp_directory_path() / ("tq37r-log-" + std::to_string(::getpid()) + ".txt");
    const auto previous =
        ModalHooks::setFileDialogHook([&path](bool) { return QString::fromStdString(path.string()); });
    for (QPushButton* button : log->findChildren<QPushButton*>()) {
        if (button->text() == QString::fromUtf8(text::kLineLogSave.data())) {
            button->click();
        }
    }
    ModalHooks::setFileDialogHook(previous);
    std::ifstream saved(path);
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_TRUE(text.starts_with("Sent 2, received 0")) << text;
    EXPECT_NE(text.find("read gains, second block"), std::string::npos) << text;
    std::filesystem::remove(path);
    log->close();
    EXPECT_TRUE(window.isVisible()) << "closing the log loses nothing of the dialog";
    QTRY_VERIFY(window.lineLogWindow() == nullptr); // and frees the window
}

// The log window's rows are the ring's: as many, the newest last, and none kept once cleared.
TEST(LineLogModel, ShowsTheRingAsItIsWithoutCopyingIt) {
    LineLog log;
    LineLogModel model(log, nullptr);
    const std::uint8_t read[] = {0xA5, 0x5A, 0x04, 0xEA, 0xEE, 0xAA};
    const std::uint8_t save[] = {0xA5, 0x5A, 0x04, 0x86, 0x8A, 0xAA};
    for (std::size_t i = 0; i < LineLog::kCapacity + 5; ++i) {
        log.sent(read, {});
    }
    model.sync();
    const int capacity = static_cast<int>(LineLog::kCapacity);
    ASSERT_EQ(model.rowCount({}), capacity);
    log.sent(save, {});
    model.sync();
    EXPECT_EQ(model.rowCount({}), capacity) << "one dropped at the start, one made at the end";
    EXPECT_TRUE(model.data(model.index(capacity - 1), Qt::DisplayRole).toString().contains("save to flash"));
    EXPECT_TRUE(model.data(model.index(0), Qt::DisplayRole).toString().contains("read gains"));
    log.clear();
    model.sync();
    EXPECT_EQ(model.rowCount({}), 0);
}

// The menu bar reaches what the background menu does, and the Flight settings window sends the
// hidden controls' requests, asking before it flies the aircraft.
TEST_F(Window, TheMenuBarAndFlightSettingsReachEveryCommand) {
    QStringList menus;
    for (QAction* menu : window.findChild<QMenuBar*>()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Controller", "&Help"}));
    int asked = 0;
    const auto previous = ModalHooks::setFileDialogHook([&asked](bool) { return ++asked, QString(); });
    for (QAction* item : window.findChild<QMenuBar*>()->actions().front()->menu()->actions()) {
        if (item->text() == QString::fromUtf8("Compare with file…")) {
            item->trigger();
        }
    }
    ModalHooks::setFileDialogHook(previous);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(edit(id::kPitchLevelCoef)->accessibleName(), "Pitch Control, Level Coefficient");

    QTest::mouseClick(window.button(id::kOpenClose), Qt::LeftButton);
    window.core().onMenuCommand(MenuCommand::FlightSettings);
    FlightSettingsWindow* flight = window.flightSettingsWindow();
    ASSERT_NE(flight, nullptr);
    flight->radius()->setText("120");
    for (QPushButton* button : flight->findChildren<QPushButton*>()) {
        if (button->accessibleName() == "Set circling radius") {
            button->click();
        }
    }
    ModalHooks::setMessageBoxHook([](const MessageBoxRequest&) { return MessageBoxAnswer::Cancel; });
    flight->button(id::kTaskCircle)->click();
    ASSERT_EQ(port.written.size(), 1u) << "the task answered No sent nothing";
    EXPECT_EQ(port.written[0], makeFrame(0xB2, {0x00, 0x78}));
    EXPECT_EQ(flight->button(id::kTaskCancel)->text(), QString::fromUtf8("取消OFF"));
}

} // namespace
} // namespace tq37r::test
