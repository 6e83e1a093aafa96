// SPDX-License-Identifier: GPL-3.0-or-later
// Rings, combo boxes and text boxes of the run-time layer, and the test hooks.

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

// ---- Lists -----------------------------------------------------------------------------

int ClearListCtrl(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box)
        return -1;
    ProgrammaticScope quiet;
    const QString text = box->currentText();
    box->clear();
    c->itemValues.clear();
    if (box->isEditable())
        box->setEditText(text);
    return 0;
}

int InsertListItem(int panel, int control, int index, const char *label, int value)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box)
        return -1;
    ProgrammaticScope quiet;
    const QString text = box->currentText();
    if (index < 0 || index > box->count())
        index = box->count();
    box->insertItem(index, QString::fromLatin1(label ? label : ""), value);
    c->itemValues.insert(c->itemValues.begin() + index, value);
    if (box->isEditable())
        box->setEditText(text);
    return 0;
}

int DeleteListItem(int panel, int control, int index, int count)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box || index < 0)
        return -1;
    ProgrammaticScope quiet;
    const QString text = box->currentText();
    if (count < 0)
        count = box->count() - index;
    for (int i = 0; i < count && index < box->count(); ++i) {
        box->removeItem(index);
        c->itemValues.erase(c->itemValues.begin() + index);
    }
    if (box->isEditable())
        box->setEditText(text);
    return 0;
}

int GetNumListItems(int panel, int control, int *count)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box)
        return -1;
    *count = box->count();
    return 0;
}

int GetListItemLabel(int panel, int control, int index, std::string *label)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box || index < 0 || index >= box->count())
        return -1;
    *label = box->itemText(index).toLatin1().toStdString();
    return 0;
}

int GetRingLabelOfValue(int panel, int control, int value, std::string *label)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box)
        return -1;
    for (std::size_t i = 0; i < c->itemValues.size() && static_cast<int>(i) < box->count(); ++i)
        if (c->itemValues[i] == value) {
            *label = box->itemText(static_cast<int>(i)).toLatin1().toStdString();
            return 0;
        }
    return -1;
}

int FindListItem(int panel, int control, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    auto *box = c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
    if (!box || !text)
        return -1;
    return box->findText(QString::fromLatin1(text), Qt::MatchExactly);
}

// ---- Text boxes ------------------------------------------------------------------------

namespace {
void showTextBox(ControlRec &c)
{
    auto *edit = static_cast<QPlainTextEdit *>(c.widget.data());
    std::string shown = c.textBoxContent;
    if (!shown.empty() && shown.back() == '\n')
        shown.pop_back();
    edit->setPlainText(QString::fromLatin1(shown.c_str()));
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
}
} // namespace

int ScrollTextBoxToTop(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::TextBox)
        return -1;
    static_cast<QPlainTextEdit *>(c->widget.data())->verticalScrollBar()->setValue(0);
    return 0;
}

int AppendTextBox(int panel, int control, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::TextBox)
        return -1;
    c->textBoxContent += text ? text : "";
    if (c->textBoxContent.size() > kTextBoxMaxChars) {
        // Drop the oldest lines.
        size_t cut = c->textBoxContent.find('\n', c->textBoxContent.size() - kTextBoxMaxChars / 2);
        c->textBoxContent.erase(0, cut == std::string::npos ? c->textBoxContent.size() / 2 : cut + 1);
    }
    showTextBox(*c);
    return 0;
}

std::vector<std::string> GetTextBoxLines(int panel, int control)
{
    std::vector<std::string> lines;
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::TextBox)
        return lines;
    std::string current;
    for (char ch : c->textBoxContent) {
        if (ch == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

int ReplaceTextBoxLine(int panel, int control, int index, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::TextBox)
        return -1;
    std::vector<std::string> lines = GetTextBoxLines(panel, control);
    if (index < 0 || index >= static_cast<int>(lines.size()))
        return -1;
    lines[static_cast<size_t>(index)] = text ? text : "";
    std::string content;
    for (const std::string &line : lines)
        content += line + "\n";
    c->textBoxContent = content;
    showTextBox(*c);
    return 0;
}

int ResetTextBox(int panel, int control, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::TextBox)
        return -1;
    c->textBoxContent = text ? text : "";
    showTextBox(*c);
    return 0;
}

// ---- Test support ------------------------------------------------------------------------

int SimulateEvent(int panel, int control, int event, int eventData1, int eventData2)
{
    return Dispatch(panel, control, event, eventData1, eventData2);
}

int PanelOfControl(int control) { return PanelOwningControl(control); }

} // namespace ui
