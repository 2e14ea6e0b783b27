// The remembered casts answer as qobject_cast and dynamic_cast do: for the
// first object of a class and for the next ones, where the target is not the
// first base, for classes that do not inherit it, for a subclass without a
// meta object of its own, and for a null object.
#include "interfacecast.h"

#include <QObject>
#include <QTimer>
#include <QtTest>

class Gauge
{
public:
    virtual ~Gauge() = default;
    int reading = 7;
};
#define Gauge_iid "org.orvanta.Quillmate.test.Gauge"
Q_DECLARE_INTERFACE(Gauge, Gauge_iid)

// The interface after a base with data of its own, so that it sits away
// from the start of the object.
struct Padding {
    virtual ~Padding() = default;
    char bytes[24] = {};
};

class PaddedGauge : public QObject, public Padding, public Gauge
{
    Q_OBJECT
    Q_INTERFACES(Gauge)
};

class PlainGauge : public QObject, public Gauge
{
    Q_OBJECT
    Q_INTERFACES(Gauge)
};

// No meta object of its own: Qt answers with PaddedGauge's.
class QuietGauge : public PaddedGauge
{
public:
    int extra = 3;
};

class TestInterfaceCast : public QObject
{
    Q_OBJECT

private slots:
    void answersAsQtDoesForEveryObject();
    void crossCastsAnswerAsDynamicCast();
};

void TestInterfaceCast::answersAsQtDoesForEveryObject()
{
    PaddedGauge padded[3];
    PlainGauge plain[2];
    QuietGauge quiet[2];
    QObject object;
    QTimer timer;
    QList<QObject *> objects;
    // Twice over: the first round finds, the second remembers.
    for (int round = 0; round < 2; ++round) {
        objects << &padded[0] << &plain[0] << &object << &quiet[0] << &padded[1] << &timer << &plain[1]
                << &quiet[1] << &padded[2];
    }
    for (QObject *o : qAsConst(objects)) {
        QCOMPARE(interfaceCast<Gauge>(o), qobject_cast<Gauge *>(o));
        if (Gauge *gauge = interfaceCast<Gauge>(o))
            QCOMPARE(gauge->reading, 7);
    }
    QVERIFY(interfaceCast<Gauge>(&padded[1]) == static_cast<Gauge *>(&padded[1]));
    QVERIFY(static_cast<void *>(interfaceCast<Gauge>(&padded[1])) != static_cast<void *>(&padded[1]));
    QCOMPARE(interfaceCast<Gauge>(static_cast<QObject *>(nullptr)), nullptr);
}

// A cast from one base to another: from the gauge part to the padding part
// of the same object.
void TestInterfaceCast::crossCastsAnswerAsDynamicCast()
{
    PaddedGauge padded[2];
    PlainGauge plain[2];
    QuietGauge quiet[2];
    QList<Gauge *> gauges;
    for (int round = 0; round < 2; ++round)
        gauges << &padded[0] << &plain[0] << &quiet[0] << &padded[1] << &plain[1] << &quiet[1];
    for (Gauge *gauge : qAsConst(gauges))
        QCOMPARE(cachedDynamicCast<Padding>(gauge), dynamic_cast<Padding *>(gauge));
    QCOMPARE(cachedDynamicCast<Padding>(static_cast<Gauge *>(&quiet[1])), static_cast<Padding *>(&quiet[1]));
    QCOMPARE(cachedDynamicCast<Padding>(static_cast<Gauge *>(&plain[1])), nullptr);
    QCOMPARE(cachedDynamicCast<Padding>(static_cast<Gauge *>(nullptr)), nullptr);
}

QTEST_GUILESS_MAIN(TestInterfaceCast)
#include "tst_interfacecast.moc"
