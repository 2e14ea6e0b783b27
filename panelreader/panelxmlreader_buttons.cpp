// PanelXmlReader: push buttons, check boxes, radio groups with their buttons,
// and tree branches (check boxes, toggle buttons or radio buttons as rows of
// a tree container).
#include "panelxmlreader.h"

#include "buttongroup.h"
#include "checkbox.h"
#include "container.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "programstate.h"
#include "pushbutton.h"
#include "togglebutton.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QRadioButton>
#include <QXmlStreamReader>

using namespace PanelXml;

// Every connection a value element can have with the window.
static constexpr unsigned allValueConnections = 0xFF;

void PanelXmlReader::readButton(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString label = readLabel(attributes);
    const QString define = checkDuplicateDefine(attributes);
    PushButton *button = parent->createPushButton(define, label, -1);
    if (has(attributes, "icon")) {
        readIconAttributes(attributes, button);
        button->setFlat(true);
    }
    if (has(attributes, "enabled"))
        button->setEnabled(text(attributes, "enabled") != QLatin1String("false"));
    button->setStyleSheet(QStringLiteral("QPushButton{ border: 1px solid gray; height: 22px; background: palette(button);}"));
    // Known by its object name: the define, or the name the button made for
    // itself, so that buttons without define do not share one entry.
    m_panel->setPushButton(button->objectName(), button);
    readCommonAttributes(attributes, button);
    const QString toolTip = button->property("tooltip").toString();
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    // A push button has no value and so no define binding.
    readActions(button, 0);
    connectSharedActionSignals(button, QStringLiteral("clicked"),
                               {QStringLiteral("resetGUI"), QStringLiteral("loadFile"),
                                QStringLiteral("startProgram"), QStringLiteral("runScript")});
    m_panel->publishToPython(define, button);
}

void PanelXmlReader::readCheckBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    CheckBox *box = parent->createCheckBox(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Checkbox"));
    finishToggleElement(box, attributes, readHeader(attributes, header), define);
    readActions(box, 0);
    box->setElementProperty("isRaised", false);
}

void PanelXmlReader::finishToggleElement(QWidget *box, const QXmlStreamAttributes &attributes,
                                         const QString &header, const QString &define)
{
    setElementProperty(box, "inverted", isInvertedRole(attributes));
    setElementProperty(box, "lockinverted", text(attributes, "lockinverted").toUInt() == 1);
    readDefineAttributes(attributes, box, header, define);
    readCommonAttributes(attributes, box);
    hookLocks(box, attributes, 0);
    connectValueElement(box, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages);
}

void PanelXmlReader::readToggleTail(QWidget *button, const QXmlStreamAttributes &attributes,
                                    const QString &header, const QString &define)
{
    setElementProperty(button, "inverted", isInvertedRole(attributes));
    readDefineAttributes(attributes, button, header, define);
    readCommonAttributes(attributes, button);
    hookLocks(button, attributes, 0);
    connectValueElement(button, allValueConnections);
}

// ---------------------------------------------------------------------------
// Radio groups

void PanelXmlReader::readRadioGroup(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    // The group is no widget: it goes with the panel's root container, so
    // groups do not pile up in the window over panel loads.
    QObject *owner = m_openContainers.isEmpty() ? nullptr : dynamic_cast<QObject *>(m_openContainers.first());
    auto *group = new ButtonGroup(define, owner ? owner : static_cast<QObject *>(m_panel));
    requireDefine(define, QStringLiteral("Radio"));
    if (has(attributes, "lockon"))
        xmlMessage(tr("\"lockon\" is not allowed for radio: "), QString(), false);
    readDefineAttributes(attributes, group, header, define);
    readElements(parent, header, group);
    if (text(attributes, "readonly").toInt() != 0) {
        for (int id = 0; id < group->buttons().size(); ++id) {
            if (QAbstractButton *button = group->button(id)) {
                button->setAttribute(Qt::WA_TransparentForMouseEvents);
                button->setFocusPolicy(Qt::NoFocus);
            }
        }
    }
    connectValueElement(group, ToLeds | ToSvgImages | ToMathLabels | ChangedByUser);
}

void PanelXmlReader::readRadioButton(Container *parent, ButtonGroup *radioGroup)
{
    if (!radioGroup) {
        xmlMessage(tr("Found &lt;radiobutton&gt; element that's not within a &lt;radio&gt; element"),
                   QString(), true);
        m_xml->skipCurrentElement();
        return;
    }
    const QXmlStreamAttributes attributes = m_xml->attributes();
    QRadioButton *button = parent->createRadioButton(readLabel(attributes), -1);
    const int id = radioGroup->buttons().size();
    readRadioButtonData(button, attributes, radioGroup);
    // The button's actions belong to the group, under the button's id.
    readActions(radioGroup, id);
    readCommonAttributes(attributes, button);
    button->setProperty("isRaised", false);
}

void PanelXmlReader::readRadioButtonData(QAbstractButton *button, const QXmlStreamAttributes &attributes,
                                         ButtonGroup *group)
{
    const int id = group->buttons().size();
    group->addRadioButton(button, readLabel(attributes), text(attributes, "value"));
    hookLocks(group, attributes, id);
    // Like its actions, the button's setDef is filed under its id.
    appendSetDefAction(group, attributes, id);
}

// ---------------------------------------------------------------------------
// Tree branches

void PanelXmlReader::readBranch(const QString &header, Container *parent, ButtonGroup *radioGroup)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString name = m_xml->name().toString();
    // Checked before anything is built or registered: a branch needs a tree.
    if (!takesBranches(parent)) {
        xmlMessage(tr("Branch outside a tree container is not read: "), text(attributes, "define"), false);
        m_xml->skipCurrentElement();
        return;
    }
    if (name == QLatin1String("radiobutton") && !radioGroup) {
        xmlMessage(tr("Found &lt;radiobutton&gt; element that's not within a &lt;radio&gt; element"),
                   QString(), true);
        m_xml->skipCurrentElement();
        return;
    }

    const QString define = checkDuplicateDefine(attributes);
    QWidget *widget = nullptr;
    if (name == QLatin1String("checkbox")) {
        auto *box = new CheckBox(define, QString());
        finishToggleElement(box, attributes, header, define);
        box->setElementProperty("isRaised", false);
        widget = box;
    } else if (name == QLatin1String("togglebutton")) {
        auto *button = new ToggleButton(define, QString());
        readToggleTail(button, attributes, header, define);
        widget = button;
    } else if (name == QLatin1String("radiobutton")) {
        auto *button = new QRadioButton;
        readRadioButtonData(button, attributes, radioGroup);
        button->setProperty("isRaised", false);
        widget = button;
    }

    const QString label = readLabel(attributes);
    const bool expand = !text(attributes, "expand").isEmpty() && text(attributes, "expand").toInt() == 1;
    TreeWidgetItem *row = addBranchTo(parent, label, widget);
    readElements(row, header, radioGroup);
    if (expand)
        row->setExpanded(true);
    row->setName(define.isEmpty() ? QStringLiteral("BRANCH_%1").arg(ProgramState::instance().branchCount++) : define);
}
