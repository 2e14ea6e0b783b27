// ShowXMLDialog: copy and paste of element subtrees. A paste writes the
// copied element as panel XML and reads it back into the target container,
// so a copy is built, registered and connected exactly like an element read
// from a file, with its defines made unique.
#include "showxmldialog.h"

#include "activeelement.h"
#include "buttongroup.h"
#include "container.h"
#include "quillpanel.h"
#include "panelxmlreader.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"

#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

void ShowXMLDialog::copy()
{
    m_copied = qobject_cast<QWidget *>(objectAt(m_treeView->currentIndex()));
    m_pasteCount = 1;
}

void ShowXMLDialog::cut()
{
    if (m_services.cancelHighlight)
        m_services.cancelHighlight();
}

void ShowXMLDialog::paste()
{
    pasteElement();
}

// Child elements of an element that carry no define of their own.
static bool isPart(const QStringRef &name)
{
    return name == QLatin1String("action") || name == QLatin1String("item") || name == QLatin1String("curve")
        || name == QLatin1String("column") || name == QLatin1String("fragment");
}

// The fragment with every define renamed to define + "_Copy" + number.
static QByteArray renameDefines(const QByteArray &fragment, const QString &suffix)
{
    QByteArray out;
    QXmlStreamReader reader(fragment);
    QXmlStreamWriter writer(&out);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            writer.writeStartElement(reader.name().toString());
            const bool renamed = !isPart(reader.name()) && reader.name() != QLatin1String("led");
            for (const QXmlStreamAttribute &attribute : reader.attributes()) {
                QString value = attribute.value().toString();
                if (renamed && attribute.name() == QLatin1String("define") && !value.isEmpty())
                    value += suffix;
                writer.writeAttribute(attribute.name().toString(), value);
            }
        } else if (reader.isEndElement()) {
            writer.writeEndElement();
        } else if (reader.isCharacters() && !reader.isWhitespace()) {
            writer.writeCharacters(reader.text().toString());
        }
    }
    return out;
}

static QStringList definesOf(const QByteArray &fragment)
{
    QStringList defines;
    QXmlStreamReader reader(fragment);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && !isPart(reader.name()) && reader.name() != QLatin1String("led")) {
            const QString define = reader.attributes().value(QStringLiteral("define")).toString();
            if (!define.isEmpty())
                defines << define;
        }
    }
    return defines;
}

// The container an element sits in: the nearest container among its parents.
static Container *containerOf(QWidget *element)
{
    for (QWidget *up = element ? element->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto *container = dynamic_cast<Container *>(up))
            return container;
    }
    return nullptr;
}

static QList<QObject *> currentChildren(QWidget *container)
{
    QList<QObject *> children = container->children();
    if (auto *tabs = qobject_cast<QTabWidget *>(container)) {
        for (int i = 0; i < tabs->count(); ++i)
            children.append(tabs->widget(i));
    }
    return children;
}

