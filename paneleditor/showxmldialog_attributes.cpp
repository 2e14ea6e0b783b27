// ShowXMLDialog: applying an edited property row to the live element. Each
// edit changes the widget through its own setters and is recorded where the
// panel XML writer reads it: the element's attributes and the record
// of the attributes the element was read or created with.
#include "showxmldialog.h"
#include "paneleditorlog.h"

#include "activeelement.h"
#include "container.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "expression.h"
#include "expressionrename.h"
#include "mathlabel.h"
#include "quillpanel.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"
#include "propertydelegates.h"

#include <QPushButton>
#include <QRadioButton>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <qwt_dial.h>
#include <qwt_thermo.h>

namespace {

// Sets one attribute of the element's record; an empty value removes it.
void recordAttribute(QObject *element, const QString &attribute, const QString &value)
{
    PanelXmlRecord::Element record = PanelXmlRecord::recordOf(element);
    if (!record.isValid())
        record.name = PanelXmlWriter::elementNameOf(element);
    if (!record.isValid())
        return;
    if (value.isEmpty())
        record.remove(attribute);
    else
        record.set(attribute, value);
    PanelXmlRecord::setRecord(element, record);
}

// The attributes of a record that name defines, renamed: lock conditions and
// setDef lists as assignments, the source of a display, conditions and
// formulas operand by operand. True when one changed.
bool renameRecordReferences(PanelXmlRecord::Element &record, const QString &oldName, const QString &newName)
{
    static const QStringList assignments{QStringLiteral("lockon"), QStringLiteral("setDef"),
                                         QStringLiteral("setdef"), QStringLiteral("setDefInv"),
                                         QStringLiteral("setdefinv"), QStringLiteral("selectsetdef"),
                                         QStringLiteral("unselectsetdef")};
    static const QStringList formulas{QStringLiteral("cond"), QStringLiteral("formula")};
    // Only displays name a define by "data"; elsewhere it is a value.
    static const QStringList displays{QStringLiteral("led"), QStringLiteral("dial"), QStringLiteral("thermo")};
    bool changed = false;
    for (auto &attribute : record.attributes) {
        QString renamed = attribute.second;
        if (assignments.contains(attribute.first))
            renamed = renameAssignmentReferences(renamed, oldName, newName);
        else if (formulas.contains(attribute.first))
            renamed = renameFormulaReferences(renamed, oldName, newName);
        else if (attribute.first == QLatin1String("data") && displays.contains(record.name) && renamed == oldName)
            renamed = newName;
        if (renamed != attribute.second) {
            attribute.second = renamed;
            changed = true;
        }
    }
    return changed;
}

void renameRecordReferences(QObject *object, const QString &oldName, const QString &newName)
{
    PanelXmlRecord::Element record = PanelXmlRecord::recordOf(object);
    if (record.isValid() && renameRecordReferences(record, oldName, newName))
        PanelXmlRecord::setRecord(object, record);
}

void renameRecordReferences(QTreeWidgetItem *row, const QString &oldName, const QString &newName)
{
    PanelXmlRecord::Element record = PanelXmlRecord::recordOf(row);
    if (record.isValid() && renameRecordReferences(record, oldName, newName))
        PanelXmlRecord::setRecord(row, record);
}

// "true"/"false" in any letter case as "1"/"0"; any other text as it is.
QString boolText(const QString &value)
{
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("1");
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("0");
    return value;
}

// A colour "r;g;b"; invalid when a part is missing.
QColor colorOf(const QString &value)
{
    const QStringList parts = value.split(QLatin1Char(';'));
    if (parts.size() < 3)
        return QColor();
    return QColor(parts.at(0).trimmed().toInt(), parts.at(1).trimmed().toInt(), parts.at(2).trimmed().toInt(), 255);
}

void setBrushEverywhere(QWidget *element, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = element->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, role, QBrush(color, Qt::SolidPattern));
    element->setPalette(palette);
}

// The "Pos" and "Sizepolicy" texts the writer reads, from the live widget.
void recordPos(QWidget *element)
{
    setElementPropertyOf(element, "Pos", QStringLiteral("%1;%2").arg(element->x()).arg(element->y()));
}

