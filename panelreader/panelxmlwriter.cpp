// PanelXmlWriter: the live panel back as panel XML, signed in memory.
#include "panelxmlwriter.h"

#include "absolutewidget.h"
#include "activeelement.h"
#include "boxcontainers.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "dataclass.h"
#include "doublespinbox.h"
#include "elementkinds.h"
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
#include "panelxmlreader.h"
#include "panelxmlrecord.h"
#include "productversion.h"
#include "programversion.h"
#include "pushbutton.h"
#include "registerview.h"
#include "slider.h"
#include "spinbox.h"
#include "svdtree.h"
#include "table.h"
#include "tabwidget.h"
#include "text.h"
#include "textedit.h"
#include "textfilewriter.h"
#include "timerlabel.h"
#include "togglebutton.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QFile>
#include <QGridLayout>
#include <QLayout>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QXmlStreamReader>
#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <qwt_scale_engine.h>
#include <qwt_thermo.h>

#include <functional>

using PanelXmlRecord::Element;

// The element names of containers: their children follow as child elements.
static bool isContainerName(const QString &name)
{
    static const QStringList names{
        QStringLiteral("verticalcontainer"), QStringLiteral("horizontalcontainer"),
        QStringLiteral("gridcontainer"),     QStringLiteral("tabcontainer"),
        QStringLiteral("absolutecontainer"), QStringLiteral("groupcontainer"),
        QStringLiteral("treecontainer"),
    };
    return names.contains(name);
}

// The reserved target-variable names the register table uses; never saved.
static bool isReservedVariable(const QString &name)
{
    return name == QLatin1String("$FUNC$") || name == QLatin1String("$VALUE$")
        || name == QLatin1String("$ADDRESS$") || name == QLatin1String("dummy_define");
}

// The attributes every element keeps for the writer, with their XML names.
static const struct {
    const char *property;
    const char *attribute;
} commonProperties[] = {
    {"Sizepolicy", "sizepolicy"}, {"Size", "size"},          {"Color", "color"},   {"Pos", "pos"},
    {"my_font", "font"},          {"my_default", "default"}, {"header", "header"}, {"my_svd", "svd"},
    {"my_label", "label"},        {"my_readonly", "readonly"},
};

// Lays the live values of object over its record: the define and the common
// properties the editor changes. A property that exists but is empty removes
// the attribute.
static void applyLiveValues(QObject *object, Element &element)
{
    if (!object)
        return;
    // A LED is named by its data and mask, not by its define attribute.
    if (element.has(QStringLiteral("define")) && !object->objectName().isEmpty()
        && element.name != QLatin1String("led"))
        element.set(QStringLiteral("define"), object->objectName());
    for (const auto &common : commonProperties) {
        const QVariant value = elementPropertyOf(object, common.property);
        if (!value.isValid())
            continue;
        const QString text = value.toString();
        if (text.isEmpty())
            element.remove(QLatin1String(common.attribute));
        else
            element.set(QLatin1String(common.attribute), text);
    }
    // The formula as the label reads it now (the editor changes it, for one
    // when a define it reads is renamed).
    if (element.name == QLatin1String("math")) {
        const QString formula = elementPropertyOf(object, "expression").toString();
        if (!formula.isEmpty())
            element.set(QStringLiteral("formula"), formula);
    }
}

PanelXmlWriter::PanelXmlWriter(Panel *panel, QWidget *rootWidget)
    : m_panel(panel)
    , m_root(rootWidget)
{
}

QString PanelXmlWriter::elementNameOf(const QObject *widget)
{
    const ElementKind *kind = elementKindOf(widget);
    if (!kind)
        return QString();
    const QString name = kind->xmlName();
    // Two kinds are written in one of two forms, told apart by the widget.
    if (name == QLatin1String("text")) {
        auto *frame = qobject_cast<const QFrame *>(widget);
        return frame && frame->frameShape() == QFrame::HLine ? QStringLiteral("horizontalline") : name;
    }
    if (name == QLatin1String("image"))
        return widget->property("File").toString() == Image::embeddedSvgMark ? QStringLiteral("svgembed") : name;
    return name;
}

// ---------------------------------------------------------------------------
// Whole file

