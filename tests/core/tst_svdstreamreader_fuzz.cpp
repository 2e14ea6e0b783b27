// Mutated SVD text for the SVD stream reader, run under AddressSanitizer and
// UndefinedBehaviorSanitizer: the reader's checks, Symscan's expansion and
// the filling of the register model, with elements bound before the read.
// Seeds are the real SVD files; a fixed seed keeps every run the same and a
// time budget keeps it to a few seconds.

#include "activeelement.h"
#include "moduletablehost.h"
#include "mutation.h"
#include "registermodel.h"
#include "svdstreamreader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>

namespace {

class Element : public QLabel, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    QObject *elementObject() const override { return const_cast<Element *>(this); }
    void setValue(const QString &, int) override {}
    void loadValue(const QString &) override {}
    QString value(int, int) override { return QStringLiteral("1"); }
    QString storedValueText() override { return QString(); }
    void initialize() override {}
    void enable(bool) override {}
    void setElementProperty(const char *name, const QVariant &value) override { setProperty(name, value); }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int, int) override { return true; }
signals:
    void updateMathLabels() override;
};

using Host = ModuleTableHost;

const char *const pieces[] = {
    "<register><name>R[%s]</name><dim>4294967295</dim></register>",
    "<cluster><name>C</name><cluster><name>D</name></cluster></cluster>",
    "<peripheral derivedFrom=\"P\"><name>P</name></peripheral>",
    "<field><name>F</name><bitRange>[99:0]</bitRange></field>",
    "<field><name>F</name><lsb>70</lsb><msb>2</msb></field>",
    "<field><name>F</name><bitOffset>4294967295</bitOffset><bitWidth>4294967295</bitWidth></field>",
    "<size>0xFFFFFFFF</size>", "<resetValue>#1x1x</resetValue>", "<value>0xFFFFFFFFFFFFFFFFF</value>",
    "<addressOffset>-1</addressOffset>", "<name>", "</name>", "<dim>0</dim>", "&amp;", "&#0;", "<![CDATA[x]]>",
    // The constructs of vendor files: arrays of peripherals and fields,
    // derivations by an array's name, repeated names, value blocks.
    "<peripheral><dim>65536</dim><name>P[%s]</name><registers><register><dim>65536</dim><name>R%s</name>"
    "</register></registers></peripheral>",
    "<peripheral derivedFrom=\"TIMER[%s]\"><dim>2</dim><name>T%s</name></peripheral>",
    "<field><dim>3</dim><dimIncrement>1</dimIncrement><dimIndex>A-C</dimIndex><name>MODE%s</name><bitOffset>4</bitOffset></field>",
    "<field><name>MODE</name><bitRange>[1:0]</bitRange></field>",
    "<register derivedFrom=\"RELOAD[%s]\"><name>COPY</name></register>",
    "<registers><register><name>CR</name><addressOffset>+0x8</addressOffset></register></registers>",
    "<enumeratedValues derivedFrom=\"M\"><name>M</name></enumeratedValues>",
    "<enumeratedValues><name>M</name><usage>read</usage><enumeratedValue><name>X</name><value>#1xx</value>"
    "</enumeratedValue><enumeratedValue><name>D</name><isDefault>true</isDefault></enumeratedValue></enumeratedValues>",
    "<enumeratedValues derivedFrom=\"TIMER0.CR.MODE.M\"/>", "<value>0b2</value>", "<usage>write</usage>",
};

} // namespace

class FuzzSvdStreamReader : public QObject
{
    Q_OBJECT
private slots:
    void mutatedFiles()
    {
        setRegisterModelReporter([](const QString &) {});
        QList<QByteArray> seeds;
        for (const char *name : {"ARM_Example.svd", "nrf51.svd", "constructs/enumerated_values.svd",
                                 "constructs/repeated_fields.svd"}) {
            QFile file(QStringLiteral(SVD_FIXTURE_DIR "/") + QLatin1String(name));
            if (file.open(QIODevice::ReadOnly))
                seeds.append(file.readAll());
        }
        QVERIFY(!seeds.isEmpty());
        QRandomGenerator random(0x5fd);
        QElapsedTimer budget;
        budget.start();
        int runs = 0;
        while (budget.elapsed() < 4000) {
            const QByteArray &seed = seeds.at((runs / 8) % seeds.size());
            // The small file most of the time, so that many runs fit.
            const QByteArray data = mutateText(runs % 8 == 7 ? seed : seeds.first(), random, pieces);
            Host host;
            Element a, b;
            bindRegisterPath(host, QStringLiteral("TIMER0.CR.MODE[1:0]"), QString(), &a, true);
            bindRegisterPath(host, QStringLiteral("TIMER0.CR[5]"), QString(), &b, false);
            SvdStreamReader reader(&host, QStringLiteral("p.xml"));
            reader.readData(data);
            reader.errorLocation();
            ++runs;
        }
        setRegisterModelReporter(nullptr);
        qInfo("%d runs", runs);
    }
};

QTEST_MAIN(FuzzSvdStreamReader)
#include "tst_svdstreamreader_fuzz.moc"
