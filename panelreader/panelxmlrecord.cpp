// What the panel reader leaves on the live panel for the panel XML writer.
#include "panelxmlrecord.h"

#include "container.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWidget>

namespace PanelXmlRecord {

bool Element::has(const QString &attribute) const
{
    for (const auto &pair : attributes) {
        if (pair.first == attribute)
            return true;
    }
    return false;
}

QString Element::value(const QString &attribute) const
{
    for (const auto &pair : attributes) {
        if (pair.first == attribute)
            return pair.second;
    }
    return QString();
}

void Element::set(const QString &attribute, const QString &value)
{
    for (auto &pair : attributes) {
        if (pair.first == attribute) {
            pair.second = value;
            return;
        }
    }
    attributes.append({attribute, value});
}

void Element::remove(const QString &attribute)
{
    for (int i = attributes.size() - 1; i >= 0; --i) {
        if (attributes.at(i).first == attribute)
            attributes.removeAt(i);
    }
}

QVariant Element::toVariant() const
{
    QStringList flat{name};
    for (const auto &pair : attributes)
        flat << pair.first << pair.second;
    return flat;
}

Element Element::fromVariant(const QVariant &variant)
{
    const QStringList flat = variant.toStringList();
    Element element;
    if (flat.isEmpty())
        return element;
    element.name = flat.first();
    for (int i = 1; i + 1 < flat.size(); i += 2)
        element.attributes.append({flat.at(i), flat.at(i + 1)});
    return element;
}

Element Element::fromAttributes(const QString &name, const QXmlStreamAttributes &attributes)
{
    Element element;
    element.name = name;
    for (const QXmlStreamAttribute &attribute : attributes)
        element.attributes.append({attribute.qualifiedName().toString(), attribute.value().toString()});
    return element;
}

Element recordOf(const QObject *object)
{
    return object ? Element::fromVariant(object->property("xmlElement")) : Element();
}

void setRecord(QObject *object, const Element &element)
{
    if (object)
        object->setProperty("xmlElement", element.toVariant());
}

Element recordOf(const QTreeWidgetItem *row)
{
    return row ? Element::fromVariant(row->data(0, treeRole)) : Element();
}

void setRecord(QTreeWidgetItem *row, const Element &element)
{
    if (row)
        row->setData(0, treeRole, element.toVariant());
}

static QList<Element> listOf(const QVariant &variant)
{
    QList<Element> list;
    const QVariantList entries = variant.toList();
    for (const QVariant &entry : entries)
        list.append(Element::fromVariant(entry));
    return list;
}

QList<Element> inlineRecordsOf(const QObject *container)
{
    return container ? listOf(container->property("xmlInline")) : QList<Element>();
}

QList<Element> inlineRecordsOf(const QTreeWidgetItem *row)
{
    return row ? listOf(row->data(0, treeInlineRole)) : QList<Element>();
}

// ---------------------------------------------------------------------------

Snapshot::Snapshot(Container *parent)
    : m_parent(parent)
{
    if (auto *tree = dynamic_cast<TreeWidget *>(parent)) {
        m_treeView = tree->view();
        m_widget = tree;
    } else if (auto *row = dynamic_cast<TreeWidgetItem *>(parent)) {
        m_row = row;
    } else {
        m_widget = dynamic_cast<QWidget *>(parent);
    }
    const QList<QObject *> objects = currentObjects();
    m_objects = QSet<QObject *>(objects.cbegin(), objects.cend());
    const QList<QTreeWidgetItem *> rows = currentRows();
    m_rows = QSet<QTreeWidgetItem *>(rows.cbegin(), rows.cend());
}

QList<QObject *> Snapshot::currentObjects() const
{
    QList<QObject *> objects;
    if (!m_widget || m_treeView)
        return objects;
    objects = m_widget->children();
    if (auto *tabs = qobject_cast<QTabWidget *>(m_widget)) {
        for (int i = 0; i < tabs->count(); ++i)
            objects.append(tabs->widget(i));
    }
    return objects;
}

QList<QTreeWidgetItem *> Snapshot::currentRows() const
{
    QList<QTreeWidgetItem *> rows;
    if (auto *view = qobject_cast<QTreeWidget *>(m_treeView)) {
        for (int i = 0; i < view->topLevelItemCount(); ++i)
            rows.append(view->topLevelItem(i));
    } else if (m_row) {
        for (int i = 0; i < m_row->childCount(); ++i)
            rows.append(m_row->child(i));
    }
    return rows;
}

void Snapshot::record(const QString &name, const QXmlStreamAttributes &attributes)
{
    // Header groups and includes only pass their children on; those are
    // recorded one by one.
    if (name == QLatin1String("header") || name == QLatin1String("include"))
        return;
    const Element element = Element::fromAttributes(name, attributes);
    const bool radio = name == QLatin1String("radio");

    QList<QObject *> added;
    const QList<QObject *> objects = currentObjects();
    // New since the snapshot; the last children come first to look at.
    for (int i = objects.size() - 1; i >= 0; --i) {
        QObject *object = objects.at(i);
        if (!m_objects.contains(object) && object->isWidgetType())
            added.prepend(object);
    }
    QList<QTreeWidgetItem *> addedRows;
    const QList<QTreeWidgetItem *> rows = currentRows();
    for (QTreeWidgetItem *row : rows) {
        if (!m_rows.contains(row))
            addedRows.append(row);
    }
    for (QTreeWidgetItem *row : addedRows) {
        if (QTreeWidget *view = row->treeWidget()) {
            if (QWidget *widget = view->itemWidget(row, 1))
                added.append(widget);
        }
    }

    if (radio) {
        for (QObject *object : added) {
            auto *button = qobject_cast<QAbstractButton *>(object);
            if (button && button->group() && !recordOf(button->group()).isValid()) {
                setRecord(button->group(), element);
                return;
            }
        }
    } else {
        bool placed = false;
        for (QTreeWidgetItem *row : addedRows) {
            if (!recordOf(row).isValid()) {
                setRecord(row, element);
                placed = true;
            }
        }
        if (addedRows.isEmpty()) {
            for (QObject *object : added) {
                if (!recordOf(object).isValid()) {
                    setRecord(object, element);
                    placed = true;
                }
            }
        }
        if (placed || !added.isEmpty() || !addedRows.isEmpty())
            return;
    }

    // Nothing of its own to carry the record: the container keeps it.
    if (m_row) {
        QVariantList list = m_row->data(0, treeInlineRole).toList();
        list.append(element.toVariant());
        m_row->setData(0, treeInlineRole, list);
    } else if (m_widget) {
        QVariantList list = m_widget->property("xmlInline").toList();
        list.append(element.toVariant());
        m_widget->setProperty("xmlInline", list);
    }
}

} // namespace PanelXmlRecord
