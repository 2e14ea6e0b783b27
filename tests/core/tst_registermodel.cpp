#include "activeelement.h"
#include "moduletablehost.h"
#include "registermodel.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

// A value-bearing element reduced to what the register model touches: its
// properties, its answer about bit ranges, its register value and its items.
class FakeElement : public QObject, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    QObject *elementObject() const override { return const_cast<FakeElement *>(this); }
    explicit FakeElement(const QString &name) { setObjectName(name); }

    void setValue(const QString &text, int) override { fieldValue = text.toULongLong(); }
    void loadValue(const QString &) override {}
    QString value(int keyword, int) override
    {
        if (keyword != 3)
            return QString::number(fieldValue);
        if (!registerText.isNull())
            return registerText;
        return QString::number(fieldValue << qMax(property("lsb").toInt(), 0));
    }
    QString storedValueText() override { return QString::number(fieldValue); }
    void initialize() override {}
    void enable(bool) override {}
    void setElementProperty(const char *name, const QVariant &value) override
    {
        setProperty(name, value);
    }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int msb, int lsb) override
    {
        askedRanges.append({msb, lsb});
        return accepts(msb, lsb);
    }

    quint64 fieldValue = 0;
    QString registerText; // when not null, the register value text as it is
    std::function<bool(int, int)> accepts = [](int, int) { return true; };
    QList<QPair<int, int>> askedRanges;

signals:
    void updateMathLabels() override;
};

// The window side of a binding: the module table, the registries, the console.
class FakeHost : public ModuleTableHost
{
public:
    QStringList moduleNames() const
    {
        QStringList names = modules.keys();
        names.sort();
        return names;
    }
};

static const quint64 AllBits = ~quint64(0);

// "msb:lsb" or "whole".
static QPair<int, int> bitsOf(const QString &request)
{
    if (request == QLatin1String("whole"))
        return {-1, -1};
    const QStringList ends = request.split(QLatin1Char(':'));
    return {ends.at(0).toInt(), ends.at(1).toInt()};
}

static QList<quint64> sortedKeys(const QHash<quint64, ActiveElement *> &table)
{
    QList<quint64> keys = table.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

class TestRegisterModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void bitRangeMask_data();
    void bitRangeMask();
    void registerGrants_data();
    void registerGrants();
    void fieldGrants_data();
    void fieldGrants();
    void registerGrantAsksTheElementBeforeMarking();
    void setSize_data();
    void setSize();
    void setSizeAsksTheWholeRegisterElement();
    void setWidth_data();
    void setWidth();
    void fieldStartsUnplaced();
    void bindFieldElementsPlacesFieldGrantsInTheRegister();
    void valueText_data();
    void valueText();
    void headerNamesStayInTheFolder_data();
    void headerNamesStayInTheFolder();
    void valueComposesPerRegister();
    void enumeratedValues_data();
    void enumeratedValues();
    void svdFieldElementReceivesEnumeratedValues();
    void tablesAddAndReplace();
    void registerTableKeepsOrderAndFindsByName_data();
    void registerTableKeepsOrderAndFindsByName();
    void grantsKeepTheirOrderAndMasks();
    void parseRegisterPath_data();
    void parseRegisterPath();
    void parseRegisterPathAgreesWithSplitReading();
    void bindRegisterPath_data();
    void bindRegisterPath();
    void emptyDefineOnlyAsksTheElement();
    void registerWithTwoHeaders();
    void svdMessageTexts();

private:
    FakeElement *newElement(const QString &name);

    std::vector<std::unique_ptr<FakeElement>> elements;
    QStringList messages;
};

void TestRegisterModel::init()
{
    messages.clear();
    setRegisterModelReporter([this](const QString &message) { messages.append(message); });
}

void TestRegisterModel::cleanup()
{
    setRegisterModelReporter(nullptr);
    elements.clear();
}

FakeElement *TestRegisterModel::newElement(const QString &name)
{
    elements.push_back(std::make_unique<FakeElement>(name));
    return elements.back().get();
}

void TestRegisterModel::bitRangeMask_data()
{
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<quint64>("mask");

    QTest::newRow("two bits") << 5 << 4 << quint64(0x30);
    QTest::newRow("bit 63") << 63 << 63 << (quint64(1) << 63);
    QTest::newRow("all 64 bits") << 63 << 0 << AllBits;
    QTest::newRow("whole record pair") << -1 << -1 << quint64(0);
    QTest::newRow("lsb above msb") << 4 << 5 << quint64(0);
    QTest::newRow("bit 64") << 64 << 60 << quint64(0);
    QTest::newRow("negative lsb") << 5 << -1 << quint64(0);
}

void TestRegisterModel::bitRangeMask()
{
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(quint64, mask);
    QCOMPARE(::bitRangeMask(msb, lsb), mask);
}

