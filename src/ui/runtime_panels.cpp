// Panels and controls of the run-time layer, built from the resource description.

#include "ui/runtime.h"
#include "ui/runtime_internal.h"
#include "ui/system.h"

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
namespace detail {

namespace {

std::map<int, PanelRec> g_panels;
std::map<int, ControlRec> g_controls;  // keyed by control id (unique)
int g_nextPanel = 1;
int g_nextDynamicControl = FIRST_DYNAMIC_CONTROL;
int g_programmatic = 0;
// Keeps the text box from growing without end over a long run.
constexpr size_t kTextBoxMaxChars = 200000;

class EventRelay;
EventRelay *relay();

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
    return cb(panel, control, event, nullptr, eventData1, eventData2);
}

QString ColorCss(int color)
{
    return QString("#%1").arg(static_cast<unsigned>(color) & 0xFFFFFFu, 6, 16, QChar('0'));
}

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

// Turns mouse, key, focus, close and resize events of widgets into callback events.
class EventRelay : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QVariant panelProp = watched->property("mqPanel");
        if (!panelProp.isValid())
            return false;
        const int panel = panelProp.toInt();
        const int control = watched->property("mqControl").toInt();
        // Controls without a callback pass mouse events on to their panel, so a panel
        // reacts to a click anywhere on it.
        auto target = [&](int &ctl) {
            ctl = control;
            if (ctl != 0) {
                ControlRec *c = FindControl(panel, ctl);
                if (!c || !c->callback)
                    ctl = 0;
            }
        };
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(event);
            int ctl = 0;
            target(ctl);
            if (me->button() == Qt::LeftButton)
                Dispatch(panel, ctl, EVENT_LEFT_CLICK);
            else if (me->button() == Qt::RightButton) {
                Dispatch(panel, ctl, EVENT_RIGHT_CLICK);
                return true;  // no context menus
            }
            break;
        }
        case QEvent::MouseButtonDblClick: {
            auto *me = static_cast<QMouseEvent *>(event);
            int ctl = 0;
            target(ctl);
            if (me->button() == Qt::LeftButton)
                Dispatch(panel, ctl, EVENT_LEFT_DOUBLE_CLICK);
            else if (me->button() == Qt::RightButton) {
                Dispatch(panel, ctl, EVENT_RIGHT_DOUBLE_CLICK);
                return true;
            }
            break;
        }
        case QEvent::KeyPress:
            if (control != 0)
                Dispatch(panel, control, EVENT_KEYPRESS, static_cast<QKeyEvent *>(event)->key());
            break;
        case QEvent::FocusOut:
            if (control == 0 || FindControl(panel, control))
                Dispatch(panel, control, EVENT_LOST_FOCUS);
            break;
        case QEvent::Close:
            if (control == 0) {
                event->ignore();
                Dispatch(panel, 0, EVENT_CLOSE);
                return true;
            }
            break;
        case QEvent::Resize:
            if (control == 0 && static_cast<QWidget *>(watched)->isWindow())
                Dispatch(panel, 0, EVENT_PANEL_SIZE);
            break;
        default:
            break;
        }
        return false;
    }
};

EventRelay *relay()
{
    static EventRelay *r = new EventRelay;
    return r;
}

void watch(QWidget *w, int panel, int control)
{
    w->setProperty("mqPanel", panel);
    w->setProperty("mqControl", control);
    w->installEventFilter(relay());
    for (QWidget *child : w->findChildren<QWidget *>()) {
        child->setProperty("mqPanel", panel);
        child->setProperty("mqControl", control);
        child->installEventFilter(relay());
    }
}

void userChange(const ControlRec &c, bool commit)
{
    if (Programmatic())
        return;
    const int panel = c.panel, id = c.id;
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
    label->setGeometry(d.rect.left, d.rect.top - 15, std::max(d.rect.width, 120), 14);
    return label;
}

int buildPanel(int resource, int parentHandle, QWidget *host);

