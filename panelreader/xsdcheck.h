#pragma once

// The check of a panel file against the XML schema of panel files (QLM.xsd),
// run by the window's "Validate XML File" command and the script command
// CHECKXSD. The schema engine is libxml2's streaming schema validation; the
// panel file is read through QFile, so neither the network nor any other file
// is read on its behalf (no DTD loading, no entity substitution).

#include <QString>
#include <QtGlobal>

// Keeps the last message the schema validator (or the XML parser under it)
// emitted, of whatever level; each message replaces the one before.
class QXmlSchemaValidatorMessageHandler
{
public:
    void handleMessage(QtMsgType messageType, const QString &text, qint64 messageLine, qint64 messageColumn);

    QtMsgType type = QtDebugMsg;
    // Plain text, without the line end the engine gives it.
    QString description;
    // 1-based; 0 when the engine gives no position.
    qint64 line = 0;
    qint64 column = 0;
    int messages = 0;
};

// The name of the schema file beside the program.
inline QString panelSchemaFileName()
{
    return QStringLiteral("QLM.xsd");
}

// Validates the panel file at path against the schema file schemaPath and
// prints the outcome through logMessage (console and log file): the opening
// line, then "XSD is not valid." when the schema does not load (and nothing
// more), else "Document is valid." or one xsd-ERROR line with the last
// message of the validator and its position, then the closing line.
// Returns whether the file is valid.
bool checkPanelAgainstSchema(const QString &path, const QString &schemaPath);
