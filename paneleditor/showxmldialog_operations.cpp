// ShowXMLDialog: adding, removing and moving elements, and target variables.
#include "showxmldialog.h"
#include "paneleditorlog.h"

#include "absolutewidget.h"
#include "activeelement.h"
#include "boxcontainers.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "container.h"
#include "dataclass.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "gridwidget.h"
#include "hexspinbox.h"
#include "image.h"
#include "knob.h"
#include "led.h"
#include "lineedit.h"
#include "loglabel.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"
#include "pollentries.h"
#include "prompt.h"
#include "pushbutton.h"
#include "registermodel.h"
#include "registerview.h"
#include "slider.h"
#include "spinbox.h"
#include "table.h"
#include "tabwidget.h"
#include "text.h"
#include "textedit.h"
#include "timerlabel.h"
#include "togglebutton.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QDropEvent>
#include <QGridLayout>
#include <QInputDialog>
#include <QRadioButton>
#include <QStandardItemModel>
#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_thermo.h>

#include <algorithm>

namespace {

struct TypeRow {
    const char *base; // define base name
    const char *text; // the factory's text argument
};

// Per editor type code: the define base and the caption of a new element.
const TypeRow typeRows[ShowXMLDialog::TypeCodeCount] = {
    {"Vertical", ""},
    {"Horizontal", ""},
    {"Grid", ""},
    {"Tab", ""},
    {"Absolute", ""},
    {"Group", ""},
    {"RadioButtonDefine", "RadioButton"},
    {"ComboBoxDefine", "ComboBox"},
    {"CheckBoxDefine", "CheckBox"},
    {"SpinBoxDefine", "SpinBox"},
    {"HexSpinBoxDefine", "HexSpinBox"},
    {"DoubleSpinBoxDefine", "DoubleSpinBox"},
    {"LineEditDefine", "LineEdit"},
    {"TextEditDefine", "TextEdit"},
    {"MathLabelDefine", "MathLabel"},
    {"TextDefine", "Text"},
    {"", "Image"},
    {"LedDefine", "Led"},
    {"ButtonDefine", "Button"},
    {"ToggleButtonDefine", "ToggleButton"},
    {"TimerDefine", "Timer"},
    {"SliderDefine", "Slider"},
    {"KnobDefine", "Knob"},
    {"DialDefine", "Dial"},
    {"ThermoDefine", "Thermo"},
    {"Plot", "Plot"},
    {"RegViewDefine", "RegView"},
    {"TableDefine", "Table"},
};

bool isContainerWidget(const QObject *object)
{
    return object && dynamic_cast<const Container *>(object) != nullptr;
}

// The element kinds whose panel XML carries a define.
bool takesDefine(const QString &kind)
{
    static const QStringList kinds{
        QStringLiteral("combo"),    QStringLiteral("checkbox"), QStringLiteral("spinbox"),
        QStringLiteral("hexspinbox"), QStringLiteral("doublespinbox"), QStringLiteral("slider"),
        QStringLiteral("edit"),     QStringLiteral("editbox"),  QStringLiteral("math"),
        QStringLiteral("button"),   QStringLiteral("togglebutton"), QStringLiteral("timer"),
        QStringLiteral("knob"),     QStringLiteral("dial"),     QStringLiteral("thermo"),
        QStringLiteral("image"),    QStringLiteral("plot"),     QStringLiteral("registerview"),
        QStringLiteral("table"),
    };
    return kinds.contains(kind);
}

} // namespace

QString ShowXMLDialog::defaultDefineName(int typeCode) const
{
    const QString base =
        typeCode >= 0 && typeCode < TypeCodeCount ? QLatin1String(typeRows[typeCode].base) : QString();
    QString candidate;
    for (int number = 0; number <= 9999; ++number) {
        candidate = base + QLatin1Char('_') + QString::number(number);
        if (!m_panel || !m_panel->elementExists(candidate))
            break;
    }
    return candidate;
}

