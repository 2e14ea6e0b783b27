// The adapter's firmware version asked through a main window over the fake HID
// table, compared with the panel's range, and the update through the updater
// program (a script of our own standing in for it).
#include "fakehid.h"
#include "panelfixture.h"
#include "programversion.h"
#include "tyklink.h"
#include "tyktransport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray versionReply(int major, int minor, int patch)
{
    return bytes({0x00, 0x00, major, minor, patch, 0x00});
}

// A window whose Tyk link runs over the fake HID table with one adapter.
struct FirmwareFixture : PanelFixture {
    FirmwareFixture()
    {
        FakeHid::reset();
        FakeHid::instance().attach(0, L"A1");
        auto transport = std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; });
        window->replaceTykLink(new TykLink(std::move(transport)));
        window->targetLink().tykLink->setReplyTimeout(50);
        clearConsole();
        clearErrors();
    }

    void setRange(const QString &min, const QString &max) { window->panel()->editHeader().setFWVersionRange(min, max); }

    // The prompts since the last clear, as one text.
    QString prompts() const { return errors().join(QLatin1Char('\n')); }
    // The whole console log since the last clear (the version texts hold line feeds).
    QString console() const
    {
        ErrorReporter::instance().logFile().flush();
        QFile log(ErrorReporter::instance().logFileName());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }
};

const QString tooLow = QStringLiteral("Version is too low for the currently loaded XML (needs ");
const QString tooHigh = QStringLiteral("Version is too high for the currently loaded XML (needs ");
const QString valid = QStringLiteral("Version is valid for the currently loaded XML.");
const QString noVersion = QStringLiteral("Currently loaded XML has no version to compare with.");
const QString notRetrieved = QStringLiteral("Could not retrieve firmware version.");

} // namespace

class TstTykFirmware : public QObject
{
    Q_OBJECT

private slots:
    void versionCompareGoesPartByPart_data();
    void versionCompareGoesPartByPart();
    void queryShowsVersionAndRequest();
    void rangeCheck_data();
    void rangeCheck();
    void quietModeIsSilentOnlyWhenValid();
    void noReplyIsAFailure();
    void failedRequestReconnectsOnce();
    void comPortPanelSendsNothing();
    void missingUpdater();
    void updaterRunsWithItsArguments_data();
    void updaterRunsWithItsArguments();
};

void TstTykFirmware::versionCompareGoesPartByPart_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("result");
    QTest::newRow("equal") << "1.2.3" << "1.2.3" << 0;
    QTest::newRow("two-digit minor below next major") << "1.10.0" << "2.0.0" << -1;
    QTest::newRow("two-digit patch below next minor") << "1.0.10" << "1.1.0" << -1;
    QTest::newRow("major wins over minor") << "2.0.0" << "1.99.99" << 1;
    QTest::newRow("patch decides") << "3.4.6" << "3.4.5" << 1;
    QTest::newRow("16-bit parts") << "1.300.0" << "1.299.65535" << 1;
}

void TstTykFirmware::versionCompareGoesPartByPart()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, result);
    quint16 left[3];
    quint16 right[3];
    const QStringList aParts = a.split(QLatin1Char('.'));
    const QStringList bParts = b.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        left[i] = quint16(aParts.at(i).toUInt());
        right[i] = quint16(bParts.at(i).toUInt());
    }
    QCOMPARE(versionCompare(left, right), result);
    QCOMPARE(versionCompare(right, left), -result);
}

void TstTykFirmware::queryShowsVersionAndRequest()
{
    FirmwareFixture f;
    FakeHid::instance().replies << bytes({0x00, 0x00, 0x02, 0x01, 0x07, 0x00});
    f.window->tykAdapter().queryFirmwareVersion(false);
    QCOMPARE(FakeHid::instance().written, QList<QByteArray>{bytes({0x00, 0x01, 0x10})});
    const QString shown = f.prompts();
    QVERIFY2(shown.contains(QStringLiteral("Tyk Firmware Version 2.1.7")), qPrintable(shown));
    // A panel without a range has nothing to compare with.
    QVERIFY2(shown.contains(noVersion), qPrintable(shown));
}

void TstTykFirmware::rangeCheck_data()
{
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("equal to the maximum") << "1.0.0" << "2.0.0" << versionReply(2, 0, 0) << valid;
    QTest::newRow("equal to the minimum") << "1.0.0" << "2.0.0" << versionReply(1, 0, 0) << valid;
    QTest::newRow("below the minimum") << "1.0.0" << "2.0.0" << versionReply(0, 9, 9) << tooLow;
    QTest::newRow("above the maximum") << "1.0.0" << "2.0.0" << versionReply(2, 0, 1) << tooHigh;
    // Weighted sums would take 1.10.1 for 2.0.1 and let it pass.
    QTest::newRow("two-digit minor below the minimum") << "2.0.0" << "3.0.0" << versionReply(1, 10, 1) << tooLow;
    QTest::newRow("two-digit minor above the maximum") << "1.0.0" << "1.9.0" << versionReply(1, 10, 0) << tooHigh;
}

void TstTykFirmware::rangeCheck()
{
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QByteArray, reply);
    QFETCH(QString, verdict);
    FirmwareFixture f;
    f.setRange(min, max);
    FakeHid::instance().replies << reply;
    f.window->tykAdapter().queryFirmwareVersion(false);
    const QString shown = f.prompts();
    QVERIFY2(shown.contains(verdict), qPrintable(shown));
    if (verdict != valid)
        QVERIFY2(shown.contains(f.window->panel()->header().fwVersionRangeText() + QStringLiteral(").")), qPrintable(shown));
}

