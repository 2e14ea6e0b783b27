// PanelXmlReader: the formula label builder.
#include "panelxmlreader.h"

#include "container.h"
#include "expression.h"
#include "mathlabel.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"

#include <QXmlStreamReader>

using namespace PanelXml;

QByteArray PanelXmlReader::readFormat(const QXmlStreamAttributes &attributes, bool integer)
{
    const QByteArray format = text(attributes, "format").toLatin1();
    if (!format.isEmpty())
        return format;
    return integer ? QByteArrayLiteral("%d") : QByteArrayLiteral("%4.2f");
}

void PanelXmlReader::readMath(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);

    MathLabel *math = nullptr;
    if (isVisible(attributes)) {
        math = parent->createMathLabel(define, readLabel(attributes), -1);
    } else {
        // Only other formulas, displays and scripts read it. It has no widget
        // parent, so it goes with the container it was declared in.
        math = new MathLabel(define);
        math->setHost(m_panel);
        m_panel->addInvisibleElement(math);
        if (auto *owner = dynamic_cast<QObject *>(parent))
            QObject::connect(owner, &QObject::destroyed, math, &QObject::deleteLater);
    }

    // Blanks go, and a subtracted negative number is an addition.
    const QString formula = text(attributes, "formula");
    QString prepared = formula.simplified();
    prepared.remove(QLatin1Char(' '));
    prepared.replace(QLatin1String("--"), QLatin1String("+"));
    QStringList tokens;
    QStringList literals;
    QStringList names;
    bool hasString = false;
    tokenizeExpression(prepared, &tokens, &literals, &names, &hasString);
    const QString syntaxError = formulaSyntaxError(tokens, literals, names);
    if (!syntaxError.isEmpty())
        panelMistake(tr("Formula \"%1\" does not parse (%2):").arg(formula.toHtmlEscaped(), syntaxError.toHtmlEscaped()),
                     define);
    names.removeDuplicates();
    math->setPostfixTokens(infixToPostfix(tokens, literals, names));
    math->setLiterals(literals);
    math->setVariables(names);
    m_panel->addMathLabel(names, math);

    math->setElementProperty("suffix", text(attributes, "unit"));
    math->setElementProperty("expression", formula);
    readDefineAttributes(attributes, math, header, define);
    readCommonAttributes(attributes, math);

    const bool isRegister = !define.isEmpty()
        && ((hasSvdFile && usesSvd(attributes))
            || (define.contains(QLatin1Char('.')) && define.contains(QLatin1Char('['))
                && define.contains(QLatin1Char(']'))));
    const QByteArray fallback = readFormat(QXmlStreamAttributes(), isRegister);
    math->setFormat(readFormat(attributes, isRegister), fallback);
    if (isRegister && MathLabel::formatConversion(text(attributes, "format").toLatin1()) == 'g')
        xmlMessage(tr("Register combined with \"%g\" format: "), define, false);

    readActions(math, 0);

    const bool passive = text(attributes, "passive").toInt() != 0;
    if (!passive)
        connectValueElement(math, ToMathLabels | ToLeds | ToSvgImages | ToCurves | ToDials | ToThermos | ToLogs);
}