QWidget *createWidget(ControlRec &c, const ControlDef &d, QWidget *parent)
{
    QWidget *w = nullptr;
    switch (d.kind) {
    case Kind::Button: {
        auto *b = new QPushButton(QString::fromStdString(d.label), parent);
        b->setFocusPolicy(Qt::StrongFocus);
        QObject::connect(b, &QPushButton::clicked, [id = d.id] {
            if (!Programmatic())
                if (ControlRec *rec = g_controls.count(id) ? &g_controls[id] : nullptr)
                    Dispatch(rec->panel, id, EVENT_COMMIT);
        });
        w = b;
        break;
    }
    case Kind::Toggle:
    case Kind::BinarySwitch: {
        auto *b = new QPushButton(QString::fromStdString(d.kind == Kind::Toggle ? d.label : d.offText), parent);
        b->setCheckable(true);
        QObject::connect(b, &QPushButton::toggled, [id = d.id] {
            ControlRec &rec = g_controls[id];
            updateSwitchText(rec);
            userChange(rec, true);
        });
        w = b;
        break;
    }
    case Kind::Radio:
    case Kind::CheckBox: {
        QAbstractButton *b = d.kind == Kind::Radio
                                 ? static_cast<QAbstractButton *>(new QRadioButton(QString::fromStdString(d.label), parent))
                                 : new QCheckBox(QString::fromStdString(d.label), parent);
        b->setAutoExclusive(false);
        QObject::connect(b, &QAbstractButton::toggled, [id = d.id] { userChange(g_controls[id], true); });
        w = b;
        break;
    }
    case Kind::Ring: {
        auto *box = new QComboBox(parent);
        for (const ListItem &item : d.items) {
            box->addItem(QString::fromStdString(item.label), item.value);
            c.itemValues.push_back(item.value);
        }
        QObject::connect(box, qOverload<int>(&QComboBox::activated), [id = d.id] { userChange(g_controls[id], true); });
        w = box;
        break;
    }
    case Kind::Numeric: {
        auto *spin = new QDoubleSpinBox(parent);
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
            g_controls[id].numericValue = v;
            userChange(g_controls[id], false);
        });
        QObject::connect(spin, &QDoubleSpinBox::editingFinished, [id = d.id] {
            if (!Programmatic())
                Dispatch(g_controls[id].panel, id, EVENT_COMMIT);
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
            userChange(g_controls[id], !slider->isSliderDown());
        });
        QObject::connect(slider, &QSlider::sliderReleased, [id = d.id] {
            if (!Programmatic())
                Dispatch(g_controls[id].panel, id, EVENT_COMMIT);
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
                Dispatch(g_controls[id].panel, id, EVENT_COMMIT);
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
                Dispatch(g_controls[id].panel, id, EVENT_COMMIT);
        });
        QObject::connect(box, qOverload<int>(&QComboBox::activated), [id = d.id] {
            if (!Programmatic())
                Dispatch(g_controls[id].panel, id, EVENT_COMMIT);
        });
        w = box;
        break;
    }
    case Kind::TextBox: {
        auto *text = new QPlainTextEdit(parent);
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        QFont f = text->font();
        f.setPointSize(8);
        text->setFont(f);
        text->setTabStopDistance(28);
        w = text;
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
                Dispatch(g_controls[id].panel, id, EVENT_ACTIVE_TAB_CHANGE, index);
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
    w->setGeometry(d.rect.left, d.rect.top, d.rect.width, d.rect.height);
    c.widget = w;
    if (d.kind != Kind::Button && d.kind != Kind::Radio && d.kind != Kind::CheckBox && d.kind != Kind::Toggle &&
        d.kind != Kind::TextMessage && d.kind != Kind::Decoration && d.kind != Kind::Picture && d.kind != Kind::Tab &&
        d.kind != Kind::Graph && d.kind != Kind::StripChart)
        c.caption = makeCaption(host, d);
    updateSwitchText(c);
    ApplyStyle(c);
    if (d.kind == Kind::Decoration)
        w->lower();
    watch(w, panelHandle, d.id);
    g_panels[panelHandle].controls.push_back(d.id);
    if (d.kind == Kind::Tab) {
        auto *tabs = static_cast<QTabWidget *>(w);
        for (const PanelDef &p : PanelDefs()) {
            if (p.ownerTab != d.id)
                continue;
            auto *page = new QWidget;
            const int pageHandle = buildPanel(p.resource, panelHandle, page);
            if (pageHandle < 0)
                return -1;
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
    watch(host, handle, 0);
    for (const ControlDef &d : ControlDefs())
        if (d.panel == resource && addControl(handle, host, d) < 0)
            return -1;
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
} // namespace detail

using namespace detail;

// ---- Panels --------------------------------------------------------------------------

int LoadPanel(int parentPanel, int resourceId)
{
    if (!RuntimeReady())
        return -1;
    const PanelDef *def = FindPanelDef(resourceId);
    if (!def || def->ownerTab != 0)
        return -1;
    QWidget *parentWidget = nullptr;
    if (parentPanel != 0) {
        PanelRec *parent = FindPanel(parentPanel);
        if (!parent)
            return -1;
        parentWidget = parent->widget;
    }
    QWidget *w = parentWidget ? new QFrame(parentWidget) : new QWidget;
    if (auto *frame = qobject_cast<QFrame *>(w)) {
        frame->setFrameShape(QFrame::Panel);
        frame->setAutoFillBackground(true);
        frame->setStyleSheet("QFrame{background:#FFFFE0;}");
    }
    w->resize(def->width, def->height);
    w->setWindowTitle(QString::fromStdString(def->title));
    w->hide();
    const int handle = buildPanel(resourceId, parentPanel, w);
    if (handle < 0) {
        delete w;
        return -1;
    }
    return handle;
}

void DiscardPanel(int panel) { discardRecursive(panel); }

int GetPanelHandleFromTabPage(int panel, int tabControl, int index, int *pageHandle)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab || index < 0 || index >= static_cast<int>(c->pages.size()))
        return -1;
    *pageHandle = c->pages[static_cast<size_t>(index)];
    return 0;
}

