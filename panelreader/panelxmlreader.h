#pragma once

#include "elfreader.h"
#include "panelxmlrecord.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QSizePolicy>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamAttributes>

#include <functional>
#include <memory>

class ButtonGroup;
class ComboBox;
class Container;
class Panel;
class PanelStructureScan;
struct MathFormula;
class QAbstractButton;
class QColor;
class QIODevice;
class QObject;
class QPoint;
class QSize;
class QSpinBox;
class QWidget;
class QXmlStreamReader;
class TabWidget;

// What a read takes from the command line and the window.
struct PanelReadOptions {
    QString includePaths; // -i: folders searched for included files, ";"-separated
    QString defines;      // -d: "NAME=value;..." for the start conditions of elements
    bool homePanel = false; // the home panel of a new project: no version check
    // Called now and then while a long read goes on, with the number of
    // elements built so far: first once the read has taken progressAfterMs,
    // then at most every tenth of a second. Nothing else runs meanwhile.
    std::function<void(int elementsRead)> progress;
    int progressAfterMs = 1000;
};

// Reads one panel definition (root element "zelmlcfg") and builds its element
// tree into a Panel: root and version check, checksum, header elements,
// the root container and, through the element dispatcher, every container and
// element below it, with includes expanded. One reader serves one read.
//
// Problems with single elements never stop a read: each becomes one red
// "XML Error:" or orange "XML Warning:" console line that links to the element
// and to the position in the file. A read fails (readXml returns false) when
// the file is no panel, is too new, has no root container, or an include
// cannot be opened or read; the caller then falls back (a new project) once
// the reader is gone.
//
// The implementation is split by role: panelxmlreader.cpp (read flow, root,
// version, checksum, top level, messages), _header.cpp (panel header
// elements), _dispatch.cpp (the table of element builders, start conditions,
// inline elements), _include.cpp, _attributes.cpp, _binding.cpp (defines,
// actions, locks), and one file per group of builders: _containers.cpp,
// _buttons.cpp, _combo.cpp, _spinboxes.cpp, _slider.cpp, _knobs.cpp,
// _texts.cpp and _edits.cpp.
class PanelXmlReader
{
    Q_DECLARE_TR_FUNCTIONS(PanelXmlReader)

public:
    // Resets the panel state a read fills: the tool-tip sections, the I/O
    // port, the poll lists, invisible elements and forum link.
    explicit PanelXmlReader(Panel *target, PanelReadOptions readOptions = PanelReadOptions());
    ~PanelXmlReader();
    PanelXmlReader(const PanelXmlReader &) = delete;
    PanelXmlReader &operator=(const PanelXmlReader &) = delete;

    // Reads the whole panel from the open device (the caller keeps it).
    bool readXml(QIODevice *device);
    // Reads elements given as panel XML inside one wrapping element into
    // parent, as an include reads a fragment: the panel editor's paste. False
    // when the text is not well-formed.
    bool readFragment(const QByteArray &bytes, Container *parent);
    // The position of the stream as console rich text (file link, line,
    // column), for the caller's "Cannot read file" line after a failed read.
    QString xmlErrorLink() const;
    // Why a successful read did not get through the whole file (XML not
    // well-formed, elements skipped beyond the nesting limit, an included
    // file that did not read to its end); empty when it did. Interactive
    // opens keep what was built; runs that write files must not.
    QString stoppedEarlyReason() const { return m_stoppedEarly; }
    // One XML error or warning line on the console (and the log file), linking
    // to link (usually a define) and to the reader's current position.
    void xmlMessage(const QString &text, const QString &link, bool isError);
    // A mistake in the panel that changes what it defines (an element name
    // no kind has, an attribute value, range or formula that does not parse,
    // a duplicate define, a lock or setDef target naming nothing): an XML
    // error line, counted. A run that writes from the panel refuses it.
    void panelMistake(const QString &text, const QString &link);
    // The mistakes the read reported, the first of them as plain text.
    int mistakeCount() const { return m_mistakeCount; }
    QString firstMistake() const { return m_firstMistake; }

