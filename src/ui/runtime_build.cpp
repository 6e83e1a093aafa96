// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time layer's bookkeeping, and building panels and their widgets from the
// resource description.

#include "platform/system.h"
#include "ui/runtime.h"
#include "ui/runtime_internal.h"
#include "ui/widget_access.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
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
namespace detail {

namespace {

std::map<int, PanelRec> g_panels;
std::map<int, ControlRec> g_controls; // keyed by control id (unique)
int g_nextPanel = 1;
int g_nextDynamicControl = kFirstDynamicControl;
int g_programmatic = 0;
EventObserver g_observer;

} // namespace

ProgrammaticScope::ProgrammaticScope() { ++g_programmatic; }
ProgrammaticScope::~ProgrammaticScope() { --g_programmatic; }
bool Programmatic() { return g_programmatic > 0; }

PanelRec *FindPanel(int handle)
{
    auto it = g_panels.find(handle);
    return it == g_panels.end() ? nullptr : &it->second;
}

ControlRec *FindControl(int panel, int control)
{
    auto it = g_controls.find(control);
    if (it == g_controls.end() || it->second.panel != panel)
        return nullptr;
    return &it->second;
}

int Dispatch(int panel, int control, int event, int eventData1, int eventData2)
{
    CtrlCallback cb = nullptr;
    if (control == 0) {
        if (PanelRec *p = FindPanel(panel))
            cb = p->callback;
    } else if (ControlRec *c = FindControl(panel, control)) {
        cb = c->callback;
    }
    if (!cb)
        return -1;
    if (g_observer && !g_observer(panel, control, event))
        return 0;
    return cb(panel, control, event, nullptr, eventData1, eventData2);
}

QString ColorCss(int color) { return QString("#%1").arg(static_cast<unsigned>(color) & 0xFFFFFFu, 6, 16, QChar('0')); }

void ApplyStyle(ControlRec &c)
{
    if (!c.widget)
        return;
    QString css;
    if (c.kind == Kind::Led) {
        const int colour = c.ledOn ? c.ledOnColor : 0x404040;
        css = QString("background:%1; border:1px solid #202020; border-radius:%2px;")
                  .arg(ColorCss(colour))
                  .arg(c.widget->height() / 2);
    } else if (c.kind == Kind::Decoration) {
        css = c.backColor >= 0 ? QString("background:%1;").arg(ColorCss(c.backColor))
                               : QString("border:1px solid #909090;");
    } else {
        // Text colour through the palette of the enabled states only, so that a dimmed
        // control still looks dimmed.
        QPalette palette = c.widget->palette();
        const QColor colour(ColorCss(c.textColor));
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                palette.setColor(group, role, colour);
        c.widget->setPalette(palette);
        if (c.backColor >= 0)
            css = QString("background:%1;").arg(ColorCss(c.backColor));
    }
    c.widget->setStyleSheet(css);
}

namespace {

// A child panel floats over its window as a pop-up (the help text) and goes at the next
// press anywhere else in that window.
void hideFloatingPanelsOf(QWidget *pressed)
{
    for (auto &[handle, p] : g_panels) {
        QWidget *w = p.widget;
        if (p.parent == 0 || !w || w->isWindow() || !w->isVisible() || FindPanelDef(p.resource)->ownerTab != 0)
            continue;
        if (w->window() == pressed->window() && w != pressed && !w->isAncestorOf(pressed))
            w->hide();
    }
}

void userChange(const ControlRec &c, bool commit)
{
    if (Programmatic())
        return;
    const int panel = c.panel, id = c.id;
    // Buttons emit their change before they refresh; a loop run from the callback would
    // otherwise show the old state until it ends.
    if (c.widget)
        c.widget->update();
    Dispatch(panel, id, EVENT_VAL_CHANGED);
    if (commit)
        Dispatch(panel, id, EVENT_COMMIT);
}

void updateSwitchText(ControlRec &c)
{
    if (auto *b = qobject_cast<QPushButton *>(c.widget.data()))
        if (c.kind == Kind::BinarySwitch)
            b->setText(QString::fromStdString(b->isChecked() ? c.onText : c.offText));
}

QLabel *makeCaption(QWidget *parent, const ControlDef &d)
{
    if (d.label.empty())
        return nullptr;
    auto *label = new QLabel(QString::fromStdString(d.label), parent);
    QFont f = label->font();
    f.setPointSize(7);
    label->setFont(f);
    return label;
}

int buildPanel(int resource, int parentHandle, QWidget *host);
void discardRecursive(int handle);

// A widget may still signal while its panel is discarded (a line edit losing the focus as
// it goes). Its control is gone then, and must not come back under its id: no panel with
// that control could be loaded again.
void dispatchFrom(int id, int event, int eventData1 = 0)
{
    if (ControlRec *c = FindControlById(id))
        Dispatch(c->panel, id, event, eventData1);
}

// A numeric field takes any number typed into it; one beyond its range becomes the
// nearest bound when the entry is done, instead of losing the digit that overshoots.
class NumericField : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;