// Shared by the register and the field table: both hand out bits the same way.
void TestRegisterModel::registerGrants_data()
{
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QList<bool>>("granted");
    QTest::addColumn<quint64>("usedBits");
    QTest::addColumn<QList<quint64>>("masks");

    QTest::newRow("two nibbles, then a bit inside one")
        << QStringList{"3:0", "7:4", "4:4"} << QList<bool>{true, true, false} << quint64(0xFF)
        << QList<quint64>{0x0F, 0xF0};
    QTest::newRow("whole, then a range and a second whole")
        << QStringList{"whole", "0:0", "whole"} << QList<bool>{true, false, false} << AllBits
        << QList<quint64>{0};
    QTest::newRow("a bit, then the whole")
        << QStringList{"2:2", "whole"} << QList<bool>{true, false} << quint64(0x4)
        << QList<quint64>{0x4};
    QTest::newRow("refused range leaves no stray marks")
        << QStringList{"5:5", "7:3", "4:3"} << QList<bool>{true, false, true} << quint64(0x38)
        << QList<quint64>{0x18, 0x20};
    QTest::newRow("bit 63 is usable")
        << QStringList{"63:63", "63:60", "62:0"} << QList<bool>{true, false, true} << AllBits
        << QList<quint64>{0x7FFFFFFFFFFFFFFFull, quint64(1) << 63};
    QTest::newRow("all 64 bits as a range")
        << QStringList{"63:0", "0:0", "whole"} << QList<bool>{true, false, false} << AllBits
        << QList<quint64>{AllBits};
    // Bit numbers the 64-bit masks cannot hold are refused, not shifted.
    QTest::newRow("bit 64 and above are refused")
        << QStringList{"64:64", "70:60", "63:63"} << QList<bool>{false, false, true}
        << (quint64(1) << 63) << QList<quint64>{quint64(1) << 63};
    QTest::newRow("a negative end is refused")
        << QStringList{"5:-1", "-1:5", "5:5"} << QList<bool>{false, false, true}
        << quint64(0x20) << QList<quint64>{0x20};
    // Otherwise it would sit under the whole-record key while holding nothing.
    QTest::newRow("lsb above msb is refused")
        << QStringList{"3:5", "whole"} << QList<bool>{false, true} << AllBits
        << QList<quint64>{0};
}

void TestRegisterModel::registerGrants()
{
    QFETCH(QStringList, requests);
    QFETCH(QList<bool>, granted);
    QFETCH(quint64, usedBits);
    QFETCH(QList<quint64>, masks);

    RegisterRecord reg(QStringLiteral("regs.h"));
    for (int i = 0; i < requests.size(); ++i) {
        const auto bits = bitsOf(requests.at(i));
        FakeElement *element = newElement(requests.at(i));
        QCOMPARE(reg.assignBits(element, bits.first, bits.second), granted.at(i));
        if (granted.at(i)) {
            QCOMPARE(elementPropertyOf(element, "msb"), QVariant(bits.first));
            QCOMPARE(elementPropertyOf(element, "lsb"), QVariant(bits.second));
            QCOMPARE(reg.elementsByMask().value(::bitRangeMask(bits.first, bits.second)),
                     element);
        } else {
            QVERIFY(!elementPropertyOf(element, "msb").isValid());
        }
    }
    QCOMPARE(reg.usedBits(), usedBits);
    QCOMPARE(sortedKeys(reg.elementsByMask()), masks);
}

void TestRegisterModel::fieldGrants_data()
{
    registerGrants_data();
}

void TestRegisterModel::fieldGrants()
{
    QFETCH(QStringList, requests);
    QFETCH(QList<bool>, granted);
    QFETCH(quint64, usedBits);
    QFETCH(QList<quint64>, masks);

    FieldRecord field;
    for (int i = 0; i < requests.size(); ++i) {
        const auto bits = bitsOf(requests.at(i));
        FakeElement *element = newElement(requests.at(i));
        QCOMPARE(field.assignBits(element, bits.first, bits.second), granted.at(i));
        if (granted.at(i)) {
            QCOMPARE(elementPropertyOf(element, "msb"), QVariant(bits.first));
            QCOMPARE(elementPropertyOf(element, "lsb"), QVariant(bits.second));
        }
    }
    QCOMPARE(field.usedBits(), usedBits);
    QCOMPARE(sortedKeys(field.elementsByMask()), masks);
}

void TestRegisterModel::registerGrantAsksTheElementBeforeMarking()
{
    RegisterRecord reg{QString()};
    FakeElement *narrow = newElement(QStringLiteral("narrow"));
    narrow->accepts = [](int msb, int lsb) { return msb == lsb && msb >= 0; };

    QVERIFY(!reg.assignBits(narrow, 9, 8));
    QCOMPARE(narrow->askedRanges, (QList<QPair<int, int>>{{9, 8}}));
    QCOMPARE(reg.usedBits(), quint64(0));
    QVERIFY(reg.elementsByMask().isEmpty());
    QVERIFY(!elementPropertyOf(narrow, "lsb").isValid());
    QCOMPARE(reg.highBitMark(), 9); // the refusal still raises the mark

    // The bits stay free for the next element.
    QVERIFY(reg.assignBits(newElement(QStringLiteral("wide")), 9, 8));
    QCOMPARE(reg.usedBits(), quint64(0x300));

    // At field level the binder asked already: the field does not ask again.
    FieldRecord field;
    FakeElement *refusesAll = newElement(QStringLiteral("refusesAll"));
    refusesAll->accepts = [](int, int) { return false; };
    QVERIFY(field.assignBits(refusesAll, 1, 0));
    QVERIFY(refusesAll->askedRanges.isEmpty());
}