bool PanelXmlWriter::sign(QByteArray &text)
{
    static const QByteArray open("<checksum>");
    static const QByteArray close("</checksum>");
    const int start = text.indexOf(open);
    const int end = text.indexOf(close);
    if (start < 0 || end < start + open.size())
        return false;
    QByteArray plain = text;
    plain.replace('\r', QByteArray());
    text.replace(start + open.size(), end - start - open.size(), PanelXmlReader::checksumOf(plain));
    return true;
}

QByteArray PanelXmlWriter::toXml()
{
    m_warnings.clear();
    m_writtenGroups.clear();
    m_rootRecord = Element();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_xml.setDevice(&buffer);
    m_xml.setAutoFormatting(true);
    m_xml.setAutoFormattingIndent(-1);
    m_xml.writeStartDocument();
    m_xml.writeStartElement(QStringLiteral("zelmlcfg"));
    QString version = programVersion().text().isEmpty() ? ProgramVersion(productVersionString()).shortText()
                                                         : programVersion().shortText();
    m_xml.writeAttribute(QStringLiteral("version"), version);
    m_xml.writeTextElement(QStringLiteral("checksum"), QString(64, QLatin1Char('0')));
    writeHeaderElements();
    copyUnknownHeaderElements();

    QWidget *root = m_root;
    if (root && PanelXmlRecord::recordOf(root).name.isEmpty() && elementNameOf(root).isEmpty()) {
        // The scroll area's content: the root container is its child.
        root = nullptr;
        for (QWidget *child : m_root->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!elementNameOf(child).isEmpty()) {
                root = child;
                break;
            }
        }
    }
    m_rootWidget = root;
    if (root)
        writeWidget(root, nullptr);
    else
        m_warnings << tr("The panel has no root container.");
    m_xml.writeEndDocument();
    m_xml.setDevice(nullptr);

    sign(bytes);
    bytes.replace("\r\n", "\n");
    bytes.replace("\n", "\r\n");
    return bytes;
}

QByteArray PanelXmlWriter::fragmentXml(QWidget *element)
{
    m_warnings.clear();
    m_writtenGroups.clear();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_xml.setDevice(&buffer);
    m_xml.setAutoFormatting(true);
    m_xml.writeStartDocument();
    m_xml.writeStartElement(QStringLiteral("fragment"));
    auto *button = qobject_cast<QRadioButton *>(element);
    if (button && button->group())
        writeRadioGroup(button->group());
    else if (element)
        writeWidget(element, nullptr);
    m_xml.writeEndDocument();
    m_xml.setDevice(nullptr);
    return bytes;
}

bool PanelXmlWriter::save(const QString &path, QString *error)
{
    const QByteArray bytes = toXml();
    // A file without a root container would not open again.
    if (!m_rootWidget) {
        if (error)
            *error = tr("The panel has no root container.");
        return false;
    }
    // The panel writer may replace the loaded panel, nothing but a panel.
    TextFileWriter writer(path, WrittenKind::Panel);
    writer.allowLoadedPanel();
    writer.setDiskBytes(bytes);
    if (writer.write())
        return true;
    if (error) {
        *error = writer.refused() ? WriteGuard::refusalMessage(writer.target(), writer.errorString())
                                  : writer.errorString();
    }
    return false;
}

// ---------------------------------------------------------------------------
// Header elements

