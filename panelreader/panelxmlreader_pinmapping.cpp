// PanelXmlReader: the pinmapping element (the panel's pin-mapping file, at top
// level or in a container) and the pinmapper element builder.
#include "panelxmlreader.h"

#include "container.h"
#include "errorreporter.h"
#include "inputfile.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "pinmapping.h"
#include "pinmappingreader.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readPinMappingElement()
{
    if (m_xml->name() != QLatin1String("pinmapping"))
        return;
    const QXmlStreamAttributes attributes = m_xml->attributes();
    m_xml->skipCurrentElement();
    if (has(attributes, "startcond") && !checkStartCondition(attributes))
        return;
    const QString path = resolvePanelPath(text(attributes, "file"));
    if (!QFileInfo(path).isFile()) {
        xmlMessage(tr("Pinmapping file is missing."), QString(), false);
        return;
    }
    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(path, openError);
        return;
    }
    PinMappingReader reader(&m_panel->pinMappingModel(), m_panel->header().xmlFile);
    reader.setFileName(QFileInfo(path).fileName());
    if (!reader.read(&file))
        logCannotReadFile(path, reader.errorString().toHtmlEscaped() + QStringLiteral("<br>") + reader.errorLocation());
}

void PanelXmlReader::readPinMapper(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = text(attributes, "define");
    PinMappingModel &model = m_panel->pinMappingModel();
    // A registered element of a panel that is still being replaced is no
    // element of this one.
    QWidget *panelWidget = m_panel->panelWidget();
    if (model.pinMappingElement && !(panelWidget && panelWidget->isAncestorOf(model.pinMappingElement)))
        model.pinMappingElement = nullptr;
    if (model.pinMappingElement) {
        xmlMessage(tr("Only one pinmapper per XML allowed: "), define, true);
        m_xml->skipCurrentElement();
        return;
    }
    PinMapping *element = parent->createPinMapping(define, readLabel(attributes), -1);
    model.pinMappingElement = element;
    requireDefine(define, QStringLiteral("pinmapper"));
    readCommonAttributes(attributes, element);
    m_xml->skipCurrentElement();
}
