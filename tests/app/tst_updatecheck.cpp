// The update check: when it is due, which archive is the program's own, the
// newest version a listing offers, and the whole check against a local HTTP
// server playing the update site.

#include "apppaths.h"
#include "localhttpserver.h"
#include "mainwindow.h"
#include "programversion.h"
#include "testenvironment.h"
#include "updatecheck.h"

#include <QDateTime>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

#include <memory>

// Keeps every message it is asked, with its text format.
class CapturingPrompt final : public Prompt
{
public:
    QList<PromptMessage> messages;
    PromptAnswer answer;
    bool isInteractive() const override { return false; }
    PromptAnswer message(const PromptMessage &message) override
    {
        messages << message;
        return answer;
    }
    void errorBox(const QString &) override {}
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString existingDirectory(QWidget *, const QString &, const QString &) override { return {}; }
    QString item(QWidget *, const QString &, const QString &, const QStringList &, int, bool *ok) override
    {
        if (ok)
            *ok = false;
        return {};
    }
};

class TestUpdateCheck : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dueAfterThePeriod_data();
    void dueAfterThePeriod();
    void featureIdFromTheProgramPath_data();
    void featureIdFromTheProgramPath();
    void newestVersionOfAListing_data();
    void newestVersionOfAListing();

    void checkAgainstTheSite_data();
    void checkAgainstTheSite();
    void secondSiteWhenTheFirstFails();
    void freshInstallationWaitsAPeriod();
    void periodZeroNeverAsks();
    void neverRemindMeSwitchesTheCheckOff();
    void slowSitesAreGivenUpWithinOneTimeOut();
    void failedCheckWaitsAPeriod_data();
    void failedCheckWaitsAPeriod();

private:
    void seedLastUpdate(qint64 secondsAgo, int period = 2);
    QDateTime lastUpdate() const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    CapturingPrompt *prompt = nullptr;
};

void TestUpdateCheck::init()
{
    env = std::make_unique<TestEnvironment>();
    readProgramVersion();
    window = std::make_unique<MainWindow>(CommandLineOptions());
    auto capturing = std::make_unique<CapturingPrompt>();
    prompt = capturing.get();
    Prompt::install(std::move(capturing));
}

void TestUpdateCheck::cleanup()
{
    window.reset();
    env.reset();
    qunsetenv("QUILLMATE_UPDATE_SITES");
}

void TestUpdateCheck::seedLastUpdate(qint64 secondsAgo, int period)
{
    auto store = AppPaths::openMainStore();
    store->setValue(QStringLiteral("UpdatePeriod"), period);
    store->setValue(QStringLiteral("LastUpdate"), QDateTime::currentDateTimeUtc().addSecs(-secondsAgo));
}

QDateTime TestUpdateCheck::lastUpdate() const
{
    return AppPaths::openMainStore()->value(QStringLiteral("LastUpdate")).toDateTime();
}

static const qint64 day = 86400;

void TestUpdateCheck::dueAfterThePeriod_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<qint64>("secondsAgo");
    QTest::addColumn<bool>("due");
    QTest::newRow("never") << 0 << 1000 * day << false;
    QTest::newRow("10 days, 9 ago") << 1 << 9 * day << false;
    QTest::newRow("10 days, 11 ago") << 1 << 11 * day << true;
    QTest::newRow("70 days, 69 ago") << 2 << 69 * day << false;
    QTest::newRow("70 days, 71 ago") << 2 << 71 * day << true;
    QTest::newRow("other value counts as 70 days") << 7 << 71 * day << true;
    QTest::newRow("300 days, 299 ago") << 3 << 299 * day << false;
    QTest::newRow("300 days, 301 ago") << 3 << 301 * day << true;
    QTest::newRow("last check in the future") << 1 << -day << true;
}

void TestUpdateCheck::dueAfterThePeriod()
{
    QFETCH(int, period);
    QFETCH(qint64, secondsAgo);
    QFETCH(bool, due);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QCOMPARE(UpdateCheck::isDue(period, now.addSecs(-secondsAgo), now), due);
}

void TestUpdateCheck::featureIdFromTheProgramPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("id");
    QTest::newRow("outside the launcher") << "/opt/quillmate/quillmate" << UpdateCheck::defaultFeatureId;
    QTest::newRow("launcher plugin") << "/home/u/harbik/plugins/com.example.tool_1.0.0/bin/quillmate"
                                     << "com.example.tool.feature_";
    QTest::newRow("no version in the folder") << "/x/plugins/tool/quillmate" << UpdateCheck::defaultFeatureId;
    QTest::newRow("Plugins in another case") << "/x/Plugins/a_1/quillmate" << UpdateCheck::defaultFeatureId;
}

