#include "widgetcontainer.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "gridwidget.h"
#include "hexspinbox.h"
#include "image.h"
#include "knob.h"
#include "led.h"
#include "lineedit.h"
#include "loglabel.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "pinmapping.h"
#include "pushbutton.h"
#include "registerview.h"
#include "slider.h"
#include "spinbox.h"
#include "svdtree.h"
#include "table.h"
#include "tabwidget.h"
#include "text.h"
#include "textedit.h"
#include "timerlabel.h"
#include "togglebutton.h"
#include "treewidget.h"

#include <QBoxLayout>
#include <QRadioButton>
#include <type_traits>

#include <qwt_dial.h>
#include <qwt_thermo.h>

WidgetContainer::WidgetContainer(QWidget *self, QBoxLayout *box)
    : m_self(self)
    , m_box(box)
{
}

void WidgetContainer::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(title)
    if (!m_box)
        return;
    // A widget moved within the box is taken out first, so it is not listed
    // twice. A new child was never in a layout: removing it would only search
    // the whole box for nothing.
    if (mayBeLaidOutIn(child, m_self))
        m_box->removeWidget(child);
    m_box->insertWidget(pos > m_box->count() ? -1 : pos, child);
}

bool WidgetContainer::mayBeLaidOutIn(const QWidget *child, const QWidget *owner)
{
    // Qt marks a widget the first time a layout takes it and never unmarks it.
    return child && child->parentWidget() == owner && child->testAttribute(Qt::WA_LaidOut);
}

int WidgetContainer::indexInLayout(QWidget *child) const
{
    QLayout *layout = m_self ? m_self->layout() : nullptr;
    return layout ? layout->indexOf(child) : -1;
}

void WidgetContainer::addWidget(QWidget *widget, int pos)
{
    placeChild(widget, QString(), pos);
}

QString WidgetContainer::name() const
{
    return m_self ? m_self->objectName() : QString();
}

void WidgetContainer::showChild(Container *child)
{
    Q_UNUSED(child)
}

WidgetContainer::CaptionRule WidgetContainer::captionRule(CaptionedKind kind) const
{
    Q_UNUSED(kind)
    return CaptionRule();
}

QString WidgetContainer::caption(CaptionedKind kind, const QString &text) const
{
    return captionRule(kind).caption ? text : QString();
}

QString WidgetContainer::title(CaptionedKind kind, const QString &text) const
{
    return captionRule(kind).title ? text : QString();
}

template <class T>
T *WidgetContainer::place(T *child, const QString &title, int pos)
{
    // Children belong to the container's panel.
    if constexpr (std::is_base_of_v<ActiveElement, T> || std::is_base_of_v<Container, T>
                  || std::is_base_of_v<PushButton, T>)
        child->setHost(host());
    placeChild(child, title, pos);
    return child;
}

// Elements

PushButton *WidgetContainer::createPushButton(const QString &name, const QString &text, int pos)
{
    const auto kind = CaptionedKind::PushButton;
    return place(new PushButton(name, caption(kind, text), m_self), title(kind, text), pos);
}

MyQwtPlot *WidgetContainer::createPlot(const QString &name, const QString &text, int pos)
{
    auto *plot = new MyQwtPlot(m_self);
    plot->setObjectName(name);
    return place(plot, text, pos);
}

QwtDial *WidgetContainer::createDial(const QString &name, const QString &text, int pos)
{
    Q_UNUSED(name)
    return place(new QwtDial(m_self), text, pos);
}

QwtThermo *WidgetContainer::createThermo(const QString &name, const QString &text, int pos)
{
    Q_UNUSED(name)
    return place(new QwtThermo(m_self), text, pos);
}

TimerLabel *WidgetContainer::createTimerLabel(const QString &name, const QString &text, int pos)
{
    return place(new TimerLabel(name, m_self), text, pos);
}

LogLabel *WidgetContainer::createLogLabel(const QString &name, const QString &text, int pos)
{
    return place(new LogLabel(name, m_self), text, pos);
}

RegisterView *WidgetContainer::createRegisterView(const QString &name, const QString &text, int pos)
{
    return place(new RegisterView(name, m_self), text, pos);
}

Table *WidgetContainer::createTable(const QString &name, const QString &text, int pos)
{
    return place(new Table(name, m_self), text, pos);
}

