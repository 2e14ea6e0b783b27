// The launcher service after a panel load, against a local HTTP server that
// plays the launcher and records what it receives; and the help, which starts
// the launcher's program.

#include "localhttpserver.h"
#include "panelfixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

static const QString featureId = QStringLiteral("com.example.quillmate.feature");

class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void knownToolReportsItsState();
    void unknownToolRegistersAPort();
    void registerRetriesAreBounded();
    void payloadNamesThePanelUnlessTold_data();
    void payloadNamesThePanelUnlessTold();
    void textsAreJsonEscaped();
    void noFeatureIdNoRequest();
    void helpWithoutLauncherSaysSo();
    void helpStartsTheLauncherOnce();

private:
    // Loads a panel with the feature id set and waits for the state report.
    void loadAndWait(const QString &fileName = QStringLiteral("panel.xml"));
    QList<QByteArray> paths() const;

    std::unique_ptr<PanelFixture> fixture;
    std::unique_ptr<LocalHttpServer> launcher;
    QByteArray toolList = "[]";
    int alreadyRegisteredAnswers = 0;
};

void TestLauncher::init()
{
    fixture = std::make_unique<PanelFixture>();
    alreadyRegisteredAnswers = 0;
    toolList = "[]";
    launcher = std::make_unique<LocalHttpServer>([this](const LocalHttpServer::Request &request) {
        LocalHttpServer::Response response;
        if (request.method == "GET")
            response.body = toolList;
        else if (request.method == "PUT" && alreadyRegisteredAnswers != 0) {
            --alreadyRegisteredAnswers;
            response.status = 409;
            response.body = "Port is already registered.";
        } else
            response.body = "ok";
        return response;
    });
    qputenv("QUILLMATE_LAUNCHER_URL", launcher->url());
    fixture->window->integration().setHarbikFeature(featureId);
}

void TestLauncher::cleanup()
{
    fixture.reset();
    launcher.reset();
    qunsetenv("QUILLMATE_LAUNCHER_URL");
    qunsetenv("QUILLMATE_LAUNCHER_PROGRAM");
}

void TestLauncher::loadAndWait(const QString &fileName)
{
    const QString path = writeTestFile(fixture->env->path(fileName),
                                       verticalPanelText(QStringLiteral("<checkbox define=\"A\"/>")));
    QVERIFY(fixture->window->open(path));
    QTRY_VERIFY_WITH_TIMEOUT(!launcher->requests().isEmpty() && launcher->requests().last().method == "POST", 10000);
}

QList<QByteArray> TestLauncher::paths() const
{
    QList<QByteArray> list;
    for (const auto &request : launcher->requests())
        list << request.method + " " + request.path;
    return list;
}

void TestLauncher::knownToolReportsItsState()
{
    toolList = "[\"" + featureId.toUpper().toUtf8() + "\"]";
    loadAndWait();
    QCOMPARE(paths(), (QList<QByteArray>{"GET /harbik-service/register/allTools",
                                         "POST /harbik-service/state/" + featureId.toUtf8()}));
    const LocalHttpServer::Request &state = launcher->requests().last();
    QCOMPARE(state.body, QByteArray("{\"request\":\"setCurrentState\",\"currentState\":{\"state\":\"RUNNING\","
                                    "\"payload\":\"product: panel; description: tool started.\"}}"));
    QCOMPARE(state.headers.value("content-type"), QByteArray("text/plain"));
    QCOMPARE(state.headers.value("content-length"), QByteArray::number(state.body.size()));
}

void TestLauncher::unknownToolRegistersAPort()
{
    alreadyRegisteredAnswers = 2;
    loadAndWait();
    QCOMPARE(paths().size(), 5);
    QList<QByteArray> bodies;
    for (const auto &request : launcher->requests())
        if (request.method == "PUT")
            bodies << request.body;
    const QByteArray start = "{\"request\":\"registerToolPort\",\"requestingToolFeatureId\":\"" + featureId.toUtf8()
        + "\",\"port\":\"";
    QCOMPARE(bodies, (QList<QByteArray>{start + "50000\"}", start + "50001\"}", start + "50002\"}"}));
    QCOMPARE(launcher->requests().at(1).path, QByteArray("/harbik-service/register"));
}

