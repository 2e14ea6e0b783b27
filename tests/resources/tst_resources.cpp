// Every ":/" path written in the program's sources names an embedded
// resource: a path the resource file lacks shows as a missing icon, style or
// picture and is reported nowhere.

#include "resources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPathTheCodeUsesExists();
};

void TestResources::initTestCase()
{
    initQuillmateResources();
}

// The ":/..." string literals of the library and program sources, with the
// files that name them.
static QMultiMap<QString, QString> resourcePathsInSources()
{
    const QDir root(QStringLiteral(QUILLMATE_SOURCE_DIR));
    static const QRegularExpression literal(QStringLiteral("\"(:/[^\"]+)\""));
    QMultiMap<QString, QString> paths;
    // The sources of the program only: not the tests, nor a build tree.
    for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder == QLatin1String("tests") || folder.startsWith(QLatin1String("build")) || folder.startsWith(QLatin1Char('.')))
            continue;
        QDirIterator files(root.filePath(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = root.relativeFilePath(files.next());
            QFile source(root.filePath(file));
            if (!source.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(source.readAll());
            for (auto match = literal.globalMatch(text); match.hasNext();)
                paths.insert(match.next().captured(1), file);
        }
    }
    return paths;
}

void TestResources::everyPathTheCodeUsesExists()
{
    const QMultiMap<QString, QString> paths = resourcePathsInSources();
    // The window's own icons and style sheet are among them: the scan found the sources.
    QVERIFY(paths.contains(QStringLiteral(":/styles/UIElementsStyle.qss")));
    QVERIFY(paths.contains(QStringLiteral(":/images/remove.png")));

    QStringList missing;
    for (const QString &path : paths.uniqueKeys()) {
        if (!path.contains(QLatin1String("%1"))) {
            if (!QFile::exists(path))
                missing << path + QStringLiteral(" (") + paths.values(path).join(QStringLiteral(", ")) + QLatin1Char(')');
            continue;
        }
        // A path built from a name: the folder holds at least one file of that form.
        const QFileInfo pattern(path);
        const QStringList found = QDir(pattern.path()).entryList({pattern.fileName().replace(QLatin1String("%1"), QLatin1String("*"))});
        if (found.isEmpty())
            missing << path;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
