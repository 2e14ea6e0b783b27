#pragma once

#include "panelxmlrecord.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>

class Panel;
class QObject;
class QTreeWidgetItem;
class QWidget;

// Writes the live panel back as panel XML (root element "zelmlcfg"): the
// header values the panel holds, then the element tree from the root widget.
// Every element is written from what the reader recorded on it (its element
// name and attributes, see panelxmlrecord.h) with the live values laid over
// it: the define (object name), the element attributes the editor changes
// ("Sizepolicy", "Size", "Color", "Pos", "my_font", "my_default", "header",
// "my_svd", "my_label", "my_readonly"), the action tables ("data"), lock
// tables ("locks"), combo items, radio buttons and plot curves. Elements the
// editor created carry no record; they are written from their class.
//
// The text is signed in memory (the checksum over everything after the
// checksum element, as the signing command computes it) and written once, so
// a failed write never leaves a half-written or unsigned file behind.
class PanelXmlWriter
{
    Q_DECLARE_TR_FUNCTIONS(PanelXmlWriter)

public:
    PanelXmlWriter(Panel *panel, QWidget *rootWidget);

    // The signed panel text, lines ended with CR LF.
    QByteArray toXml();
    // Writes toXml() to path; false with *error set when it failed (the old
    // file is then left as it was).
    bool save(const QString &path, QString *error);
    // The element (with everything inside it) as panel XML inside one
    // wrapping element "fragment": what the editor pastes.
    QByteArray fragmentXml(QWidget *element);
    // One line per element or header value that could not be written.
    QStringList warnings() const { return m_warnings; }

    // The element name for a widget of the editor: "spinbox" for a SpinBox,
    // and so on; empty for a widget that is no panel element.
    static QString elementNameOf(const QObject *widget);
    // Replaces the 64 characters of the checksum element by the checksum of
    // the text after it; false when the text has no checksum element.
    static bool sign(QByteArray &text);

private:
    void writeHeaderElements();
    void copyUnknownHeaderElements();
    void writeChildren(QWidget *container);
    void writeInline(const QList<PanelXmlRecord::Element> &records);
    void writeWidget(QWidget *widget, QTreeWidgetItem *row);
    void writeRow(QTreeWidgetItem *row);
    void writeRadioGroup(QObject *group);
    void writeAttributes(const PanelXmlRecord::Element &element);
    void writeActions(const QVariantList &list);
    void writeAllActions(QObject *element);
    void writeComboItems(QWidget *combo);
    void writeCurves(QWidget *plot);
    void writeLogItems(QWidget *log);
    void writeTableColumns(QWidget *table);
    PanelXmlRecord::Element liveRecord(QWidget *widget, QTreeWidgetItem *row);

    Panel *m_panel;
    QWidget *m_root;
    QWidget *m_rootWidget = nullptr; // the root container found under m_root
    PanelXmlRecord::Element m_rootRecord;
    QXmlStreamWriter m_xml;
    QSet<QObject *> m_writtenGroups;
    QStringList m_warnings;
};
