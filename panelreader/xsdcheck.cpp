#include "xsdcheck.h"

#include "errorreporter.h"
#include "inputfile.h"
#include "panelvalidator.h"
#include "panelxmlreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <cstring>
#include <memory>

void QXmlSchemaValidatorMessageHandler::handleMessage(QtMsgType messageType, const QString &text,
                                                      qint64 messageLine, qint64 messageColumn)
{
    type = messageType;
    description = text;
    line = messageLine;
    column = messageColumn;
    ++messages;
}

namespace {

// Where libxml2's messages of one check go. Entity references are refused
// with a message of our own; the parser's "not defined" for a declared
// entity that was never expanded would only hide it.
struct MessageSink {
    QXmlSchemaValidatorMessageHandler *messages = nullptr;
    QSet<QByteArray> declaredEntities;
};

void forwardError(void *context, xmlErrorPtr error)
{
    if (!context || !error)
        return;
    auto *sink = static_cast<MessageSink *>(context);
    if ((error->code == XML_ERR_UNDECLARED_ENTITY || error->code == XML_WAR_UNDECLARED_ENTITY) && error->str1
        && sink->declaredEntities.contains(QByteArray(error->str1)))
        return;
    QtMsgType type = QtCriticalMsg;
    if (error->level == XML_ERR_WARNING)
        type = QtWarningMsg;
    else if (error->level == XML_ERR_FATAL)
        type = QtFatalMsg;
    sink->messages->handleMessage(type, QString::fromUtf8(error->message ? error->message : "").trimmed(),
                                  qMax(error->line, 0), qMax(error->int2, 0));
}

// Messages libxml2 gives only through its generic channel (stderr by
// default) are dropped: whatever matters comes as a structured error.
void dropGenericError(void *, const char *, ...) {}

// Nothing outside the panel file is read while it is validated: no DTD, no
// external entity, no address of any kind.
xmlParserInputPtr refuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    return nullptr;
}

// For the length of one check: libxml2's error channels of this thread go to
// the given handler, and external resources are loaded by the given loader
// (or not at all). Everything is put back on destruction.
class LibxmlScope
{
public:
    LibxmlScope(MessageSink *sink, xmlExternalEntityLoader loader)
        : m_loader(xmlGetExternalEntityLoader()),
          m_structured(xmlStructuredError),
          m_structuredContext(xmlStructuredErrorContext),
          m_generic(xmlGenericError),
          m_genericContext(xmlGenericErrorContext)
    {
        xmlSetExternalEntityLoader(loader);
        xmlSetStructuredErrorFunc(sink, &forwardError);
        xmlSetGenericErrorFunc(nullptr, &dropGenericError);
    }
    ~LibxmlScope()
    {
        xmlSetGenericErrorFunc(m_genericContext, m_generic);
        xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
        xmlSetExternalEntityLoader(m_loader);
    }
    LibxmlScope(const LibxmlScope &) = delete;
    LibxmlScope &operator=(const LibxmlScope &) = delete;

private:
    xmlExternalEntityLoader m_loader;
    xmlStructuredErrorFunc m_structured;
    void *m_structuredContext;
    xmlGenericErrorFunc m_generic;
    void *m_genericContext;
};

struct SchemaDeleter {
    void operator()(xmlDoc *document) const { xmlFreeDoc(document); }
    void operator()(xmlSchemaParserCtxt *context) const { xmlSchemaFreeParserCtxt(context); }
    void operator()(xmlSchema *schema) const { xmlSchemaFree(schema); }
    void operator()(xmlSchemaValidCtxt *context) const { xmlSchemaFreeValidCtxt(context); }
};
template <typename T> using LibxmlPtr = std::unique_ptr<T, SchemaDeleter>;

// The loaded schema with the document it was built from (the schema keeps
// references into it, so the document lives as long as the schema).
struct LoadedSchema {
    LibxmlPtr<xmlDoc> document;
    LibxmlPtr<xmlSchema> schema;
};

LoadedSchema loadSchema(const QString &schemaPath)
{
    LoadedSchema loaded;
    QFile file(schemaPath);
    if (!file.open(QIODevice::ReadOnly))
        return loaded;
    const QByteArray text = file.readAll();
    QXmlSchemaValidatorMessageHandler ignored;
    MessageSink sink;
    sink.messages = &ignored;
    // A schema may include others beside it, but nothing from the network.
    LibxmlScope scope(&sink, &xmlNoNetExternalEntityLoader);
    loaded.document.reset(xmlReadMemory(text.constData(), text.size(), QFile::encodeName(schemaPath).constData(),
                                        nullptr, XML_PARSE_NONET));
    if (!loaded.document)
        return loaded;
    LibxmlPtr<xmlSchemaParserCtxt> parser(xmlSchemaNewDocParserCtxt(loaded.document.get()));
    if (!parser)
        return loaded;
    xmlSchemaSetParserStructuredErrors(parser.get(), &forwardError, &sink);
    loaded.schema.reset(xmlSchemaParse(parser.get()));
    return loaded;
}

