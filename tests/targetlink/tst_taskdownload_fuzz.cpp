// A bounded random-input pass over the task download's Intel HEX reading
// (built with AddressSanitizer and UndefinedBehaviorSanitizer): valid texts of
// random records read back to their data bytes, and mutated or random text
// never crashes the reader nor yields more data than the text holds.
#include "tyktaskdownload.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

using namespace TykTaskDownload;

namespace {

QByteArray record(quint8 type, quint16 address, const QByteArray &data)
{
    QByteArray raw;
    raw.append(char(data.size()));
    raw.append(char(address >> 8));
    raw.append(char(address));
    raw.append(char(type));
    raw.append(data);
    quint8 sum = 0;
    for (char c : raw)
        sum = quint8(sum + quint8(c));
    raw.append(char(quint8(-sum)));
    return ':' + raw.toHex() + "\n";
}

QByteArray randomBytes(QRandomGenerator &random, int n)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(random.bounded(256));
    return b;
}

// Random records of every type; the data records' bytes go to *data.
QByteArray randomHex(QRandomGenerator &random, QByteArray *data)
{
    QByteArray text;
    const int records = random.bounded(0, 40);
    for (int i = 0; i < records; ++i) {
        const quint8 type = random.bounded(4) == 0 ? quint8(random.bounded(1, 6)) : 0;
        const QByteArray bytes = randomBytes(random, random.bounded(0, 256));
        if (type == 0)
            *data += bytes;
        text += record(type, quint16(random.bounded(0x10000)), bytes);
    }
    return text;
}

} // namespace

class TaskDownloadFuzzTest : public QObject
{
    Q_OBJECT

private slots:
    void validTextsReadBack();
    void mutatedAndRandomTextsAreSafe();
};

void TaskDownloadFuzzTest::validTextsReadBack()
{
    QRandomGenerator random(20261210);
    for (int round = 0; round < 300; ++round) {
        QByteArray expected;
        const QByteArray text = randomHex(random, &expected);
        QByteArray data;
        QString error;
        QVERIFY2(readTaskData(text, &data, &error), qPrintable(error));
        QCOMPARE(data, expected);
    }
}

void TaskDownloadFuzzTest::mutatedAndRandomTextsAreSafe()
{
    QRandomGenerator random(7102);
    static const char alphabet[] = ":0123456789ABCDEFabcdefg\r\n \t\0";
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    while (rounds < 20000 && clock.elapsed() < 4000) {
        ++rounds;
        QByteArray ignored;
        QByteArray text = randomHex(random, &ignored);
        const int kind = random.bounded(3);
        if (kind == 0 && !text.isEmpty()) {
            // Flip, cut or insert at random places.
            for (int k = random.bounded(1, 8); k > 0 && !text.isEmpty(); --k) {
                const int at = random.bounded(text.size());
                switch (random.bounded(3)) {
                case 0: text[at] = alphabet[random.bounded(int(sizeof alphabet) - 1)]; break;
                case 1: text.truncate(at); break;
                default: text.insert(at, alphabet[random.bounded(int(sizeof alphabet) - 1)]); break;
                }
            }
        } else if (kind == 1) {
            text = QByteArray(random.bounded(0, 600), '\0');
            for (char &c : text)
                c = alphabet[random.bounded(int(sizeof alphabet) - 1)];
        } else {
            text = randomBytes(random, random.bounded(0, 600));
        }
        QByteArray data;
        if (readTaskData(text, &data))
            QVERIFY(data.size() * 2 <= text.size());
        else
            QVERIFY(data.size() <= MaxTaskBytes);
    }
    qInfo("%d texts read", rounds);
}

QTEST_GUILESS_MAIN(TaskDownloadFuzzTest)
#include "tst_taskdownload_fuzz.moc"
