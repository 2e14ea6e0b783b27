#pragma once

#include <QCoreApplication>
#include <QString>
#include <QXmlStreamReader>

class Panel;
class QIODevice;
struct ParameterRecord;

// Reads a parameter map (root "parameters", nested "parametergroup"s,
// "parameter" records) into the panel's parameter list. Records are appended
// as they are read, so a file that breaks off keeps what came before the
// fault; a record without an ID is dropped.
class ParameterMapReader
{
    Q_DECLARE_TR_FUNCTIONS(ParameterMapReader)

public:
    explicit ParameterMapReader(Panel *owner);

    // True when the stream ended without an XML error.
    bool readParameterMap(QIODevice *device);
    // "<error>\nLine <n>, column <m>" of the failed read.
    QString xmlErrorString() const;

    // A group may hold groups; deeper ones than this are skipped whole, so
    // a hostile file cannot exhaust the stack.
    static constexpr int maxGroupDepth = 256;

    // The record of one "parameter" start tag's attributes.
    static ParameterRecord recordOf(const QXmlStreamAttributes &attributes);

private:
    void readGroup(int depth);
    void readParameter();

    Panel *m_owner;
    QXmlStreamReader m_xml;
};
