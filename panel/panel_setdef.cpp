// Panel: setDef, the action by which one part of a panel sets others.
// Its text is a list of assignments "target=value" separated by ";"; each
// target is a target variable, an element define, an element define with a
// keyword, or a display widget with a keyword.
#include "quillpanel.h"

#include "container.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "image.h"
#include "led.h"
#include "myqwtplot.h"
#include "numberliteral.h"
#include "panelcolours.h"
#include "pushbutton.h"
#include "tabwidget.h"
#include "valueelement.h"

#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <limits>

// The keywords of the widget side of an element (indexes into elementKeywords).
enum WidgetKeyword : int {
    SaveKeyword = 22,
    ImageKeyword = 24,
    ColorKeyword = 25,
    VisibleKeyword = 26,
    EnabledKeyword = 27,
    XKeyword = 28,
    YKeyword = 29,
    MinKeyword = 30,
    MaxKeyword = 31,
    TextColorKeyword = 32,
    UpdateKeyword = 33,
};

// Whether the rest of the assignment list is carried out.
enum class ItemOutcome { Next, Stop };

// A number from panel text as an integer of type T: the fraction dropped, a
// value beyond the type's range taken as its nearest end, not-a-number as 0.
template <typename T>
static T truncatedTo(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= double(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (value >= double(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return T(value);
}

// A whole number for an unsigned 32-bit variable: a negative number in the
// signed 32-bit range is written as its two's complement, as a C program
// would store it; anything else outside 32 bits does not convert.
static bool unsignedFromDouble(double value, uint *result)
{
    if (!std::isfinite(value))
        return false;
    const double whole = std::trunc(value);
    if (whole < double(std::numeric_limits<qint32>::min()) || whole > double(std::numeric_limits<quint32>::max()))
        return false;
    *result = uint(qint64(whole));
    return true;
}

// The name of a target before its last "."; empty when there is no "." after
// the first character.
static QString namePart(const QString &target)
{
    const int dot = target.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? target.left(dot) : QString();
}

// ---------------------------------------------------------------------------
// Widget keywords shared by several tables

// "visible", "enabled", "x" and "y" on a widget; any other keyword does nothing.
static void applyWidgetKeyword(QWidget *widget, int keyword, const QString &value)
{
    switch (keyword) {
    case VisibleKeyword:
        widget->setVisible(value.toInt() != 0);
        break;
    case EnabledKeyword:
        widget->setEnabled(value.toInt() != 0);
        break;
    case XKeyword:
        widget->move(truncatedTo<int>(value.toDouble()), widget->y());
        break;
    case YKeyword:
        widget->move(widget->x(), truncatedTo<int>(value.toDouble()));
        break;
    default:
        break;
    }
}

// The same, for those of the keywords that the widget's table handles.
static void applyWidgetKeyword(QWidget *widget, int keyword, const QString &value,
                               std::initializer_list<int> handled)
{
    if (widget && std::find(handled.begin(), handled.end(), keyword) != handled.end())
        applyWidgetKeyword(widget, keyword, value);
}

// ---------------------------------------------------------------------------
// Range change

// A new minimum or maximum for an element with a range (spin boxes, slider,
// knob). A value the new range moves is noted for the report 100 ms later.
static void changeRange(Panel &panel, QObject *source, ActiveElement *element, bool minimum,
                        const QString &value)
{
    panel.setDefState().startCheckTimer();
    const double full = value.toDouble();
    const int whole = truncatedTo<int>(full);

    // Integer kinds take the bound made whole, the others as it is.
    RangeLimit range;
    if (!element->prepareRangeLimit(minimum, full, whole, &range))
        return;

    if (minimum ? whole > range.value : range.value > whole) {
        RangeChangeNote note;
        note.sender = source;
        note.element = objectOf(element);
        note.minimumChanged = minimum;
        note.oldValue = range.value;
        note.oldMinimum = range.minimum;
        note.oldMaximum = range.maximum;
        note.newValue = whole;
        note.newMinimum = minimum ? range.bound : range.minimum;
        note.newMaximum = minimum ? range.maximum : range.bound;
        panel.setDefState().addRangeChangeNote(note);
    }
    // The element moves a value outside the new range itself.
    range.apply();
}

// ---------------------------------------------------------------------------
// The tables of a target "name.key"

// An element under name: colours, visibility, place, range, or the element's
// own keyword.
static void setElementKeyword(Panel &panel, QObject *source, ActiveElement *element, int keyword,
                              const QString &value)
{
    QObject *object = objectOf(element);
    auto *widget = qobject_cast<QWidget *>(object);
    switch (keyword) {
    case ColorKeyword:
        if (element->ownsColorKeyword()) {
            element->setValue(value, ColorKeyword);
            break;
        }
        for (QObject *painted : element->colouredObjects()) {
            if (auto *paintedWidget = qobject_cast<QWidget *>(painted))
                PanelColours::setBGColor(paintedWidget, value.toInt());
        }
        break;
    case TextColorKeyword:
        for (QObject *painted : element->colouredObjects()) {
            if (auto *paintedWidget = qobject_cast<QWidget *>(painted))
                PanelColours::setTextColor(paintedWidget, value.toInt());
        }
        break;
    case VisibleKeyword:
    case EnabledKeyword:
    case XKeyword:
    case YKeyword:
        if (widget)
            applyWidgetKeyword(widget, keyword, value);
        break;
    case MinKeyword:
    case MaxKeyword:
        changeRange(panel, source, element, keyword == MinKeyword, value);
        break;
    default:
        element->setValue(value, keyword);
        break;
    }
}

// A container's "visible": a tab page leaves its tab widget and comes back at
// its old place with its old title; any other container hides and shows.
static void setContainerVisible(Panel &panel, const QString &name, QWidget *widget, const QString &value)
{
    QWidget *parent = widget->parentWidget();
    auto *tabs = parent ? qobject_cast<QTabWidget *>(parent->parentWidget()) : nullptr;
    if (!tabs) {
        widget->setVisible(value.toInt() != 0);
        return;
    }
    if (value.toInt() == 0) {
        const int index = tabs->indexOf(widget);
        // A page hidden already keeps the place it was hidden from.
        if (index < 0)
            return;
        panel.setDefState().hideTab(name, HiddenTab{tabs, widget, index, tabs->tabText(index)});
        tabs->removeTab(index);
        return;
    }
    const HiddenTab hidden = panel.setDefState().takeHiddenTab(name);
    if (hidden.tabs && hidden.page)
        hidden.tabs->insertTab(hidden.index, hidden.page, hidden.label);
}

static void setContainerKeyword(Panel &panel, const QString &name, Container *container, int keyword,
                                const QString &value)
{
    auto *widget = dynamic_cast<QWidget *>(container);
    if (widget) {
        if (keyword == ColorKeyword) {
            widget->setAutoFillBackground(true);
            QPalette palette = widget->palette();
            palette.setBrush(QPalette::Window, QBrush(QColor(QRgb(value.toInt()))));
            widget->setPalette(palette);
        } else if (keyword == VisibleKeyword) {
            setContainerVisible(panel, name, widget, value);
        } else {
            applyWidgetKeyword(widget, keyword, value, {EnabledKeyword, XKeyword, YKeyword});
        }
    }
    if (keyword == KeywordIndex) {
        if (TabWidget *tabs = panel.registries().tabWidgetsByName.value(name, nullptr))
            tabs->setCurrentIndex(value.toInt());
    }
}

static void setImageKeyword(Image *image, int keyword, const QString &value)
{
    if (!image)
        return;
    if (keyword == SaveKeyword) {
        image->updateSvgValues();
        image->saveSvg(value);
    } else if (keyword == ImageKeyword) {
        image->loadPicture(value);
    } else if (keyword == UpdateKeyword) {
        image->updateSvgValues();
        image->renderSvg();
    } else {
        applyWidgetKeyword(image, keyword, value, {VisibleKeyword, XKeyword, YKeyword});
    }
}

static void setPushButtonKeyword(PushButton *button, int keyword, const QString &value)
{
    if (keyword == ImageKeyword) {
        button->loadIcon(value);
    } else if (keyword == ColorKeyword) {
        const qulonglong c = value.toULong();
        const QString rgb = QStringLiteral("%1,%2,%3").arg((c >> 16) & 255).arg((c >> 8) & 255).arg(c & 255);
        button->setStyleSheet(QStringLiteral("QPushButton{background-color: rgb(%1);}"
                                             "QPushButton:checked{background-color: rgb(%1);}")
                                  .arg(rgb));
    } else {
        applyWidgetKeyword(button, keyword, value, {VisibleKeyword, EnabledKeyword});
    }
}

// The plot keys: the text after the last "." compared as it is.
static void setPlotKey(Panel &panel, MyQwtPlot *plot, const QString &key, QString value)
{
    if (ActiveElement *element = panel.getActiveElement(value))
        value = element->value(KeywordValue, 1);
    else
        value = parseNumberLiteral(value);
    const double number = value.toDouble();
    if (key == QLatin1String("visible")) {
        plot->setVisible(value.toInt() != 0);
        return;
    }
    if (key == QLatin1String("reset")) {
        plot->reset();
        plot->setTimeBase(0.0);
    } else if (key == QLatin1String("minY")) {
        plot->minY = float(truncatedTo<qint64>(number));
        plot->setAxisScale(QwtPlot::yLeft, number, double(plot->maxY), 0);
    } else if (key == QLatin1String("maxY")) {
        plot->maxY = float(truncatedTo<qint64>(number));
        plot->setAxisScale(QwtPlot::yLeft, double(plot->minY), number, 0);
    } else if (key == QLatin1String("minX")) {
        plot->minX = truncatedTo<quint32>(number);
        plot->setAxisScale(QwtPlot::xBottom, plot->minX, plot->maxX, 0);
    } else if (key == QLatin1String("maxX")) {
        plot->maxX = truncatedTo<quint32>(number);
        plot->setCurveCapacity(plot->maxX);
        plot->setAxisScale(QwtPlot::xBottom, plot->minX, plot->maxX, 0);
    } else if (key == QLatin1String("curveMask")) {
        plot->setCurveVisibility(truncatedTo<quint32>(number));
    } else {
        return;
    }
    plot->replot();
}

// ---------------------------------------------------------------------------
// One assignment

// The target's element: under the whole target, else under its name part.
static ActiveElement *targetElement(const Panel &panel, const QString &target)
{
    if (ActiveElement *element = panel.getActiveElement(target))
        return element;
    const QString name = namePart(target);
    return name.isEmpty() ? nullptr : panel.getActiveElement(name);
}

// Sets a target variable; false when the value does not convert.
static bool setVariable(DataClass *variable, const QString &value)
{
    bool ok = false;
    if (variable->isFloat) {
        const float number = value.toFloat(&ok);
        if (ok)
            variable->setFloatValue(number);
        return ok;
    }
    uint number = value.toUInt(&ok, 10);
    if (!ok && value.startsWith(QLatin1String("0x"))) {
        number = uint(value.toInt(&ok, 16));
    } else if (!ok) {
        const double whole = value.toDouble(&ok);
        ok = ok && unsignedFromDouble(whole, &number);
    }
    if (ok)
        variable->setValue(number);
    return ok;
}

// Carries out one item; a refused item is reported and counted in refused.
static ItemOutcome setDefItem(Panel &panel, QObject *source, const QString &item, int &refused)
{
    const auto refuse = [&item, &refused] {
        reportInvalidSetdefValue(item);
        ++refused;
    };
    const QStringList parts = item.split(QLatin1Char('='));
    if (parts.size() != 2) {
        refuse();
        return ItemOutcome::Stop;
    }
    const QString target = parts.at(0);
    QString value = parts.at(1);
    ActiveElement *element = targetElement(panel, target);
    const QString kind = element ? element->value(KeywordTypeInfo, 1) : QStringLiteral("anything");

    // The value: another element's value, a variable's value, or a number literal.
    if (kind != QLatin1String("Table") && kind != QLatin1String("RegView")
        && value != QLatin1String("$PERIPHERALS$")) {
        const QString valueName = namePart(value);
        if (ActiveElement *other = panel.getActiveElement(value)) {
            value = other->value(KeywordValue, 1);
        } else if (ActiveElement *other = valueName.isEmpty() ? nullptr : panel.getActiveElement(valueName)) {
            // A keyword of another element is copied into the target's value and
            // ends the list. A target that is no element cannot take it.
            if (!element) {
                refuse();
                return ItemOutcome::Stop;
            }
            element->setValue(other->value(keywordSuffixIndexOf(value), 1), KeywordValue);
            return ItemOutcome::Stop;
        } else if (DataClass *variable = panel.registries().variablesByName.value(value, nullptr)) {
            value = variable->isFloat ? QString::number(double(variable->floatValue()), 'g', 6)
                                      : QString::number(variable->value(), 10);
        } else {
            value = parseNumberLiteral(value);
        }
    }

    if (DataClass *variable = panel.registries().variablesByName.value(target, nullptr)) {
        if (setVariable(variable, value))
            return ItemOutcome::Next;
        refuse();
        return ItemOutcome::Stop;
    }
    if (ActiveElement *whole = panel.getActiveElement(target)) {
        // The value also becomes the stored value, unless setting it took the element away.
        ElementGuard guard(objectOf(whole), &panel);
        whole->setValue(value, KeywordValue);
        if (guard.alive())
            whole->loadValue(value);
        return ItemOutcome::Next;
    }
    const QString name = namePart(target);
    if (name.isEmpty()) {
        refuse();
        return ItemOutcome::Next;
    }
    const QString key = target.mid(name.size() + 1);
    const int keyword = keywordSuffixIndexOf(target);

    if (ActiveElement *named = panel.getActiveElement(name)) {
        setElementKeyword(panel, source, named, keyword, value);
    } else if (Image *image = panel.registries().imagesByName.value(name, nullptr)) {
        setImageKeyword(image, keyword, value);
    } else if (Led *led = panel.registries().ledsByName.value(name, nullptr)) {
        applyWidgetKeyword(led, keyword, value, {VisibleKeyword, XKeyword, YKeyword});
    } else if (QWidget *dial = panel.registries().dialsByName.value(name, nullptr)) {
        applyWidgetKeyword(dial, keyword, value, {VisibleKeyword});
    } else if (QWidget *thermo = panel.registries().thermosByName.value(name, nullptr)) {
        applyWidgetKeyword(thermo, keyword, value, {VisibleKeyword});
    } else if (Container *container = panel.registries().containersByName.value(name, nullptr)) {
        setContainerKeyword(panel, name, container, keyword, value);
    } else if (PushButton *button = panel.registries().pushButtonsByName.value(name, nullptr)) {
        setPushButtonKeyword(button, keyword, value);
    } else if (MyQwtPlot *plot = panel.registries().plotsByName.value(name, nullptr)) {
        setPlotKey(panel, plot, key, value);
    } else {
        refuse();
    }
    return ItemOutcome::Next;
}

void Panel::setDef(QString items)
{
    applySetDef(items);
}

int Panel::applySetDef(const QString &items)
{
    if (m_setDefState->logSetDefs())
        ::logMessage(QStringLiteral("setDef(%1)<br>").arg(items));
    // Only an element's signal names a sender for the range-change notes. An
    // item may open another panel, and the sender goes with the old one.
    QObject *sourceElement = senderElement();
    const QPointer<QObject> source = qobject_cast<ActiveElement *>(sourceElement) ? sourceElement : nullptr;
    const QStringList list = items.split(QLatin1Char(';'));
    int refused = 0;
    for (const QString &item : list) {
        if (setDefItem(*this, source.data(), item, refused) == ItemOutcome::Stop)
            break;
    }
    return refused;
}