void TestRegisterModel::setSize_data()
{
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("bit 8 held, 8 bits") << QStringList{"8:8"} << 8 << false;
    QTest::newRow("bit 8 held, 9 bits") << QStringList{"8:8"} << 9 << true;
    QTest::newRow("bit 7 held, 8 bits") << QStringList{"7:7"} << 8 << true;
    QTest::newRow("refused request raises the mark")
        << QStringList{"3:0", "9:2"} << 9 << false;
    QTest::newRow("one bit above the refused request")
        << QStringList{"3:0", "9:2"} << 10 << true;
    QTest::newRow("whole register leaves the mark") << QStringList{"whole"} << 32 << true;
    QTest::newRow("no bits held, 0 bits") << QStringList{} << 0 << false;
    QTest::newRow("no bits held, 1 bit") << QStringList{} << 1 << true;
}

void TestRegisterModel::setSize()
{
    QFETCH(QStringList, requests);
    QFETCH(int, size);
    QFETCH(bool, accepted);

    RegisterRecord reg{QString()};
    for (const QString &request : requests) {
        const auto bits = bitsOf(request);
        reg.assignBits(newElement(request), bits.first, bits.second);
    }
    QCOMPARE(reg.setSize(size), accepted);
    QCOMPARE(reg.size(), accepted ? size : 0);
}

void TestRegisterModel::setSizeAsksTheWholeRegisterElement()
{
    auto upTo16Bits = [](int msb, int lsb) { return (msb == -1 && lsb == -1) || msb - lsb < 16; };

    RegisterRecord reg{QString()};
    FakeElement *whole = newElement(QStringLiteral("whole"));
    whole->accepts = upTo16Bits;
    QVERIFY(reg.assignBits(whole, -1, -1));
    QVERIFY(!reg.setSize(32));
    QCOMPARE(whole->askedRanges.last(), qMakePair(31, 0));
    QCOMPARE(reg.size(), 0);
    QVERIFY(reg.setSize(16));
    QCOMPARE(reg.size(), 16);

    // A register with fields is sized by its fields: the element is not asked.
    RegisterRecord withField{QString()};
    FakeElement *other = newElement(QStringLiteral("other"));
    other->accepts = upTo16Bits;
    QVERIFY(withField.assignBits(other, -1, -1));
    withField.addField(QStringLiteral("F"));
    const int asked = other->askedRanges.size();
    QVERIFY(withField.setSize(32));
    QCOMPARE(other->askedRanges.size(), asked);
}

void TestRegisterModel::setWidth_data()
{
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("nothing held, 1 bit") << QStringList{} << 1 << true;
    // A 3-bit field has bits 0..2: an element on bit 3 does not fit.
    QTest::newRow("bit 3 held, 3 bits") << QStringList{"3:3"} << 3 << false;
    QTest::newRow("bits 3..0 held, 4 bits") << QStringList{"3:0"} << 4 << true;
    QTest::newRow("refused request raises the mark")
        << QStringList{"1:0", "5:1"} << 5 << false;
    QTest::newRow("whole field, 1 bit") << QStringList{"whole"} << 1 << true;
}

void TestRegisterModel::setWidth()
{
    QFETCH(QStringList, requests);
    QFETCH(int, width);
    QFETCH(bool, accepted);

    FieldRecord field;
    for (const QString &request : requests) {
        const auto bits = bitsOf(request);
        field.assignBits(newElement(request), bits.first, bits.second);
    }
    QCOMPARE(field.setWidth(width), accepted);
    QCOMPARE(field.width(), accepted ? width : 0);
}

void TestRegisterModel::fieldStartsUnplaced()
{
    FieldRecord field;
    QCOMPARE(field.msb(), -1);
    QCOMPARE(field.lsb(), -1);

    QVERIFY(field.assignBits(newElement(QStringLiteral("e")), 3, 2));
    QCOMPARE(field.msb(), 3);
    QCOMPARE(field.lsb(), -1);

    field.setBitRange(11, 8);
    QCOMPARE(field.msb(), 11);
    QCOMPARE(field.lsb(), 8);
}

void TestRegisterModel::bindFieldElementsPlacesFieldGrantsInTheRegister()
{
    RegisterRecord reg{QString()};
    FakeElement *a = newElement(QStringLiteral("A"));
    FakeElement *b = newElement(QStringLiteral("B"));
    FakeElement *c = newElement(QStringLiteral("C"));
    FakeElement *d = newElement(QStringLiteral("D"));
    FakeElement *e = newElement(QStringLiteral("E"));

    FieldRecord *whole = reg.addField(QStringLiteral("WHOLE"));
    QVERIFY(whole->assignBits(a, -1, -1));
    FieldRecord *split = reg.addField(QStringLiteral("SPLIT"));
    QVERIFY(split->assignBits(b, 1, 0));
    QVERIFY(split->assignBits(c, 3, 2));
    FieldRecord *overlapping = reg.addField(QStringLiteral("OVERLAPPING"));
    QVERIFY(overlapping->assignBits(d, -1, -1));
    FieldRecord *high = reg.addField(QStringLiteral("HIGH"));
    QVERIFY(high->assignBits(e, 10, 10));

    QVERIFY(reg.bindFieldElements(whole, 7, 4));
    QVERIFY(reg.bindFieldElements(split, 11, 8));
    QVERIFY(reg.bindFieldElements(overlapping, 5, 5));
    QVERIFY(reg.bindFieldElements(high, 63, 60)); // E lands on bit 70

    QCOMPARE(reg.usedBits(), quint64(0xFF0));
    const auto byMask = reg.elementsByMask();
    QCOMPARE(sortedKeys(byMask), (QList<quint64>{0xF0, 0x300, 0xC00}));
    QCOMPARE(byMask.value(0xF0), a);
    QCOMPARE(byMask.value(0x300), b);
    QCOMPARE(byMask.value(0xC00), c);
    // The elements now carry their register bits, which their register value uses.
    QCOMPARE(elementPropertyOf(a, "msb").toInt(), 7);
    QCOMPARE(elementPropertyOf(a, "lsb").toInt(), 4);
    QCOMPARE(elementPropertyOf(c, "msb").toInt(), 11);
    QCOMPARE(elementPropertyOf(c, "lsb").toInt(), 10);
    QCOMPARE(messages,
             (QStringList{
                 "Tried to assign a GUI element to already assigned bits: D\nMSB: 5 LSB: 5",
                 "Bit range error in E: msb(70) lsb(70) outside 0..63"}));
}

