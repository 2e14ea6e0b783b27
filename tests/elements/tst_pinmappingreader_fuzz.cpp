// Mutated pin-mapping files through the reader, the model's evaluation and
// export and a paint of the chip, under AddressSanitizer and
// UndefinedBehaviorSanitizer. The seed is the example chip; a fixed seed
// keeps every run the same and a time budget keeps it to a few seconds.

#include "mutation.h"
#include "pinmappinghost.h"
#include "pinmappingmodel.h"
#include "pinmappingreader.h"
#include "qgraphicschipitem.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// A host without a panel: every name is unknown, conditions are numbers.
class Host : public PinMappingHost
{
public:
    PinMappingModel model;
    PinMappingModel *pinMappingModel() override { return &model; }
    ElementHost *elementHost() override { return nullptr; }
    OperandLookup *operandLookup() override { return nullptr; }
    bool raiseElement(const QString &) override { return false; }
    void searchElement() override {}
    QString workingDirectory() const override { return QString(); }
};

const char *const pieces[] = {
    "<pin nr=\"99999999999\" pinname=\"P1\" quadrant=\"3\" index=\"65535\" color=\"999;-1;x\"/>",
    "<pin nr=\"1\" pinname=\"P1\" quadrant=\"1\" index=\"4294967296\"/>",
    "<mapentry pinname=\"P1\" function=\"F\" direction=\"O\" info=\"I\" color=\";;\"/>",
    "<mapcondentry cond=\"1?2:(3\" function=\"F\"/>", "<mapcondentry cond=\"1/0\" function=\"F\"/>",
    "<mapcondentry cond=\"A==&quot;x&quot;\" function=\"F\"/>",
    "<chipsize len=\"4294967295\"/>", "<chipsize len=\"3\"/>", "<pinsize len=\"99999\"/>",
    "<arrowsize len=\"4294967295\"/>", "<margins TopY=\"4294967295\" LeftX=\"-1\"/>",
    "<buttonpos details=\"-5;99999999999\"/>", "<image file=\"\" pos=\"1;2\" moveable=\"7\"/>",
    "<geometry>", "</geometry>", "<mapping>", "</mapping>", "<name>", "</name>", "&amp;", "&#0;",
    "<![CDATA[x]]>",
};

} // namespace

class FuzzPinMappingReader : public QObject
{
    Q_OBJECT
private slots:
    void mutatedFiles()
    {
        QFile file(QStringLiteral(QUILLMATE_EXAMPLES "/pins_chip.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray seed = file.readAll();
        QRandomGenerator random(0x91a);
        QElapsedTimer budget;
        budget.start();
        QImage image(300, 300, QImage::Format_ARGB32);
        int runs = 0;
        while (budget.elapsed() < 4000) {
            Host host;
            QBuffer buffer;
            buffer.setData(mutateText(seed, random, pieces));
            buffer.open(QIODevice::ReadOnly);
            PinMappingReader reader(&host.model, QStringLiteral("C:/p.xml"));
            reader.setWarningSink([](const QString &) {});
            reader.read(&buffer);
            reader.errorLocation();
            host.model.csvText(&host);
            host.model.checkAgainstPanel(&host);
            // Every few runs the chip is painted and hovered too.
            if (runs % 16 == 0) {
                QGraphicsChipItem chip(&host);
                QPainter painter(&image);
                chip.paint(&painter, nullptr, nullptr);
                for (int i = 0; i < host.model.pins.size() && i < 8; ++i) {
                    QString plain;
                    chip.pinToolTip(i, &plain);
                }
            }
            ++runs;
        }
        qInfo("%d runs", runs);
    }
};

QTEST_MAIN(FuzzPinMappingReader)
#include "tst_pinmappingreader_fuzz.moc"