int SetActiveTabPage(int panel, int tabControl, int index)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab || index < 0 || index >= static_cast<int>(c->pages.size()))
        return -1;
    ProgrammaticScope quiet;
    static_cast<QTabWidget *>(c->widget.data())->setCurrentIndex(index);
    return 0;
}

int GetActiveTabPage(int panel, int tabControl, int *index)
{
    ControlRec *c = FindControl(panel, tabControl);
    if (!c || c->kind != Kind::Tab)
        return -1;
    *index = static_cast<QTabWidget *>(c->widget.data())->currentIndex();
    return 0;
}

int DisplayPanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->show();
    p->widget->raise();
    if (p->parent != 0)
        p->widget->setFocus();
    return 0;
}

int HidePanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->hide();
    return 0;
}

bool IsPanelVisible(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget && p->widget->isVisible();
}

int SetActivePanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->activateWindow();
    return 0;
}

int SetPanelTitle(int panel, const char *title)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->setWindowTitle(QString::fromUtf8(title ? title : ""));
    return 0;
}

std::string GetPanelTitle(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget ? p->widget->windowTitle().toStdString() : std::string();
}

int SetPanelSize(int panel, int height, int width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget || height <= 0 || width <= 0)
        return -1;
    p->widget->resize(width, height);
    return 0;
}

int GetPanelSize(int panel, int *height, int *width)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    *height = p->widget->height();
    *width = p->widget->width();
    return 0;
}

int SetPanelPos(int panel, int top, int left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->move(left, top);
    return 0;
}

int GetPanelPos(int panel, int *top, int *left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    *top = p->widget->y();
    *left = p->widget->x();
    return 0;
}

int SetPanelMaximized(int panel, bool maximized)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    if (maximized)
        p->widget->setWindowState(p->widget->windowState() | Qt::WindowMaximized);
    else
        p->widget->setWindowState(p->widget->windowState() & ~Qt::WindowMaximized);
    return 0;
}

bool IsPanelMaximized(int panel)
{
    PanelRec *p = FindPanel(panel);
    return p && p->widget && (p->widget->windowState() & Qt::WindowMaximized);
}

int GetScreenSize(int *height, int *width)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return -1;
    const QRect r = screen->availableGeometry();
    *height = r.height();
    *width = r.width();
    return 0;
}

