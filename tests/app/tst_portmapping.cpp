// The window's pin views: the pin-mapping element built after an open, the
// "Show Port mapping" command and its window, the repaint on value changes,
// and the pin-mapping element and data of one panel gone with it.

#include "activeelement.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "pinmapping.h"
#include "pinmappingdetailsdialog.h"
#include "portmappingdialog.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QAction>
#include <QFile>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QByteArray exampleFile(const QString &name)
{
    QFile file(QStringLiteral(QUILLMATE_EXAMPLES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPortMapping : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openBuildsTheElementAndEnablesTheCommand();
    void valueChangesRepaintThePinViews();
    void portMappingWindow();
    void switchedOffCommandOpensNothing();
    void nextPanelDropsTheChipAndTheElement();
    void findingsOfTheChipFileOnTheConsole();

private:
    void makeWindow(const QString &settingsIni);
    bool openExample(const QByteArray &chip = QByteArray());
    QString consoleText() const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
};

void TestPortMapping::init()
{
    env = std::make_unique<TestEnvironment>();
}

void TestPortMapping::cleanup()
{
    window.reset();
    ErrorReporter::instance().setReportToLogFile(false);
    closeLogFile();
    env.reset();
}

void TestPortMapping::makeWindow(const QString &settingsIni)
{
    env->writeSettingsIni(QStringLiteral("[General]\n") + settingsIni);
    window = std::make_unique<MainWindow>(quietOptions());
    env->installPrompt({});
    openLogFile(env->path(QStringLiteral("console.log")));
    ErrorReporter::instance().setReportToLogFile(true);
}

bool TestPortMapping::openExample(const QByteArray &chip)
{
    const QString chipPath = writeTestFile(env->path(QStringLiteral("panels/pins_chip.xml")),
                                           chip.isEmpty() ? exampleFile(QStringLiteral("pins_chip.xml")) : chip);
    const QString path = writeTestFile(env->path(QStringLiteral("panels/pins.xml")), exampleFile(QStringLiteral("pins.xml")));
    if (chipPath.isEmpty() || path.isEmpty() || !window->open(path))
        return false;
    window->initLoadedConfiguration(true);
    return true;
}

QString TestPortMapping::consoleText() const
{
    ErrorReporter::instance().logFile().flush();
    QFile log(ErrorReporter::instance().logFileName());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void TestPortMapping::openBuildsTheElementAndEnablesTheCommand()
{
    makeWindow(QStringLiteral("enableshowportmapping=1\n"));
    QVERIFY(window->findChild<QAction *>(QStringLiteral("showPortMappingAction")));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->isEnabled());
    QVERIFY(openExample());
    PinMapping *element = window->panel()->pinMappingModel().pinMappingElement.data();
    QVERIFY(element);
    QVERIFY(element->isBuilt());
    QVERIFY(window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->isEnabled());
    QVERIFY2(!consoleText().contains(QStringLiteral("Pin mapping warning")), qPrintable(consoleText()));
}

void TestPortMapping::valueChangesRepaintThePinViews()
{
    makeWindow(QStringLiteral("enableshowportmapping=1\n"));
    QVERIFY(openExample());
    PinMapping *element = window->panel()->pinMappingModel().pinMappingElement.data();
    QVERIFY(element);
    QTRY_VERIFY(!element->timer()->isActive());
    // A value that reaches the formulas (here set as a script sets it) starts
    // the picture's refresh.
    QVERIFY(window->panel()->setElementByDefine(QStringLiteral("PIN_ROUTE"), QStringLiteral("1")));
    QVERIFY(element->timer()->isActive());
    QTRY_VERIFY(!element->timer()->isActive());
    // A user's change does too.
    QVERIFY(QMetaObject::invokeMethod(window->panel(), "changed"));
    QVERIFY(element->timer()->isActive());
}

void TestPortMapping::portMappingWindow()
{
    makeWindow(QStringLiteral("enableshowportmapping=1\n"));
    QVERIFY(openExample());
    window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->trigger();
    QPointer<PortMappingDialog> dialog = qobject_cast<PortMappingDialog *>(window->pinMapping().portMappingDialog());
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Port mapping"));
    QCOMPARE(dialog->size(), QSize(700, 700));
    auto *area = qobject_cast<QScrollArea *>(window->centralWidget());
    QVERIFY(area);
    QCOMPARE(dialog->parentWidget(), area->widget());
    QVERIFY(dialog->isVisible());

    // Value changes start the open window's refresh.
    QTRY_VERIFY(!dialog->timer()->isActive());
    QVERIFY(window->panel()->setElementByDefine(QStringLiteral("PIN_SPI_ENABLE"), QStringLiteral("0")));
    QVERIFY(dialog->timer()->isActive());

    // Each request opens another window; closing one forgets it and ends it.
    window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->trigger();
    QPointer<PortMappingDialog> second = qobject_cast<PortMappingDialog *>(window->pinMapping().portMappingDialog());
    QVERIFY(second && second != dialog);
    second->close();
    QVERIFY(!window->pinMapping().portMappingDialog());
    QTRY_VERIFY(!second);
    // The first, no longer the open one, still repaints by its own timer.
    QVERIFY(dialog);
    dialog->showDetails();
    QVERIFY(dialog->detailsDialog()->isVisible());
    dialog->close();
    QTRY_VERIFY(!dialog);
}

void TestPortMapping::switchedOffCommandOpensNothing()
{
    makeWindow(QStringLiteral("enableshowportmapping=0\n"));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("showPortMappingAction")));
    QVERIFY(openExample());
    window->pinMapping().openPortMappingDialog();
    QVERIFY(!window->pinMapping().portMappingDialog());
    // The element of the panel is built all the same.
    QVERIFY(window->panel()->pinMappingModel().pinMappingElement->isBuilt());
}