void TstTykFirmware::quietModeIsSilentOnlyWhenValid()
{
    FirmwareFixture f;
    f.setRange(QStringLiteral("1.0.0"), QStringLiteral("2.0.0"));
    FakeHid::instance().replies << versionReply(1, 5, 0);
    f.window->tykAdapter().queryFirmwareVersion(true);
    QVERIFY(f.prompts().isEmpty());
    QVERIFY2(!f.console().contains(QStringLiteral("Tyk Firmware Version")), qPrintable(f.console()));

    FakeHid::instance().replies << versionReply(3, 0, 0);
    f.window->tykAdapter().queryFirmwareVersion(true);
    QVERIFY(f.prompts().isEmpty());
    QVERIFY2(f.console().contains(QStringLiteral("Tyk Firmware Version 3.0.0")), qPrintable(f.console()));
    QVERIFY2(f.console().contains(tooHigh), qPrintable(f.console()));

    // Without a range the quiet query still says so.
    f.setRange(QStringLiteral("0.0.0"), QStringLiteral("0.0.0"));
    f.clearConsole();
    FakeHid::instance().replies << versionReply(1, 0, 0);
    f.window->tykAdapter().queryFirmwareVersion(true);
    QVERIFY2(f.console().contains(noVersion), qPrintable(f.console()));
}

void TstTykFirmware::noReplyIsAFailure()
{
    // A HID reply is always a whole report; an adapter that stays silent is
    // the failure seen there.
    FirmwareFixture f;
    f.window->tykAdapter().queryFirmwareVersion(true);
    QVERIFY(f.prompts().isEmpty());
    QVERIFY2(f.console().contains(QStringLiteral("<font color=\"orange\">Could not retrieve firmware version.</font><br>")),
             qPrintable(f.console()));
    QVERIFY(!f.console().contains(QStringLiteral("Tyk Firmware Version")));
}

void TstTykFirmware::failedRequestReconnectsOnce()
{
    FirmwareFixture f;
    FakeHid &fake = FakeHid::instance();
    // The first write fails; the reconnect and the second try succeed.
    fake.failNextWrite = true;
    fake.replies << versionReply(4, 3, 2);
    f.window->tykAdapter().queryFirmwareVersion(false);
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x01, 0x10})});
    QVERIFY2(f.prompts().contains(QStringLiteral("Tyk Firmware Version 4.3.2")), qPrintable(f.prompts()));

    // No answer at all after the retry: a failure, not a version.
    f.clearErrors();
    fake.written.clear();
    f.window->tykAdapter().queryFirmwareVersion(false);
    QVERIFY2(f.prompts().contains(notRetrieved), qPrintable(f.prompts()));
}

void TstTykFirmware::comPortPanelSendsNothing()
{
    FirmwareFixture f;
    f.window->panel()->editHeader().ioPortName = QStringLiteral("ttyUSB0");
    f.window->tykAdapter().queryFirmwareVersion(false);
    QVERIFY(FakeHid::instance().written.isEmpty());
    QVERIFY2(f.console().contains(QStringLiteral("Currently loaded XML doesn't use an Tyk.")), qPrintable(f.console()));
}

void TstTykFirmware::missingUpdater()
{
    FirmwareFixture f;
    f.env->installPrompt({QStringLiteral("yes")});
    f.clearErrors();
    f.window->tykAdapter().updateFirmware();
    const QString shown = f.prompts();
    QVERIFY2(shown.contains(QStringLiteral("Tyk is currently connected.")), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("Tyk-Updater.exe not found.")), qPrintable(shown));
    QVERIFY(!shown.contains(QStringLiteral("Open Firmware File")));
    // Nothing was taken down.
    QVERIFY(f.window->targetLink().tykLink->isConnected());
}

void TstTykFirmware::updaterRunsWithItsArguments_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("succeeds") << 0 << "Update successfully finished\n(even if progress bar hasn't reached 100%).";
    QTest::newRow("reports an error") << 3 << "Update failed.";
}

void TstTykFirmware::updaterRunsWithItsArguments()
{
    QFETCH(int, exitCode);
    QFETCH(QString, verdict);
    FirmwareFixture f;
    const QString folder = WindowTykAdapter::firmwarePath();
    QVERIFY(QDir().mkpath(folder));
    const QString argsFile = f.env->path(QStringLiteral("updater-args.txt"));
    {
        QFile updater(folder + QStringLiteral("/Tyk-Updater.exe"));
        QVERIFY(updater.open(QIODevice::WriteOnly | QIODevice::Truncate));
        updater.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '%1'\nexit %2\n")
                          .arg(argsFile)
                          .arg(exitCode)
                          .toUtf8());
        updater.setPermissions(updater.permissions() | QFileDevice::ExeOwner);
    }
    const QString firmware = f.env->path(QStringLiteral("fw file.hex"));
    f.env->installPrompt({QStringLiteral("yes"), firmware});
    f.clearErrors();
    f.window->tykAdapter().updateFirmware();

    const QString shown = f.prompts();
    QVERIFY2(shown.contains(QStringLiteral("Open Firmware File")), qPrintable(shown));
    QVERIFY2(shown.contains(verdict), qPrintable(shown));
    QFile args(argsFile);
    QVERIFY(args.open(QIODevice::ReadOnly));
    // One argument each, the file name with its blank kept whole.
    QCOMPARE(QString::fromUtf8(args.readAll()), QStringLiteral("-FW=%1\n-NOZIP\n").arg(firmware));
    // The link is back after the update.
    QVERIFY(f.window->targetLink().tykLink->isConnected());
}

QTEST_MAIN(TstTykFirmware)
#include "tst_tykfirmware.moc"