void PanelXmlWriter::writeHeaderElements()
{
    if (!m_panel)
        return;
    const auto empty = [this](const QString &name, const QList<QPair<QString, QString>> &attributes) {
        m_xml.writeEmptyElement(name);
        for (const auto &pair : attributes)
            m_xml.writeAttribute(pair.first, pair.second);
    };
    empty(QStringLiteral("version"), {{QStringLiteral("label"), m_panel->header().xmlVersion}});
    QString min;
    QString max;
    m_panel->header().getFWVersionRange(min, max);
    if (min != QLatin1String("0.0.0") || max != QLatin1String("0.0.0"))
        empty(QStringLiteral("fwversion"), {{QStringLiteral("min"), min}, {QStringLiteral("max"), max}});
    if (!m_panel->header().svdFile.isEmpty())
        empty(QStringLiteral("svd"), {{QStringLiteral("file"), m_panel->header().svdFile}});
    if (!m_panel->header().migrationFile.isEmpty())
        empty(QStringLiteral("migration"), {{QStringLiteral("file"), m_panel->header().migrationFile}});
    if (m_panel->header().hasOwnDisclaimer && !m_panel->header().disclaimerFile.isEmpty())
        empty(QStringLiteral("disclaimer"), {{QStringLiteral("file"), m_panel->header().disclaimerFile}});
    if (!m_panel->header().ioPortName.isEmpty() || !m_panel->header().ioPortSettings.isEmpty()) {
        QList<QPair<QString, QString>> attributes;
        if (!m_panel->header().ioPortName.isEmpty())
            attributes.append({QStringLiteral("port"), m_panel->header().ioPortName});
        if (!m_panel->header().ioPortSettings.isEmpty())
            attributes.append({QStringLiteral("settings"), m_panel->header().ioPortSettings});
        empty(QStringLiteral("ioconfig"), attributes);
    }
    if (m_panel->header().ioCheckMode != 1)
        empty(QStringLiteral("iocheck"), {{QStringLiteral("mode"), QString::number(m_panel->header().ioCheckMode)}});
    empty(QStringLiteral("loadsaveallowed"),
          {{QStringLiteral("value"), m_panel->header().loadSaveAllowed ? QStringLiteral("1") : QStringLiteral("0")}});
    if (!m_panel->header().forumUrl.isEmpty() || !m_panel->header().forumToolTip.isEmpty()) {
        QList<QPair<QString, QString>> attributes{{QStringLiteral("forumurl"), m_panel->header().forumUrl}};
        if (!m_panel->header().forumToolTip.isEmpty())
            attributes.append({QStringLiteral("tooltip"), m_panel->header().forumToolTip});
        empty(QStringLiteral("infosource"), attributes);
    }
    if (m_panel->toolTipSections() != 0xffff)
        empty(QStringLiteral("tooltipconfig"),
              {{QStringLiteral("value"), QStringLiteral("0x%1").arg(m_panel->toolTipSections(), 0, 16)}});
    // "Documentation" is what a panel without the element gets.
    if (!m_panel->header().documentsPath.isEmpty() && m_panel->header().documentsPath != QLatin1String("Documentation"))
        empty(QStringLiteral("documents"), {{QStringLiteral("path"), m_panel->header().documentsPath}});
}

// Copies the element the reader stands on, with everything inside it.
static void copyElement(QXmlStreamReader &reader, QXmlStreamWriter &writer)
{
    writer.writeStartElement(reader.name().toString());
    writer.writeAttributes(reader.attributes());
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            copyElement(reader, writer);
        else if (reader.isCharacters() && !reader.isWhitespace())
            writer.writeCharacters(reader.text().toString());
        else if (reader.isEndElement())
            break;
    }
    writer.writeEndElement();
}

// Header elements the panel keeps no value of (parameter map, pin mapping,
// ELF file, terminal, Python use and names of newer programs) are taken over
// from the file the panel was read from.
void PanelXmlWriter::copyUnknownHeaderElements()
{
    if (!m_panel || m_panel->header().xmlFile.isEmpty())
        return;
    QFile file(m_panel->header().xmlFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    static const QStringList written{
        QStringLiteral("checksum"),   QStringLiteral("version"),    QStringLiteral("fwversion"),
        QStringLiteral("svd"),        QStringLiteral("migration"),  QStringLiteral("disclaimer"),
        QStringLiteral("ioconfig"),   QStringLiteral("iocheck"),    QStringLiteral("loadsaveallowed"),
        QStringLiteral("infosource"), QStringLiteral("tooltipconfig"), QStringLiteral("documents"),
    };
    QXmlStreamReader reader(&file);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("zelmlcfg"))
        return;
    while (reader.readNextStartElement()) {
        const QString name = reader.name().toString();
        if (isContainerName(name)) {
            // The root container keeps its attributes (label, header labels,
            // column widths) nowhere else.
            m_rootRecord = Element::fromAttributes(name, reader.attributes());
            break;
        }
        if (written.contains(name))
            reader.skipCurrentElement();
        else
            copyElement(reader, m_xml);
    }
}

