// A bounded random-input pass over the panel validator under AddressSanitizer
// and UndefinedBehaviorSanitizer: the example panels with bytes flipped,
// cut short, and with the attributes the validator takes apart (ranges,
// defaults, bit suffixes, lockon, sendUSB data) given random values. Every
// run must end with its closing line.
#include "errorreporter.h"
#include "panel.h"
#include "panelvalidator.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "testenvironment.h"

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

private:
    void run(const QByteArray &text);
    QByteArray randomValue();

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

QTEST_MAIN(FuzzPanelValidator)
#include "fuzz_panelvalidator.moc"