int CenterPanel(int panel)
{
    PanelRec *p = FindPanel(panel);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!p || !p->widget || !screen)
        return -1;
    const QRect r = screen->availableGeometry();
    p->widget->move(r.x() + (r.width() - p->widget->width()) / 2, r.y() + (r.height() - p->widget->height()) / 2);
    return 0;
}

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
        slider->setValue(static_cast<int>(std::lround(value * c->sliderScale)));
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
        updateSwitchText(*c);
        return 0;
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
    case Kind::Slider:
        return c->widget->findChild<QSlider *>()->value() / c->sliderScale;
    case Kind::Ring: {
        auto *box = static_cast<QComboBox *>(c->widget.data());
        return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
    }
    case Kind::Toggle:
    case Kind::BinarySwitch:
    case Kind::Radio:
    case Kind::CheckBox:
        return static_cast<QAbstractButton *>(c->widget.data())->isChecked() ? 1 : 0;
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

int SetCtrlVal(int panel, int control, const char *value)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    const QString text = QString::fromLatin1(value ? value : "");
    switch (c->kind) {
    case Kind::TextMessage:
        static_cast<QLabel *>(c->widget.data())->setText(text);
        return 0;
    case Kind::String:
        static_cast<QLineEdit *>(c->widget.data())->setText(text);
        return 0;
    case Kind::ComboString:
        static_cast<QComboBox *>(c->widget.data())->setEditText(text);
        return 0;
    case Kind::TextBox:
        return AppendTextBox(panel, control, value);
    default:
        return -1;
    }
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
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return {};
    switch (c->kind) {
    case Kind::TextMessage:
        return static_cast<QLabel *>(c->widget.data())->text().toLatin1().toStdString();
    case Kind::String:
        return static_cast<QLineEdit *>(c->widget.data())->text().toLatin1().toStdString();
    case Kind::ComboString:
        return static_cast<QComboBox *>(c->widget.data())->currentText().toLatin1().toStdString();
    case Kind::TextBox:
        return c->textBoxContent;
    default:
        return {};
    }
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

// ---- Attributes ------------------------------------------------------------------------

int SetCtrlDimmed(int panel, int control, bool dimmed)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setEnabled(!dimmed);
    if (c->caption)
        c->caption->setEnabled(!dimmed);
    return 0;
}

bool IsCtrlDimmed(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c && c->widget && !c->widget->isEnabled();
}

int SetCtrlVisible(int panel, int control, bool visible)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setVisible(visible);
    if (c->caption)
        c->caption->setVisible(visible);
    return 0;
}

bool IsCtrlVisible(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c && c->widget && !c->widget->isHidden();
}

int SetCtrlTextColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c)
        return -1;
    c->textColor = color;
    ApplyStyle(*c);
    return 0;
}

int GetCtrlTextColor(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->textColor : -1;
}

int SetCtrlBackColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c)
        return -1;
    c->backColor = color;
    ApplyStyle(*c);
    return 0;
}

int GetCtrlBackColor(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->backColor : -1;
}

int SetCtrlFrameColor(int panel, int control, int color)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setStyleSheet(c->widget->styleSheet() + QString("border:1px solid %1;").arg(ColorCss(color)));
    return 0;
}

int SetCtrlLabel(int panel, int control, const char *label)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    const QString text = QString::fromLatin1(label ? label : "");
    if (c->caption)
        c->caption->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(c->widget.data()))
        b->setText(text);
    else if (auto *l = qobject_cast<QLabel *>(c->widget.data()))
        l->setText(text);
    else
        c->widget->setProperty("mqLabel", text);
    return 0;
}

std::string GetCtrlLabel(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return {};
    if (c->caption)
        return c->caption->text().toLatin1().toStdString();
    if (auto *b = qobject_cast<QAbstractButton *>(c->widget.data()))
        return b->text().toLatin1().toStdString();
    if (auto *l = qobject_cast<QLabel *>(c->widget.data()))
        return l->text().toLatin1().toStdString();
    return c->widget->property("mqLabel").toString().toLatin1().toStdString();
}

