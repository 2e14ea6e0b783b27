// A bounded random-input pass over the panel validator under AddressSanitizer
// and UndefinedBehaviorSanitizer: the example panels with bytes flipped,
// cut short, and with the attributes the validator takes apart (ranges,
// defaults, bit suffixes, lockon, sendUSB data) given random values. Every
// run must end with its closing line. The branch and item checks, gathered
// in the validator's streaming pass, are compared with the same checks over a
// parsed document (QDomDocument) on random nestings of the elements they
// look at.
#include "errorreporter.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelstructurescan.h"
#include "panelvalidator.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "testenvironment.h"

#include <QDomDocument>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class FuzzPanelValidator : public QObject
{
    Q_OBJECT

public:
    FuzzPanelValidator()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_console << html; });
    }
    ~FuzzPanelValidator() override { ErrorReporter::instance().setConsoleSink(nullptr); }

private slots:
    void mutatedBytes();
    void randomAttributeValues();
    void numberRules();
    void structureChecksMatchDocumentParse();

private:
    void run(const QByteArray &text);
    QByteArray randomValue();
    QByteArray randomStructure(int depth);

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QStringList m_console;
    QRandomGenerator m_random{20261210};
};

void FuzzPanelValidator::run(const QByteArray &text)
{
    const QString path = writeTestFile(m_dir.filePath(QStringLiteral("p.xml")), text);
    QVERIFY(!path.isEmpty());
    m_console.clear();
    Panel panel(nullptr);
    PanelXmlReader(&panel).validateXmlFile(path);
    QVERIFY(!m_console.isEmpty());
    QVERIFY(m_console.last().contains(QLatin1String("Finished validation:")));
}

QByteArray FuzzPanelValidator::randomValue()
{
    static const QByteArray pieces[] = {"0",  "1", "-1", "0x", "0xFF", ";", ":", "=", ".", "[", "]", "[31:0]",
                                        "[0:31]", "[99999999999:0]", "A", "value=", "label=", "index=", "?",
                                        "1e309", "nan", "0.000001", "$DIR$", " ", "2:", "&amp;", "\xc3\xa4"};
    QByteArray value;
    const int count = int(m_random.bounded(6));
    for (int i = 0; i < count; ++i)
        value += pieces[m_random.bounded(int(std::size(pieces)))];
    return value;
}

