// PanelXmlReader: the element dispatcher, start conditions and the small
// elements it builds itself (version, stretch, horizontal line, edit box,
// header groups).
#include "panelxmlreader.h"

#include "buttongroup.h"
#include "container.h"
#include "definelist.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "panelxmlrecord.h"
#include "text.h"
#include "textedit.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

using namespace PanelXml;

bool PanelXmlReader::readNextChildElement()
{
    // As QXmlStreamReader::readNextStartElement, but the end of the document
    // also ends the children: an included fragment's top element is not
    // inside any element, and reading past its document end is no fault.
    while (!m_xml->atEnd()) {
        switch (m_xml->readNext()) {
        case QXmlStreamReader::StartElement: return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid: return false;
        default: break;
        }
    }
    return false;
}

void PanelXmlReader::readElements(Container *parent, const QString &header, ButtonGroup *radioGroup)
{
    // A header group or an include reads into a container that is open already.
    const bool appended = !m_openContainers.contains(parent);
    if (appended)
        m_openContainers.append(parent);
    ++m_nesting;

    while (readNextChildElement()) {
        const QString name = m_xml->name().toString();
        if (m_nesting > maxNesting) {
            xmlMessage(tr("Elements nested deeper than %1 levels are not read: ").arg(maxNesting), name,
                       true);
            m_xml->skipCurrentElement();
            continue;
        }
        if (has(m_xml->attributes(), "startcond") && !checkStartCondition(m_xml->attributes())) {
            m_xml->skipCurrentElement();
            continue;
        }
        if (!dispatchElement(name, parent, header, radioGroup)) {
            // A name no kind has (a misspelled element): its define would be
            // missing from the headers without a word.
            if (name != QLatin1String("item"))
                panelMistake(tr("Unknown element, not read:"), QStringLiteral("<%1>").arg(name));
            m_xml->skipCurrentElement();
        }
    }

    --m_nesting;
    if (appended)
        m_openContainers.removeLast();
    // The children of a container that closes are read: the next snapshot
    // finds its parent afresh.
    m_snapshotParent = PanelXmlRecord::Snapshot::Parent();
}