QRadioButton *ShowXMLDialog::addRadioToGroup(ButtonGroup *group, Container *container, const QString &text,
                                              int pos)
{
    if (!group || !container)
        return nullptr;
    QRadioButton *button = container->createRadioButton(text, pos);
    if (!button)
        return nullptr;
    const QList<QAbstractButton *> members = group->buttons();
    QString value;
    for (int number = int(members.size());; ++number) {
        value = QString::number(number);
        const bool used = std::any_of(members.cbegin(), members.cend(), [&value](const QAbstractButton *member) {
            return member->property("userData").toString() == value;
        });
        if (!used)
            break;
    }
    group->addRadioButton(button, text, value);
    PanelXmlRecord::Element record;
    record.name = QStringLiteral("radiobutton");
    record.set(QStringLiteral("label"), text);
    record.set(QStringLiteral("value"), value);
    PanelXmlRecord::setRecord(button, record);
    return button;
}

QWidget *ShowXMLDialog::createElementByType(Container *parent, int typeCode, int pos, ButtonGroup *radioGroup)
{
    if (!parent || typeCode < 0 || typeCode >= TypeCodeCount)
        return nullptr;
    if (typeCode == Radio && radioGroup)
        return addRadioToGroup(radioGroup, parent, QLatin1String(typeRows[typeCode].text), pos);
    const QString name = defaultDefineName(typeCode);
    const QString text = QLatin1String(typeRows[typeCode].text);
    QWidget *widget = nullptr;
    switch (typeCode) {
    case Vertical: widget = parent->createVerticalWidget(name, -1); break;
    case Horizontal: widget = parent->createHorizontalWidget(name, -1); break;
    case Grid: widget = parent->createGridWidget(name, -1); break;
    case Tab: widget = parent->createTabWidget(name, -1); break;
    case Absolute: widget = parent->createAbsoluteWidget(name, -1); break;
    case Group: widget = parent->createGroupBox(name, -1); break;
    case Radio: widget = parent->createRadioButton(text, pos); break;
    case Combo: widget = parent->createComboBox(name, text, pos); break;
    case Checkbox: widget = parent->createCheckBox(name, text, pos); break;
    case Spinbox: widget = parent->createSpinBox(name, text, pos); break;
    case HexSpinbox: widget = parent->createHexSpinBox(name, text, pos); break;
    case DoubleSpinbox: widget = parent->createDoubleSpinBox(name, text, pos); break;
    case LineEditCode: widget = parent->createLineEdit(name, text, pos); break;
    case TextEditCode: widget = parent->createTextEdit(name, text, pos); break;
    case MathLabelCode: widget = parent->createMathLabel(name, text, pos); break;
    case TextCode: widget = parent->createText(name, text, pos); break;
    case ImageCode: widget = parent->createImage(QStringLiteral("Filename"), name, text, pos); break;
    case LED: widget = parent->createLed(name, text, pos); break;
    case Button: widget = parent->createPushButton(name, text, pos); break;
    case ToggleButtonCode: widget = parent->createToggleButton(name, text, pos); break;
    case Timer: widget = parent->createTimerLabel(name, text, pos); break;
    case SliderCode: widget = parent->createSlider(name, text, pos); break;
    case KnobCode: widget = parent->createKnob(name, text, pos); break;
    case Dial: widget = parent->createDial(name, text, pos); break;
    case Thermo: widget = parent->createThermo(name, text, pos); break;
    case Plot: widget = parent->createPlot(name, text, pos); break;
    case RegView: widget = parent->createRegisterView(name, text, pos); break;
    case TableCode: widget = parent->createTable(name, text, pos); break;
    default: break;
    }
    if (!widget)
        return nullptr;

    // What the writer saves of the new element until its properties are edited.
    PanelXmlRecord::Element record;
    record.name = PanelXmlWriter::elementNameOf(widget);
    if (takesDefine(record.name))
        record.set(QStringLiteral("define"), name);
    if (!text.isEmpty() && (typeCode == Checkbox || typeCode == Button || typeCode == ToggleButtonCode
                            || typeCode == TextCode))
        record.set(QStringLiteral("label"), text);
    if (typeCode == Grid)
        record.set(QStringLiteral("columns"), QStringLiteral("2"));
    if (typeCode == ImageCode)
        record.set(QStringLiteral("file"), QStringLiteral("Filename"));

    if (auto *button = qobject_cast<QRadioButton *>(widget)) {
        // A radio button needs its group: the new button starts one of its own.
        QObject *owner = dynamic_cast<QObject *>(parent);
        auto *group = new ButtonGroup(name, owner ? owner : widget->parentWidget());
        group->addRadioButton(button, text, QStringLiteral("0"));
        PanelXmlRecord::Element groupRecord;
        groupRecord.name = QStringLiteral("radio");
        groupRecord.set(QStringLiteral("define"), name);
        PanelXmlRecord::setRecord(group, groupRecord);
        record.name = QStringLiteral("radiobutton");
        record.set(QStringLiteral("label"), text);
        record.set(QStringLiteral("value"), QStringLiteral("0"));
        if (m_panel) {
            if (ActiveElement *element = activeElementOf(group))
                m_panel->assignRegisterField(name, QString(), element, false);
        }
    }
    PanelXmlRecord::setRecord(widget, record);
    if (m_panel && record.name != QLatin1String("radiobutton")) {
        if (ActiveElement *element = activeElementOf(widget))
            m_panel->assignRegisterField(name, QString(), element, false);
    }
    return widget;
}