// ---------------------------------------------------------------------------
// Elements

// The widgets of a container in the order the reader placed them.
static QList<QWidget *> childWidgets(QWidget *container)
{
    QList<QWidget *> widgets;
    if (auto *tabs = qobject_cast<QTabWidget *>(container)) {
        for (int i = 0; i < tabs->count(); ++i)
            widgets.append(tabs->widget(i));
        return widgets;
    }
    if (QLayout *layout = container->layout()) {
        // Layout items in order, nested layouts in place.
        std::function<void(QLayout *)> walk = [&](QLayout *each) {
            for (int i = 0; i < each->count(); ++i) {
                QLayoutItem *item = each->itemAt(i);
                if (item->widget())
                    widgets.append(item->widget());
                else if (item->layout())
                    walk(item->layout());
            }
        };
        walk(layout);
        // Children outside the layout (hidden elements taken out of it) follow.
        for (QWidget *child : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!widgets.contains(child) && PanelXmlRecord::recordOf(child).isValid())
                widgets.append(child);
        }
        return widgets;
    }
    return container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

void PanelXmlWriter::writeInline(const QList<Element> &records)
{
    for (Element record : records) {
        if (record.name == QLatin1String("var")) {
            const QString define = record.value(QStringLiteral("define"));
            DataClass *variable = m_panel ? m_panel->registries().variablesByName.value(define) : nullptr;
            // A variable the editor removed is gone from the panel.
            if (!variable || isReservedVariable(define))
                continue;
            applyLiveValues(variable, record);
        }
        QObject *hidden = nullptr;
        if (m_panel && (record.name == QLatin1String("math") || record.name == QLatin1String("timer"))) {
            // An element that is no widget of the panel: the panel lists it.
            const QString define = record.value(QStringLiteral("define"));
            for (QObject *object : qAsConst(m_panel->registries().invisibleElements)) {
                if (object && object->objectName() == define)
                    hidden = object;
            }
            if (!hidden)
                continue;
            applyLiveValues(hidden, record);
        }
        if (hidden) {
            m_xml.writeStartElement(record.name);
            writeAttributes(record);
            writeAllActions(hidden);
            m_xml.writeEndElement();
            continue;
        }
        m_xml.writeEmptyElement(record.name);
        for (const auto &pair : qAsConst(record.attributes))
            m_xml.writeAttribute(pair.first, pair.second);
    }
}

void PanelXmlWriter::writeChildren(QWidget *container)
{
    writeInline(PanelXmlRecord::inlineRecordsOf(container));
    if (QTreeWidget *view = treeViewOf(container)) {
        for (int i = 0; i < view->topLevelItemCount(); ++i)
            writeRow(view->topLevelItem(i));
        return;
    }
    const QList<QWidget *> widgets = childWidgets(container);
    for (QWidget *child : widgets) {
        if (auto *button = qobject_cast<QRadioButton *>(child)) {
            if (button->group())
                writeRadioGroup(button->group());
            continue;
        }
        if (PanelXmlRecord::recordOf(child).isValid())
            writeWidget(child, nullptr);
        else if (elementNameOf(child).isEmpty())
            writeChildren(child); // a frame of the container: look inside
    }
}

Element PanelXmlWriter::liveRecord(QWidget *widget, QTreeWidgetItem *row)
{
    Element element = row ? PanelXmlRecord::recordOf(row) : PanelXmlRecord::recordOf(widget);
    if (!element.isValid() && widget && widget == m_rootWidget && m_rootRecord.name == elementNameOf(widget))
        element = m_rootRecord;
    if (!element.isValid()) {
        element.name = elementNameOf(widget);
        // A container the reader built at the root: its label is kept apart.
        const QString rootLabel = widget && widget == m_rootWidget ? elementPropertyOf(widget, "my_label").toString()
                                                                   : QString();
        if (!rootLabel.isEmpty())
            element.set(QStringLiteral("label"), rootLabel);
        if (element.name == QLatin1String("gridcontainer")) {
            if (auto *layout = qobject_cast<QGridLayout *>(widget->layout()))
                element.set(QStringLiteral("columns"), QString::number(layout->columnCount()));
        }
    }
    applyLiveValues(widget, element);
    return element;
}

