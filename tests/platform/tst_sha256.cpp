// The checksum digest of project and panel files: SHA-256 in lower-case
// hexadecimal, the same as Qt's own for every length (block edges included).
#include "sha256.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtTest>

class TestSha256 : public QObject
{
    Q_OBJECT

private slots:
    void knownDigests();
    void sameAsQtForEveryLength();
};

void TestSha256::knownDigests()
{
    QCOMPARE(sha256Hex("", 0), QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    QCOMPARE(sha256Hex("abc", 3), QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

void TestSha256::sameAsQtForEveryLength()
{
    QRandomGenerator random(36);
    QByteArray bytes(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    QVector<int> lengths;
    for (int length = 0; length <= 260; ++length)
        lengths << length;
    lengths << 4095 << 4096 << 65537 << bytes.size();
    for (int length : qAsConst(lengths)) {
        const QByteArray expected =
            QCryptographicHash::hash(QByteArray::fromRawData(bytes.constData() + 3, length), QCryptographicHash::Sha256)
                .toHex();
        QCOMPARE(sha256Hex(bytes.constData() + 3, length), expected);
    }
}

QTEST_GUILESS_MAIN(TestSha256)
#include "tst_sha256.moc"
