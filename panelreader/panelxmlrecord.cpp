// What the panel reader leaves on the live panel for the panel XML writer.
#include "panelxmlrecord.h"

#include "activeelement.h"
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

// Whether the object carries a record, without reading it back.
static bool hasRecord(const QObject *object)
{
    return elementPropertyOf(object, "xmlElement").isValid();
}

static bool hasRecord(const QTreeWidgetItem *row)
{
    return row->data(0, treeRole).isValid();
}

Element recordOf(const QObject *object)
{
    return object ? Element::fromVariant(elementPropertyOf(object, "xmlElement")) : Element();
}

void setRecord(QObject *object, const Element &element)
{
    if (object)
        setElementPropertyOf(object, "xmlElement", element.toVariant());
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

Snapshot::Parent Snapshot::parentOf(Container *parent)
{
    Parent kinds;
    kinds.container = parent;
    if (auto *row = dynamic_cast<TreeWidgetItem *>(parent)) {
        kinds.row = row;
    } else {
        kinds.widget = dynamic_cast<QWidget *>(parent);
        kinds.treeView = treeViewOf(kinds.widget);
    }
    return kinds;
}

Snapshot::Snapshot(Container *parent)
    : Snapshot(parentOf(parent))
{
}

Snapshot::Snapshot(const Parent &parent)
    : m_parent(parent.container)
    , m_widget(parent.widget)
    , m_row(parent.row)
    , m_treeView(parent.treeView)
{
    if (m_widget && !m_treeView) {
        const QObjectList &children = m_widget->children();
        m_children.count = children.size();
        m_children.last = children.isEmpty() ? nullptr : children.last();
        m_lastChild = m_children.last;
        if (auto *tabs = qobject_cast<QTabWidget *>(m_widget)) {
            m_pages.count = tabs->count();
            m_pages.last = tabs->count() > 0 ? tabs->widget(tabs->count() - 1) : nullptr;
            m_lastPage = m_pages.last;
        }
    }
    m_rows.count = rowCount();
    m_rows.last = m_rows.count > 0 ? rowAt(m_rows.count - 1) : nullptr;
}

// Where the entries after a mark start in a list of size entries: just after
// the marked last entry, which is where it was unless the build moved or
// removed children before it. entryAt gives the entry at an index; alive
// tells whether the marked entry still exists.
template <typename T, typename EntryAt>
static int firstAddedIndex(int count, T *last, bool alive, int size, EntryAt entryAt)
{
    if (!last)
        return 0;
    if (alive && count <= size && entryAt(count - 1) == last)
        return count;
    if (alive) {
        for (int i = size - 1; i >= 0; --i) {
            if (entryAt(i) == last)
                return i + 1;
        }
    }
    // The last entry went away during the build: what was there is not
    // known any more, so only what came after its place counts.
    return qMin(count, size);
}

// The widgets added to the parent since the snapshot, appended to out in
// order: the parent's new child widgets, then a tab widget's new pages.
void Snapshot::appendAddedWidgets(QList<QObject *> *out) const
{
    if (!m_widget || m_treeView)
        return;
    const QObjectList &children = m_widget->children();
    const int first = firstAddedIndex(m_children.count, m_children.last, !m_lastChild.isNull(), children.size(),
                                      [&](int i) { return children.at(i); });
    if (first < children.size())
        out->reserve(out->size() + children.size() - first);
    for (int i = first; i < children.size(); ++i) {
        QObject *child = children.at(i);
        if (child->isWidgetType())
            out->append(child);
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(m_widget)) {
        const int firstPage = firstAddedIndex(m_pages.count, m_pages.last, !m_lastPage.isNull(), tabs->count(),
                                              [&](int i) { return tabs->widget(i); });
        for (int i = firstPage; i < tabs->count(); ++i)
            out->append(tabs->widget(i));
    }
}

int Snapshot::rowCount() const
{
    if (auto *view = qobject_cast<QTreeWidget *>(m_treeView))
        return view->topLevelItemCount();
    return m_row ? m_row->childCount() : 0;
}

QTreeWidgetItem *Snapshot::rowAt(int index) const
{
    if (auto *view = qobject_cast<QTreeWidget *>(m_treeView))
        return view->topLevelItem(index);
    return m_row ? m_row->child(index) : nullptr;
}

QList<QTreeWidgetItem *> Snapshot::addedRows() const
{
    QList<QTreeWidgetItem *> rows;
    const int size = rowCount();
    // Rows are not objects: a row of the snapshot is taken as still there
    // when it is found by its address.
    const int first = firstAddedIndex(m_rows.count, m_rows.last, true, size, [&](int i) { return rowAt(i); });
    for (int i = first; i < size; ++i)
        rows.append(rowAt(i));
    return rows;
}

// Values up to this long are pooled; longer ones are mostly the element's own
// (a define, a label) and shared with the widget where it keeps them.
static const int maxPooledLength = 8;

QString TextPool::pooled(QStringView text)
{
    // A null text (an attribute that is absent) stays null, apart from the empty one.
    if (text.isNull())
        return QString();
    const auto found = m_texts.constFind(text);
    if (found != m_texts.constEnd())
        return found.value();
    const QString copy = text.toString();
    // A bound on what one read keeps: past it, texts are copied as they come.
    const int maxTexts = 4096;
    if (m_texts.size() < maxTexts)
        m_texts.insert(QStringView(copy), copy);
    return copy;
}

QString TextPool::name(QStringView text)
{
    return pooled(text);
}

QString TextPool::value(QStringView text)
{
    return text.size() <= maxPooledLength ? pooled(text) : text.toString();
}

// The string that a new widget keeps already and that equals text (its object
// name, a button's text); null when none does.
static QString keptText(const QList<QObject *> &added, QStringView text)
{
    for (QObject *object : added) {
        const QString &name = object->objectName();
        if (QStringView(name) == text)
            return name;
        if (auto *button = qobject_cast<QAbstractButton *>(object)) {
            const QString label = button->text();
            if (QStringView(label) == text)
                return label;
        }
    }
    return QString();
}

void Snapshot::record(const QString &name, const QXmlStreamAttributes &attributes, TextPool *texts)
{
    // Header groups and includes only pass their children on; those are
    // recorded one by one.
    if (name == QLatin1String("header") || name == QLatin1String("include"))
        return;
    const bool radio = name == QLatin1String("radio");

    QList<QObject *> added;
    appendAddedWidgets(&added);
    const QList<QTreeWidgetItem *> addedRows = this->addedRows();
    for (QTreeWidgetItem *row : addedRows) {
        if (QTreeWidget *view = row->treeWidget()) {
            if (QWidget *widget = view->itemWidget(row, 1))
                added.append(widget);
        }
    }

    // The record as it is stored (Element::toVariant's form), built once and
    // shared by every widget or row that takes it.
    QStringList flat;
    flat.reserve(1 + 2 * attributes.size());
    flat << (texts ? texts->name(name) : name);
    for (const QXmlStreamAttribute &attribute : attributes) {
        const QStringRef attributeName = attribute.qualifiedName();
        const QStringRef value = attribute.value();
        if (!texts) {
            flat << attributeName.toString() << value.toString();
            continue;
        }
        flat << texts->name(QStringView(attributeName));
        QString kept = value.size() > maxPooledLength ? keptText(added, QStringView(value)) : QString();
        flat << (kept.isNull() ? texts->value(QStringView(value)) : kept);
    }
    const QVariant element(flat);

    if (radio) {
        for (QObject *object : added) {
            auto *button = qobject_cast<QAbstractButton *>(object);
            if (button && button->group() && !hasRecord(button->group())) {
                setElementPropertyOf(button->group(), "xmlElement", element);
                return;
            }
        }
    } else {
        bool placed = false;
        for (QTreeWidgetItem *row : addedRows) {
            if (!hasRecord(row)) {
                row->setData(0, treeRole, element);
                placed = true;
            }
        }
        if (addedRows.isEmpty()) {
            for (QObject *object : added) {
                if (!hasRecord(object)) {
                    setElementPropertyOf(object, "xmlElement", element);
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
        list.append(element);
        m_row->setData(0, treeInlineRole, list);
    } else if (m_widget) {
        // Taken off the widget while it grows, so that the append does not
        // copy the whole list for every inline element.
        QVariantList list = m_widget->property("xmlInline").toList();
        m_widget->setProperty("xmlInline", QVariant());
        list.append(element);
        m_widget->setProperty("xmlInline", list);
    }
}

} // namespace PanelXmlRecord
