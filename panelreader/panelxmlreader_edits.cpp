// PanelXmlReader: the one-line text entry ("edit"). The multi-line one
// ("editbox") is built by the dispatcher itself.
#include "panelxmlreader.h"

#include "container.h"
#include "lineedit.h"
#include "panelxmlreader_p.h"

#include <QRegExpValidator>
#include <QXmlStreamReader>

using namespace PanelXml;

void PanelXmlReader::readEdit(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    LineEdit *edit = parent->createLineEdit(define, readLabel(attributes), -1);
    requireDefine(define, QStringLiteral("Lineedit"));
    if (has(attributes, "numeric")) {
        edit->setNumeric(text(attributes, "numeric").toInt() != 0);
        edit->setElementProperty("numeric", text(attributes, "numeric"));
    }
    // "visible" is the common step's: only "false" hides the edit.
    if (has(attributes, "validator")) {
        const QString expression = text(attributes, "validator");
        edit->setValidator(new QRegExpValidator(QRegExp(expression), edit));
        edit->setElementProperty("validator", expression);
    }
    readDefineAttributes(attributes, edit, header, define);
    readCommonAttributes(attributes, edit);
    readActions(edit, 0);
    connectValueElement(edit, ChangedByUser | ToMathLabels);
}
