// SPDX-License-Identifier: GPL-3.0-or-later
// Control values of the run-time layer.

#include "platform/system.h"
#include "ui/runtime.h"
#include "ui/runtime_internal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace ui {

using namespace detail;

// ---- Values ----------------------------------------------------------------------------

namespace {

int setNumber(ControlRec *c, double value)
{
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    switch (c->kind) {
    case Kind::Numeric: {
        auto *spin = static_cast<QDoubleSpinBox *>(c->widget.data());
        c->numericValue = std::clamp(value, spin->minimum(), spin->maximum());
        spin->setValue(c->numericValue);
        return 0;
    }
    case Kind::Slider: {
        auto *slider = c->widget->findChild<QSlider *>();
        const double lowest = slider->minimum() / c->sliderScale, highest = slider->maximum() / c->sliderScale;
        // Like a numeric field the slider keeps the exact value it is given (a limit
        // such as 0.75 ms), while its position shows it rounded to its steps.
        c->numericValue = std::clamp(value, lowest, highest);
        slider->setValue(static_cast<int>(std::lround(c->numericValue * c->sliderScale)));
        return 0;
    }
    case Kind::Ring: {
        auto *box = static_cast<QComboBox *>(c->widget.data());
        const int wanted = static_cast<int>(value);
        int index = box->findData(wanted);
        if (index < 0) {
            // A ring shows whatever value it is given (a sensor may hold a value the
            // list does not offer); reading it back must not change the value.
            index = 0;
            while (index < box->count() && box->itemData(index).toInt() < wanted)
                ++index;
            QString label = QString::number(wanted);
            if (const ControlDef *def = FindControlDef(c->id))
                for (const ListItem &item : def->items)
                    if (item.value == wanted)
                        label = QString::fromLatin1(item.label.c_str());
            box->insertItem(index, label, wanted);
            c->itemValues.insert(c->itemValues.begin() + index, wanted);
        }
        box->setCurrentIndex(index);
        return 0;
    }
    case Kind::Toggle:
    case Kind::BinarySwitch:
    case Kind::Radio:
    case Kind::CheckBox:
        static_cast<QAbstractButton *>(c->widget.data())->setChecked(value != 0.0);
        UpdateSwitchText(*c);
        // A button holds its own refresh back while its click is delivered; a loop run
        // from that click must still see the change painted.
        c->widget->update();
        return 0;
    case Kind::ProgressBar: {
        auto *bar = static_cast<QProgressBar *>(c->widget.data());
        bar->setValue(std::clamp(static_cast<int>(value), bar->minimum(), bar->maximum()));
        return 0;
    }
    case Kind::Led:
        c->ledOn = value != 0.0;
        ApplyStyle(*c);
        return 0;
    case Kind::Tab:
        static_cast<QTabWidget *>(c->widget.data())->setCurrentIndex(static_cast<int>(value));
        return 0;
    default:
        return -1;
    }
}

double getNumber(ControlRec *c, bool *ok)
{
    *ok = true;
    switch (c->kind) {
    case Kind::Numeric:
        return c->numericValue;
    case Kind::Slider: {
        const int position = c->widget->findChild<QSlider *>()->value();
        // Moved since the value was set: the position is the value.
        if (position != std::lround(c->numericValue * c->sliderScale))
            return position / c->sliderScale;
        return c->numericValue;
    }
    case Kind::Ring: {
        auto *box = static_cast<QComboBox *>(c->widget.data());
        return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
    }
    case Kind::Toggle:
    case Kind::BinarySwitch:
    case Kind::Radio:
    case Kind::CheckBox:
        return static_cast<QAbstractButton *>(c->widget.data())->isChecked() ? 1 : 0;
    case Kind::ProgressBar:
        return static_cast<QProgressBar *>(c->widget.data())->value();
    case Kind::Led:
        return c->ledOn ? 1 : 0;
    case Kind::Tab:
        return static_cast<QTabWidget *>(c->widget.data())->currentIndex();
    default:
        *ok = false;
        return 0;
    }
}

} // namespace

int SetCtrlVal(int panel, int control, int value) { return setNumber(FindControl(panel, control), value); }
int SetCtrlVal(int panel, int control, double value) { return setNumber(FindControl(panel, control), value); }

namespace {

// Text controls show what they are given; the Latin-1 and UTF-8 forms differ only in
// how the bytes are read.
int setText(int panel, int control, const QString &text, const char *raw)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    switch (c->kind) {
    case Kind::TextMessage:
        static_cast<QLabel *>(c->widget.data())->setText(text);
        return 0;
    case Kind::String: {
        auto *edit = static_cast<QLineEdit *>(c->widget.data());
        edit->setText(text);
        // A display too narrow for its text shows how the text begins, not how it ends.
        if (edit->isReadOnly())
            edit->setCursorPosition(0);
        return 0;
    }
    case Kind::ComboString:
        static_cast<QComboBox *>(c->widget.data())->setEditText(text);
        return 0;
    case Kind::TextBox:
        return AppendTextBox(panel, control, raw);
    default:
        return -1;
    }
}

// The text a text control shows, or nothing for other kinds (text boxes: their bytes).
bool textOf(int panel, int control, QString *text, std::string *boxContent)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return false;
    switch (c->kind) {
    case Kind::TextMessage:
        *text = static_cast<QLabel *>(c->widget.data())->text();
        return true;
    case Kind::String:
        *text = static_cast<QLineEdit *>(c->widget.data())->text();
        return true;
    case Kind::ComboString:
        *text = static_cast<QComboBox *>(c->widget.data())->currentText();
        return true;
    case Kind::TextBox:
        *boxContent = c->textBoxContent;
        return true;
    default:
        return false;
    }
}

} // namespace

int SetCtrlVal(int panel, int control, const char *value)
{
    return setText(panel, control, QString::fromLatin1(value ? value : ""), value ? value : "");
}

int GetCtrlVal(int panel, int control, double *value)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    bool ok = false;
    const double v = getNumber(c, &ok);
    if (!ok)
        return -1;
    *value = v;
    return 0;
}

int GetCtrlVal(int panel, int control, int *value)
{
    double v = 0;
    if (GetCtrlVal(panel, control, &v) < 0)
        return -1;
    *value = static_cast<int>(std::llround(v));
    return 0;
}

int GetCtrlVal(int panel, int control, unsigned short *value)
{
    double v = 0;
    if (GetCtrlVal(panel, control, &v) < 0)
        return -1;
    *value = static_cast<unsigned short>(static_cast<long long>(std::llround(v)));
    return 0;
}

int GetCtrlVal(int panel, int control, unsigned int *value)
{
    double v = 0;
    if (GetCtrlVal(panel, control, &v) < 0)
        return -1;
    *value = static_cast<unsigned int>(static_cast<long long>(std::llround(v)));
    return 0;
}

std::string GetCtrlString(int panel, int control)
{
    QString text;
    std::string box;
    if (!textOf(panel, control, &text, &box))
        return {};
    return box.empty() ? text.toLatin1().toStdString() : box;
}

int SetCtrlValUtf8(int panel, int control, const char *value)
{
    return setText(panel, control, QString::fromUtf8(value ? value : ""), value ? value : "");
}

std::string GetCtrlStringUtf8(int panel, int control)
{
    QString text;
    std::string box;
    if (!textOf(panel, control, &text, &box))
        return {};
    return box.empty() ? text.toStdString() : box;
}

int GetCtrlVal(int panel, int control, char *buffer, int size)
{
    if (!buffer || size <= 0 || !FindControl(panel, control))
        return -1;
    const std::string text = GetCtrlString(panel, control);
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return 0;
}

} // namespace ui