void recordSizePolicy(QWidget *element)
{
    const QSizePolicy policy = element->sizePolicy();
    setElementPropertyOf(element, "Sizepolicy", sizePolicyName(policy.horizontalPolicy()) + QLatin1Char(';')
                                           + sizePolicyName(policy.verticalPolicy()));
}

// A row the element's kind has of its own: applied and its attributes
// recorded; false when the kind has no such row.
bool editKindRow(QWidget *element, const QString &row, const QString &value)
{
    const ElementKind *kind = elementKindOf(element);
    AttributeWrites writes;
    if (!kind || !kind->editRow || !kind->editRow(element, row, value, &writes))
        return false;
    for (const auto &write : writes)
        recordAttribute(element, write.first, write.second);
    return true;
}

} // namespace

QWidget *ShowXMLDialog::currentElement() const
{
    return m_selectedWidget;
}

QString ShowXMLDialog::workingDir() const
{
    return m_services.workingDir ? m_services.workingDir() : QString();
}

void ShowXMLDialog::setCurrentItemText(const QString &text)
{
    if (QStandardItem *item = m_treeModel->itemFromIndex(indexOf(m_selectedWidget)))
        item->setText(text);
}

void ShowXMLDialog::setAttribute(QWidget *element, const QString &name, const QString &value)
{
    qCDebug(lcPanelEditor) << "setAttribute(" << name << ", " << value << ")";
    if (!element)
        return;
    ActiveElement *active = activeElementOf(element);
    auto *thermo = qobject_cast<QwtThermo *>(element);

    if (name == QLatin1String("X")) {
        element->move(value.toInt(), element->y());
        recordPos(element);
    } else if (name == QLatin1String("Y")) {
        element->move(element->x(), value.toInt());
        recordPos(element);
    } else if (name == QLatin1String("Width") || name == QLatin1String("Height")) {
        QString old = elementPropertyOf(element, "Size").toString();
        if (!old.contains(QLatin1Char(';')))
            old = QStringLiteral("-1;-1");
        // A side is 0 to the largest size a widget can have.
        const int n = qBound(0, value.toInt(), QWIDGETSIZE_MAX);
        if (name == QLatin1String("Width")) {
            element->setFixedWidth(n);
            setElementPropertyOf(element, "Size", QString::number(n) + QLatin1Char(';') + old.section(QLatin1Char(';'), 1, 1));
        } else {
            element->setFixedHeight(n);
            setElementPropertyOf(element, "Size", old.section(QLatin1Char(';'), 0, 0) + QLatin1Char(';') + QString::number(n));
        }
    } else if (name == QLatin1String("SizePolH") || name == QLatin1String("SizePolV")) {
        QSizePolicy policy = element->sizePolicy();
        if (name == QLatin1String("SizePolH"))
            policy.setHorizontalPolicy(sizePolicyFromName(value));
        else
            policy.setVerticalPolicy(sizePolicyFromName(value));
        element->setSizePolicy(policy);
        recordSizePolicy(element);
    } else if (name == QLatin1String("Color")) {
        const QColor color = colorOf(value);
        if (color.isValid()) {
            setBrushEverywhere(element, qobject_cast<QPushButton *>(element) ? QPalette::Button : QPalette::Window,
                               color);
            setElementPropertyOf(element, "Color", value);
        }
    } else if (name == QLatin1String("alarmcolor") || name == QLatin1String("normalcolor")) {
        const QColor color = colorOf(value);
        if (thermo && color.isValid()) {
            setBrushEverywhere(element, name == QLatin1String("alarmcolor") ? QPalette::Highlight
                                                                            : QPalette::ButtonText,
                               color);
            setElementPropertyOf(element, name.toLatin1().constData(), value);
            recordAttribute(element, name, value);
        }
    } else if (name == QLatin1String("alarmlevel")) {
        if (thermo) {
            thermo->setAlarmLevel(value.toDouble());
            setElementPropertyOf(element, "alarmlevel", value);
            recordAttribute(element, name, value);
        }
    } else if (name == QLatin1String("orientation")) {
        if (thermo) {
            thermo->setOrientation(Qt::Orientation(value.toInt()));
            setElementPropertyOf(element, "orientation", value);
            recordAttribute(element, name, value);
        } else {
            editKindRow(element, name, value);
        }
    } else if (name == QLatin1String("Define")) {
        renameElement(element, value);
    } else if (name == QLatin1String("default")) {
        setElementPropertyOf(element, "my_default", value);
        if (active)
            active->resetToDefault();
    } else if (name == QLatin1String("header") || name == QLatin1String("svd")) {
        setElementPropertyOf(element, name.toLatin1().constData(), value);
        if (name == QLatin1String("svd"))
            setElementPropertyOf(element, "my_svd", value); // what the writer saves
    } else if (name == QLatin1String("Readonly")) {
        const QString text = boolText(value);
        const bool readOnly = text.toInt() != 0;
        // The edits take it as their own read-only state.
        if (!editKindRow(element, name, text)) {
            element->setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
            element->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::WheelFocus);
        }
        setElementPropertyOf(element, "my_readonly", text);
    } else if (name == QLatin1String("Label")) {
        setLabel(element, value);
    } else if (name == QLatin1String("Range")) {
        setRange(element, value);
    } else if (name == QLatin1String("Expression")) {
        setFormula(element, value);
    } else if (name == QLatin1String("run") || name == QLatin1String("singleShot")
               || name == QLatin1String("interval")) {
        editKindRow(element, name, value);
        setElementPropertyOf(element, name.toLatin1().constData(), value);
    } else if (name == QLatin1String("data") || name == QLatin1String("bitmask")) {
        setElementPropertyOf(element, name.toLatin1().constData(), value);
        recordAttribute(element, name, value);
    } else if (name == QLatin1String("OnColor") || name == QLatin1String("OffColor")) {
        // A LED and a toggle button show the colour themselves.
        if (!editKindRow(element, name, value))
            setElementPropertyOf(element, name.toLatin1().constData(), value);
        // The panel file keeps the colour as written: red;green;blue.
        QString written = value;
        written.replace(QLatin1Char(','), QLatin1Char(';'));
        recordAttribute(element, name.toLower(), written);
    } else if (name == QLatin1String("inverted")) {
        const int inverted = boolText(value).toInt();
        setElementPropertyOf(element, "inverted", inverted);
        PanelXmlRecord::Element record = PanelXmlRecord::recordOf(element);
        if (inverted)
            recordAttribute(element, QStringLiteral("role"), QStringLiteral("inverted"));
        else if (record.value(QStringLiteral("role")) == QLatin1String("inverted"))
            recordAttribute(element, QStringLiteral("role"), QString());
    } else {
        // The rows of some kinds only (a spin box's prefix, a plot's range,
        // a grid's columns, ...), in the kind's own file.
        editKindRow(element, name, value);
    }
    if (m_panel && active)
        m_panel->markModified(active);
}