    // What the caller takes over after a successful read.
    bool usesTyk = false;         // an action sends to the Tyk adapter
    bool loadSaveAllowed = true;  // header element loadsaveallowed
    bool hasSvdFile = false;      // the panel header names an SVD file
    QString terminalPort;         // header element terminal: the port shown on the console
    QString terminalSettings;     // its settings "baud;databits;parity;stopbits"
    QString versionText;          // the root's version attribute as written
    // C header file -> panel version label when its first define was bound.
    QHash<QString, QString> headerVersions;
    // The tab widgets that fit themselves to their current page ("resize"),
    // for the fit once the panel is built.
    QList<QPointer<TabWidget>> fittingTabs;

    // ---- Rules shared with the shell and the tests

    // The lower-case hexadecimal SHA-256 digest of text from the first
    // "</checksum>" (included) to the end; a null text when there is none.
    // Callers pass the text without carriage returns.
    static QByteArray checksumOf(const QByteArray &text);
    // (major * 1000 + minor) * 1000 + patch of a version text: parts split at
    // ".", missing parts 0, a part that is no decimal number 0.
    static qint64 versionNumber(const QString &text);
    // "$xmlopen$<file>$-n<line>$-c<column>" with every ":" of the file
    // written "$$$COLON$$$".
    static QString positionLink(const QString &file, qint64 line, qint64 column);
    // The console line of xmlMessage for the given position.
    static QString messageLine(const QString &text, const QString &link, bool isError,
                               const QString &file, qint64 line, qint64 column);
    // Whether a start condition (NAME==value or NAME!=value) holds for the
    // command-line define list ("NAME=value;..."); false without a list.
    static bool startConditionHolds(const QString &condition, const QString &defineList);
    // The bytes with "$name$" replaced by each attribute's value in document
    // order, the value XML-escaped first. Empty and *tooLarge set when the
    // result would exceed maxIncludeSize.
    static QByteArray substitutePlaceholders(QByteArray bytes, const QXmlStreamAttributes &values,
                                             bool *tooLarge);

    // Includes nest at most this deep; a deeper one fails the read.
    static constexpr int maxIncludeDepth = 16;
    // Elements nested deeper than this many dispatcher levels are skipped.
    static constexpr int maxNesting = 64;
    // An included file (after its placeholders are replaced) is at most this big.
    static constexpr qint64 maxIncludeSize = 16 * 1024 * 1024;
    // A read prints at most this many XML lines; a flood would freeze the console.
    static constexpr int maxMessages = 1000;

    // ---- Panel validation (panelvalidator.cpp): checks a panel file and
    // reports its findings on the console only; builds nothing, writes nothing.
    void validateXmlFile(QString path);
    // The branch check of "checkbox" or "radiobutton" elements and the item
    // check of "combo" (items "item") or "radio" (items "radiobutton")
    // elements, over what the validation's streaming pass gathered.
    static void checkBranchUse(const PanelStructureScan &scan, const QString &elementName,
                               const QString &fileName);
    static void checkItemElements(const PanelStructureScan &scan, const QString &elementName,
                                  const QString &fileName, QMap<QString, int> &itemCounts,
                                  QMap<QString, QString> &itemlessDefaults);
    // The names that no element defines (defined: define -> its line).
    static void reportMissingDefines(const QString &fileName, const QString &kind,
                                     const QSet<QString> &names, const QHash<QString, qint64> &defined);
    // The names each math formula refers to (in file order) that no element
    // defines, or only the formula's own element.
    static void checkMathDefines(const QString &fileName, const QVector<MathFormula> &formulas,
                                 const QHash<QString, qint64> &definedNames);
    static void reportOverrideHideValues(const QString &svdFile,
                                         const QMap<QString, QSet<QString>> &values);

private:
    // ---- Read flow (panelxmlreader.cpp)
    bool checkRootElement();
    // Checks the checksum when the root's first child is one; any other
    // first child stays unread for the caller. Warns itself when there is no
    // checksum element and returns true then.
    bool verifyChecksum();
    // Records the first reason the read did not get through the whole file.
    void noteStoppedEarly(const QString &reason);
    bool readTopLevel();
    bool isRootContainer(const QString &name) const;
    void readRootContainer();
    // A not-well-formed stream is reported once as an XML error line.
    void reportStreamError();
    QString currentFile() const;
    // The directory relative file names of the file being read start from.
    QString panelDir() const;
    QString resolvePanelPath(const QString &name) const;