void PanelXmlWriter::writeAttributes(const Element &element)
{
    for (const auto &pair : element.attributes)
        m_xml.writeAttribute(pair.first, pair.second);
}

void PanelXmlWriter::writeWidget(QWidget *widget, QTreeWidgetItem *row)
{
    const Element element = liveRecord(widget, row);
    if (element.name.isEmpty()) {
        m_warnings << tr("Element %1 (%2) is not saved: its kind has no panel XML form.")
                          .arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()));
        return;
    }
    m_xml.writeStartElement(element.name);
    writeAttributes(element);
    if (isContainerName(element.name)) {
        if (row)
            writeInline(PanelXmlRecord::inlineRecordsOf(row));
        writeChildren(widget);
    } else if (element.name == QLatin1String("combo")) {
        writeComboItems(widget);
    } else if (element.name == QLatin1String("plot")) {
        writeCurves(widget);
    } else if (element.name == QLatin1String("table")) {
        writeTableColumns(widget);
    } else if (element.name == QLatin1String("log")) {
        writeLogItems(widget);
    } else if (widget) {
        writeAllActions(widget);
    }
    if (row && !isContainerName(element.name)) {
        writeInline(PanelXmlRecord::inlineRecordsOf(row));
        for (int i = 0; i < row->childCount(); ++i)
            writeRow(row->child(i));
    }
    m_xml.writeEndElement();
}

void PanelXmlWriter::writeRow(QTreeWidgetItem *row)
{
    QWidget *widget = row->treeWidget() ? row->treeWidget()->itemWidget(row, 1) : nullptr;
    if (auto *button = qobject_cast<QRadioButton *>(widget)) {
        if (button->group())
            writeRadioGroup(button->group());
        return;
    }
    const Element record = PanelXmlRecord::recordOf(row);
    if (!record.isValid()) {
        m_warnings << tr("Tree row %1 is not saved: it has no panel XML form.").arg(row->text(0));
        return;
    }
    // A row whose element the editor removed is gone with it.
    if (!widget && record.name != QLatin1String("branch"))
        return;
    writeWidget(widget, row);
}