void TestRegisterModel::valueText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("notNumeric");

    QTest::newRow("no elements") << QStringList{} << "0" << false;
    QTest::newRow("whole numbers add up") << QStringList{"16", "3"} << "19" << false;
    QTest::newRow("a word stops the sum") << QStringList{"16", "abc"} << "abc" << true;
    QTest::newRow("empty text is no number") << QStringList{""} << "" << true;
    // A float define keeps its text and is not flagged.
    QTest::newRow("float") << QStringList{"1.5"} << "1.5" << false;
    QTest::newRow("float beside a whole number") << QStringList{"2", "1.5"} << "1.5" << false;
    QTest::newRow("float without a point") << QStringList{"1e3"} << "1e3" << false;
    // Values with bit 31 set stay unsigned.
    QTest::newRow("bit 31 set") << QStringList{"2147483648", "1"} << "2147483649" << false;
    QTest::newRow("bit 63 set")
        << QStringList{"9223372036854775808", "1"} << "9223372036854775809" << false;
    QTest::newRow("zero") << QStringList{"0"} << "0" << false;
    // A negative text is a number of its own, never turned into a bit pattern.
    QTest::newRow("negative") << QStringList{"-3"} << "-3" << false;
    QTest::newRow("minus one") << QStringList{"-1"} << "-1" << false;
    QTest::newRow("negative beyond 32 bits") << QStringList{"-5000000000"} << "-5000000000" << false;
    QTest::newRow("negative beside a whole number")
        << QStringList{"1", "-2147483648"} << "-2147483648" << false;
    QTest::newRow("minus zero") << QStringList{"-0"} << "-0" << false;
}

void TestRegisterModel::valueText()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, expected);
    QFETCH(bool, notNumeric);

    RegisterRecord reg{QString()};
    for (int i = 0; i < texts.size(); ++i) {
        FakeElement *element = newElement(QString::number(i));
        element->registerText = texts.at(i);
        QVERIFY(reg.assignBits(element, i, i));
    }
    bool flag = !notNumeric;
    QCOMPARE(reg.valueText(&flag), expected);
    QCOMPARE(flag, notNumeric);
    QCOMPARE(reg.valueText(nullptr), expected);
}

void TestRegisterModel::headerNamesStayInTheFolder_data()
{
    QTest::addColumn<QString>("headerName");
    QTest::addColumn<bool>("inside");

    QTest::newRow("plain") << "cfg.h" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("sub-folder") << "inc/cfg.h" << true;
    QTest::newRow("climbs and comes back") << "inc/../cfg.h" << true;
    QTest::newRow("dots in the name") << "..cfg.h" << true;
    QTest::newRow("absolute") << "/tmp/cfg.h" << false;
    QTest::newRow("absolute with backslash") << "\\server\\cfg.h" << false;
    QTest::newRow("drive letter") << "C:\\out\\cfg.h" << false;
    QTest::newRow("lower-case drive letter") << "c:cfg.h" << false;
    QTest::newRow("digit and colon is no drive") << "1:cfg.h" << true;
    QTest::newRow("colon later in the name") << "cfg:1.h" << true;
    QTest::newRow("climbs out") << "../cfg.h" << false;
    QTest::newRow("climbs out with backslash") << "..\\cfg.h" << false;
    QTest::newRow("climbs out further down") << "inc/../../cfg.h" << false;
    QTest::newRow("parent folder itself") << ".." << false;
}

void TestRegisterModel::headerNamesStayInTheFolder()
{
    QFETCH(QString, headerName);
    QFETCH(bool, inside);
    QCOMPARE(headerNameStaysInFolder(headerName), inside);
}

void TestRegisterModel::valueComposesPerRegister()
{
    FakeHost host;
    FakeElement *mode = newElement(QStringLiteral("M.R[6:4]"));
    FakeElement *enable = newElement(QStringLiteral("M.R[0]"));
    FakeElement *other = newElement(QStringLiteral("M.S[1:0]"));
    mode->fieldValue = 5;
    enable->fieldValue = 1;
    other->fieldValue = 3;
    for (FakeElement *element : {mode, enable, other})
        QVERIFY(::bindRegisterPath(host, element->objectName(), QStringLiteral("m.h"), element,
                                 false));

    RegisterRecord *r = host.reg(QStringLiteral("M"), QStringLiteral("R"));
    QVERIFY(r);
    QCOMPARE(r->usedBits(), quint64(0x71));
    QCOMPARE(sortedKeys(r->elementsByMask()), (QList<quint64>{0x01, 0x70}));
    bool flag = true;
    QCOMPARE(r->valueText(&flag), QStringLiteral("81"));
    QVERIFY(!flag);
    QCOMPARE(host.reg(QStringLiteral("M"), QStringLiteral("S"))->valueText(&flag),
             QStringLiteral("3"));
}