    QValidator::State validate(QString &input, int &pos) const override
    {
        const QValidator::State state = QDoubleSpinBox::validate(input, pos);
        return state == QValidator::Invalid && outOfRange(input) ? QValidator::Intermediate : state;
    }
    void fixup(QString &input) const override
    {
        double v = 0.0;
        if (outOfRange(input, &v))
            input = textFromValue(std::clamp(v, minimum(), maximum()));
        else
            QDoubleSpinBox::fixup(input);
    }

private:
    bool outOfRange(const QString &input, double *v = nullptr) const
    {
        bool ok = false;
        const double typed = locale().toDouble(input.trimmed(), &ok);
        if (v)
            *v = typed;
        return ok && (typed > maximum() || typed < minimum());
    }
};

QWidget *createWidget(ControlRec &c, const ControlDef &d, QWidget *parent)
{
    QWidget *w = nullptr;
    switch (d.kind) {
    case Kind::Button: {
        auto *b = new QPushButton(QString::fromStdString(d.label), parent);
        b->setFocusPolicy(Qt::StrongFocus);
        if (!d.shortcut.empty())
            b->setShortcut(QKeySequence(QString::fromStdString(d.shortcut)));
        QObject::connect(b, &QPushButton::clicked, [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        w = b;
        break;
    }
    case Kind::Toggle:
    case Kind::BinarySwitch: {
        auto *b = new QPushButton(QString::fromStdString(d.kind == Kind::Toggle ? d.label : d.offText), parent);
        b->setCheckable(true);
        QObject::connect(b, &QPushButton::toggled, [id = d.id] {
            ControlRec *rec = FindControlById(id);
            if (!rec)
                return;
            updateSwitchText(*rec);
            userChange(*rec, true);
        });
        w = b;
        break;
    }
    case Kind::Radio:
    case Kind::CheckBox: {
        QAbstractButton *b =
            d.kind == Kind::Radio
                ? static_cast<QAbstractButton *>(new QRadioButton(QString::fromStdString(d.label), parent))
                : new QCheckBox(QString::fromStdString(d.label), parent);
        b->setAutoExclusive(false);
        b->setChecked(d.initial != 0);
        QObject::connect(b, &QAbstractButton::toggled, [id = d.id] {
            if (ControlRec *rec = FindControlById(id))
                userChange(*rec, true);
        });
        w = b;
        break;
    }
    case Kind::Ring: {
        auto *box = new QComboBox(parent);
        for (const ListItem &item : d.items) {
            box->addItem(QString::fromStdString(item.label), item.value);
            c.itemValues.push_back(item.value);
        }
        QObject::connect(box, qOverload<int>(&QComboBox::activated), [id = d.id] {
            if (ControlRec *rec = FindControlById(id))
                userChange(*rec, true);
        });
        w = box;
        break;
    }
    case Kind::Numeric: {
        auto *spin = new NumericField(parent);
        spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        spin->setDecimals(d.precision);
        if (d.minimum < d.maximum)
            spin->setRange(d.minimum, d.maximum);
        else
            spin->setRange(-1e12, 1e12);
        spin->setValue(d.initial);
        spin->setKeyboardTracking(true);
        if (d.indicator) {
            spin->setReadOnly(true);
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
            spin->setFocusPolicy(Qt::NoFocus);
        }
        c.numericValue = spin->value();
        QObject::connect(spin, qOverload<double>(&QDoubleSpinBox::valueChanged), [id = d.id](double v) {
            if (Programmatic())
                return;
            ControlRec *rec = FindControlById(id);
            if (!rec)
                return;
            rec->numericValue = v;
            userChange(*rec, false);
        });
        QObject::connect(spin, &QDoubleSpinBox::editingFinished, [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        w = spin;
        break;
    }
    case Kind::Slider: {
        auto *holder = new QWidget(parent);
        auto *layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *slider = new QSlider(Qt::Horizontal, holder);
        auto *readout = new QLabel(holder);
        readout->setMinimumWidth(48);
        layout->addWidget(slider, 1);
        layout->addWidget(readout);
        c.sliderScale = std::pow(10.0, d.precision);
        slider->setRange(static_cast<int>(std::lround(d.minimum * c.sliderScale)),
                         static_cast<int>(std::lround(d.maximum * c.sliderScale)));
        slider->setValue(static_cast<int>(std::lround(d.initial * c.sliderScale)));
        auto showValue = [readout, slider, scale = c.sliderScale, prec = d.precision] {
            readout->setText(QString::number(slider->value() / scale, 'f', prec));
        };
        showValue();
        QObject::connect(slider, &QSlider::valueChanged, [id = d.id, showValue, slider] {
            showValue();
            if (ControlRec *rec = FindControlById(id))
                userChange(*rec, !slider->isSliderDown());
        });
        QObject::connect(slider, &QSlider::sliderReleased, [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        w = holder;
        break;
    }
    case Kind::TextMessage: {
        auto *label = new QLabel(QString::fromStdString(d.label), parent);
        w = label;
        break;
    }
    case Kind::String: {
        auto *edit = new QLineEdit(parent);
        edit->setReadOnly(d.indicator);
        QObject::connect(edit, &QLineEdit::editingFinished, [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        w = edit;
        break;
    }
    case Kind::ComboString: {
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(box->lineEdit(), &QLineEdit::editingFinished, [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        QObject::connect(box, qOverload<int>(&QComboBox::activated), [id = d.id] {
            if (!Programmatic())
                dispatchFrom(id, EVENT_COMMIT);
        });
        w = box;
        break;
    }
    case Kind::TextBox: {
        auto *text = new QPlainTextEdit(parent);
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        QFont f = text->font();
        f.setPointSize(8);
        text->setFont(f);
        text->setTabStopDistance(28);
        w = text;
        break;
    }
    case Kind::ProgressBar: {
        auto *bar = new QProgressBar(parent);
        bar->setRange(static_cast<int>(d.minimum), static_cast<int>(d.maximum));
        bar->setValue(static_cast<int>(d.initial));
        w = bar;
        break;
    }
    case Kind::Led: {
        auto *lamp = new QLabel(parent);
        c.ledOnColor = d.color >= 0 ? d.color : VAL_GREEN;
        w = lamp;
        break;
    }
    case Kind::Graph:
    case Kind::StripChart:
        w = CreateGraphWidget(c, parent, d.kind == Kind::StripChart, d.rect.height < 60);
        break;
    case Kind::Decoration: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::Box);
        c.backColor = d.color;
        w = frame;
        break;
    }
    case Kind::Picture: {
        auto *pic = new QLabel(parent);
        pic->setScaledContents(true);
        w = pic;
        break;
    }
    case Kind::Tab: {
        auto *tabs = new QTabWidget(parent);
        QFont f = tabs->font();
        f.setPointSize(7);
        tabs->tabBar()->setFont(f);
        tabs->setUsesScrollButtons(false);
        QObject::connect(tabs, &QTabWidget::currentChanged, [id = d.id](int index) {
            if (!Programmatic())
                dispatchFrom(id, EVENT_ACTIVE_TAB_CHANGE, index);
        });
        w = tabs;
        break;
    }
    }
    return w;
}

int addControl(int panelHandle, QWidget *host, const ControlDef &d)
{
    ControlRec rec;
    rec.id = d.id;
    rec.panel = panelHandle;
    rec.kind = d.kind;
    rec.callback = d.callback;
    rec.precision = d.precision;
    rec.offText = d.offText;
    rec.onText = d.onText;
    auto [it, inserted] = g_controls.emplace(d.id, std::move(rec));
    if (!inserted)
        return -1;
    ControlRec &c = it->second;
    QWidget *w = createWidget(c, d, host);
    c.widget = w;
    c.design = d.rect;
    c.baseFont = w->font();
    if (d.kind == Kind::Tab)
        c.tabFont = static_cast<QTabWidget *>(w)->tabBar()->font();
    if (d.kind != Kind::Button && d.kind != Kind::Radio && d.kind != Kind::CheckBox && d.kind != Kind::Toggle &&
        d.kind != Kind::TextMessage && d.kind != Kind::Decoration && d.kind != Kind::Picture && d.kind != Kind::Tab &&
        d.kind != Kind::Graph && d.kind != Kind::StripChart)
        c.caption = makeCaption(host, d);
    if (c.caption) {
        c.captionDesign = {d.rect.top - 15, d.rect.left, 14, std::max(d.rect.width, 120)};
        c.captionFont = c.caption->font();
    }
    PlaceControl(c);
    updateSwitchText(c);
    ApplyStyle(c);
    if (d.kind == Kind::Decoration)
        w->lower();
    WatchWidget(w, panelHandle, d.id);
    g_panels[panelHandle].controls.push_back(d.id);
    if (d.kind == Kind::Tab) {
        auto *tabs = static_cast<QTabWidget *>(w);
        for (const PanelDef &p : PanelDefs()) {
            if (p.ownerTab != d.id)
                continue;
            auto *page = new QWidget;
            const int pageHandle = buildPanel(p.resource, panelHandle, page);
            if (pageHandle < 0) {
                delete page;
                return -1;
            }
            tabs->addTab(page, QString::fromStdString(p.title));
            c.pages.push_back(pageHandle);
        }
    }
    return 0;
}

int buildPanel(int resource, int parentHandle, QWidget *host)
{
    const PanelDef *def = FindPanelDef(resource);
    if (!def)
        return -1;
    const int handle = g_nextPanel++;
    PanelRec &p = g_panels[handle];
    p.handle = handle;
    p.resource = resource;
    p.parent = parentHandle;
    p.callback = def->callback;
    p.widget = host;
    WatchWidget(host, handle, 0);
    for (const ControlDef &d : ControlDefs())
        if (d.panel == resource && addControl(handle, host, d) < 0) {
            qWarning("panel %d: control %d could not be built (its id is taken)", resource, d.id);
            // Nothing of a half-built panel stays registered; the caller disposes of the host.
            g_panels[handle].widget = nullptr;
            discardRecursive(handle);
            return -1;
        }
    // Decorations sit behind everything else on their panel.
    for (int id : g_panels[handle].controls) {
        ControlRec &c = g_controls[id];
        if (c.kind == Kind::Decoration && c.widget)
            c.widget->lower();
    }
    return handle;
}

void discardRecursive(int handle)
{
    PanelRec *p = FindPanel(handle);
    if (!p)
        return;
    std::vector<int> children;
    for (auto &[h, rec] : g_panels)
        if (rec.parent == handle)
            children.push_back(h);
    for (int child : children)
        discardRecursive(child);
    for (int id : p->controls)
        g_controls.erase(id);
    QPointer<QWidget> w = p->widget;
    const bool ownsWidget = p->parent == 0 || (w && w->isWindow()) || FindPanelDef(p->resource)->ownerTab == 0;
    g_panels.erase(handle);
    if (ownsWidget && w)
        delete w.data();
}

} // namespace

int AddControl(int panelHandle, QWidget *host, const ControlDef &d) { return addControl(panelHandle, host, d); }
int BuildPanel(int resource, int parentHandle, QWidget *host) { return buildPanel(resource, parentHandle, host); }
void DiscardPanelTree(int handle) { discardRecursive(handle); }
void UpdateSwitchText(ControlRec &c) { updateSwitchText(c); }
int NextDynamicControlId() { return g_nextDynamicControl++; }
void HideFloatingPanels(QWidget *pressed) { hideFloatingPanelsOf(pressed); }

int PanelOwningControl(int control)
{
    auto it = g_controls.find(control);
    return it == g_controls.end() ? -1 : it->second.panel;
}
std::vector<int> ChildPanels(int handle)
{
    std::vector<int> children;
    for (const auto &[h, rec] : g_panels)
        if (rec.parent == handle)
            children.push_back(h);
    return children;
}
ControlRec *FindControlById(int control)
{
    auto it = g_controls.find(control);
    return it == g_controls.end() ? nullptr : &it->second;
}

} // namespace detail

void SetEventObserver(EventObserver observer) { detail::g_observer = std::move(observer); }

QWidget *ControlWidget(int panel, int control)
{
    detail::ControlRec *c = detail::FindControl(panel, control);
    return c ? c->widget.data() : nullptr;
}

QWidget *PanelWidget(int panel)
{
    detail::PanelRec *p = detail::FindPanel(panel);
    return p ? p->widget.data() : nullptr;
}

} // namespace ui
