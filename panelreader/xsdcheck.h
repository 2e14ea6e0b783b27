#pragma once

// The check of a panel file against the XML schema of panel files (QLM.xsd),
// run by the window's "Validate XML File" command and the script command
// CHECKXSD. The schema engine is Qt XmlPatterns.

#include <QAbstractMessageHandler>
#include <QSourceLocation>
#include <QString>

class QUrl;

// Keeps the last message the schema validator emitted, of whatever type;
// each message replaces the one before.
class QXmlSchemaValidatorMessageHandler : public QAbstractMessageHandler
{
    Q_OBJECT

public:
    explicit QXmlSchemaValidatorMessageHandler(QObject *parent = nullptr);

    QtMsgType type = QtDebugMsg;
    // The engine's text, HTML markup included.
    QString description;
    QSourceLocation sourceLocation;

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &identifier,
                       const QSourceLocation &sourceLocation) override;
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