QRadioButton *WidgetContainer::createRadioButton(const QString &text, int pos)
{
    const auto kind = CaptionedKind::RadioButton;
    return place(new QRadioButton(caption(kind, text), m_self), title(kind, text), pos);
}

CheckBox *WidgetContainer::createCheckBox(const QString &name, const QString &text, int pos)
{
    const auto kind = CaptionedKind::CheckBox;
    return place(new CheckBox(name, caption(kind, text), m_self), title(kind, text), pos);
}

ToggleButton *WidgetContainer::createToggleButton(const QString &name, const QString &text, int pos)
{
    const auto kind = CaptionedKind::ToggleButton;
    return place(new ToggleButton(name, caption(kind, text), m_self), title(kind, text), pos);
}

ComboBox *WidgetContainer::createComboBox(const QString &name, const QString &text, int pos)
{
    return place(new ComboBox(name, m_self), text, pos);
}

SpinBox *WidgetContainer::createSpinBox(const QString &name, const QString &text, int pos)
{
    return place(new SpinBox(name, m_self), text, pos);
}

Slider *WidgetContainer::createSlider(const QString &name, const QString &text, int pos)
{
    return place(new Slider(name, m_self), text, pos);
}

Knob *WidgetContainer::createKnob(const QString &name, const QString &text, int pos)
{
    return place(new Knob(name, m_self), text, pos);
}

DoubleSpinBox *WidgetContainer::createDoubleSpinBox(const QString &name, const QString &text, int pos)
{
    return place(new DoubleSpinBox(name, m_self), text, pos);
}

HexSpinBox *WidgetContainer::createHexSpinBox(const QString &name, const QString &text, int pos)
{
    return place(new HexSpinBox(name, m_self), text, pos);
}

Image *WidgetContainer::createImage(const QString &file, const QString &name, const QString &label, int pos)
{
    return place(new Image(name, file, m_self), label, pos);
}

Led *WidgetContainer::createLed(const QString &name, const QString &text, int pos)
{
    return place(new Led(name, m_self), text, pos);
}

Text *WidgetContainer::createText(const QString &name, const QString &text, int pos)
{
    const auto kind = CaptionedKind::Text;
    return place(new Text(name, caption(kind, text), m_self), title(kind, text), pos);
}

TextEdit *WidgetContainer::createTextEdit(const QString &name, const QString &text, int pos)
{
    return place(new TextEdit(name, m_self), text, pos);
}

MathLabel *WidgetContainer::createMathLabel(const QString &name, const QString &text, int pos)
{
    return place(new MathLabel(name, m_self), text, pos);
}

LineEdit *WidgetContainer::createLineEdit(const QString &name, const QString &text, int pos)
{
    return place(new LineEdit(name, m_self), text, pos);
}

SvdTree *WidgetContainer::createSvdTree(const QString &name, const QString &text, int pos)
{
    return place(new SvdTree(name, m_self), text, pos);
}

PinMapping *WidgetContainer::createPinMapping(const QString &name, const QString &text, int pos)
{
    return place(new PinMapping(name, m_self), text, pos);
}

// Child containers

TabWidget *WidgetContainer::createTabWidget(const QString &label, int pos)
{
    return place(new TabWidget(m_self), label, pos);
}

AbsoluteWidget *WidgetContainer::createAbsoluteWidget(const QString &label, int pos)
{
    return place(new AbsoluteWidget(m_self), label, pos);
}

GroupBox *WidgetContainer::createGroupBox(const QString &label, int pos)
{
    const auto kind = CaptionedKind::GroupBox;
    return place(new GroupBox(caption(kind, label), m_self), title(kind, label), pos);
}

HorizontalWidget *WidgetContainer::createHorizontalWidget(const QString &label, int pos)
{
    return place(new HorizontalWidget(m_self), label, pos);
}

GridWidget *WidgetContainer::createGridWidget(const QString &label, int pos)
{
    return place(new GridWidget(m_self), label, pos);
}

VerticalWidget *WidgetContainer::createVerticalWidget(const QString &label, int pos)
{
    return place(new VerticalWidget(m_self), label, pos);
}

TreeWidget *WidgetContainer::createTreeWidget(const QString &label, int pos)
{
    return place(new TreeWidget(m_self), label, pos);
}