void FuzzPanelValidator::mutatedBytes()
{
    QFile svd(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.svd"));
    QVERIFY(svd.open(QIODevice::ReadOnly));
    writeTestFile(m_dir.filePath(QStringLiteral("demo.svd")), svd.readAll());
    for (const char *name : {"/examples/demo.xml", "/examples/registers.xml"}) {
        QFile file(QStringLiteral(QUILLMATE_SOURCE_DIR) + QLatin1String(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        for (int round = 0; round < 400; ++round) {
            QByteArray text = original;
            const int edits = 1 + int(m_random.bounded(8));
            for (int i = 0; i < edits; ++i) {
                const int at = int(m_random.bounded(text.size()));
                switch (m_random.bounded(3)) {
                case 0: text[at] = char(m_random.bounded(256)); break;
                case 1: text.remove(at, int(m_random.bounded(20))); break;
                default: text.insert(at, randomValue()); break;
                }
            }
            if (round % 10 == 0)
                text.truncate(int(m_random.bounded(text.size())));
            run(text);
        }
    }
}

void FuzzPanelValidator::randomAttributeValues()
{
    static const char *const kinds[] = {"spinbox", "hexspinbox", "doublespinbox", "combo", "radio", "checkbox",
                                        "led", "math", "button", "treecontainer"};
    static const char *const attributes[] = {"define", "default", "range", "step", "lockon", "data", "recdata",
                                             "override", "hide", "uielement", "svd", "formula", "cmd"};
    for (int round = 0; round < 800; ++round) {
        QByteArray elements;
        const int count = 1 + int(m_random.bounded(6));
        for (int i = 0; i < count; ++i) {
            const QByteArray kind = kinds[m_random.bounded(int(std::size(kinds)))];
            elements += "<" + kind;
            for (const char *attribute : attributes) {
                if (m_random.bounded(2))
                    elements += QByteArray(" ") + attribute + "=\"" + randomValue() + "\"";
            }
            elements += ">";
            if (m_random.bounded(2))
                elements += "<item label=\"" + randomValue() + "\" value=\"" + randomValue() + "\"/><radiobutton hide=\""
                            + randomValue() + "\"/><action cmd=\"sendUSB\" data=\"" + randomValue() + "\" recdata=\""
                            + randomValue() + "\"/>";
            elements += "</" + kind + ">\n";
        }
        const QString header = m_random.bounded(2) ? QStringLiteral("<svd file=\"demo.svd\"/>\n") : QString();
        run(verticalPanelText(QString::fromUtf8(elements), header));
    }
}

void FuzzPanelValidator::numberRules()
{
    for (int round = 0; round < 2000; ++round) {
        const QString text = QString::fromUtf8(randomValue());
        const int capacity = bitRangeCapacity(text, int(m_random.bounded(3)) - 1);
        QVERIFY(capacity >= -2);
        QVERIFY(decimalPlaces(text) >= -1);
    }
}

namespace {

// The branch and item checks over a parsed document, as the validator ran them
// before its single streaming pass: the reference the pass must agree with.
QString withoutBlanks(const QString &text)
{
    return text.simplified().remove(QLatin1Char(' '));
}

void documentBranchUse(const QDomDocument &document, const QString &elementName)
{
    QStringList found;
    const QDomNodeList elements = document.elementsByTagName(elementName);
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement element = elements.at(i).toElement();
        if (!element.hasChildNodes() || !element.firstChildElement(QStringLiteral("action")).isNull()
            || element.attribute(QStringLiteral("uielement")) == QLatin1String("branch"))
            continue;
        found.append(QStringLiteral("%1[LINE: %2]").arg(elementName.toUpper()).arg(element.lineNumber()));
    }
    PanelValidation::consolePrintValidationError(
        QStringLiteral("The following %1 elements do not have uielement=\"branch\" but spans other elements in XML "
                       "file %2")
            .arg(elementName, QStringLiteral("p.xml")),
        found.join(QStringLiteral(", ")));
}

void documentItemElements(const QDomDocument &document, const QString &elementName, const QString &itemName,
                          QMap<QString, int> &itemCounts, QMap<QString, QString> &itemlessDefaults)
{
    const bool hasSvd = !document.elementsByTagName(QStringLiteral("svd")).isEmpty();
    QStringList exceeding;
    QStringList invalidDefaults;
    const QDomNodeList elements = document.elementsByTagName(elementName);
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement element = elements.at(i).toElement();
        const QString define = element.attribute(QStringLiteral("define"));
        if (!element.hasAttributes() || define.isEmpty())
            continue;
        QString defaultText = element.attribute(QStringLiteral("default"));
        const auto peripheralList = [&define](const QString &text) {
            return define == QLatin1String("$PERIPHERALS$")
                   || withoutBlanks(text) == QLatin1String("register=$PERIPHERALS$");
        };
        if (!element.hasChildNodes()) {
            if (!defaultText.isEmpty()) {
                defaultText = withoutBlanks(defaultText);
                if (!peripheralList(defaultText))
                    itemlessDefaults.insert(define, defaultText);
            }
            continue;
        }
        QList<QDomElement> items;
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isElement() && child.nodeName() == itemName)
                items.append(child.toElement());
        }
        if (items.isEmpty()) {
            if (!defaultText.isEmpty() && !peripheralList(defaultText))
                itemlessDefaults.insert(define, defaultText);
            continue;
        }
        const int n = items.size();
        const int capacity = bitRangeCapacity(define, 1);
        int counted = 0;
        bool found = false;
        if (defaultText.startsWith(QLatin1String("value=")))
            defaultText.remove(QStringLiteral("value="));
        const bool hasDefault = !defaultText.isEmpty();
        bool isLabel = false;
        bool isIndex = false;
        if (defaultText.startsWith(QLatin1String("label="))) {
            isLabel = true;
            defaultText.remove(QStringLiteral("label="));
        }
        if (defaultText.startsWith(QLatin1String("index="))) {
            isIndex = true;
            defaultText.remove(QStringLiteral("index="));
        }
        bool indexOk = false;
        const int index = isIndex ? defaultText.toInt(&indexOk, 10) : -1;
        int visibleIndex = 0;
        for (const QDomElement &item : qAsConst(items)) {
            if (!item.attribute(QStringLiteral("hide")).isEmpty()) {
                ++counted;
                continue;
            }
            if (hasDefault) {
                if (isLabel)
                    found = found || defaultText == item.attribute(QStringLiteral("label"));
                else if (isIndex)
                    found = found || (indexOk && index == visibleIndex);
                else
                    found = found || defaultText == item.attribute(QStringLiteral("value"));
            }
            ++visibleIndex;
            if (!item.attribute(QStringLiteral("value")).isEmpty())
                ++counted;
        }
        if (hasDefault && !found) {
            if (isLabel || isIndex) {
                invalidDefaults.append(define);
            } else {
                bool ok = false;
                const int value = parseNumberLiteral(defaultText).toInt(&ok);
                if (!ok || value >= n - counted)
                    invalidDefaults.append(define);
            }
        }
        if (capacity == -1) {
            if (hasSvd && element.attribute(QStringLiteral("svd")) != QLatin1String("0")
                && define.count(QLatin1Char('.')) == 2)
                itemCounts.insert(define, n - counted);
        } else if (capacity != -2 && n > capacity) {
            exceeding.append(define);
        }
    }
    PanelValidation::consolePrintValidationError(
        QStringLiteral("The following %1 elements with number of items exceeding range of define in XML file %2")
            .arg(elementName, QStringLiteral("p.xml")),
        exceeding.join(QStringLiteral(", ")));
    PanelValidation::consolePrintValidationError(
        QStringLiteral("The following %1 elements contain invalid default values in XML file %2")
            .arg(elementName, QStringLiteral("p.xml")),
        invalidDefaults.join(QStringLiteral(", ")));
}

} // namespace