// The parser's events the validator does not take itself. No tree is built;
// entity declarations are noted and every reference to a general entity is
// refused: entities are neither expanded nor loaded.
struct StreamState {
    MessageSink sink;
    xmlSchemaValidCtxt *validator = nullptr;
    bool entityReferenced = false;
};

void noteEntityDeclaration(void *context, const xmlChar *name, int, const xmlChar *, const xmlChar *, xmlChar *)
{
    if (name)
        static_cast<StreamState *>(context)->sink.declaredEntities.insert(QByteArray(reinterpret_cast<const char *>(name)));
}

xmlEntityPtr refuseEntityReference(void *context, const xmlChar *name)
{
    auto *state = static_cast<StreamState *>(context);
    const xmlParserCtxt *parser = xmlSchemaValidCtxtGetParserCtxt(state->validator);
    // Inside the DOCTYPE the parser only asks whether a name is taken.
    if (!name || !parser || parser->inSubset != 0)
        return nullptr;
    const QByteArray entity(reinterpret_cast<const char *>(name));
    if (!state->sink.declaredEntities.contains(entity))
        return nullptr; // the parser reports the undeclared name itself
    state->entityReferenced = true;
    const qint64 line = parser->input ? parser->input->line : 0;
    const qint64 column = parser->input ? parser->input->col : 0;
    state->sink.messages->handleMessage(
        QtCriticalMsg,
        QCoreApplication::translate("XsdCheck", "Entity reference '&%1;': entities are not expanded in panel files")
            .arg(QString::fromUtf8(entity)),
        line, column);
    return nullptr;
}

int readFromFile(void *context, char *buffer, int length)
{
    const qint64 read = static_cast<QFile *>(context)->read(buffer, length);
    return read < 0 ? -1 : int(read);
}

int keepFileOpen(void *)
{
    return 0;
}

// Streams the open file through the validator. Returns 0 when it is valid.
int validateFile(xmlSchema *schema, QFile &file, QXmlSchemaValidatorMessageHandler &messages)
{
    LibxmlPtr<xmlSchemaValidCtxt> validator(xmlSchemaNewValidCtxt(schema));
    if (!validator)
        return -1;
    StreamState state;
    state.sink.messages = &messages;
    state.validator = validator.get();
    xmlSchemaSetValidStructuredErrors(validator.get(), &forwardError, &state.sink);
    xmlSAXHandler events;
    memset(&events, 0, sizeof(events));
    events.initialized = XML_SAX2_MAGIC;
    events.entityDecl = &noteEntityDeclaration;
    events.getEntity = &refuseEntityReference;
    // The loader refuses whatever the parser would still ask for (an
    // external DTD is never loaded without a handler that asks for it).
    LibxmlScope scope(&state.sink, &refuseExternalEntity);
    // The stream takes the buffer over and frees it; the file stays ours.
    xmlParserInputBufferPtr input =
        xmlParserInputBufferCreateIO(&readFromFile, &keepFileOpen, &file, XML_CHAR_ENCODING_NONE);
    if (!input)
        return -1;
    const int result = xmlSchemaValidateStream(validator.get(), input, XML_CHAR_ENCODING_NONE, &events, &state);
    return result == 0 && state.entityReferenced ? -1 : result;
}

} // namespace

bool checkPanelAgainstSchema(const QString &path, const QString &schemaPath)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("XsdCheck", text); };
    const QString shownPath = PanelValidation::escapeMarkup(path);
    ::logMessage(tr("<font color=\"blue\">  <b>Starting xsd check:</b></font> File: %2<br>").arg(shownPath));

    xmlInitParser();
    const LoadedSchema loaded = loadSchema(schemaPath);
    if (!loaded.schema) {
        ::logMessage(tr("<font color=\"red\"> <b>XSD is not valid.</b></font> <br>"));
        return false;
    }

    QFile file(path);
    QXmlSchemaValidatorMessageHandler messages;
    // A file that cannot be opened fails like one that is not well-formed.
    int result = -1;
    // Read as every input is: a FIFO or device is not opened at all.
    QString openError;
    if (openInputFile(file, QIODevice::ReadOnly, &openError))
        result = validateFile(loaded.schema.get(), file, messages);
    const bool valid = result == 0;
    if (valid) {
        ::logMessage(tr("<font color=\"green\"> <b>Document is valid.</b></font><br>"));
    } else {
        QString message = messages.description;
        if (!file.isOpen())
            message = openError;
        else if (messages.messages == 0)
            // The validator gives up without a message on what it cannot
            // process, entity references among them.
            message = tr("The schema validator could not process the file (code %1)").arg(result);
        const QString link = PanelXmlReader::positionLink(path, messages.line, messages.column).toHtmlEscaped();
        ::logMessage(tr("<font color=\"red\"> <b>xsd-ERROR: xml <a href=\"%1\">file</a> is invalid at line %2, "
                        "column %3</b></font><b>: %4<br>")
                         .arg(link, QString::number(messages.line), QString::number(messages.column),
                              PanelValidation::escapeMarkup(message)));
    }
    ::logMessage(tr("<font color=\"blue\"> <b>Finished xsd check.</b></font><br>"));
    return valid;
}