void ShowXMLDialog::addElement(int typeCode)
{
    const QModelIndex current = m_treeView->currentIndex();
    QObject *object = objectAt(current);
    if (!object || current.data(VarRole).toInt() == VarMark)
        return;
    QStandardItem *item = m_treeModel->itemFromIndex(current);
    QWidget *created = nullptr;
    QStandardItem *createdItem = nullptr;
    if (auto *container = dynamic_cast<Container *>(object)) {
        created = createElementByType(container, typeCode, -1);
        createdItem = buildEditorTree(created, item, -1);
    } else {
        const QModelIndex parentIndex = current.parent();
        auto *parentContainer = dynamic_cast<Container *>(objectAt(parentIndex));
        if (!parentContainer)
            return;
        QObject *parentObject = objectAt(parentIndex);
        int position = parentObject->children().indexOf(object);
        if (position < 0)
            position = parentObject->children().size();
        // The layout position of the element, where the container has a layout.
        const int layoutPosition = indexInContainer(qobject_cast<QWidget *>(parentObject),
                                                    qobject_cast<QWidget *>(object));
        if (layoutPosition >= 0)
            position = layoutPosition;
        // A radio button added beside a button of a group joins that group.
        auto *button = qobject_cast<QRadioButton *>(object);
        ButtonGroup *group = radioGroupOf(button);
        created = createElementByType(parentContainer, typeCode, position, group);
        createdItem = buildEditorTree(created, m_treeModel->itemFromIndex(parentIndex), current.row());
    }
    if (!created)
        return;
    if (!createdItem) {
        // A radio button stands in the tree through its own item.
        createdItem = buildEditorTree(created, item, -1);
    }
    if (createdItem) {
        m_treeView->setCurrentIndex(createdItem->index());
        on_clicked(createdItem->index());
    }
    if (m_panel)
        m_panel->markModified(nullptr);
}

// ---------------------------------------------------------------------------
// Target variables

void ShowXMLDialog::addVar()
{
    if (!Prompt::instance().isInteractive())
        return;
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Enter name of new var"), tr("Var name:"),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok)
        addVariable(name);
}

bool ShowXMLDialog::addVariable(const QString &name)
{
    if (!m_panel || !m_panelRoot || name.trimmed().isEmpty())
        return false;
    // A second variable of a name would leave the first one unreachable.
    if (m_panel->registries().variablesByName.contains(name) || m_panel->elementExists(name)
        || name == QLatin1String("$FUNC$") || name == QLatin1String("$VALUE$")
        || name == QLatin1String("$ADDRESS$") || name == QLatin1String("dummy_define")) {
        reportError(tr("A variable cannot be named %1: the name is in use.").arg(name));
        return false;
    }
    auto *variable = new DataClass(name);
    variable->setParent(m_panel);
    m_panel->setDataClass(name, variable);
    // The writer saves it in the root container.
    QWidget *root = m_panelRoot;
    if (!isContainerWidget(root)) {
        for (QWidget *child : m_panelRoot->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (isContainerWidget(child)) {
                root = child;
                break;
            }
        }
    }
    QVariantList list = root->property("xmlInline").toList();
    PanelXmlRecord::Element record;
    record.name = QStringLiteral("var");
    record.set(QStringLiteral("define"), name);
    list.append(record.toVariant());
    root->setProperty("xmlInline", list);
    addVarItem(variable);
    return true;
}

// ---------------------------------------------------------------------------
// Removing

bool ShowXMLDialog::contains(const QObject *ancestor, const QObject *widget)
{
    for (const QObject *each = widget; each; each = each->parent()) {
        if (each == ancestor)
            return true;
    }
    return false;
}