void TestLauncher::registerRetriesAreBounded()
{
    alreadyRegisteredAnswers = -1; // for ever
    loadAndWait();
    int puts = 0;
    for (const auto &request : launcher->requests())
        puts += request.method == "PUT";
    QCOMPARE(puts, 101);
}

void TestLauncher::payloadNamesThePanelUnlessTold_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("panel") << "board.xml" << false << QByteArray("product: board; description: tool started.");
    QTest::newRow("home panel") << "index.xml" << false << QByteArray("description: tool started.");
    QTest::newRow("storage disabled") << "board.xml" << true << QByteArray("description: tool started.");
}

void TestLauncher::payloadNamesThePanelUnlessTold()
{
    QFETCH(QString, file);
    QFETCH(bool, disabled);
    QFETCH(QByteArray, payload);
    toolList = featureId.toUtf8();
    if (disabled) {
        fixture->env->writeSettingsIni(QStringLiteral("disableproductstatestorage=1\n"));
        QString unused;
        fixture->window->readSettingsIni(unused);
    }
    loadAndWait(file);
    const QJsonObject body = QJsonDocument::fromJson(launcher->requests().last().body).object();
    QCOMPARE(body.value("currentState").toObject().value("payload").toString().toUtf8(), payload);
}

void TestLauncher::textsAreJsonEscaped()
{
    fixture->window->integration().setHarbikFeature(QStringLiteral("odd\"id\\"));
    loadAndWait(QStringLiteral("a\"b.xml"));
    for (const auto &request : launcher->requests()) {
        if (request.method == "GET")
            continue;
        QJsonParseError error;
        QJsonDocument::fromJson(request.body, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, request.body.constData());
    }
    const QJsonObject put = QJsonDocument::fromJson(launcher->requests().at(1).body).object();
    QCOMPARE(put.value("requestingToolFeatureId").toString(), QStringLiteral("odd\"id\\"));
}

void TestLauncher::noFeatureIdNoRequest()
{
    fixture->window->integration().setHarbikFeature(QString());
    QVERIFY(fixture->load(QStringLiteral("<verticalcontainer><checkbox define=\"A\"/></verticalcontainer>")));
    QTest::qWait(200);
    QCOMPARE(launcher->requests().size(), 0);
}

void TestLauncher::helpWithoutLauncherSaysSo()
{
    fixture->window->integration().showHelp();
    QCOMPARE(fixture->errors(), QStringList{"Quillmate Help: Help is available within Orvanta Harbik only."});
}

void TestLauncher::helpStartsTheLauncherOnce()
{
    // Three folders above the program folder.
    const QString app = fixture->env->path(QStringLiteral("harbik/plugins/tool/app"));
    QVERIFY(QDir().mkpath(app));
    qputenv("QUILLMATE_APPDIR", app.toUtf8());
    const QString name = QStringLiteral("launcher.sh");
    const QString program = fixture->env->path(QStringLiteral("harbik/") + name);
    const QString record = fixture->env->path(QStringLiteral("started.txt"));
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + record.toUtf8() + "'; done\nsleep 2\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("QUILLMATE_LAUNCHER_PROGRAM", name.toUtf8());

    fixture->window->integration().showHelp();
    fixture->window->integration().showHelp();
    QTRY_VERIFY(QFile::exists(record));
    QTest::qWait(300);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QByteArray("-harbik.service\ndoStartTool com.zel.hvk.help.feature.feature.jar\n"));
    qputenv("QUILLMATE_APPDIR", fixture->env->appDir().toUtf8());
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