void ShowXMLDialog::renameElement(QWidget *element, const QString &value)
{
    const QString old = element->objectName();
    if (value == old || !m_panel)
        return;
    // A name in use stays with its element or variable; an empty one would
    // leave the element without a define.
    if (value.isEmpty()) {
        reportError(tr("The define of %1 cannot be empty.").arg(old));
        return;
    }
    if (m_panel->elementExists(value) || m_panel->registries().variablesByName.contains(value)) {
        reportError(tr("The define %1 cannot be used: the name is in use.").arg(value));
        return;
    }
    // An element without a define entry (a text, a container) only changes
    // its name.
    m_panel->renameDefine(old, value);
    element->setObjectName(value);
    // The header entry follows the define.
    m_panel->renameModule(old, value);
    m_panel->renameElementName(old, value);
    // Formulas that read the old name read the new one, live and when saved.
    // Everything else that names it (displays, actions, conditions, setDef
    // lists, locks, table columns), live and in the records the writer saves.
    m_panel->carryDefineReferences(old, value);
    renameSavedReferences(old, value);
    const QList<MathLabel *> readers = m_panel->registries().mathLabelsByDefine.value(old);
    for (MathLabel *label : readers) {
        if (!label || label == element)
            continue;
        const QString formula =
            renameFormulaReferences(label->elementProperty("expression").toString(), old, value);
        setFormula(label, formula);
        if (QStandardItem *item = m_treeModel->itemFromIndex(indexOf(label)))
            item->setToolTip(formula);
    }
    m_panel->forgetUnreadOperand(old);
    // An image drawing names its values inside the drawing, which the panel
    // does not rewrite: say so rather than leave the image dark in silence.
    if (m_panel->registries().imagesByDefine.contains(old))
        reportError(tr("%1 is now %2, but an image drawing still shows %1: change the drawing to show %2.")
                        .arg(old, value));
    if (QStandardItem *item = m_treeModel->itemFromIndex(indexOf(element))) {
        if (item->text() == old)
            item->setText(value);
        item->setToolTip(value);
    }
}

