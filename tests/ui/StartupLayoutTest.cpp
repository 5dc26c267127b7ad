// The window as it comes up: selections, fields, captions, template geometry, font, tab order.
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

#include "DialogFixture.h"
#include "res/DialogTemplate.h"
#include "ui/ParamBindings.h"

namespace tq37r::test {
namespace {

using StartupLayout = DialogFixture;

TEST_F(StartupLayout, StartsOnCom1At19200WithZeroFieldsAndDefaultIndicators) {
    EXPECT_EQ(combo(1031)->currentText(), "COM1");
    EXPECT_EQ(combo(1031)->count(), 9);
    EXPECT_EQ(combo(1032)->currentText(), "19200");
    EXPECT_EQ(combo(1040)->currentIndex(), 0);
    EXPECT_EQ(combo(1040)->currentText(), "1.未混控，副翼导航");
    for (const IntegerBinding& binding : kIntegerTransferOrder) {
        EXPECT_EQ(text(binding.editId), "0") << "edit " << binding.editId;
    }
    EXPECT_EQ(statusText(), "");
    EXPECT_EQ(button(1)->text(), "Open");
    EXPECT_TRUE(button(1)->isDefault());

    const char* captions[][2] = {{"1018", "遥控ON"}, {"1019", "增稳OFF"}, {"1020", "自动OFF"},
                                 {"1021", "返航ON"}, {"1022", "盘旋OFF"}, {"1023", "起飞OFF"},
                                 {"1024", "取消OFF"}};
    for (const auto& [id, caption] : captions) {
        EXPECT_EQ(button(std::atoi(id))->text(), QString::fromUtf8(caption)) << id;
    }
    EXPECT_FALSE(state.portOpen);
    EXPECT_TRUE(state.firstOpenRead);
    EXPECT_EQ(dialog->windowTitle(), "TQ-37R Parameters Setting");
    EXPECT_EQ(dialog->focusWidget(), button(1)) << "the first tab stop takes the focus";
}

TEST_F(StartupLayout, EveryTemplateControlExistsWithItsVisibilityStateAndGeometry) {
    const DialogTemplate& tmpl = paramDialogTemplate();
    ASSERT_EQ(dialog->controls().size(), tmpl.controls.size());
    const DialogBaseUnits units = dialog->baseUnits();
    EXPECT_EQ(dialog->size(), QSize(mulDiv(tmpl.width, units.x, 4), mulDiv(tmpl.height, units.y, 8)));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed size";
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);

    int visible = 0;
    for (std::size_t i = 0; i < tmpl.controls.size(); ++i) {
        const ControlTemplate& control = tmpl.controls[i];
        QWidget* widget = dialog->controls()[i];
        const bool hidden = (control.styles & style::kHidden) != 0;
        EXPECT_EQ(widget->isVisible(), !hidden) << "control #" << i + 1 << " id " << control.id;
        visible += widget->isVisible() ? 1 : 0;
        EXPECT_EQ(widget->isEnabled(), (control.styles & style::kDisabled) == 0) << "id " << control.id;
        if (control.id != kNoId) {
            EXPECT_EQ(dialog->dlgItem(control.id), widget);
        }
        const PixelRect want = units.toPixels(control.x, control.y, control.width, control.height);
        EXPECT_EQ(widget->pos(), QPoint(want.x, want.y)) << "id " << control.id << " #" << i + 1;
        if (control.kind != ControlKind::ComboBox && control.kind != ControlKind::DropDownList &&
            control.kind != ControlKind::Picture) {
            EXPECT_EQ(widget->size(), QSize(want.width, want.height)) << "id " << control.id;
        }
    }
    EXPECT_EQ(visible, 68);
    EXPECT_FALSE(button(2)->isVisible()) << "the cancel button stays hidden";
    EXPECT_FALSE(edit(1054)->isEnabled());
}

TEST_F(StartupLayout, FontRendersChineseAndBaseUnitsFollowItsMetrics) {
    const QFont font = dialog->font();
    const QFontMetrics metrics(font);
    for (const QString& sample : {QStringLiteral("遥控增稳自动返航盘旋起飞取消"), QStringLiteral("！："),
                                  QStringLiteral("飞行参数设定")}) {
        for (const QChar c : sample) {
            EXPECT_TRUE(metrics.inFont(c)) << QFontInfo(font).family().toStdString() << " lacks U+"
                                           << std::hex << static_cast<int>(c.unicode());
        }
    }
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(dialog->baseUnits().x, (letters / 26 + 1) / 2);
    EXPECT_EQ(dialog->baseUnits().y, std::min(metrics.height(), QFontInfo(font).pixelSize()));
    // The template's own font (SimSun 9 pt: base units 6 x 12) makes 393 x 340 units 590 x 510 px;
    // any font must keep that shape.
    const double aspect = static_cast<double>(dialog->width()) / dialog->height();
    EXPECT_NEAR(aspect / ((393.0 * 6 / 4) / (340.0 * 12 / 8)), 1.0, 0.05);
    std::printf("dialog font %s, base units %d x %d, window %d x %d px\n",
                QFontInfo(font).family().toStdString().c_str(), dialog->baseUnits().x, dialog->baseUnits().y,
                dialog->width(), dialog->height());
}

TEST_F(StartupLayout, TabOrderIsTemplateOrderOverTheTabStops) {
    const DialogTemplate& tmpl = paramDialogTemplate();
    std::vector<QWidget*> expected;
    for (std::size_t i = 0; i < tmpl.controls.size(); ++i) {
        if (tmpl.controls[i].styles & style::kTabStop) {
            expected.push_back(dialog->controls()[i]);
        }
    }
    std::vector<QWidget*> chain;
    QWidget* current = expected.front();
    do {
        if (std::find(expected.begin(), expected.end(), current) != expected.end()) {
            chain.push_back(current);
        }
        current = current->nextInFocusChain();
    } while (current != expected.front() && chain.size() <= expected.size());
    EXPECT_EQ(chain, expected);
}

TEST_F(StartupLayout, OverlappingFramesAndLabelsLetClicksThroughToTheEdits) {
    // The big frame and the row frames are above the edits in template order.
    QLineEdit* pitchLevel = edit(1041);
    const QPoint centre = pitchLevel->mapTo(dialog.get(), pitchLevel->rect().center());
    EXPECT_EQ(dialog->childAt(centre), pitchLevel);
    QTest::mouseClick(dialog->childAt(centre), Qt::LeftButton);
    EXPECT_TRUE(pitchLevel->hasFocus() || dialog->focusWidget() == pitchLevel);
}

} // namespace
} // namespace tq37r::test
