// The attributes an element keeps: the keys of the table only where the Qt
// class has no property of the name, values shared between elements without
// one element's change reaching another, removal by an invalid value, and
// the names in the order first set.
#include "elementattributes.h"

#include <QObject>
#include <QTimer>
#include <QtTest>

class TestElementAttributes : public QObject
{
    Q_OBJECT

private slots:
    void keysCoverOnlyTheTableOutsideQtProperties();
    void sharedValuesStayApartPerElement();
    void namesKeepTheirFirstOrder();
    void aReusedNameBufferFindsItsNewName();
};

void TestElementAttributes::keysCoverOnlyTheTableOutsideQtProperties()
{
    QObject owner;
    ElementAttributes attributes;
    const int data = attributes.keyOf("data", &owner);
    QVERIFY(data >= 0);
    QCOMPARE(QByteArray(ElementAttributes::nameOf(data)), QByteArray("data"));
    QCOMPARE(attributes.keyOf("notAnAttribute", &owner), -1);
    QCOMPARE(ElementAttributes::nameOf(-1), nullptr);
    // A table name that is a Qt property of the owner's class is left to Qt.
    QTimer timer;
    QVERIFY(attributes.keyOf("interval", &owner) >= 0);
    QCOMPARE(attributes.keyOf("interval", &timer), -1);
    QVERIFY(attributes.keyOf("header", &timer) >= 0);
    QCOMPARE(attributes.value(data), QVariant());
}

// Names are looked up by address first: one buffer that holds one name,
// then another, and then one that is no key, gives each its own answer.
void TestElementAttributes::aReusedNameBufferFindsItsNewName()
{
    QObject owner;
    ElementAttributes attributes;
    char buffer[32];
    const int expected[] = {attributes.keyOf("lsb", &owner), attributes.keyOf("msb", &owner), -1,
                            attributes.keyOf("lsb", &owner)};
    const char *names[] = {"lsb", "msb", "notAKey", "lsb"};
    for (int i = 0; i < 4; ++i) {
        qstrcpy(buffer, names[i]);
        QCOMPARE(attributes.keyOf(buffer, &owner), expected[i]);
        QCOMPARE(attributes.keyOf(buffer, &owner), expected[i]);
    }
    QVERIFY(expected[0] != expected[1]);
}

void TestElementAttributes::sharedValuesStayApartPerElement()
{
    QObject owner;
    const QString longText(100, QLatin1Char('x'));
    const QVariantMap map{{"0", QStringList{"A=1"}}};
    ElementAttributes first;
    ElementAttributes second;
    const int header = first.keyOf("header", &owner);
    const int lsb = first.keyOf("lsb", &owner);
    const int inverted = first.keyOf("inverted", &owner);
    const int data = first.keyOf("data", &owner);
    const int tooltip = first.keyOf("tooltip", &owner);
    for (ElementAttributes *attributes : {&first, &second}) {
        attributes->setValue(header, QStringLiteral("bench0.h"));
        attributes->setValue(lsb, 3);
        attributes->setValue(inverted, false);
        attributes->setValue(data, map);
        attributes->setValue(tooltip, longText);
    }
    // The same value under another key, or of another type, is no other
    // attribute's: an int 1 and a bool true, a text "3" and an int 3.
    first.setValue(inverted, true);
    second.setValue(lsb, QStringLiteral("3"));
    QCOMPARE(first.value(inverted), QVariant(true));
    QCOMPARE(first.value(inverted).userType(), int(QMetaType::Bool));
    QCOMPARE(second.value(inverted), QVariant(false));
    QCOMPARE(first.value(lsb).userType(), int(QMetaType::Int));
    QCOMPARE(first.value(lsb), QVariant(3));
    QCOMPARE(second.value(lsb).userType(), int(QMetaType::QString));
    for (ElementAttributes *attributes : {&first, &second}) {
        QCOMPARE(attributes->value(header), QVariant(QStringLiteral("bench0.h")));
        QCOMPARE(attributes->value(data), QVariant(map));
        QCOMPARE(attributes->value(tooltip), QVariant(longText));
    }

    // An invalid value removes the attribute from that element only; the
    // other keeps the value after the first is gone.
    first.setValue(header, QVariant());
    QCOMPARE(first.value(header), QVariant());
    QCOMPARE(second.value(header), QVariant(QStringLiteral("bench0.h")));
    {
        ElementAttributes third;
        third.setValue(header, QStringLiteral("bench1.h"));
        third.setValue(lsb, 3);
    }
    QCOMPARE(first.value(lsb), QVariant(3));
    QCOMPARE(second.value(header), QVariant(QStringLiteral("bench0.h")));
    // Set again, the value is the new one.
    second.setValue(header, QStringLiteral("other.h"));
    QCOMPARE(second.value(header), QVariant(QStringLiteral("other.h")));
}

void TestElementAttributes::namesKeepTheirFirstOrder()
{
    QObject owner;
    ElementAttributes attributes;
    for (const char *name : {"my_default", "lsb", "header", "data"})
        attributes.setValue(attributes.keyOf(name, &owner), QStringLiteral("v"));
    // Setting again keeps the place; removing and setting again moves to the end.
    attributes.setValue(attributes.keyOf("lsb", &owner), 4);
    attributes.setValue(attributes.keyOf("my_default", &owner), QVariant());
    attributes.setValue(attributes.keyOf("my_default", &owner), QStringLiteral("1"));
    QCOMPARE(attributes.names(), (QList<QByteArray>{"lsb", "header", "data", "my_default"}));
}

QTEST_GUILESS_MAIN(TestElementAttributes)
#include "tst_elementattributes.moc"