void TestRegisterModel::enumeratedValues_data()
{
    QTest::addColumn<QVariant>("svd");
    QTest::addColumn<quint64>("fieldMask");
    QTest::addColumn<bool>("handed");

    QTest::newRow("SVD element gets the values") << QVariant("P.R.MODE") << quint64(0x30) << true;
    QTest::newRow("element without an svd property") << QVariant() << quint64(0x30) << false;
    QTest::newRow("element with an empty svd property") << QVariant("") << quint64(0x30) << false;
    QTest::newRow("no element under the mask") << QVariant("P.R.MODE") << quint64(0xC0) << false;
}

void TestRegisterModel::enumeratedValues()
{
    QFETCH(QVariant, svd);
    QFETCH(quint64, fieldMask);
    QFETCH(bool, handed);

    RegisterRecord reg{QString()};
    FakeElement *combo = newElement(QStringLiteral("combo"));
    setElementPropertyOf(combo, "svd", svd);
    QVERIFY(reg.assignBits(combo, 5, 4));

    reg.addEnumeratedValue(QStringLiteral("OFF"), QStringLiteral("Turned off"), 0, fieldMask, 4);
    reg.addEnumeratedValue(QStringLiteral("ON"), QStringLiteral("Turned on"), 1, fieldMask, 4);

    // Stored under value + field lsb, whoever holds the bits.
    QCOMPARE(reg.enumeratedValues.size(), 2);
    QCOMPARE(reg.enumeratedValues.value(4).name, QStringLiteral("OFF"));
    QCOMPARE(reg.enumeratedValues.value(5).description, QStringLiteral("Turned on"));
    QCOMPARE(reg.enumeratedValues.value(5).value, 1);

    if (!handed) {
        QVERIFY(combo->items.isEmpty());
        return;
    }
    QCOMPARE(combo->items.size(), 2);
    QCOMPARE(combo->items.value(0).text, QStringLiteral("OFF"));
    QCOMPARE(combo->items.value(0).value, QStringLiteral("Turned off"));
    QCOMPARE(combo->items.value(1).text, QStringLiteral("ON"));
    QCOMPARE(combo->items.value(1).key, 1);
}

// The way an SVD file reaches an element bound to a field before the file was read.
void TestRegisterModel::svdFieldElementReceivesEnumeratedValues()
{
    FakeHost host;
    FakeElement *combo = newElement(QStringLiteral("P.CTRL.MODE"));
    setElementPropertyOf(combo, "svd", QStringLiteral("P.CTRL.MODE"));
    QVERIFY(::bindRegisterPath(host, combo->objectName(), QString(), combo, true));

    RegisterRecord *reg = host.reg(QStringLiteral("P"), QStringLiteral("CTRL"));
    FieldRecord *field = reg->getField(QStringLiteral("MODE"));
    QVERIFY(field);
    QCOMPARE(reg->usedBits(), quint64(0)); // not in the register until the field is placed

    QVERIFY(field->setWidth(2));
    QVERIFY(reg->bindFieldElements(field, 5, 4));
    field->setBitRange(5, 4);
    const QList<EnumeratedValue> values{{"SLOW", "Slow clock", 0}, {"FAST", "Fast clock", 2}};
    for (const EnumeratedValue &v : values) {
        field->addEnumeratedValue(v.name, v.description, v.value);
        reg->addEnumeratedValue(v.name, v.description, v.value, ::bitRangeMask(5, 4), 4);
    }

    QCOMPARE(reg->usedBits(), quint64(0x30));
    QCOMPARE(field->enumeratedValues.size(), 2);
    QCOMPARE(field->enumeratedValues.at(1).name, QStringLiteral("FAST"));
    QCOMPARE(combo->items.value(2).text, QStringLiteral("FAST"));
    QCOMPARE(combo->items.value(0).value, QStringLiteral("Slow clock"));
    combo->fieldValue = 2;
    QCOMPARE(reg->valueText(nullptr), QStringLiteral("32"));
    QVERIFY(messages.isEmpty());
}

void TestRegisterModel::tablesAddAndReplace()
{
    ModuleRecord module;
    RegisterRecord *out = nullptr;
    QVERIFY(module.tryAddRegister(out, QStringLiteral("CTRL"), QStringLiteral("a.h")));
    RegisterRecord *first = out;
    QCOMPARE(first->headerName, QStringLiteral("a.h"));
    QVERIFY(!module.tryAddRegister(out, QStringLiteral("CTRL"), QStringLiteral("b.h")));
    QCOMPARE(out, first);
    QCOMPARE(module.getRegister(QStringLiteral("CTRL")), first);
    QCOMPARE(module.getRegister(QStringLiteral("STAT")), nullptr);

    RegisterRecord *second = module.addRegister(QStringLiteral("b.h"), QStringLiteral("CTRL"));
    QVERIFY(second != first);
    QCOMPARE(module.getRegister(QStringLiteral("CTRL")), second);
    QCOMPARE(second->headerName, QStringLiteral("b.h"));

    FieldRecord *field = nullptr;
    QVERIFY(second->tryAddField(field, QStringLiteral("EN")));
    FieldRecord *firstField = field;
    QVERIFY(!second->tryAddField(field, QStringLiteral("EN")));
    QCOMPARE(field, firstField);
    QCOMPARE(second->getField(QStringLiteral("EN")), firstField);
    QCOMPARE(second->getField(QStringLiteral("MODE")), nullptr);
    FieldRecord *replaced = second->addField(QStringLiteral("EN"));
    QVERIFY(replaced != firstField);
    QCOMPARE(second->getField(QStringLiteral("EN")), replaced);
}