bool PanelXmlReader::dispatchElement(const QString &name, Container *parent, const QString &header,
                                     ButtonGroup *radioGroup)
{
    // What a builder is handed: the container to build into, the header file
    // of its defines and the radio group its radio buttons join.
    struct Place {
        Container *parent;
        const QString &header;
        ButtonGroup *radioGroup;
    };
    using Build = void (*)(PanelXmlReader &reader, const Place &place);
    // One row per panel element name. A check box, toggle button or radio
    // button with uielement="branch" is a tree branch instead.
    struct Builder {
        const char *name;
        bool branchForm;
        Build build;
    };
    static const Builder builders[] = {
        {"button", false, [](PanelXmlReader &r, const Place &p) { r.readButton(p.parent); }},
        {"checkbox", true, [](PanelXmlReader &r, const Place &p) { r.readCheckBox(p.header, p.parent); }},
        {"togglebutton", true, [](PanelXmlReader &r, const Place &p) { r.readToggleButton(p.header, p.parent); }},
        {"text", false, [](PanelXmlReader &r, const Place &p) { r.readText(p.parent); }},
        {"edit", false, [](PanelXmlReader &r, const Place &p) { r.readEdit(p.header, p.parent); }},
        {"version", false, [](PanelXmlReader &r, const Place &) { r.readVersionElement(); }},
        {"stretch", false, [](PanelXmlReader &r, const Place &p) { r.readStretchElement(p.parent); }},
        {"horizontalline", false, [](PanelXmlReader &r, const Place &p) { r.readHorizontalLine(p.parent); }},
        {"editbox", false, [](PanelXmlReader &r, const Place &p) { r.readEditBox(p.header, p.parent); }},
        {"spinbox", false, [](PanelXmlReader &r, const Place &p) { r.readSpinBox(p.header, p.parent); }},
        {"hexspinbox", false, [](PanelXmlReader &r, const Place &p) { r.readHexSpinBox(p.header, p.parent); }},
        {"doublespinbox", false,
         [](PanelXmlReader &r, const Place &p) { r.readDoubleSpinBox(p.header, p.parent); }},
        {"slider", false, [](PanelXmlReader &r, const Place &p) { r.readSlider(p.header, p.parent); }},
        {"knob", false, [](PanelXmlReader &r, const Place &p) { r.readKnob(p.header, p.parent); }},
        {"dial", false, [](PanelXmlReader &r, const Place &p) { r.readDial(p.parent); }},
        {"image", false, [](PanelXmlReader &r, const Place &p) { r.readImage(p.parent); }},
        {"svgembed", false, [](PanelXmlReader &r, const Place &p) { r.readSvgEmbed(p.parent); }},
        {"led", false, [](PanelXmlReader &r, const Place &p) { r.readLed(p.parent); }},
        {"math", false, [](PanelXmlReader &r, const Place &p) { r.readMath(p.header, p.parent); }},
        {"plot", false, [](PanelXmlReader &r, const Place &p) { r.readPlot(p.header, p.parent); }},
        {"thermo", false, [](PanelXmlReader &r, const Place &p) { r.readThermo(p.header, p.parent); }},
        {"log", false, [](PanelXmlReader &r, const Place &p) { r.readLog(p.header, p.parent); }},
        {"timer", false, [](PanelXmlReader &r, const Place &p) { r.readTimer(p.header, p.parent); }},
        {"header", false, [](PanelXmlReader &r, const Place &p) { r.readHeaderGroup(p.parent); }},
        {"tabcontainer", false, [](PanelXmlReader &r, const Place &p) { r.readTabContainer(p.header, p.parent); }},
        {"absolutecontainer", false,
         [](PanelXmlReader &r, const Place &p) {
             r.readBoxContainer(BoxKind::Absolute, p.header, p.parent, p.radioGroup);
         }},
        {"groupcontainer", false,
         [](PanelXmlReader &r, const Place &p) {
             r.readBoxContainer(BoxKind::Group, p.header, p.parent, p.radioGroup);
         }},
        {"treecontainer", false,
         [](PanelXmlReader &r, const Place &p) { r.readTreeContainer(p.header, p.parent, p.radioGroup); }},
        {"branch", false, [](PanelXmlReader &r, const Place &p) { r.readBranch(p.header, p.parent, p.radioGroup); }},
        {"radio", false, [](PanelXmlReader &r, const Place &p) { r.readRadioGroup(p.header, p.parent); }},
        {"combo", false, [](PanelXmlReader &r, const Place &p) { r.readCombo(p.header, p.parent); }},
        {"radiobutton", true, [](PanelXmlReader &r, const Place &p) { r.readRadioButton(p.parent, p.radioGroup); }},
        {"horizontalcontainer", false,
         [](PanelXmlReader &r, const Place &p) {
             r.readBoxContainer(BoxKind::Horizontal, p.header, p.parent, p.radioGroup);
         }},
        {"gridcontainer", false,
         [](PanelXmlReader &r, const Place &p) {
             r.readBoxContainer(BoxKind::Grid, p.header, p.parent, p.radioGroup);
         }},
        {"verticalcontainer", false,
         [](PanelXmlReader &r, const Place &p) {
             r.readBoxContainer(BoxKind::Vertical, p.header, p.parent, p.radioGroup);
         }},
        {"svd", false, [](PanelXmlReader &r, const Place &) { r.readFileElement(QStringLiteral("svd")); }},
        {"migration", false, [](PanelXmlReader &r, const Place &) { r.readFileElement(QStringLiteral("migration")); }},
        {"include", false, [](PanelXmlReader &r, const Place &p) { r.readInclude(p.header, p.parent); }},
        {"var", false, [](PanelXmlReader &r, const Place &) { r.readVar(); }},
        {"registerview", false, [](PanelXmlReader &r, const Place &p) { r.readRegisterView(p.header, p.parent); }},
        {"communication", false, [](PanelXmlReader &r, const Place &) { r.readCommunication(); }},
        {"svdtree", false, [](PanelXmlReader &r, const Place &p) { r.readSvdTree(p.header, p.parent); }},
        {"table", false, [](PanelXmlReader &r, const Place &p) { r.readTable(p.header, p.parent); }},
        {"elf", false, [](PanelXmlReader &r, const Place &) { r.readElf(); }},
        {"parametermap", false, [](PanelXmlReader &r, const Place &) { r.readParameterMapElement(); }},
        {"pinmapping", false, [](PanelXmlReader &r, const Place &) { r.readPinMappingElement(); }},
        {"pinmapper", false, [](PanelXmlReader &r, const Place &p) { r.readPinMapper(p.parent); }},
    };

    const Place place{parent, header, radioGroup};
    for (const Builder &builder : builders) {
        if (name != QLatin1String(builder.name))
            continue;
        // The writer saves the element from this record and the live widget.
        const QXmlStreamAttributes written = m_xml->attributes();
        if (m_snapshotParent.container != parent)
            m_snapshotParent = PanelXmlRecord::Snapshot::parentOf(parent);
        PanelXmlRecord::Snapshot snapshot(m_snapshotParent);
        if (builder.branchForm && text(m_xml->attributes(), "uielement") == QLatin1String("branch"))
            readBranch(header, parent, radioGroup);
        else
            builder.build(*this, place);
        snapshot.record(name, written, &m_recordTexts);
        noteElementRead();
        if (name == QLatin1String("branch")
            || (builder.branchForm && text(written, "uielement") == QLatin1String("branch")))
            deliverWidgetRequests();
        return true;
    }
    if (name == QLatin1String("item")) {
        xmlMessage(tr("Found &lt;item&gt; element that's not within a &lt;combo&gt; element"), QString(),
                   false);
        return false;
    }
    // A name no builder knows: the caller skips the element.
    return false;
}

