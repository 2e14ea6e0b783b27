#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <QXmlStreamAttributes>

class Container;
class Panel;
class QTreeWidgetItem;
class QWidget;

// What the panel reader leaves on the live panel for the panel XML writer:
// the element name and the attributes each element was written with, so that
// a save keeps what the author wrote also where the widget itself keeps no
// trace of it (role, validator, tool tips, start values of hidden kinds).
//
// A widget carries its record in its attribute "xmlElement" (kept by the
// element; a dynamic property of any other widget), a tree row in the data
// of column 0 under treeRole. Elements that build no
// widget of their own (var, communication, file elements inside a container)
// are listed in order in the property "xmlInline" of their container (or in
// treeInlineRole of a tree row).
namespace PanelXmlRecord {

// One written element: its name and its attributes in document order.
struct Element {
    QString name;
    QList<QPair<QString, QString>> attributes;

    bool isValid() const { return !name.isEmpty(); }
    bool has(const QString &attribute) const;
    QString value(const QString &attribute) const;
    void set(const QString &attribute, const QString &value); // appends when new
    void remove(const QString &attribute);

    QVariant toVariant() const;
    static Element fromVariant(const QVariant &variant);
    static Element fromAttributes(const QString &name, const QXmlStreamAttributes &attributes);
};

constexpr int treeRole = Qt::UserRole + 77;
constexpr int treeInlineRole = Qt::UserRole + 78;

Element recordOf(const QObject *object);
void setRecord(QObject *object, const Element &element);
Element recordOf(const QTreeWidgetItem *row);
void setRecord(QTreeWidgetItem *row, const Element &element);
QList<Element> inlineRecordsOf(const QObject *container);
QList<Element> inlineRecordsOf(const QTreeWidgetItem *row);

// The texts of the records of one read: attribute names, element names and
// short values repeat across a panel, and each is kept once, shared by every
// record that has it (implicitly shared QStrings).
class TextPool
{
public:
    // A copy of text: the pooled one for a name or a short value.
    QString name(QStringView text);
    QString value(QStringView text);

private:
    QString pooled(QStringView text);
    // Keyed by views of the pooled strings themselves.
    QHash<QStringView, QString> m_texts;
};

// Taken by the dispatcher before an element is built into parent; record()
// afterwards gives the element's record to what the build added. Builds
// append their widgets and rows: the snapshot keeps how many there were and
// the last of them, so that what is new is found without looking at the
// parent's other children (a container of many children stays linear).
class Snapshot
{
public:
    // What a parent container is beneath its Container interface: found once
    // and handed to the snapshots of its children one after the other.
    struct Parent {
        Container *container = nullptr;
        QTreeWidgetItem *row = nullptr; // a branch row
        QWidget *widget = nullptr;
        QWidget *treeView = nullptr; // the view of a tree container
    };
    static Parent parentOf(Container *parent);

    explicit Snapshot(Container *parent);
    explicit Snapshot(const Parent &parent);
    // texts, when given, shares the record's names and short values with
    // the other records of the read; a value that is the new widget's object
    // name or button text shares that string.
    void record(const QString &name, const QXmlStreamAttributes &attributes, TextPool *texts = nullptr);

private:
    // A list of children as it was: its length and its last entry.
    template <typename T>
    struct Mark {
        int count = 0;
        T *last = nullptr;
    };

    // The widgets added to the parent since the snapshot, appended in order.
    void appendAddedWidgets(QList<QObject *> *out) const;
    QList<QTreeWidgetItem *> addedRows() const;
    int rowCount() const;
    QTreeWidgetItem *rowAt(int index) const;

    Container *m_parent;
    QWidget *m_widget = nullptr;
    QTreeWidgetItem *m_row = nullptr;     // a branch row as parent
    QWidget *m_treeView = nullptr;        // the view of a tree container as parent
    Mark<QObject> m_children;              // the parent widget's children
    QPointer<QObject> m_lastChild;         // tells whether the last child went meanwhile
    Mark<QWidget> m_pages;                 // the pages of a tab widget as parent
    QPointer<QWidget> m_lastPage;
    Mark<QTreeWidgetItem> m_rows;
};

} // namespace PanelXmlRecord
