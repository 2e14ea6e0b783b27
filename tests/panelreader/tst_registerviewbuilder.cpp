// The panel reader's register view builder: the element it creates, its
// read/write buddy and the define and common attributes.

#include "readerfixture.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "programversion.h"
#include "registerview.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestRegisterViewBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void readWriteBuddy_data();
    void readWriteBuddy();
    void defineAndCommonAttributes();
    void elementsAfterTheViewAreRead();

private:
    bool read(const QByteArray &elements)
    {
        return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                                 verticalPanelText(QString::fromUtf8(elements)));
    }
    RegisterView *find(const QString &name) const
    {
        return fx->root() ? fx->root()->findChild<RegisterView *>(name) : nullptr;
    }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestRegisterViewBuilder::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestRegisterViewBuilder::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
}

void TestRegisterViewBuilder::cleanupTestCase()
{
    fx.reset();
}

void TestRegisterViewBuilder::readWriteBuddy_data()
{
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("value");

    QTest::newRow("name and value") << "readwritebuddy=\"REG;3\"" << "REG" << 3u;
    QTest::newRow("three parts") << "readwritebuddy=\"REG;3;4\"" << "REG" << 0u;
    QTest::newRow("name only") << "readwritebuddy=\"REG\"" << "REG" << 0u;
    QTest::newRow("no buddy") << "" << "" << 0u;
}

void TestRegisterViewBuilder::readWriteBuddy()
{
    QFETCH(QString, attribute);
    QFETCH(QString, name);
    QFETCH(uint, value);
    QVERIFY(read(QStringLiteral("<registerview define=\"RV\" %1/>").arg(attribute).toUtf8()));
    RegisterView *view = find(QStringLiteral("RV"));
    QVERIFY(view);
    QCOMPARE(view->buddyName(), name);
    QCOMPARE(view->buddyValue(), quint32(value));
    const QString whole = attribute.section(QLatin1Char('"'), 1, 1);
    QCOMPARE(elementPropertyOf(view, "readwritebuddy").isValid(), !attribute.isEmpty());
    if (!attribute.isEmpty())
        QCOMPARE(elementPropertyOf(view, "readwritebuddy").toString(), whole);
}

void TestRegisterViewBuilder::defineAndCommonAttributes()
{
    QVERIFY(read("<registerview define=\"GPIO_VIEW\" readwritebuddy=\"RW;1\" tooltip=\"Pins\" visible=\"false\"/>"));
    RegisterView *view = find(QStringLiteral("GPIO_VIEW"));
    QVERIFY(view);
    // Registered under its define, with the panel as its host.
    QCOMPARE(objectOf(fx->panel.getActiveElement(QStringLiteral("GPIO_VIEW"))), static_cast<QObject *>(view));
    QCOMPARE(view->host(), static_cast<ElementHost *>(&fx->panel));
    QCOMPARE(view->value(KeywordTypeInfo, 1), QStringLiteral("RegView"));
    QCOMPARE(elementPropertyOf(view, "tooltip").toString(), QStringLiteral("Pins"));
    QVERIFY(view->isHidden());
}

// The view leaves the stream after its own element: what follows it in the
// same container is read as well.
void TestRegisterViewBuilder::elementsAfterTheViewAreRead()
{
    QVERIFY(read("<registerview define=\"FIRST_VIEW\"/><checkbox define=\"AFTER_VIEW\" label=\"x\"/>"
                 "<registerview define=\"SECOND_VIEW\"></registerview><svdtree define=\"TREE\"/>"
                 "<spinbox define=\"LAST\" range=\"0;3\"/>"));
    QVERIFY(find(QStringLiteral("FIRST_VIEW")));
    QVERIFY(find(QStringLiteral("SECOND_VIEW")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER_VIEW")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("LAST")));
}

QTEST_MAIN(TestRegisterViewBuilder)
#include "tst_registerviewbuilder.moc"
