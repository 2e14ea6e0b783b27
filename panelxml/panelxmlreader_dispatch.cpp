// PanelXmlReader: the element dispatcher, start conditions and the small
// elements it builds itself (version, stretch, horizontal line, edit box,
// header groups).
#include "panelxmlreader.h"

#include "buttongroup.h"
#include "container.h"
#include "panel.h"
#include "panelxmlreader_p.h"
#include "text.h"
#include "textedit.h"

#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readElements(Container *parent, const QString &header, ButtonGroup *radioGroup)
{
    // A header group or an include reads into a container that is open already.
    const bool appended = !openContainers.contains(parent);
    if (appended)
        openContainers.append(parent);
    ++nesting;

    while (xml->readNextStartElement()) {
        const QString name = xml->name().toString();
        if (nesting > maxNesting) {
            xmlMessage(tr("Elements nested deeper than %1 levels are not read: ").arg(maxNesting), name,
                       true);
            xml->skipCurrentElement();
            continue;
        }
        if (has(xml->attributes(), "startcond") && !checkStartCondition(xml->attributes())) {
            xml->skipCurrentElement();
            continue;
        }
        if (!dispatchElement(name, parent, header, radioGroup))
            xml->skipCurrentElement();
    }

    --nesting;
    if (appended)
        openContainers.removeLast();
}

bool PanelXmlReader::dispatchElement(const QString &name, Container *parent, const QString &header,
                                     ButtonGroup *radioGroup)
{
    const auto is = [&name](const char *word) { return name == QLatin1String(word); };
    const bool branch = text(xml->attributes(), "uielement") == QLatin1String("branch");

    if (is("button"))
        readButton(parent);
    else if (is("checkbox") && branch)
        readBranch(header, parent, radioGroup);
    else if (is("checkbox"))
        readCheckBox(header, parent);
    else if (is("togglebutton") && branch)
        readBranch(header, parent, radioGroup);
    else if (is("togglebutton"))
        readToggleButton(header, parent);
    else if (is("text"))
        readText(parent);
    else if (is("edit"))
        readEdit(header, parent);
    else if (is("version"))
        readVersionElement();
    else if (is("stretch"))
        readStretchElement(parent);
    else if (is("horizontalline"))
        readHorizontalLine(parent);
    else if (is("editbox"))
        readEditBox(header, parent);
    else if (is("spinbox"))
        readSpinBox(header, parent);
    else if (is("hexspinbox"))
        readHexSpinBox(header, parent);
    else if (is("doublespinbox"))
        readDoubleSpinBox(header, parent);
    else if (is("slider"))
        readSlider(header, parent);
    else if (is("knob"))
        readKnob(header, parent);
    else if (is("dial"))
        readDial(parent);
    else if (is("header"))
        readHeaderGroup(parent);
    else if (is("tabcontainer"))
        readTabContainer(header, parent);
    else if (is("absolutecontainer"))
        readBoxContainer(BoxKind::Absolute, header, parent, radioGroup);
    else if (is("groupcontainer"))
        readBoxContainer(BoxKind::Group, header, parent, radioGroup);
    else if (is("treecontainer"))
        readTreeContainer(header, parent, radioGroup);
    else if (is("branch"))
        readBranch(header, parent, radioGroup);
    else if (is("radio"))
        readRadioGroup(header, parent);
    else if (is("combo"))
        readCombo(header, parent);
    else if (is("radiobutton") && branch)
        readBranch(header, parent, radioGroup);
    else if (is("radiobutton"))
        readRadioButton(parent, radioGroup);
    else if (is("horizontalcontainer"))
        readBoxContainer(BoxKind::Horizontal, header, parent, radioGroup);
    else if (is("gridcontainer"))
        readBoxContainer(BoxKind::Grid, header, parent, radioGroup);
    else if (is("verticalcontainer"))
        readBoxContainer(BoxKind::Vertical, header, parent, radioGroup);
    else if (is("svd") || is("migration"))
        readFileElement(name);
    else if (is("include"))
        readInclude(header, parent);
    else if (is("item")) {
        xmlMessage(tr("Found &lt;item&gt; element that's not within a &lt;combo&gt; element"), QString(),
                   false);
        return false;
    } else {
        // The other element kinds (LED,
        // image, log, math, plot, table, var, communication,
        // timer, svgembed, thermo, register view, SVD tree, pin mapper,
        // parameter map, ELF file) come with their own builders; until then
        // they are skipped like unknown names.
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Start conditions

QString PanelXmlReader::commandLineDefines() const
{
    return options.defines;
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

    const QStringList entries = defineList.split(QLatin1Char(';'));
    for (const QString &entry : entries) {
        // An entry without "=" (the empty one after a trailing ";") has no
        // value and decides nothing.
        const int equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0 || entry.left(equals).trimmed() != name)
            continue;
        const QString entryValue = entry.mid(equals + 1).section(QLatin1Char('='), 0, 0).trimmed();
        if ((entryValue == value) == equality)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Inline elements

void PanelXmlReader::readVersionElement()
{
    panel->setXMLVersion(text(xml->attributes(), "label"));
    xml->readElementText();
}

void PanelXmlReader::readStretchElement(Container *parent)
{
    const QXmlStreamAttributes attributes = xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Text *label = parent->createText(define, readLabel(attributes), -1);
    xml->readElementText();
    readCommonAttributes(attributes, label);
}

void PanelXmlReader::readHorizontalLine(Container *parent)
{
    const QXmlStreamAttributes attributes = xml->attributes();
    Text *line = parent->createText(QString(), QString(), -1);
    line->setFrameShape(QFrame::HLine);
    line->setLineWidth(2);
    xml->readElementText();
    readCommonAttributes(attributes, line);
}

void PanelXmlReader::readEditBox(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = xml->attributes();
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
    xml->skipCurrentElement();
}

void PanelXmlReader::readHeaderGroup(Container *parent)
{
    const QString file = text(xml->attributes(), "file");
    headerVersions.insert(file, panel->getXMLVersion());
    readElements(parent, file, nullptr);
}