// A radio group: its own attributes, then its buttons in id order, each with
// the setDef, actions and locks the group keeps under the button's id.
void PanelXmlWriter::writeRadioGroup(QObject *object)
{
    auto *group = qobject_cast<QButtonGroup *>(object);
    if (!group || m_writtenGroups.contains(group))
        return;
    m_writtenGroups.insert(group);
    Element element = PanelXmlRecord::recordOf(group);
    if (!element.isValid()) {
        element.name = QStringLiteral("radio");
        element.set(QStringLiteral("define"), group->objectName());
    }
    element.name = QStringLiteral("radio");
    applyLiveValues(group, element);
    m_xml.writeStartElement(element.name);
    writeAttributes(element);

    // Rows of tree containers hold some buttons: their records are there.
    QHash<QWidget *, QTreeWidgetItem *> rows;
    for (QAbstractButton *button : group->buttons()) {
        for (QWidget *up = button->parentWidget(); up; up = up->parentWidget()) {
            auto *view = qobject_cast<QTreeWidget *>(up);
            if (!view)
                continue;
            for (QTreeWidgetItemIterator it(view); *it; ++it) {
                if (view->itemWidget(*it, 1) == button)
                    rows.insert(button, *it);
            }
            break;
        }
    }

    const QVariantMap actions = elementPropertyOf(group, "data").toMap();
    const QVariantMap locks = elementPropertyOf(group, "locks").toMap();
    for (int id = 0; id < group->buttons().size(); ++id) {
        QAbstractButton *button = group->button(id);
        if (!button)
            continue;
        QTreeWidgetItem *row = rows.value(button);
        Element item = row ? PanelXmlRecord::recordOf(row) : PanelXmlRecord::recordOf(button);
        if (!item.isValid()) {
            item.name = QStringLiteral("radiobutton");
            if (!button->text().isEmpty())
                item.set(QStringLiteral("label"), button->text());
            const QVariant value = button->property("value");
            if (value.isValid())
                item.set(QStringLiteral("value"), value.toString());
        }
        item.remove(QStringLiteral("setdef"));
        item.remove(QStringLiteral("setDef"));
        item.remove(QStringLiteral("cond"));
        item.remove(QStringLiteral("lockon"));
        const QString key = QString::number(id);
        QVariantList list = actions.value(key).toList();
        // The setDef of the button comes first in its list.
        if (list.size() >= 3 && list.at(0).toString() == QLatin1String("selected_setDef")) {
            item.set(QStringLiteral("setdef"), list.at(2).toString());
            if (!list.at(1).toString().isEmpty())
                item.set(QStringLiteral("cond"), list.at(1).toString());
            list = list.mid(3);
        }
        const QStringList lockList = locks.value(key).toStringList();
        if (locks.contains(key))
            item.set(QStringLiteral("lockon"), lockList.join(QLatin1Char(';')));
        m_xml.writeStartElement(item.name);
        writeAttributes(item);
        writeActions(list);
        if (row) {
            writeInline(PanelXmlRecord::inlineRecordsOf(row));
            for (int i = 0; i < row->childCount(); ++i)
                writeRow(row->child(i));
        }
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
}

// The actions of one entry of a "data" attribute: tuples of key, condition
// and data, and for sendUSB also receive data and delay.
void PanelXmlWriter::writeActions(const QVariantList &list)
{
    int i = 0;
    while (i + 2 < list.size()) {
        const QString actionKey = list.at(i).toString();
        const int split = actionKey.indexOf(QLatin1Char('_'));
        const QString event = split < 0 ? actionKey : actionKey.left(split);
        const QString command = split < 0 ? QString() : actionKey.mid(split + 1);
        const QString condition = list.at(i + 1).toString();
        const QString data = list.at(i + 2).toString();
        QString receive;
        QString delay;
        i += 3;
        if (command == QLatin1String("sendUSB") && i + 1 < list.size()) {
            receive = list.at(i).toString();
            delay = list.at(i + 1).toString();
            i += 2;
        }
        m_xml.writeEmptyElement(QStringLiteral("action"));
        m_xml.writeAttribute(QStringLiteral("event"), event);
        m_xml.writeAttribute(QStringLiteral("cmd"), command);
        if (!data.isEmpty())
            m_xml.writeAttribute(QStringLiteral("data"), data);
        if (!receive.isEmpty())
            m_xml.writeAttribute(QStringLiteral("recdata"), receive);
        if (!delay.isEmpty())
            m_xml.writeAttribute(QStringLiteral("delay"), delay);
        if (!condition.isEmpty())
            m_xml.writeAttribute(QStringLiteral("cond"), condition);
    }
}

void PanelXmlWriter::writeAllActions(QObject *element)
{
    const QVariantMap map = elementPropertyOf(element, "data").toMap();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        writeActions(it.value().toList());
}

void PanelXmlWriter::writeComboItems(QWidget *combo)
{
    static const QString overrideMark = QStringLiteral("$$$OVERRIDE$$$");
    static const QString hideMark = QStringLiteral("$$$HIDE$$$");
    const QVariantList entries = elementPropertyOf(combo, "itemText").toList();
    const QVariantMap overrides = elementPropertyOf(combo, "override").toMap();
    const QVariantMap actions = elementPropertyOf(combo, "data").toMap();
    const QVariantMap locks = elementPropertyOf(combo, "locks").toMap();
    // Actions and locks are filed under the item's place among the items
    // shown: hidden items have none and take no place.
    int shown = 0;
    for (int i = 0; i < entries.size(); ++i) {
        const QString entry = entries.at(i).toString();
        const int split = entry.lastIndexOf(QLatin1String("#$#"));
        const QString text = split < 0 ? entry : entry.left(split);
        const QString value = split < 0 ? QString() : entry.mid(split + 3);
        const QString key = QString::number(text.startsWith(hideMark) ? -1 : shown++);
        m_xml.writeStartElement(QStringLiteral("item"));
        if (text.startsWith(overrideMark)) {
            const QString name = text.mid(overrideMark.size());
            m_xml.writeAttribute(QStringLiteral("label"), overrides.value(name).toString());
            m_xml.writeAttribute(QStringLiteral("override"), name);
        } else if (text.startsWith(hideMark)) {
            m_xml.writeAttribute(QStringLiteral("hide"), text.mid(hideMark.size()));
        } else {
            m_xml.writeAttribute(QStringLiteral("label"), text);
        }
        if (!value.isEmpty())
            m_xml.writeAttribute(QStringLiteral("value"), value);
        QVariantList list = actions.value(key).toList();
        if (list.size() >= 3 && list.at(0).toString() == QLatin1String("selected_setDef")) {
            m_xml.writeAttribute(QStringLiteral("setdef"), list.at(2).toString());
            if (!list.at(1).toString().isEmpty())
                m_xml.writeAttribute(QStringLiteral("cond"), list.at(1).toString());
            list = list.mid(3);
        }
        if (locks.contains(key))
            m_xml.writeAttribute(QStringLiteral("lockon"), locks.value(key).toStringList().join(QLatin1Char(';')));
        writeActions(list);
        m_xml.writeEndElement();
    }
}

// A log's columns in order, each with the actions read under its number.
void PanelXmlWriter::writeLogItems(QWidget *log)
{
    const QVariantMap actions = elementPropertyOf(log, "data").toMap();
    for (const LogItem &item : logColumnsOf(log)) {
        const QVariantList list = actions.value(QString::number(item.index)).toList();
        m_xml.writeStartElement(QStringLiteral("logitem"));
        m_xml.writeAttribute(QStringLiteral("data"), item.data);
        m_xml.writeAttribute(QStringLiteral("label"), item.label);
        writeActions(list);
        m_xml.writeEndElement();
    }
}

void PanelXmlWriter::writeCurves(QWidget *widget)
{
    auto *plot = qobject_cast<QwtPlot *>(widget);
    if (!plot)
        return;
    const QStringList data = plot->property("data").toStringList();
    int k = 0;
    for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve)) {
        auto *curve = static_cast<QwtPlotCurve *>(item);
        m_xml.writeEmptyElement(QStringLiteral("curve"));
        if (!curve->title().text().isEmpty())
            m_xml.writeAttribute(QStringLiteral("label"), curve->title().text());
        if (k < data.size() && !data.at(k).isEmpty())
            m_xml.writeAttribute(QStringLiteral("data"), data.at(k));
        const QColor color = curve->pen().color();
        m_xml.writeAttribute(QStringLiteral("color"),
                             QStringLiteral("%1;%2;%3").arg(color.red()).arg(color.green()).arg(color.blue()));
        if (curve->pen().widthF() > 1)
            m_xml.writeAttribute(QStringLiteral("width"), QString::number(int(curve->pen().widthF())));
        ++k;
    }
}

