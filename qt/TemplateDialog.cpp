#include "qt/TemplateDialog.h"
#include "qt/Utf8.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <charconv>

#include "qt/DialogFont.h"
#include "qt/WrappingPushButton.h"
#include "res/qt/Resources.h"

namespace tq37r {
namespace {

bool has(const ControlTemplate& control, std::uint32_t styleBit) {
    return (control.styles & styleBit) != 0;
}

QPixmap pictureResource(std::string_view name) {
    int resourceId = 0;
    std::from_chars(name.data(), name.data() + name.size(), resourceId);
    if (resourceId != id::kBannerBitmap) {
        return {};
    }
    initResources();
    return QPixmap(QString::fromLatin1(kBannerPath));
}

} // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(fromUtf8(dialogTemplate.title));
    setFont(dialogFont(dialogTemplate.fontFace, dialogTemplate.fontPointSize));
    baseUnits_ = DialogBaseUnits::of(font());
    area_ = new QWidget(this);
    area_->setGeometry(0, 0, baseUnits_.toPixelsX(dialogTemplate.width),
                       baseUnits_.toPixelsY(dialogTemplate.height));
    setFixedSize(area_->size());

    controls_.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = createControl(control);
        controls_.push_back(widget);
        if (control.id != id::kNoId) {
            byId_.emplace(control.id, widget);
        }
    }
    fillCombos(dialogTemplate);
    chainTabOrder(dialogTemplate);
}

void TemplateDialog::setMenuBar(QMenuBar* bar) {
    // Above the template's area, which keeps its controls where they were: the window grows.
    bar->setParent(this);
    const int height = bar->sizeHint().height();
    bar->setGeometry(0, 0, area_->width(), height);
    area_->move(0, height);
    setFixedSize(area_->width(), area_->height() + height);
}

QWidget* TemplateDialog::createControl(const ControlTemplate& control) {
    const QString caption = fromUtf8(control.caption);
    PixelRect rect = baseUnits_.toPixels(control.x, control.y, control.width, control.height);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        auto* button = has(control, style::kMultilineCaption) ? new WrappingPushButton(caption, area_)
                                                              : new QPushButton(caption, area_);
        if (control.kind == ControlKind::DefaultPushButton) {
            button->setDefault(true);
            defaultButton_ = button;
        }
        if (control.id != id::kNoId) {
            connect(button, &QPushButton::clicked, this, [this, id = control.id] { onCommand(id); });
        }
        widget = button;
        break;
    }
    case ControlKind::Edit:
        if (has(control, style::kMultiline)) {
            widget = new QPlainTextEdit(area_);
        } else {
            auto* edit = new QLineEdit(area_);
            edit->setFrame(has(control, style::kBorder));
            widget = edit;
        }
        break;
    case ControlKind::ComboBox:
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(area_);
        combo->setEditable(control.kind == ControlKind::ComboBox);
        // Typed text stays typed text; it never becomes a list entry.
        combo->setInsertPolicy(QComboBox::NoInsert);
        if (combo->isEditable()) {
            combo->lineEdit()->installEventFilter(this);
        }
        // The template's height includes the dropped-down list; the closed box is one line high.
        rect.height = combo->sizeHint().height();
        widget = combo;
        break;
    }
    case ControlKind::GroupBox:
        widget = new QGroupBox(caption, area_);
        break;
    case ControlKind::StaticText: {
        auto* label = new QLabel(area_);
        const int lineHeight = QFontMetrics(font()).height();
        if (lineHeight > baseUnits_.y) {
            // A fallback font with a taller line than its em would not fit two wrapped lines
            // into a label sized for the template's font: its lines are set em apart instead.
            label->setTextFormat(Qt::RichText);
            label->setText(QStringLiteral("<p style=\"white-space:pre-wrap; line-height:%1%\">%2</p>")
                               .arg(baseUnits_.y * 100 / lineHeight)
                               .arg(caption.toHtmlEscaped()));
            // The last line's descenders hang below the lines' pitch; the label keeps its place
            // and lets them show rather than cutting "Compensation" to "Comoensation".
            rect.height += lineHeight - baseUnits_.y;
        } else {
            label->setText(caption);
        }
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::Picture: {
        auto* label = new QLabel(area_);
        const QPixmap picture = pictureResource(control.caption);
        if (!picture.isNull()) {
            label->setPixmap(picture);
            // A bitmap picture control takes the size of its bitmap.
            rect.width = picture.width();
            rect.height = picture.height();
        }
        widget = label;
        break;
    }
    }
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    widget->setEnabled(!has(control, style::kDisabled));
    if (has(control, style::kHidden)) {
        widget->hide();
    }
    const bool decoration = control.kind == ControlKind::GroupBox ||
                            control.kind == ControlKind::StaticText || control.kind == ControlKind::Picture;
    if (decoration) {
        // Frames and labels overlap the controls they describe; clicks must reach those controls.
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget->setFocusPolicy(Qt::NoFocus);
        if (control.kind == ControlKind::GroupBox) {
            widget->lower();
        }
    } else if (!has(control, style::kTabStop)) {
        widget->setFocusPolicy(Qt::ClickFocus);
    }
    return widget;
}

void TemplateDialog::fillCombos(const DialogTemplate& dialogTemplate) {
    for (const ComboInit& init : dialogTemplate.comboInits) {
        QComboBox* box = combo(init.id);
        if (box == nullptr) {
            continue;
        }
        for (std::string_view item : init.items) {
            box->addItem(fromUtf8(item));
        }
        for (const ControlTemplate& control : dialogTemplate.controls) {
            if (control.id == init.id && has(control, style::kSorted)) {
                box->model()->sort(0);
            }
        }
    }
}

void TemplateDialog::chainTabOrder(const DialogTemplate& dialogTemplate) {
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (!has(dialogTemplate.controls[i], style::kTabStop)) {
            continue;
        }
        if (previous != nullptr) {
            setTabOrder(previous, controls_[i]);
        } else {
            // The first tab stop takes the focus when the dialog opens.
            controls_[i]->setFocus(Qt::OtherFocusReason);
        }
        previous = controls_[i];
    }
}

QWidget* TemplateDialog::dlgItem(int id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

QPushButton* TemplateDialog::button(int id) const {
    return qobject_cast<QPushButton*>(dlgItem(id));
}
QLineEdit* TemplateDialog::edit(int id) const {
    return qobject_cast<QLineEdit*>(dlgItem(id));
}
QComboBox* TemplateDialog::combo(int id) const {
    return qobject_cast<QComboBox*>(dlgItem(id));
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Left to the combo box, Enter would select a list entry matching the typed
            // text first; typed text must leave the list without a selection.
            if (defaultButton_ != nullptr) {
                defaultButton_->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

int comboSelection(const QComboBox& combo) {
    const int index = combo.currentIndex();
    if (index < 0 || !combo.isEditable()) {
        return index;
    }
    return combo.currentText() == combo.itemText(index) ? index : -1;
}

} // namespace tq37r