// Every object the removal takes with it: the object, what it contains, and
// the groups of radio buttons inside it.
static QList<QObject *> objectsGoingWith(QObject *object)
{
    QList<QObject *> objects{object};
    objects += object->findChildren<QObject *>();
    const QList<QAbstractButton *> buttons = object->findChildren<QAbstractButton *>();
    QList<QAbstractButton *> all = buttons;
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        all.append(button);
    for (QAbstractButton *button : all) {
        if (button->group() && !objects.contains(button->group())) {
            bool allGoing = true;
            for (QAbstractButton *member : button->group()->buttons())
                allGoing = allGoing && (member == object || objects.contains(member));
            if (allGoing)
                objects.append(button->group());
        }
    }
    return objects;
}

void ShowXMLDialog::removeWidget()
{
    if (m_services.cancelHighlight)
        m_services.cancelHighlight();
    const QModelIndex current = m_treeView->currentIndex();
    QObject *object = objectAt(current);
    if (!object)
        return;
    if (current.data(VarRole).toInt() == VarMark) {
        if (m_panel) {
            const QString name = object->objectName();
            if (m_panel->feedsFormula(name)) {
                reportError(tr("%1 is not removed: a formula reads it.").arg(name));
                return;
            }
            // The polling thread must not meet a variable that is going.
            if (m_services.stopPolling)
                m_services.stopPolling();
            m_panel->removeElement(object);
            if (m_services.startPolling)
                m_services.startPolling();
        }
        m_objects.remove(quint64(quintptr(object)));
        m_treeModel->removeRow(current.row());
        delete object;
        return;
    }
    if (!current.parent().isValid())
        return; // the root container and the hidden elements stay

    // Refused while something else of the panel names what would go.
    const QList<QObject *> going = objectsGoingWith(object);
    QStringList defines;
    for (QObject *each : going) {
        if (activeElementOf(each) && !each->objectName().isEmpty())
            defines << each->objectName();
    }
    if (m_panel) {
        for (const QString &define : qAsConst(defines)) {
            const QList<MathLabel *> readers = m_panel->registries().mathLabelsByDefine.value(define);
            for (MathLabel *reader : readers) {
                if (!going.contains(reader)) {
                    reportError(tr("%1 is not removed: the formula of %2 reads it.")
                                    .arg(define, reader->objectName()));
                    return;
                }
            }
            for (ActiveElement *other : qAsConst(m_panel->getAllElements())) {
                QObject *otherObject = objectOf(other);
                if (!otherObject || going.contains(otherObject))
                    continue;
                const QVariantMap locks = other->elementProperty("locks").toMap();
                for (const QVariant &list : locks) {
                    for (const QString &condition : list.toStringList()) {
                        if (condition.section(QLatin1Char('='), 0, 0).trimmed() == define) {
                            reportError(tr("%1 is not removed: %2 locks on it.")
                                            .arg(define, otherObject->objectName()));
                            return;
                        }
                    }
                }
            }
        }
        // A register shared with an element that stays cannot be given back in part.
        for (ModuleRecord *module : qAsConst(m_panel->registries().moduleTable)) {
            if (!module)
                continue;
            for (RegisterRecord *reg : qAsConst(module->registers)) {
                if (!reg)
                    continue;
                bool mine = false;
                bool others = false;
                for (ActiveElement *holder : reg->elementsByMask()) {
                    const bool goes = going.contains(objectOf(holder));
                    mine = mine || goes;
                    others = others || !goes;
                }
                if (mine && others) {
                    reportError(tr("%1 is not removed: it shares its register with elements that stay.")
                                    .arg(object->objectName()));
                    return;
                }
            }
        }
    }

    if (m_panel) {
        for (QObject *each : going)
            m_panel->removeElement(each);
    }
    if (m_selectedWidget && contains(object, m_selectedWidget))
        m_selectedWidget = nullptr;
    if (m_copied && contains(object, m_copied))
        m_copied = nullptr;
    forgetTree(object);
    m_treeModel->removeRow(current.row(), current.parent());
    m_propertyModel->removeRows(0, m_propertyModel->rowCount());
    // Groups of the buttons go with them.
    for (QObject *each : going) {
        if (qobject_cast<QButtonGroup *>(each) && !contains(object, each))
            delete each;
    }
    if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setParent(nullptr);
    delete object;
    if (m_panel)
        m_panel->markModified(nullptr);
}