void TestPortMapping::nextPanelDropsTheChipAndTheElement()
{
    makeWindow(QStringLiteral("enableshowportmapping=1\n"));
    QVERIFY(openExample());
    QPointer<PinMapping> first = window->panel()->pinMappingModel().pinMappingElement.data();
    QVERIFY(first);

    // A panel without a pin mapping: no chip of the panel before, no element,
    // the command off.
    const QString plain = writeTestFile(env->path(QStringLiteral("panels/plain.xml")),
                                        verticalPanelText(QStringLiteral("<checkbox define=\"X\"/>")));
    QVERIFY(window->open(plain));
    window->initLoadedConfiguration(true);
    QVERIFY(!first);
    QVERIFY(!window->panel()->pinMappingModel().pinMappingElement);
    QVERIFY(window->panel()->pinMappingModel().pins.isEmpty());
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->isEnabled());

    // Read directly, as the home panel is, then opened again: the one
    // pointer never names a widget that is gone.
    QVERIFY(openExample());
    QPointer<PinMapping> second = window->panel()->pinMappingModel().pinMappingElement.data();
    QVERIFY(second);
    QVERIFY(window->readPanelFile(plain));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!second);
    QVERIFY(!window->panel()->pinMappingModel().pinMappingElement);
    QVERIFY(openExample());
    QVERIFY(window->panel()->pinMappingModel().pinMappingElement);
    QVERIFY(window->findChild<QAction *>(QStringLiteral("showPortMappingAction"))->isEnabled());
}

void TestPortMapping::findingsOfTheChipFileOnTheConsole()
{
    makeWindow(QString());
    QByteArray chip = exampleFile(QStringLiteral("pins_chip.xml"));
    chip.replace("</mapconditions>",
                 "<mapcondentry cond=\"NO_SUCH_SWITCH==1\" function=\"GPIO3\"/>\n</mapconditions>");
    QVERIFY(openExample(chip));
    const QString console = consoleText();
    QCOMPARE(console.count(QStringLiteral("Pin mapping warning")), 1);
    QVERIFY(console.contains(QStringLiteral("NO_SUCH_SWITCH")));
    // Painting evaluates the condition without a report.
    PinMapping *element = window->panel()->pinMappingModel().pinMappingElement.data();
    QVERIFY(element);
    element->resize(600, 600);
    element->grab();
    QVERIFY(env->prompt()->transcript().join('\n').indexOf(QStringLiteral("NO_SUCH_SWITCH")) < 0);
}

QTEST_MAIN(TestPortMapping)
#include "tst_portmapping.moc"