// Nested elements the two checks look at, with the child nodes a parsed
// document counts (comments, CDATA, processing instructions, text) or drops
// (white space, also a no-break space), start tags over several lines and
// elements with a namespace prefix.
QByteArray FuzzPanelValidator::randomStructure(int depth)
{
    static const char *const names[] = {"checkbox", "radiobutton", "combo", "radio", "item", "action",
                                        "svd",      "text",        "q:combo", "q:item"};
    static const char *const attributes[] = {"define", "default", "hide", "label", "value", "uielement", "svd"};
    static const QByteArray values[] = {"",  "0",        "1",        "2",       "3",         "A.B.C",  "X[1:0]",
                                        "X[0:7]", "value=1", "label=a", "index=1", "index=x", "branch", "a",
                                        "$PERIPHERALS$", "register = $PERIPHERALS$", "0x1", " 1 "};
    static const QByteArray loose[] = {"", "\n  ", "\xc2\xa0", "t", "<!-- c -->", "<![CDATA[]]>", "<![CDATA[ ]]>",
                                       "<?pi x?>", "&#32;", "&amp;"};
    QByteArray text;
    const int count = int(m_random.bounded(depth > 0 ? 4 : 2));
    for (int i = 0; i < count; ++i) {
        text += loose[m_random.bounded(int(std::size(loose)))];
        const QByteArray name = names[m_random.bounded(int(std::size(names)))];
        text += "<" + name;
        if (name.startsWith("q:"))
            text += " xmlns:q=\"urn:q\"";
        for (const char *attribute : attributes) {
            if (m_random.bounded(3) == 0)
                text += (m_random.bounded(4) == 0 ? "\n " : " ") + QByteArray(attribute) + "=\""
                        + values[m_random.bounded(int(std::size(values)))] + "\"";
        }
        if (depth == 0 || m_random.bounded(3) == 0) {
            text += "/>";
        } else {
            text += ">" + randomStructure(depth - 1) + loose[m_random.bounded(int(std::size(loose)))] + "</" + name
                    + ">";
        }
        if (m_random.bounded(2))
            text += "\n";
    }
    return text;
}

void FuzzPanelValidator::structureChecksMatchDocumentParse()
{
    for (int round = 0; round < 1500; ++round) {
        const QByteArray text = "<?xml version=\"1.0\"?>\n<zelmlcfg>\n" + randomStructure(4) + "</zelmlcfg>\n";

        QDomDocument document;
        QVERIFY2(document.setContent(text), text.constData());
        m_console.clear();
        QMap<QString, int> comboCounts;
        QMap<QString, int> radioCounts;
        QMap<QString, QString> itemless;
        documentBranchUse(document, QStringLiteral("checkbox"));
        documentBranchUse(document, QStringLiteral("radiobutton"));
        documentItemElements(document, QStringLiteral("combo"), QStringLiteral("item"), comboCounts, itemless);
        documentItemElements(document, QStringLiteral("radio"), QStringLiteral("radiobutton"), radioCounts, itemless);
        const QStringList expected = m_console;

        PanelStructureScan scan;
        QXmlStreamReader xml(text);
        while (!xml.atEnd()) {
            xml.readNext();
            scan.take(xml);
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        m_console.clear();
        QMap<QString, int> scannedComboCounts;
        QMap<QString, int> scannedRadioCounts;
        QMap<QString, QString> scannedItemless;
        const QString file = QStringLiteral("p.xml");
        PanelXmlReader::checkBranchUse(scan, QStringLiteral("checkbox"), file);
        PanelXmlReader::checkBranchUse(scan, QStringLiteral("radiobutton"), file);
        PanelXmlReader::checkItemElements(scan, QStringLiteral("combo"), file, scannedComboCounts, scannedItemless);
        PanelXmlReader::checkItemElements(scan, QStringLiteral("radio"), file, scannedRadioCounts, scannedItemless);

        if (m_console != expected)
            qInfo().noquote() << text;
        QCOMPARE(m_console, expected);
        QCOMPARE(scannedComboCounts, comboCounts);
        QCOMPARE(scannedRadioCounts, radioCounts);
        QCOMPARE(scannedItemless, itemless);
    }
}

QTEST_MAIN(FuzzPanelValidator)
#include "fuzz_panelvalidator.moc"
