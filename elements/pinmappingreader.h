#pragma once

#include <QCoreApplication>
#include <QString>
#include <QXmlStreamReader>

#include <functional>

class PinMappingModel;
class QIODevice;

// Reads a pin-mapping file (root element "pinmapping") into the pin-mapping
// model: the chip's size, colours, margins and button positions, its pins
// (<geometry>), the functions of the pins (<mapping>), the conditions that
// select them (<mapconditions>), pictures and the chip name. Entries without
// their key attribute are dropped; what the views cannot show (duplicate pins,
// pins off the chip's sides, more pins or entries than a chip can carry) is
// said in one warning line each, with its position in the file.
class PinMappingReader : public QXmlStreamReader
{
    Q_DECLARE_TR_FUNCTIONS(PinMappingReader)
public:
    // `panelFile` is the file that error locations link to.
    PinMappingReader(PinMappingModel *model, const QString &panelFile);

    // Reads the whole file; true when the stream reports no error. Deletes
    // the registered pin-mapping element first and resets the model.
    bool read(QIODevice *device);
    // HTML text naming the current line and column, linked to the panel file.
    QString errorLocation() const;

    // Where the warning lines go (the console by default).
    void setWarningSink(std::function<void(const QString &html)> sink) { m_warn = std::move(sink); }
    // The name the warning lines give the file being read.
    void setFileName(const QString &name) { m_fileName = name; }

    // More pins, map entries or conditions than these are not read.
    static constexpr int maxPins = 4096;
    static constexpr int maxEntries = 65536;
    static constexpr int maxImages = 256;

private:
    void readPinMappingElements();
    void readPinEntry();
    void readMapEntry();
    void readMapCondEntry();
    // Reads the current element to its end tag; child elements included.
    void skipToEnd();
    void warn(const QString &text);

    PinMappingModel *m_model;
    QString m_panelFile;
    QString m_fileName;
    std::function<void(const QString &)> m_warn;
    bool m_pinLimitReported = false;
    bool m_entryLimitReported = false;
    bool m_conditionLimitReported = false;
    bool m_imageLimitReported = false;
};