    // ---- Panel header elements (panelxmlreader_header.cpp)
    // Handles a top-level header element; false when the name is none.
    bool readHeaderElement();
    void readSvd(bool topLevel);
    void readMigration();
    // The elf element, at top level or in a container: reads the firmware's
    // symbols into m_elfReader; does nothing for another element.
    void readElf();
    // The parametermap element, at top level or in a container: reads the
    // parameter map into the panel; does nothing for another element.
    void readParameterMapElement();
    // The pinmapping element, at top level or in a container: reads the
    // pin-mapping file into the panel's pin-mapping model; does nothing for
    // another element.
    void readPinMappingElement();
    void warnWhenMissing(const QString &name, const QString &message);

    // ---- Element dispatcher (panelxmlreader_dispatch.cpp)
    void readElements(Container *parent, const QString &header, ButtonGroup *radioGroup);
    // The next start tag inside the current element (or document); false at
    // its end or on a stream error.
    bool readNextChildElement();
    // Hands the current element to its builder; false for a name the
    // dispatcher does not know.
    bool dispatchElement(const QString &name, Container *parent, const QString &header,
                         ButtonGroup *radioGroup);
    bool checkStartCondition(const QXmlStreamAttributes &attributes) const;
    QString commandLineDefines() const;
    void readVersionElement();
    void readStretchElement(Container *parent);
    void readHorizontalLine(Container *parent);
    void readEditBox(const QString &header, Container *parent);
    void readHeaderGroup(Container *parent);
    // svd and migration inside a container.
    void readFileElement(const QString &name);

    // ---- Includes (panelxmlreader_include.cpp)
    bool readInclude(const QString &header, Container *parent);
    bool readIncludedXml(const QByteArray &bytes, const QString &header, Container *parent,
                         const QXmlStreamAttributes &attributes);
    QString findIncludedFile(const QString &name) const;
    // Ends the whole read after an include failed: the outer stream stops.
    void failRead(const QString &reason);

    // ---- Attribute readers and common attributes (panelxmlreader_attributes.cpp)
    static QString readHeader(const QXmlStreamAttributes &attributes, const QString &groupHeader);
    static QStringList readHeaderLabels(const QXmlStreamAttributes &attributes);
    static int readColumns(const QXmlStreamAttributes &attributes);
    static bool isInvertedRole(const QXmlStreamAttributes &attributes);
    static bool usesSvd(const QXmlStreamAttributes &attributes);
    static bool isVisible(const QXmlStreamAttributes &attributes);
    // The bounds of "range" ("min;max"); a bound that is no number reads 0
    // with its ok false, as does the maximum of a range without exactly two parts.
    static void readRange(const QXmlStreamAttributes &attributes, int *min, bool *minOk, int *max, bool *maxOk);
    static QColor colorAttribute(const QXmlStreamAttributes &attributes, const QString &name);
    static QSize readSize(const QXmlStreamAttributes &attributes, bool *ok);
    // The "label" text; a reference to a field of the parameter map ($NAME.Text) gives that field.
    QString readLabel(const QXmlStreamAttributes &attributes) const;
    QList<int> readColumnWidths(const QXmlStreamAttributes &attributes);
    QColor readColor(const QXmlStreamAttributes &attributes);
    QSizePolicy readSizePolicy(const QXmlStreamAttributes &attributes);
    QPoint readPos(const QXmlStreamAttributes &attributes);
    void readCommonAttributes(const QXmlStreamAttributes &attributes, QWidget *widget);
    void applyColor(const QXmlStreamAttributes &attributes, QWidget *widget);
    void applyBackgroundImage(const QXmlStreamAttributes &attributes, QWidget *widget);
    // A warning of the attribute readers: linked to the element's define.
    void attributeWarning(const QString &text, const QXmlStreamAttributes &attributes);