// The keyword of a column type as the reader knows it.
static QString columnTypeName(int type)
{
    static const char *const names[] = {"regname", "address", "func",   "value", "delay",
                                        "answer",  "comment", "delete", "math"};
    return type >= 0 && type < int(sizeof names / sizeof *names) ? QLatin1String(names[type]) : QString();
}

void PanelXmlWriter::writeTableColumns(QWidget *widget)
{
    for (const TableColumn &column : declaredColumnsOf(widget)) {
        m_xml.writeEmptyElement(QStringLiteral("column"));
        if (!column.label.isEmpty())
            m_xml.writeAttribute(QStringLiteral("label"), column.label);
        if (!column.tooltip.isEmpty())
            m_xml.writeAttribute(QStringLiteral("tooltip"), column.tooltip);
        m_xml.writeAttribute(QStringLiteral("type"), columnTypeName(column.type));
        m_xml.writeAttribute(QStringLiteral("columnwidth"), QString::number(column.width));
        if (!column.format.isEmpty())
            m_xml.writeAttribute(QStringLiteral("format"), column.format);
        if (!column.defaultText.isEmpty())
            m_xml.writeAttribute(QStringLiteral("default"), column.defaultText);
        if (!column.source.isEmpty())
            m_xml.writeAttribute(QStringLiteral("source"), column.source);
    }
}