void TestUpdateCheck::featureIdFromTheProgramPath()
{
    QFETCH(QString, path);
    QFETCH(QString, id);
    QCOMPARE(UpdateCheck::featureId(path), id);
}

void TestUpdateCheck::newestVersionOfAListing_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("newest");
    const QString f = QStringLiteral("com.x.feature_");
    QTest::newRow("newest of three") << f + "2.0.0.jar " + f + "2.1.0.jar " + f + "1.9.9.jar" << "2.0.0"
                                     << "2.1.0";
    QTest::newRow("only older and equal") << f + "1.0.0.jar " + f + "2.0.0.jar" << "2.0.0" << "";
    QTest::newRow("packed below 10000 ignored") << f + "0.9.1.jar" << "0.0.1" << "";
    QTest::newRow("qualifier kept in the text") << f + "2.6.1.v2026.jar" << "2.5.0" << "2.6.1.v2026";
    QTest::newRow("two parts") << f + "3.1.jar" << "2.5.0" << "3.1";
    QTest::newRow("other features skipped") << "com.y.feature_9.0.0.jar " + f + "2.5.1.jar" << "2.5.0"
                                            << "2.5.1";
    QTest::newRow("no .jar after the id") << f + "9.9.9" << "2.5.0" << "";
    QTest::newRow("feature id in other case") << "COM.X.FEATURE_9.0.0.jar" << "2.5.0" << "";
    QTest::newRow("overlong version text") << f + QString(100, '9') + ".jar" << "2.5.0" << "";
}

void TestUpdateCheck::newestVersionOfAListing()
{
    QFETCH(QString, listing);
    QFETCH(QString, own);
    QFETCH(QString, newest);
    QCOMPARE(UpdateCheck::newestVersion(listing, QStringLiteral("com.x.feature_"), UpdateCheck::packVersion(own)),
             newest);
}

void TestUpdateCheck::checkAgainstTheSite_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("offered");
    const QByteArray f = UpdateCheck::defaultFeatureId;
    QTest::newRow("newer") << 200 << "<a>" + f + "2.5.0.jar</a><a>" + f + "2.6.3.jar</a>" << "2.6.3";
    QTest::newRow("same") << 200 << f + "2.5.0.jar" << "";
    QTest::newRow("older") << 200 << f + "2.4.9.jar" << "";
    QTest::newRow("malformed") << 200 << QByteArray("\x00\xff<<<jar", 8) << "";
    QTest::newRow("not found") << 404 << f + "9.0.0.jar" << "";
    QTest::newRow("redirect") << 302 << QByteArray() << "";
    QTest::newRow("huge body") << 200 << QByteArray(10 * 1024 * 1024, 'x') << "";
}

void TestUpdateCheck::checkAgainstTheSite()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, offered);

    LocalHttpServer site([&](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.status = status;
        response.body = body;
        if (status == 302)
            response.location = "/listing"; // to itself, for ever
        return response;
    });
    qputenv("QUILLMATE_UPDATE_SITES", site.url("/listing"));
    seedLastUpdate(100 * day);
    const QDateTime before = lastUpdate();

    UpdateCheck::checkForUpdates();

    QCOMPARE(site.requests().size(), 1);
    QCOMPARE(site.requests().first().method, QByteArray("GET"));
    QCOMPARE(site.requests().first().headers.value("user-agent"), QByteArray("HTTPGET"));
    // Answered or not, the attempt is stored.
    QVERIFY(lastUpdate() != before);
    if (offered.isEmpty()) {
        QCOMPARE(prompt->messages.size(), 0);
        return;
    }
    QCOMPARE(prompt->messages.size(), 1);
    const PromptMessage &box = prompt->messages.first();
    QCOMPARE(box.title, QStringLiteral("A newer version of Quillmate is available."));
    QCOMPARE(box.text, QStringLiteral("A newer version of Quillmate (V%1) is available.\nPlease update with Orvanta Harbik.")
                           .arg(offered));
    QCOMPARE(box.textFormat, Qt::PlainText);
    QCOMPARE(box.checkBoxText, QStringLiteral("Never remind me (can be configured in \"Settings\" dialog)."));
    QCOMPARE(AppPaths::openMainStore()->value(QStringLiteral("UpdatePeriod")).toInt(), 2);
}

void TestUpdateCheck::secondSiteWhenTheFirstFails()
{
    LocalHttpServer broken([](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.status = 500;
        return response;
    });
    LocalHttpServer good([](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.body = QByteArray(UpdateCheck::defaultFeatureId) + "3.0.0.jar";
        return response;
    });
    qputenv("QUILLMATE_UPDATE_SITES", broken.url("/a") + ";" + good.url("/b"));
    seedLastUpdate(100 * day);
    UpdateCheck::checkForUpdates();
    QCOMPARE(broken.requests().size(), 1);
    QCOMPARE(good.requests().size(), 1);
    QCOMPARE(good.requests().first().path, QByteArray("/b"));
    QCOMPARE(prompt->messages.size(), 1);
    QVERIFY(prompt->messages.first().text.contains("(V3.0.0)"));
}

