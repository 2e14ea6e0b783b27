#include "xsdcheck.h"

#include "errorreporter.h"
#include "panelvalidator.h"
#include "panelxmlreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlSchema>
#include <QXmlSchemaValidator>

QXmlSchemaValidatorMessageHandler::QXmlSchemaValidatorMessageHandler(QObject *parent)
    : QAbstractMessageHandler(parent)
{
}

void QXmlSchemaValidatorMessageHandler::handleMessage(QtMsgType messageType, const QString &text,
                                                      const QUrl &identifier, const QSourceLocation &location)
{
    Q_UNUSED(identifier)
    type = messageType;
    description = text;
    sourceLocation = location;
}

bool checkPanelAgainstSchema(const QString &path, const QString &schemaPath)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("XsdCheck", text); };
    const QString shownPath = PanelValidation::escapeMarkup(path);
    ::logMessage(tr("<font color=\"blue\">  <b>Starting xsd check:</b></font> File: %2<br>").arg(shownPath));

    // A local-file URL: a plain "file:" prefix would misread "#", "%" and
    // blanks in the folder's name.
    QXmlSchemaValidatorMessageHandler schemaMessages;
    QXmlSchema schema;
    schema.setMessageHandler(&schemaMessages);
    if (!QFile::exists(schemaPath) || !schema.load(QUrl::fromLocalFile(schemaPath)) || !schema.isValid()) {
        ::logMessage(tr("<font color=\"red\"> <b>XSD is not valid.</b></font> <br>"));
        return false;
    }

    QFile file(path);
    QXmlSchemaValidatorMessageHandler messages;
    QXmlSchemaValidator validator(schema);
    validator.setMessageHandler(&messages);
    // A file that cannot be opened fails like one that is not well-formed.
    const bool valid = file.open(QIODevice::ReadOnly)
                       && validator.validate(&file, QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    if (valid) {
        ::logMessage(tr("<font color=\"green\"> <b>Document is valid.</b></font><br>"));
    } else {
        static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
        QString message = QString(messages.description).remove(tags);
        if (message.isEmpty() && !file.isOpen())
            message = PanelValidation::escapeMarkup(file.errorString());
        const qint64 line = messages.sourceLocation.line();
        const qint64 column = messages.sourceLocation.column();
        const QString link = PanelXmlReader::positionLink(path, line, column).toHtmlEscaped();
        ::logMessage(tr("<font color=\"red\"> <b>xsd-ERROR: xml <a href=\"%1\">file</a> is invalid at line %2, "
                        "column %3</b></font><b>: %4<br>")
                         .arg(link, QString::number(line), QString::number(column), message));
    }
    ::logMessage(tr("<font color=\"blue\"> <b>Finished xsd check.</b></font><br>"));
    return valid;
}