    // ---- Defines, actions and locks (panelxmlreader_binding.cpp)
    QString checkDuplicateDefine(const QXmlStreamAttributes &attributes, bool check = true);
    void readDefineAttributes(const QXmlStreamAttributes &attributes, QObject *element,
                              const QString &groupHeader, const QString &define);
    // Notes a header name that is not written (outside the working
    // directory, or empty) for the export.
    void readActions(QObject *element, int number);
    void readAction(QObject *element, int number);
    void appendAction(const QXmlStreamAttributes &attributes, QObject *element, int number);
    // Connects element's signal key(QString) to the window's slot command,
    // when the element has that signal.
    void connectAction(const QString &key, const QString &command, QObject *element);
    // The setDef of a combo item or radio button ("setdef" wins over
    // "setDef"): a selected_setDef action under number.
    void appendSetDefAction(QObject *element, const QXmlStreamAttributes &attributes, int number);
    static QString actionKey(const QXmlStreamAttributes &attributes);
    static QString readActionCommand(const QXmlStreamAttributes &attributes);
    static void readLockOn(QObject *element, const QXmlStreamAttributes &attributes, int number);
    void hookLocks(QObject *element, const QXmlStreamAttributes &attributes, int number);
    // The window's value-update connections of a value element: math labels,
    // changed-by-user, LEDs, SVG images, then curves, dials, thermometers and
    // logs as far as asked.
    enum ValueConnection : unsigned {
        ToMathLabels = 0x1,
        ChangedByUser = 0x2,
        ToLeds = 0x4,
        ToSvgImages = 0x8,
        ToCurves = 0x10,
        ToDials = 0x20,
        ToThermos = 0x40,
        ToLogs = 0x80,
    };
    void connectValueElement(QObject *element, unsigned connections);
    // The error for an element kind that needs a define and has none.
    void requireDefine(const QString &define, const QString &kind);

    // ---- Container builders (panelxmlreader_containers.cpp)
    enum class BoxKind { Absolute, Grid, Group, Horizontal, Vertical };
    void readBoxContainer(BoxKind kind, const QString &header, Container *parent,
                          ButtonGroup *radioGroup);
    void readTreeContainer(const QString &header, Container *parent, ButtonGroup *radioGroup);
    void readTabContainer(const QString &header, Container *parent);
    void readSelectSetDef(const QXmlStreamAttributes &attributes, Container *parent, QWidget *page);
    void connectTabChanges(TabWidget *tabs, const QXmlStreamAttributes &attributes);
    // A stretch item in the widget's box layout (none without one).
    static void addStretch(QWidget *container);

    // ---- Buttons, check boxes, radio groups and branches (panelxmlreader_buttons.cpp)
    void readButton(Container *parent);
    void readCheckBox(const QString &header, Container *parent);
    void finishToggleElement(QWidget *box, const QXmlStreamAttributes &attributes,
                             const QString &header, const QString &define);
    void readRadioGroup(const QString &header, Container *parent);
    void readRadioButton(Container *parent, ButtonGroup *radioGroup);
    // Joins the button to its group and reads its setDef, lockon and actions.
    void readRadioButtonData(QAbstractButton *button, const QXmlStreamAttributes &attributes,
                             ButtonGroup *group);
    void readToggleTail(QWidget *button, const QXmlStreamAttributes &attributes,
                        const QString &header, const QString &define);
    void readBranch(const QString &header, Container *parent, ButtonGroup *radioGroup);