void TestRegisterModel::registerTableKeepsOrderAndFindsByName_data()
{
    QTest::addColumn<int>("count");
    // A short list is read as it is; a longer one gets an index by name.
    QTest::newRow("one") << 1;
    QTest::newRow("short list") << 8;
    QTest::newRow("first with an index") << 9;
    QTest::newRow("long list") << 40;
}

void TestRegisterModel::registerTableKeepsOrderAndFindsByName()
{
    QFETCH(int, count);
    ModuleRecord module;
    QStringList names;
    QList<RegisterRecord *> records;
    // Names out of alphabetical order: the table keeps the order of adding.
    for (int i = count - 1; i >= 0; --i) {
        names.append(QStringLiteral("R%1").arg(i));
        records.append(module.addRegister(QString(), names.last()));
    }
    QCOMPARE(module.registers.size(), count);
    QCOMPARE(module.registers.keys(), names);
    for (int i = 0; i < count; ++i)
        QCOMPARE(module.getRegister(names.at(i)), records.at(i));
    QVERIFY(!module.registers.contains(QStringLiteral("R%1").arg(count)));

    // A register added again under its name keeps the place of the first.
    const int middle = count / 2;
    RegisterRecord *again = module.addRegister(QString(), names.at(middle));
    records[middle] = again;
    QCOMPARE(module.registers.keys(), names);
    QCOMPARE(module.getRegister(names.at(middle)), again);

    // Taking one out leaves every other one found under its name.
    auto it = module.registers.begin();
    for (int i = 0; i < middle; ++i)
        ++it;
    QCOMPARE(it.key(), names.at(middle));
    it = module.registers.erase(it);
    QVERIFY(it == module.registers.end() || it.key() == names.at(middle + 1));
    QVERIFY(!module.registers.contains(names.at(middle)));
    names.removeAt(middle);
    records.removeAt(middle);
    QCOMPARE(module.registers.keys(), names);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(module.getRegister(names.at(i)), records.at(i));
    QList<RegisterRecord *> walked;
    for (RegisterRecord *reg : qAsConst(module.registers))
        walked.append(reg);
    QCOMPARE(walked, records);
    delete again;

    // The first one out: the next takes its place.
    if (names.isEmpty())
        return;
    RegisterRecord *first = records.takeFirst();
    names.removeFirst();
    QVERIFY(module.registers.erase(module.registers.begin()) == module.registers.begin());
    delete first;
    QCOMPARE(module.registers.keys(), names);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(module.getRegister(names.at(i)), records.at(i));
}

void TestRegisterModel::grantsKeepTheirOrderAndMasks()
{
    RegisterRecord reg(QStringLiteral("a.h"));
    QVERIFY(reg.grants().isEmpty());
    QVERIFY(reg.elementsByMask().isEmpty());
    FakeElement *high = newElement(QStringLiteral("HIGH"));
    FakeElement *low = newElement(QStringLiteral("LOW"));
    FakeElement *middle = newElement(QStringLiteral("MIDDLE"));
    QVERIFY(reg.assignBits(high, 31, 16));
    QCOMPARE(reg.grants().size(), 1);
    QVERIFY(reg.assignBits(low, 3, 0));
    QVERIFY(reg.assignBits(middle, 15, 4));
    QVERIFY(!reg.assignBits(newElement(QStringLiteral("TAKEN")), 4, 4));

    QList<ActiveElement *> inOrder{high, low, middle};
    QCOMPARE(reg.grants().elements(), inOrder);
    QCOMPARE(reg.grants().at(2).mask, quint64(0xFFF0));
    const QHash<quint64, ActiveElement *> byMask = reg.elementsByMask();
    QCOMPARE(byMask.size(), 3);
    QCOMPARE(byMask.value(0xFFFF0000), high);
    QCOMPARE(byMask.value(0xF), low);
    QCOMPARE(byMask.value(0xFFF0), middle);
    QCOMPARE(reg.grants().value(0xF), low);
    QCOMPARE(reg.grants().value(0x1), nullptr);

    // An element entered again under a mask it holds takes its place.
    BitGrants grants;
    grants.insert(0x1, low);
    grants.insert(0x2, high);
    grants.insert(0x2, middle);
    QCOMPARE(grants.elements(), (QList<ActiveElement *>{low, middle}));
    grants.insert(0x1, high);
    QCOMPARE(grants.elements(), (QList<ActiveElement *>{high, middle}));
}