void ShowXMLDialog::renameSavedReferences(const QString &oldName, const QString &newName)
{
    QList<QObject *> objects;
    if (m_panelRoot) {
        objects.append(m_panelRoot);
        objects.append(m_panelRoot->findChildren<QObject *>());
    }
    if (m_panel)
        objects.append(m_panel->registries().invisibleElements);
    for (QObject *object : qAsConst(objects)) {
        if (!object)
            continue;
        renameRecordReferences(object, oldName, newName);
        // Elements of a tree container keep their records on their rows.
        if (auto *view = qobject_cast<QTreeWidget *>(object)) {
            for (QTreeWidgetItemIterator it(view); *it; ++it)
                renameRecordReferences(*it, oldName, newName);
        }
    }
}

void ShowXMLDialog::setLabel(QWidget *element, const QString &value)
{
    if (auto *radio = qobject_cast<QRadioButton *>(element)) {
        radio->setText(value);
        recordAttribute(element, QStringLiteral("label"), value);
    } else if (editKindRow(element, QStringLiteral("Label"), value)) {
        // An entry titled by the element's text or title shows the new one.
        const ElementKind *kind = elementKindOf(element);
        if (kind->editorTitle == EditorTitle::Text || kind->editorTitle == EditorTitle::Title)
            setCurrentItemText(value);
    }
    if (dynamic_cast<Container *>(element)) {
        setElementPropertyOf(element, "my_label", value);
        QWidget *up = element->parentWidget();
        if (auto *tabs = qobject_cast<QTabWidget *>(up ? up->parentWidget() : nullptr)) {
            const int tab = tabs->indexOf(element);
            if (tab >= 0)
                tabs->setTabText(tab, value);
        }
    }
}

void ShowXMLDialog::setRange(QWidget *element, const QString &value)
{
    QString lowText;
    QString highText;
    if (!splitRangeRow(value, &lowText, &highText))
        return; // no high part: the range stays
    // The spin boxes and the knob take theirs in their own files.
    if (editKindRow(element, QStringLiteral("Range"), value))
        return;
    // Fractional bounds are kept as written.
    const double low = lowText.toDouble();
    const double high = highText.toDouble();
    const QString lowWritten = QString::number(low, 'g', 15);
    const QString highWritten = QString::number(high, 'g', 15);
    if (auto *dial = qobject_cast<QwtDial *>(element)) {
        dial->setScale(low, high);
        recordAttribute(element, QStringLiteral("min"), lowWritten);
        recordAttribute(element, QStringLiteral("max"), highWritten);
    } else if (auto *thermo = qobject_cast<QwtThermo *>(element)) {
        thermo->setScale(low, high);
        recordAttribute(element, QStringLiteral("min"), lowWritten);
        recordAttribute(element, QStringLiteral("max"), highWritten);
    }
}

void ShowXMLDialog::setFormula(QWidget *element, const QString &value)
{
    MathLabel *math = setLabelFormula(element, value);
    if (!math)
        return;
    recordAttribute(element, QStringLiteral("formula"), value);
    if (m_panel) {
        // The label is told of changes of the names it reads now.
        m_panel->removeMathLabel(math);
        m_panel->addMathLabel(math->variables(), math);
    }
}