int SetCtrlPrecision(int panel, int control, int decimals)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::Numeric || decimals < 0 || decimals > 15)
        return -1;
    ProgrammaticScope quiet;
    c->precision = decimals;
    static_cast<QDoubleSpinBox *>(c->widget.data())->setDecimals(decimals);
    return 0;
}

int GetCtrlPrecision(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->precision : -1;
}

int SetCtrlMin(int panel, int control, double minimum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    if (c->kind == Kind::Numeric) {
        static_cast<QDoubleSpinBox *>(c->widget.data())->setMinimum(minimum);
        c->numericValue = std::max(c->numericValue, minimum);
    }
    else if (c->kind == Kind::Slider)
        c->widget->findChild<QSlider *>()->setMinimum(static_cast<int>(std::lround(minimum * c->sliderScale)));
    else
        return -1;
    return 0;
}

int SetCtrlMax(int panel, int control, double maximum)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    ProgrammaticScope quiet;
    if (c->kind == Kind::Numeric) {
        static_cast<QDoubleSpinBox *>(c->widget.data())->setMaximum(maximum);
        c->numericValue = std::min(c->numericValue, maximum);
    }
    else if (c->kind == Kind::Slider)
        c->widget->findChild<QSlider *>()->setMaximum(static_cast<int>(std::lround(maximum * c->sliderScale)));
    else
        return -1;
    return 0;
}

double GetCtrlMin(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return 0;
    if (c->kind == Kind::Numeric)
        return static_cast<QDoubleSpinBox *>(c->widget.data())->minimum();
    if (c->kind == Kind::Slider)
        return c->widget->findChild<QSlider *>()->minimum() / c->sliderScale;
    return 0;
}

int SetCtrlTooltip(int panel, int control, const char *text)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->tooltip = text ? text : "";
    c->widget->setToolTip(QString::fromLatin1(c->tooltip.c_str()));
    return 0;
}

std::string GetCtrlTooltip(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    return c ? c->tooltip : std::string();
}

int GetCtrlBoundingRect(int panel, int control, Rect *rect)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget || !rect)
        return -1;
    const QRect g = c->widget->geometry();
    *rect = {g.y(), g.x(), g.height(), g.width()};
    return 0;
}

int SetCtrlPos(int panel, int control, int top, int left)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->move(left, top);
    return 0;
}

int SetActiveCtrl(int panel, int control)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    c->widget->setFocus();
    return 0;
}

int NewTextMessage(int panel, const char *text, int top, int left)
{
    PanelRec *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    ControlDef d;
    d.id = g_nextDynamicControl++;
    d.kind = Kind::TextMessage;
    d.panel = p->resource;
    d.label = text ? text : "";
    d.rect = {top, left, 20, 200};
    if (addControl(panel, p->widget, d) < 0)
        return -1;
    ControlRec &c = g_controls[d.id];
    c.widget->adjustSize();
    c.widget->show();
    c.widget->raise();
    return d.id;
}

int SetCtrlFont(int panel, int control, const char *family, int pointSize)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || !c->widget)
        return -1;
    QFont f = c->widget->font();
    if (family && *family)
        f.setFamily(QString::fromLatin1(family));
    // Sizes are pixel heights, as the panel layout is in pixels.
    if (pointSize > 0)
        f.setPixelSize(pointSize);
    c->widget->setFont(f);
    c->widget->adjustSize();
    return 0;
}

int DisplayImageFile(int panel, int control, const char *fileName)
{
    ControlRec *c = FindControl(panel, control);
    if (!c || c->kind != Kind::Picture || !fileName)
        return -1;
    std::string path = fileName;
    if (path.find('/') == std::string::npos)
        path = JoinPath(ProgramDirectory(), path);
    QPixmap pixmap;
    if (!pixmap.load(QString::fromStdString(path)))
        return -1;
    static_cast<QLabel *>(c->widget.data())->setPixmap(pixmap);
    return 0;
}

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

int PanelOfControl(int control)
{
    auto it = g_controls.find(control);
    return it == g_controls.end() ? -1 : it->second.panel;
}

} // namespace ui