    // ---- Toggle buttons, texts, button icons (panelxmlreader_texts.cpp) and
    //      line edits (panelxmlreader_edits.cpp)
    void readToggleButton(const QString &header, Container *parent);
    void readText(Container *parent);
    // The "icon", "size" and "nograyout" attributes of a push or toggle button.
    void readIconAttributes(const QXmlStreamAttributes &attributes, QAbstractButton *button);
    // Actions of kinds whose only signal is that of signalEvent (a push
    // button's pressed and released runScript go out as clicked_runScript):
    // connects that signal, so the action reaches the window also where no
    // action of signalEvent's own connected it.
    void connectSharedActionSignals(QObject *element, const QString &signalEvent, const QStringList &kinds);
    void readEdit(const QString &header, Container *parent);

    // ---- Combo boxes and their items (panelxmlreader_combo.cpp)
    void readCombo(const QString &header, Container *parent);
    void readComboItem(ComboBox *combo);

    // ---- Spin boxes (panelxmlreader_spinboxes.cpp)
    void readSpinBox(const QString &header, Container *parent);
    void readHexSpinBox(const QString &header, Container *parent);
    void readDoubleSpinBox(const QString &header, Container *parent);
    // The "range" of the integer kinds (spin boxes, slider, knob) with its
    // messages, word naming the kind in them: true, with the bounds, when the
    // range can be applied (minimum not above maximum).
    bool readIntegerRange(const QXmlStreamAttributes &attributes, const QString &define,
                          const QString &word, int *min, int *max);
    // Reports a "default" (decimal, else "0x" hexadecimal) outside [min, max].
    void checkIntegerDefault(const QXmlStreamAttributes &attributes, const QString &define,
                             double min, double max);
    // The range and default check of the two integer spin boxes.
    void readSpinBoxRange(const QXmlStreamAttributes &attributes, QSpinBox *box,
                          const QString &define, const QString &word);
    // The "step" of the integer kinds: a hexadecimal or decimal literal; 0,
    // with a warning, for anything else.
    int readIntegerStep(const QXmlStreamAttributes &attributes);

    // ---- Slider, knob and dial (panelxmlreader_slider.cpp, panelxmlreader_knobs.cpp)
    void readSlider(const QString &header, Container *parent);
    void readKnob(const QString &header, Container *parent);
    void readDial(Container *parent);

    // ---- LEDs, images and embedded SVG (panelxmlreader_images.cpp)
    void readLed(Container *parent);
    void readImage(Container *parent);
    void readSvgEmbed(Container *parent);
    // The raw text between the start tag of the current svgembed and its end
    // tag, leaving the stream on the end tag; *ok is false when the element
    // has no well-formed end.
    QString readEmbeddedSvgText(bool *ok);

    // ---- Formula labels (panelxmlreader_math.cpp)
    void readMath(const QString &header, Container *parent);
    // The "format" text as Latin-1 bytes; when empty "%d" for an integer
    // (register) formula, else "%4.2f".
    static QByteArray readFormat(const QXmlStreamAttributes &attributes, bool integer);

    // ---- Plots, curves and thermometers (panelxmlreader_plot.cpp)
    void readPlot(const QString &header, Container *parent);
    void readThermo(const QString &header, Container *parent);

    // ---- Log and timer elements (panelxmlreader_logtimer.cpp)
    void readLog(const QString &header, Container *parent);
    // The logitem children of a log: one column per data source.
    void readLogItems(class LogLabel *log);
    void readTimer(const QString &header, Container *parent);

