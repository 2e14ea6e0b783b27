// The post-load set-up connects J-Link when the panel polls target memory and
// no probe is open yet, with the default settings; a missing library is
// reported once and the load goes on.
#include "jlink.h"
#include "jlinksim.h"
#include "panelfixture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

const char polledPanel[] = "<verticalcontainer>"
                           "<var define=\"COUNTER\" address=\"0x20000000\" size=\"4\" interval=\"50\"/>"
                           "</verticalcontainer>";

} // namespace

class TargetConnectTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadConnectsOnceWithDefaults();
    void panelWithoutVariablesLeavesProbeAlone();
    void missingLibraryReportedAndLoadGoesOn();

private:
    QStringList calls() const;

    QTemporaryDir m_folder;
    QString m_callLog;
};

void TargetConnectTest::init()
{
    JLink::unloadJLinkDll();
    m_callLog = m_folder.filePath(QStringLiteral("calls.log"));
    QFile::remove(m_callLog);
    qputenv("JLINKSIM_LOG", m_callLog.toLocal8Bit());
    qputenv("QUILLMATE_JLINK_LIBRARY", JLINKSIM_PATH);
}

void TargetConnectTest::cleanup()
{
    JLink::unloadJLinkDll();
}

QStringList TargetConnectTest::calls() const
{
    QFile file(m_callLog);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Memory traffic (polls, start values) is not part of the connection.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString &line) {
                                   return line.startsWith(QLatin1String("JLINKARM_ReadMem"))
                                       || line.startsWith(QLatin1String("JLINKARM_WriteMem"));
                               }),
                lines.end());
    return lines;
}

void TargetConnectTest::loadConnectsOnceWithDefaults()
{
    QVERIFY(!JLink::loadJLinkDll(true));
    reinterpret_cast<JLinkSimReset>(JLink::resolveJLinkFunction("jlinksim_reset"))();

    PanelFixture fixture;
    QVERIFY(fixture.load(QLatin1String(polledPanel)));
    const QStringList connectSequence = {
        QStringLiteral("JLINKARM_IsOpen() = 0"),
        QStringLiteral("JLINKARM_OpenEx() = null"),
        QStringLiteral("JLINKARM_ExecCommand(\"ProjectFile = Settings.jlink\") = 0"),
        QStringLiteral("JLINKARM_ExecCommand(\"device = VRC4471\") = 0"),
        QStringLiteral("JLINKARM_TIF_Select(1) = 0"),
        QStringLiteral("JLINKARM_SetSpeed(4000)"),
        QStringLiteral("JLINKARM_Connect() = 0"),
    };
    QCOMPARE(calls().mid(0, connectSequence.size()), connectSequence);
    QCOMPARE(fixture.window->scriptHost().scriptJLinkSettings().settingsFile, QByteArray("Settings.jlink"));

    // The connection stays open across loads: the next load only asks.
    QFile::resize(m_callLog, 0);
    QVERIFY(fixture.load(QLatin1String(polledPanel)));
    QCOMPARE(calls(), QStringList{QStringLiteral("JLINKARM_IsOpen() = 1")});
    QVERIFY(fixture.errors().isEmpty());
}

void TargetConnectTest::panelWithoutVariablesLeavesProbeAlone()
{
    PanelFixture fixture;
    QVERIFY(fixture.load(QStringLiteral("<verticalcontainer><checkbox define=\"ON\"/></verticalcontainer>")));
    QVERIFY(calls().isEmpty());
    QVERIFY(!JLink::jlinkAvailable());
}

void TargetConnectTest::missingLibraryReportedAndLoadGoesOn()
{
    qputenv("QUILLMATE_JLINK_LIBRARY", m_folder.filePath(QStringLiteral("none.so")).toLocal8Bit());
    PanelFixture fixture;
    QVERIFY(fixture.load(QLatin1String(polledPanel)));
    QVERIFY(fixture.load(QLatin1String(polledPanel)));
    const QStringList reports = fixture.errors().filter(QStringLiteral("not found !"));
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().contains(QLatin1String("Target DLL libjlinkarm.so not found !")),
             qPrintable(reports.first()));
    QVERIFY(fixture.window->panel()->registries().variablesByName.contains(QStringLiteral("COUNTER")));
}

QTEST_MAIN(TargetConnectTest)
#include "tst_targetconnect.moc"