void PanelXmlReader::deliverWidgetRequests()
{
    // A few at a time: each delivery looks at the whole queue once.
    const int rowsPerDelivery = 64;
    if (++m_rowsSinceDelivery < rowsPerDelivery)
        return;
    m_rowsSinceDelivery = 0;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// ---------------------------------------------------------------------------
// Start conditions

QString PanelXmlReader::commandLineDefines() const
{
    return m_options.defines;
}

bool PanelXmlReader::checkStartCondition(const QXmlStreamAttributes &attributes) const
{
    return startConditionHolds(text(attributes, "startcond"), commandLineDefines());
}

bool PanelXmlReader::startConditionHolds(const QString &condition, const QString &defineList)
{
    if (defineList.isEmpty())
        return false;
    bool equality = true;
    QStringList parts;
    if (condition.contains(QLatin1String("=="))) {
        parts = condition.split(QLatin1String("=="));
    } else if (condition.contains(QLatin1String("!="))) {
        equality = false;
        parts = condition.split(QLatin1String("!="));
    } else {
        return false;
    }
    if (parts.size() != 2)
        return false;
    const QString name = parts.at(0).trimmed();
    const QString value = QString(parts.at(1)).remove(QLatin1Char('"')).trimmed();

    const QVector<DefineListItem> entries = parseDefineList(defineList);
    for (const DefineListItem &entry : entries) {
        // An entry without "=" (the empty one after a trailing ";") has no
        // value and decides nothing.
        if (!entry.hasValue || entry.name != name)
            continue;
        if ((entry.value == value) == equality)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Inline elements

void PanelXmlReader::readVersionElement()
{
    m_panel->editHeader().xmlVersion = text(m_xml->attributes(), "label");
    m_xml->readElementText();
}

void PanelXmlReader::readStretchElement(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Text *label = parent->createText(define, readLabel(attributes), -1);
    m_xml->readElementText();
    readCommonAttributes(attributes, label);
}

void PanelXmlReader::readHorizontalLine(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    Text *line = parent->createText(QString(), QString(), -1);
    line->setFrameShape(QFrame::HLine);
    line->setLineWidth(2);
    m_xml->readElementText();
    readCommonAttributes(attributes, line);
}

void PanelXmlReader::readEditBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    TextEdit *edit = parent->createTextEdit(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Editbox"));
    readDefineAttributes(attributes, edit, header, define);
    readCommonAttributes(attributes, edit);
    readActions(edit, 0);
    connectValueElement(edit, ChangedByUser);
}

void PanelXmlReader::readFileElement(const QString &name)
{
    if (name == QLatin1String("svd"))
        readSvd(false);
    else
        readMigration();
    m_xml->skipCurrentElement();
}

void PanelXmlReader::readHeaderGroup(Container *parent)
{
    QString file = text(m_xml->attributes(), "file");
    // A group that names no file writes none of its defines: said once here,
    // and its elements are read without a header.
    if (file.trimmed().isEmpty()) {
        xmlMessage(tr("Header group without a file name, its defines are not written"), QString(), true);
        m_panel->editHeader().refuseHeader(file);
        file.clear();
    }
    headerVersions.insert(file, m_panel->header().xmlVersion);
    readElements(parent, file, nullptr);
}