QWidget *ShowXMLDialog::pasteElement()
{
    if (!m_copied || !m_panel)
        return nullptr;
    const QModelIndex current = m_treeView->currentIndex();
    QObject *object = objectAt(current);
    if (!object || current.data(VarRole).toInt() == VarMark)
        return nullptr;
    QWidget *target = nullptr;
    QModelIndex targetIndex;
    int pos = -1;
    if (dynamic_cast<Container *>(object)) {
        target = qobject_cast<QWidget *>(object);
        targetIndex = current;
    } else {
        targetIndex = current.parent();
        target = qobject_cast<QWidget *>(objectAt(targetIndex));
        if (!dynamic_cast<Container *>(target))
            return nullptr;
        pos = indexInContainer(target, qobject_cast<QWidget *>(object));
        if (pos >= 0)
            ++pos;
    }
    auto *container = dynamic_cast<Container *>(target);
    if (!target || !container)
        return nullptr;

    // A radio button pasted where its group's buttons are joins the group
    // (a group is saved as one element of the container that holds it).
    auto *sourceButton = qobject_cast<QRadioButton *>(m_copied.data());
    ButtonGroup *sourceGroup = radioGroupOf(sourceButton);
    if (sourceGroup && containerOf(sourceButton) == container) {
        const QList<QObject *> before = currentChildren(target);
        QRadioButton *button = addRadioToGroup(sourceGroup, container, sourceButton->text(), -1);
        if (button)
            button->setObjectName(sourceButton->objectName() + QStringLiteral("_Copy")
                                  + QString::number(m_pasteCount));
        ++m_pasteCount;
        return placePasted(target, targetIndex, pos, before);
    }

    // The copy is taken now, before anything is added: a container pasted
    // into itself copies what it held before the paste.
    PanelXmlWriter writer(m_panel, m_panelRoot);
    const QByteArray source = writer.fragmentXml(m_copied);
    const QStringList defines = definesOf(source);
    QString suffix;
    for (;; ++m_pasteCount) {
        suffix = QStringLiteral("_Copy") + QString::number(m_pasteCount);
        bool free = true;
        for (const QString &define : defines)
            free = free && !m_panel->elementExists(define + suffix)
                && !m_panel->registries().variablesByName.contains(define + suffix);
        if (free)
            break;
    }
    const QByteArray fragment = renameDefines(source, suffix);

    const QList<QObject *> before = currentChildren(target);
    const QList<ActiveElement *> elementsBefore = m_panel->getAllElements();
    if (m_services.stopPolling)
        m_services.stopPolling();
    {
        // A reader starts by clearing what a whole read fills; a paste keeps it.
        Panel *panel = m_panel;
        const Panel::ReadState kept = panel->takeReadState();
        PanelXmlReader reader(panel);
        panel->restoreReadState(kept);
        const bool loading = panel->loading();
        panel->setLoading(true);
        reader.readFragment(fragment, container);
        panel->setLoading(loading);
    }
    // The copies start from their defaults, as a loaded panel does.
    for (ActiveElement *element : m_panel->getAllElements()) {
        if (elementsBefore.contains(element))
            continue;
        element->resetToDefault();
        m_panel->addElementName(PanelNames::getObjectName(element));
        element->initialize();
    }
    if (m_services.startPolling)
        m_services.startPolling();
    ++m_pasteCount;
    return placePasted(target, targetIndex, pos, before);
}

QWidget *ShowXMLDialog::placePasted(QWidget *target, const QModelIndex &targetIndex, int pos,
                                    const QList<QObject *> &before)
{
    auto *container = dynamic_cast<Container *>(target);
    QWidget *pasted = nullptr;
    const QList<QObject *> after = currentChildren(target);
    QStandardItem *parentItem = m_treeModel->itemFromIndex(targetIndex);
    for (QObject *child : after) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || before.contains(child) || !PanelXmlRecord::recordOf(widget).isValid())
            continue;
        if (pos >= 0)
            container->addWidget(widget, pos++);
        // The item goes where the widget now stands among the items.
        int row = 0;
        const int layoutIndex = indexInContainer(target, widget);
        for (int i = 0; parentItem && i < parentItem->rowCount(); ++i) {
            auto *sibling = qobject_cast<QWidget *>(objectAt(parentItem->child(i)->index()));
            if (layoutIndex >= 0 && sibling && indexInContainer(target, sibling) >= 0
                && indexInContainer(target, sibling) < layoutIndex)
                row = i + 1;
        }
        QStandardItem *item = buildEditorTree(widget, parentItem, layoutIndex >= 0 ? row : -1);
        if (item && parentItem && layoutIndex >= 0 && item->row() != row)
            parentItem->insertRow(row, parentItem->takeRow(item->row()));
        if (!pasted)
            pasted = widget;
        if (item)
            m_treeView->setCurrentIndex(item->index());
    }
    m_treeView->expandAll();
    m_panel->markModified(nullptr);
    return pasted;
}