void ShowXMLDialog::forgetTree(QObject *object)
{
    m_objects.remove(quint64(quintptr(object)));
    for (QObject *child : object->findChildren<QObject *>())
        m_objects.remove(quint64(quintptr(child)));
}

// ---------------------------------------------------------------------------
// Moving

int ShowXMLDialog::indexInContainer(QWidget *container, QWidget *w)
{
    auto *holder = dynamic_cast<Container *>(container);
    if (!holder || !w)
        return -1;
    return holder->layoutIndexOf(w);
}

bool ShowXMLDialog::moveElement(QWidget *element, QWidget *target, int pos)
{
    auto *container = dynamic_cast<Container *>(target);
    if (!element || !container || contains(element, target)) {
        if (element && target)
            logMessage(tr("%1 cannot go into itself.").arg(element->objectName()));
        return false;
    }
    const QModelIndex oldIndex = indexOf(element);
    const QModelIndex targetIndex = indexOf(target);
    if (!oldIndex.isValid() || !targetIndex.isValid() || !oldIndex.parent().isValid())
        return false;
    container->addWidget(element, pos);
    // Containers that take rows only from their factories (tree containers)
    // leave the element where it was: the tree stays as it is too.
    if (!contains(target, element))
        return false;
    element->show();
    // The tree follows the panel: the element's item is built again in its new place.
    forgetTree(element);
    m_treeModel->removeRow(oldIndex.row(), oldIndex.parent());
    const QModelIndex newParent = indexOf(target);
    QStandardItem *parentItem = m_treeModel->itemFromIndex(newParent);
    // The row: after the items of the elements that stand before it.
    int row = -1;
    const int layoutIndex = indexInContainer(target, element);
    if (layoutIndex >= 0 && parentItem) {
        row = 0;
        for (int i = 0; i < parentItem->rowCount(); ++i) {
            auto *sibling = qobject_cast<QWidget *>(objectAt(parentItem->child(i)->index()));
            const int siblingIndex = indexInContainer(target, sibling);
            if (siblingIndex >= 0 && siblingIndex < layoutIndex)
                row = i + 1;
        }
    }
    QStandardItem *item = buildEditorTree(element, parentItem, row);
    // Container items are appended; they go to their place as well.
    if (item && parentItem && row >= 0 && item->row() != row)
        parentItem->insertRow(row, parentItem->takeRow(item->row()));
    if (item)
        m_treeView->setCurrentIndex(item->index());
    m_treeView->expandAll();
    if (m_panel)
        m_panel->markModified(nullptr);
    return true;
}

void ShowXMLDialog::handleDrop(QDropEvent *event, int position)
{
    if (m_services.cancelHighlight)
        m_services.cancelHighlight();
    const QModelIndex targetIndex = m_treeView->indexAt(event->pos());
    auto *target = qobject_cast<QWidget *>(objectAt(targetIndex));
    // The editor moves rows itself, in step with the panel.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (position == DropOnViewport || !target)
        return;
    QList<QPointer<QWidget>> moving;
    for (const QModelIndex &index : m_treeView->selectionModel()->selectedIndexes()) {
        auto *element = qobject_cast<QWidget *>(objectAt(index));
        if (element && index.parent().isValid())
            moving.append(element);
    }
    static const char *const positionNames[] = {"OnItem", "AboveItem", "BelowItem", "OnViewport"};
    for (const QPointer<QWidget> &element : moving) {
        if (!element)
            continue;
        qCDebug(lcPanelEditor) << "Dropping " << element->objectName() << positionNames[qBound(0, position, 3)] << target->objectName();
        if (position == DropOnItem) {
            if (!isContainerWidget(target))
                return;
            moveElement(element, target, -1);
            continue;
        }
        const QModelIndex parentIndex = indexOf(target).parent();
        auto *holder = qobject_cast<QWidget *>(objectAt(parentIndex));
        if (!isContainerWidget(holder) || element == target)
            continue;
        int pos = indexInContainer(holder, target);
        if (pos >= 0 && position == DropBelowItem)
            ++pos;
        // Moving down inside the same layout: the element's own place goes first.
        const int own = indexInContainer(holder, element);
        if (own >= 0 && pos > own)
            --pos;
        moveElement(element, holder, pos);
    }
}
