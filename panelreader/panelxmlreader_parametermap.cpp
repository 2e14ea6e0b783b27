// PanelXmlReader: the parametermap element, at top level or in a container.
#include "panelxmlreader.h"
#include "inputfile.h"

#include "errorreporter.h"
#include "panelxmlreader_p.h"
#include "parametermapreader.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readParameterMapElement()
{
    if (m_xml->name() != QLatin1String("parametermap"))
        return;
    const QString path = resolvePanelPath(text(m_xml->attributes(), "file"));
    m_xml->skipCurrentElement();
    if (!QFileInfo::exists(path)) {
        xmlMessage(tr("Parametermap file \"%1\"is missing.").arg(path.toHtmlEscaped()), QString(), false);
        return;
    }
    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(path, openError);
        return;
    }
    ParameterMapReader reader(m_panel);
    if (!reader.readParameterMap(&file))
        logCannotReadFile(path, reader.xmlErrorString());
}
