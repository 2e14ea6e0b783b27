#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

class PinMapping;
class PinMappingHost;

// One pin of the chip (<pin> of <geometry>).
struct PinEntry {
    quint16 nr = 0;
    QString pinName;
    quint16 quadrant = 0; // 0 left, 1 bottom, 2 right, 3 top; others are not drawn
    quint16 index = 0;    // position along its side, 0 first
    QColor color;
    QRect hitRect;        // the label box as last painted
    quint16 labelOffset = 0; // painting scratch: how far out the next arrow starts
    QString exportText;   // CSV export scratch
};

// One function that can be routed to a pin (<mapentry> of <mapping>).
struct MapEntry {
    QString pinName;
    quint16 output = 0;   // 1 for direction "O"
    QString function;
    QString dispName;     // shown instead of function when not empty
    QString info;         // element whose value is appended to the text
    QString link;         // element raised by a click on the arrow
    QPainterPath arrowPath; // the arrow as last painted, in chip item coordinates
    QColor color;
};

// A condition that makes a function active (<mapcondentry> of <mapconditions>).
struct MapCondEntry {
    QString cond;
    QString function;
};

// A picture placed over the chip (<image>).
struct PinImageEntry {
    QString file;
    bool moveable = false;
    int x = 0;
    int y = 0;
};

// A scene position of one of the picture's buttons.
struct PinButtonPos {
    quint32 x = 0;
    quint32 y = 0;
};

// The pin-mapping data of the loaded panel: the chip of the panel's
// pin-mapping file with its pins, the functions each pin can have and the
// conditions that select them. The pin views (the pin-mapping element, the
// port-mapping dialogs and the chip item) read it at every paint. One model
// lives as long as the panel object; each file read replaces the lists, the
// sizes keep their last values when a file leaves them out.
class PinMappingModel
{
public:
    PinMappingModel();
    ~PinMappingModel();
    PinMappingModel(const PinMappingModel &) = delete;
    PinMappingModel &operator=(const PinMappingModel &) = delete;

    QString chipName;
    QMap<QString, int> pinIndexByName;
    QMap<QString, int> entryIndexByFunction;
    QList<PinEntry> pins;
    QList<MapEntry> mapEntries;
    QList<MapCondEntry> conditions;
    QList<PinImageEntry> images;
    quint32 chipSize = 600;
    QColor chipColor = Qt::white;
    QColor backgroundColor = Qt::white;
    PinButtonPos detailsPos{0, 300};
    PinButtonPos exportPos{0, 330};
    quint32 pinSize = 0;
    quint32 arrowSize = 0;
    quint32 marginTop = 0;
    quint32 marginBottom = 0;
    quint32 marginLeft = 0;
    quint32 marginRight = 0;
    bool toolTipsActivated = true;
    // The panel's pin-mapping element, the one pointer to it: it clears
    // itself when the element goes away with its panel.
    QPointer<PinMapping> pinMappingElement;

    // Empties the lists and maps and sets colours, button positions and tool
    // tips back; the chip name and the sizes keep their values.
    void reset();
    // Deletes the registered pin-mapping element and forgets it.
    void deleteElement();
    bool isEmpty() const { return pins.isEmpty(); }

    // One active function: a condition that holds, whose function has a map
    // entry on a known pin.
    struct ActiveMapping {
        int condition = -1;
        int pin = -1;
        int entry = -1;
    };
    // The active functions for the panel's current values, in condition order.
    QList<ActiveMapping> activeMappings(PinMappingHost *host) const;
    // Whether the condition holds for the panel's current values: a formula
    // that is not 0, or a text comparison of an edit element. Names the
    // panel does not know count as 0 and are added to unknownNames instead
    // of being reported: the views evaluate at every paint.
    static bool conditionHolds(const QString &condition, PinMappingHost *host,
                               QStringList *unknownNames = nullptr);

    // The text of a map entry: its display name (else its function), with
    // "/" and the current value of its info element when that is an element.
    QString mapEntryText(int entry, PinMappingHost *host) const;

    // The CSV export: one line per pin in file order, the pin name and ";",
    // then each active function's display name (else function) and ";".
    // Fills every pin's exportText.
    QString csvText(PinMappingHost *host);

    // What the panel cannot show of the file: conditions that name no
    // element or variable, functions without a map entry, entries on pins
    // the chip lacks. One text per finding.
    QStringList checkAgainstPanel(PinMappingHost *host) const;

    // The names a condition reads (the name operands of its formula, blanks
    // removed), in order, each once.
    static QStringList conditionNames(const QString &condition);
    // The element a details-table condition names: the part before the first
    // "==" (the whole text without one); and the value after it.
    static QString conditionElementName(const QString &condition);
    static QString conditionValue(const QString &condition);
};