    // ---- Target variables (panelxmlreader_var.cpp)
    // A var element: its DataClass, and its VarPollEntry when it names a
    // place in target memory (an address that is no unsigned 32-bit number,
    // or a symbol the ELF data lacks, leaves it unbound).
    void readVar();

    // ---- Periodic exchanges (panelxmlreader_communication.cpp)
    // A communication element: one ComPollEntry on the panel's exchange list.
    void readCommunication();

    // ---- Register view (panelxmlreader_registerview.cpp)
    // A register view: its read/write buddy ("NAME;value") and the define and
    // common attributes.
    void readRegisterView(const QString &header, Container *parent);

    // ---- SVD tree (panelxmlreader_svdtree.cpp)
    // An svdtree element: the register tree over the panel's module table.
    void readSvdTree(const QString &header, Container *parent);

    // ---- Register table (panelxmlreader_table.cpp)
    // A table element and its column children.
    void readTable(const QString &header, Container *parent);

    // ---- Pin mapper (panelxmlreader_pinmapping.cpp)
    // A pinmapper element: the panel's one pin-mapping element.
    void readPinMapper(Container *parent);

    Panel *m_panel;
    PanelReadOptions m_options;
    // The shared texts of the records the read leaves on the elements.
    PanelXmlRecord::TextPool m_recordTexts;
    // The container whose children are read now, as their snapshots see it;
    // dropped when a container's children end, so it never outlives one.
    PanelXmlRecord::Snapshot::Parent m_snapshotParent;
    std::unique_ptr<QXmlStreamReader> m_xml;
    QByteArray m_fileBytes;
    QMap<QString, int> m_sizePolicyNames;
    QSet<QString> m_eventNames;
    QSet<QString> m_commandNames;
    QList<Container *> m_openContainers;
    // Whether header names stay in the working directory, by name: a panel
    // names few headers for many elements.
    QHash<QString, bool> m_headerStaysInFolder;
    // The header the element before was bound with, once it was found to stay
    // in the folder and to be listed in headerVersions: the elements of a
    // header group share that very string, and are bound without a look-up.
    QString m_lastBoundHeader;
    // Canonical paths of the files being read, the panel first.
    QStringList m_openFiles;
    int m_includeDepth = 0;
    int m_messageCount = 0;
    int m_mistakeCount = 0;
    QString m_firstMistake;
    // Elements built, and the clock of the read, for the progress callback.
    int m_elementsRead = 0;
    QElapsedTimer m_readClock;
    qint64 m_lastProgressMs = -1;
    void noteElementRead();
    // The defines that lockon and setDef lists name, with where they were
    // written; checked once the whole panel is read (a target may come later).
    struct NamedTarget {
        QString attribute; // "lockon" or "setDef"
        QString define;
        QString element;
        QString file;
        qint64 line = 0;
        qint64 column = 0;
    };
    QVector<NamedTarget> m_namedTargets;
    void noteNamedTargets(const QString &attribute, const QString &items, const QString &element);
    void checkNamedTargets();
    void mistakeAt(const QString &text, const QString &link, const QString &file, qint64 line, qint64 column);
    int m_nesting = 0;
    // Tree rows built since the last delivery of the new widgets' polish and
    // layout requests.
    int m_rowsSinceDelivery = 0;
    // Delivers the polish and layout requests of the widgets built so far
    // (and no other posted event: no queued slot runs in the middle of a
    // read). A tree row's widgets are built without a parent and placed in
    // their row afterwards; Qt compares each layout request posted to such a
    // widget with every event still queued, so a panel of many rows would
    // take time growing with the square of its size. Other containers leave
    // their requests to the show: delivered during the read they would
    // polish widgets of pages nobody looks at yet.
    void deliverWidgetRequests();
    // Set when an include failed: the whole read ends and fails.
    bool m_failed = false;
    QString m_stoppedEarly;
    // The symbols of the panel's elf element; the var elements look up theirs here.
    Symscan::ELFReader m_elfReader;
};