void TestUpdateCheck::freshInstallationWaitsAPeriod()
{
    LocalHttpServer site;
    qputenv("QUILLMATE_UPDATE_SITES", site.url("/listing"));
    AppPaths::openMainStore()->remove(QStringLiteral("LastUpdate"));
    UpdateCheck::checkForUpdates();
    QCOMPARE(site.requests().size(), 0);
    // Stored now: the next start is not due either.
    QVERIFY(qAbs(lastUpdate().secsTo(QDateTime::currentDateTimeUtc())) < 60);
    UpdateCheck::checkForUpdates();
    QCOMPARE(site.requests().size(), 0);
}

void TestUpdateCheck::periodZeroNeverAsks()
{
    LocalHttpServer site;
    qputenv("QUILLMATE_UPDATE_SITES", site.url("/listing"));
    seedLastUpdate(1000 * day, 0);
    UpdateCheck::checkForUpdates();
    QCOMPARE(site.requests().size(), 0);
}

void TestUpdateCheck::neverRemindMeSwitchesTheCheckOff()
{
    LocalHttpServer site([](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.body = QByteArray(UpdateCheck::defaultFeatureId) + "3.0.0.jar";
        return response;
    });
    qputenv("QUILLMATE_UPDATE_SITES", site.url("/listing"));
    seedLastUpdate(100 * day);
    prompt->answer.button = QMessageBox::Ok;
    prompt->answer.checked = true;
    UpdateCheck::checkForUpdates();
    QCOMPARE(prompt->messages.size(), 1);
    QCOMPARE(AppPaths::openMainStore()->value(QStringLiteral("UpdatePeriod")).toInt(), 0);
}

void TestUpdateCheck::slowSitesAreGivenUpWithinOneTimeOut()
{
    // Two sites that never answer: the check's one time-out is spent on the
    // first, the second is not asked, so the start waits no longer than that.
    const auto silent = [](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.silent = true;
        return response;
    };
    LocalHttpServer first(silent);
    LocalHttpServer second(silent);
    qputenv("QUILLMATE_UPDATE_SITES", first.url("/listing") + ";" + second.url("/listing"));
    seedLastUpdate(100 * day);
    UpdateCheck::checkForUpdates();
    QCOMPARE(first.requests().size(), 1);
    QCOMPARE(second.requests().size(), 0);
    QCOMPARE(prompt->messages.size(), 0);
    // The attempt is stored: the next start does not wait again.
    QVERIFY(qAbs(lastUpdate().secsTo(QDateTime::currentDateTimeUtc())) < 60);
    UpdateCheck::checkForUpdates();
    QCOMPARE(first.requests().size(), 1);
}

void TestUpdateCheck::failedCheckWaitsAPeriod_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("closedPort");
    QTest::newRow("nothing listens") << 0 << true;
    QTest::newRow("server error") << 500 << false;
    QTest::newRow("empty listing") << 200 << false;
}

void TestUpdateCheck::failedCheckWaitsAPeriod()
{
    QFETCH(int, status);
    QFETCH(bool, closedPort);
    LocalHttpServer site([status](const LocalHttpServer::Request &) {
        LocalHttpServer::Response response;
        response.status = status;
        return response;
    });
    QString url = QString::fromLatin1(site.url("/listing"));
    if (closedPort) {
        // A port that was free a moment ago and has nobody listening now.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        url = QStringLiteral("http://127.0.0.1:%1/listing").arg(probe.serverPort());
        probe.close();
    }
    qputenv("QUILLMATE_UPDATE_SITES", url.toUtf8());
    seedLastUpdate(100 * day, 1);
    UpdateCheck::checkForUpdates();
    QCOMPARE(site.requests().size(), closedPort ? 0 : 1);
    QCOMPARE(prompt->messages.size(), 0);
    QVERIFY(qAbs(lastUpdate().secsTo(QDateTime::currentDateTimeUtc())) < 60);
    // Within the period (10 days) nothing is asked again; after it, it is.
    seedLastUpdate(9 * day, 1);
    UpdateCheck::checkForUpdates();
    QCOMPARE(site.requests().size(), closedPort ? 0 : 1);
    if (!closedPort) {
        seedLastUpdate(11 * day, 1);
        UpdateCheck::checkForUpdates();
        QCOMPARE(site.requests().size(), 2);
    }
}

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