void TestRegisterModel::parseRegisterPath_data()
{
    QTest::addColumn<QString>("define");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");

    QTest::newRow("plain define") << "SPEED" << "SPEED" << "" << "" << -1 << -1;
    QTest::newRow("plain define keeps its range")
        << "A[3:0]" << "A[3:0]" << "" << "" << 3 << 0;
    QTest::newRow("register") << "M.R" << "M" << "R" << "" << -1 << -1;
    QTest::newRow("register range") << "M.R[7:4]" << "M" << "R" << "" << 7 << 4;
    QTest::newRow("single bit") << "M.R[5]" << "M" << "R" << "" << 5 << 5;
    QTest::newRow("field range") << "M.R.F[1:0]" << "M" << "R" << "F" << 1 << 0;
    // Split at brackets and colons this reads "M.R", "3", ".F": the lsb is unreadable.
    QTest::newRow("register bit before a field")
        << "M.R[3].F" << "M" << "R" << "F" << 3 << -1;
    QTest::newRow("four parts name no field") << "M.R.F.X" << "M" << "R" << "" << -1 << -1;
    QTest::newRow("hexadecimal and octal") << "M.R[0x1f:010]" << "M" << "R" << "" << 31 << 8;
    QTest::newRow("unreadable lsb") << "M.R[5:x]" << "M" << "R" << "" << 5 << -1;
    QTest::newRow("invalid octal") << "M.R[08]" << "M" << "R" << "" << -1 << -1;
    QTest::newRow("empty parts are left out") << "M.R[:5]" << "M" << "R" << "" << 5 << 5;
    QTest::newRow("doubled brackets") << "M.R[[7]:[4]]" << "M" << "R" << "" << 7 << 4;
    QTest::newRow("two ranges are no range")
        << "M.R[3:0].F[1:0]" << "M" << "R" << "F" << -1 << -1;
}

void TestRegisterModel::parseRegisterPath()
{
    QFETCH(QString, define);
    const RegisterPath path = ::parseRegisterPath(define);
    QTEST(path.module, "module");
    QTEST(path.reg, "reg");
    QTEST(path.field, "field");
    QTEST(path.msb, "msb");
    QTEST(path.lsb, "lsb");
}

// The path read by splitting the define into lists, as it was read before it
// was read in place: the reference for random defines.
static RegisterPath splitReading(const QString &define)
{
    const auto bitNumber = [](const QString &text) {
        bool ok = false;
        const int number = text.toInt(&ok, 0);
        return ok ? number : -1;
    };
    const auto withoutSuffix = [](const QString &part) { return part.left(part.indexOf(QLatin1Char('['))); };
    RegisterPath path;
    const QStringList dotted = define.split(QLatin1Char('.'));
    path.module = dotted.first();
    if (dotted.size() > 1)
        path.reg = withoutSuffix(dotted.at(1));
    if (dotted.size() == 3)
        path.field = withoutSuffix(dotted.at(2));
    const QStringList parts = define.split(QRegularExpression(QStringLiteral("[\\[:\\]]")), Qt::SkipEmptyParts);
    if (parts.size() == 2) {
        path.msb = path.lsb = bitNumber(parts.at(1));
    } else if (parts.size() == 3) {
        path.msb = bitNumber(parts.at(1));
        path.lsb = bitNumber(parts.at(2));
    }
    return path;
}

void TestRegisterModel::parseRegisterPathAgreesWithSplitReading()
{
    const QString alphabet = QStringLiteral("MRF..[[]]::0x1f78- ");
    QRandomGenerator random(3602);
    for (int i = 0; i < 20000; ++i) {
        QString define;
        const int length = random.bounded(14);
        for (int c = 0; c < length; ++c)
            define += alphabet.at(random.bounded(alphabet.size()));
        const RegisterPath path = ::parseRegisterPath(define);
        const RegisterPath reference = splitReading(define);
        QVERIFY2(path.module == reference.module && path.reg == reference.reg && path.field == reference.field
                     && path.msb == reference.msb && path.lsb == reference.lsb,
                 qPrintable(define));
    }
}

void TestRegisterModel::bindRegisterPath_data()
{
    QTest::addColumn<QStringList>("defines");
    QTest::addColumn<bool>("isSvd");
    QTest::addColumn<bool>("elementAccepts");
    QTest::addColumn<QList<bool>>("granted");
    QTest::addColumn<QStringList>("modules");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("two nibbles, then a bit inside one")
        << QStringList{"M.R[3:0]", "M.R[7:4]", "M.R[4]"} << false << true
        << QList<bool>{true, true, false} << QStringList{"M"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: M.R[4]\n"
                       "MSB: 4 LSB: 4"};
    QTest::newRow("whole register, then a bit")
        << QStringList{"M.R", "M.R[0]"} << false << true << QList<bool>{true, false}
        << QStringList{"M"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: M.R[0]\n"
                       "MSB: 0 LSB: 0"};
    QTest::newRow("whole register twice")
        << QStringList{"M.R", "M.R"} << false << true << QList<bool>{true, false}
        << QStringList{"M"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: M.R\n"
                       "MSB: -1 LSB: -1"};
    QTest::newRow("C notation bit numbers")
        << QStringList{"M.R[0x1f:010]", "M.R[8]", "M.R[7]"} << false << true
        << QList<bool>{true, false, true} << QStringList{"M"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: M.R[8]\n"
                       "MSB: 8 LSB: 8"};
    QTest::newRow("plain defines with ranges are modules of their own")
        << QStringList{"A[3:0]", "A[7:4]", "A[3:0]"} << false << true
        << QList<bool>{true, true, false} << QStringList{"A[3:0]", "A[7:4]"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: A[3:0]\n"
                       "MSB: 3 LSB: 0"};
    QTest::newRow("bit order")
        << QStringList{"M.R[3:5]"} << false << true << QList<bool>{false} << QStringList{}
        << QStringList{"Bit order error in M.R[3:5]: msb(3) < lsb(5)"};
    QTest::newRow("element refuses the range")
        << QStringList{"M.R[3:0]"} << false << false << QList<bool>{false} << QStringList{}
        << QStringList{"Trying to set MSB: 3 and LSB: 0 for M.R[3:0] which is of type: "
                       "FakeElement\n"};
    QTest::newRow("element refuses the whole register")
        << QStringList{"M.R"} << false << false << QList<bool>{false} << QStringList{}
        << QStringList{"Trying to set MSB: -1 and LSB: -1 for M.R which is of type: "
                       "FakeElement\n"};
    QTest::newRow("unreadable lsb")
        << QStringList{"M.R[5:x]"} << false << true << QList<bool>{false} << QStringList{}
        << QStringList{"Bit range error in M.R[5:x]: msb(5) lsb(-1) outside 0..63"};
    QTest::newRow("unreadable msb")
        << QStringList{"M.R[x:3]"} << false << true << QList<bool>{false} << QStringList{}
        << QStringList{"Bit range error in M.R[x:3]: msb(-1) lsb(3) outside 0..63"};
    QTest::newRow("bit 64")
        << QStringList{"M.R[64]"} << false << true << QList<bool>{false} << QStringList{}
        << QStringList{"Bit range error in M.R[64]: msb(64) lsb(64) outside 0..63"};
    QTest::newRow("field on a define that is not an SVD value")
        << QStringList{"M.R.F[1:0]"} << false << true << QList<bool>{false} << QStringList{"M"}
        << QStringList{"Defines not representing an svd value can't have fields: M.R.F[1:0]"};
    QTest::newRow("SVD field bits count from the field's bit 0")
        << QStringList{"M.R.F[1:0]", "M.R.G[1:0]", "M.R.F[1]", "M.R[1:0]"} << true << true
        << QList<bool>{true, true, false, true} << QStringList{"M"}
        << QStringList{"Tried to assign a GUI element to already assigned bits: M.R.F[1]\n"
                       "MSB: 1 LSB: 1"};
}

void TestRegisterModel::bindRegisterPath()
{
    QFETCH(QStringList, defines);
    QFETCH(bool, isSvd);
    QFETCH(bool, elementAccepts);
    QFETCH(QList<bool>, granted);
    QFETCH(QStringList, modules);
    QFETCH(QStringList, reported);

    FakeHost host;
    for (int i = 0; i < defines.size(); ++i) {
        FakeElement *element = newElement(defines.at(i));
        element->accepts = [elementAccepts](int, int) { return elementAccepts; };
        QCOMPARE(::bindRegisterPath(host, defines.at(i), QStringLiteral("m.h"), element, isSvd),
                 granted.at(i));
        QCOMPARE(host.elementsByDefine.value(defines.at(i)), element);
    }
    // Every element is registered under its define, granted or not.
    QCOMPARE(host.registered, defines);
    QCOMPARE(host.moduleNames(), modules);
    QCOMPARE(messages, reported);
    QVERIFY(host.console.isEmpty());
}

void TestRegisterModel::emptyDefineOnlyAsksTheElement()
{
    FakeHost host;
    FakeElement *element = newElement(QStringLiteral("e"));
    QVERIFY(::bindRegisterPath(host, QString(), QString(), element, false));
    element->accepts = [](int, int) { return false; };
    QVERIFY(!::bindRegisterPath(host, QString(), QString(), element, false));

    QCOMPARE(element->askedRanges, (QList<QPair<int, int>>{{-1, -1}, {-1, -1}}));
    QVERIFY(host.registered.isEmpty());
    QVERIFY(host.modules.isEmpty());
    QVERIFY(messages.isEmpty());
}

void TestRegisterModel::registerWithTwoHeaders()
{
    FakeHost host;
    QVERIFY(::bindRegisterPath(host, QStringLiteral("M.R[1:0]"), QStringLiteral("a.h"),
                               newElement(QStringLiteral("a")), false));
    QVERIFY(::bindRegisterPath(host, QStringLiteral("M.R[3:2]"), QStringLiteral("b.h"),
                               newElement(QStringLiteral("b")), false));
    // An empty header on either side is no conflict.
    QVERIFY(::bindRegisterPath(host, QStringLiteral("M.R[4]"), QString(),
                               newElement(QStringLiteral("c")), false));

    QCOMPARE(host.console,
             QStringList{"<font color=\"red\"> <b>XML Error: </b></font><b>register has two "
                         "different headers (a.h, b.h) <a href=\"M.R[3$$$COLON$$$2]\">"
                         "M.R[3:2]</a><br>"});
    RegisterRecord *reg = host.reg(QStringLiteral("M"), QStringLiteral("R"));
    QCOMPARE(reg->headerName, QStringLiteral("a.h"));
    QCOMPARE(reg->usedBits(), quint64(0x1F));
}

void TestRegisterModel::svdMessageTexts()
{
    QCOMPARE(RegisterMessages::svdBitsAlreadyAssigned(QStringLiteral("GPIOA"),
                                                      QStringLiteral("MODER"),
                                                      QStringLiteral("MODE0"), 1, 0),
             QStringLiteral("Tried to assign a GUI element to already assigned bits: "
                            "GPIOA.MODER.MODE0\nMSB: 1 LSB: 0"));
    QCOMPARE(RegisterMessages::svdSizeError(QStringLiteral("GPIOA"), QStringLiteral("MODER"),
                                            QString(), 0),
             QStringLiteral("Out of size error while reading svd file: GPIOA.MODER. Size=0"));
}

QTEST_GUILESS_MAIN(TestRegisterModel)
#include "tst_registermodel.moc"
