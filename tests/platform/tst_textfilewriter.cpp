// The one writer of the text files we make: the disk form of a text (CR LF
// line ends from every line end, no doubled CR), a write of the bytes a file
// holds already, the targets it refuses, and the file it writes being the
// file it checked. The log rule of the write guard.
#include "textfilewriter.h"
#include "writeguard.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestTextFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void diskBytes_data();
    void diskBytes();
    void sameBytesOnlyRenewTheTime();
    void diskBytesInAnotherEncoding();
    void refusesWhatIsNotARegularFile_data();
    void refusesWhatIsNotARegularFile();
    void tableFilesReplaceOnlyTableFiles_data();
    void tableFilesReplaceOnlyTableFiles();
    void writesThroughALinkInsideItsFolder();
    void keepsPermissionsAndFailsOnReadOnlyFiles();
    void linkSwappedInIsNeverFollowed();
    void linkPutInDuringTheCheckIsNeverFollowed_data();
    void linkPutInDuringTheCheckIsNeverFollowed();
    void logRule_data();
    void logRule();
};

static QByteArray readAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void TestTextFileWriter::diskBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("disk");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no line end") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("line feeds") << QByteArray("a\nbc\n") << QByteArray("a\r\nbc\r\n");
    QTest::newRow("only line feeds") << QByteArray("\n\n") << QByteArray("\r\n\r\n");
    QTest::newRow("last line open") << QByteArray("a\n\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("CR LF already") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone CR ends its line") << QByteArray("a\rb\n\r") << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("CR-only lines") << QByteArray("<a\rb=\"1\"/>\r") << QByteArray("<a\r\nb=\"1\"/>\r\n");
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("UTF-8") << QByteArray("\xc3\xbc\n\xe2\x82\xac") << QByteArray("\xc3\xbc\r\n\xe2\x82\xac");
}

void TestTextFileWriter::diskBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, disk);
    QCOMPARE(TextFileWriter::diskBytes(text), disk);
    QCOMPARE(TextFileWriter::diskBytes(QString::fromUtf8(text)), disk);
}

static ino_t inodeOf(const QString &fileName)
{
    struct stat info {};
    return ::stat(QFile::encodeName(fileName).constData(), &info) == 0 ? info.st_ino : 0;
}

// Written again with the bytes it holds, a file keeps its content and itself
// (no replacement) and only its modification time moves on; any difference,
// also of the same length, replaces it.
void TestTextFileWriter::sameBytesOnlyRenewTheTime()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("out.h"));
    auto write = [&](const QString &text) {
        TextFileWriter writer(name, WrittenKind::Header);
        writer.setText(text);
        return writer.write();
    };
    auto age = [&] {
        QFile file(name);
        return file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2), QFileDevice::FileModificationTime);
    };
    auto content = [&] {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QDateTime recent = QDateTime::currentDateTimeUtc().addSecs(-60);

    QVERIFY(write(QStringLiteral("#define A 1\n")));
    const ino_t first = inodeOf(name);
    QVERIFY(first != 0);
    QVERIFY(age());
    QVERIFY(write(QStringLiteral("#define A 1\n")));
    QCOMPARE(content(), QByteArray("#define A 1\r\n"));
    QCOMPARE(inodeOf(name), first);
    QVERIFY(QFileInfo(name).lastModified().toUTC() > recent);

    QVERIFY(age());
    QVERIFY(write(QStringLiteral("#define A 2\n")));
    QCOMPARE(content(), QByteArray("#define A 2\r\n"));
    QVERIFY(inodeOf(name) != first);
    QVERIFY(QFileInfo(name).lastModified().toUTC() > recent);

    QVERIFY(write(QStringLiteral("#define A 22\n")));
    QCOMPARE(content(), QByteArray("#define A 22\r\n"));
}

// A file that keeps its encoding: its byte-order mark first, every line end
// (a CR alone too) as CR LF in that encoding, and a word when a character
// has no form in it.
void TestTextFileWriter::diskBytesInAnotherEncoding()
{
    const QString text = QString::fromUtf8("<a\rb=\"\xc3\xbc\"\n/>\r\n");
    const QString crLf = QString::fromUtf8("<a\r\nb=\"\xc3\xbc\"\r\n/>\r\n");
    bool encoded = false;
    QTextCodec *utf16 = QTextCodec::codecForName("UTF-16BE");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QCOMPARE(TextFileWriter::diskBytes(text, utf16, "\xFE\xFF", &encoded),
             QByteArray("\xFE\xFF") + utf16->fromUnicode(crLf.constData(), crLf.size(), &state));
    QVERIFY(encoded);
    QTextCodec *latin1 = QTextCodec::codecForName("ISO-8859-1");
    QCOMPARE(TextFileWriter::diskBytes(text, latin1, QByteArray(), &encoded), QByteArray("<a\r\nb=\"\xfc\"\r\n/>\r\n"));
    QVERIFY(encoded);
    TextFileWriter::diskBytes(QString::fromUtf8("\xe2\x82\xac"), latin1, QByteArray(), &encoded);
    QVERIFY(!encoded);
}

// A FIFO, a folder or a device in the target's place is refused at once:
// never opened for reading (a FIFO would wait for a writer for ever).
void TestTextFileWriter::refusesWhatIsNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("written");
    QTest::newRow("FIFO, header") << "fifo" << int(WrittenKind::Header);
    QTest::newRow("FIFO, project") << "fifo" << int(WrittenKind::Project);
    QTest::newRow("FIFO, table") << "fifo" << int(WrittenKind::Table);
    QTest::newRow("FIFO, panel") << "fifo" << int(WrittenKind::Panel);
    QTest::newRow("FIFO through a link") << "fifo link" << int(WrittenKind::Project);
    QTest::newRow("folder") << "folder" << int(WrittenKind::Project);
}

void TestTextFileWriter::refusesWhatIsNotARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(int, written);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("target"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("target")));
    else
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QString name = fifo;
    if (kind == QLatin1String("fifo link")) {
        name = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(QStringLiteral("target"), name));
    }
    WriteTarget target;
    target.fileName = name;
    target.kind = WrittenKind(written);
    QVERIFY(!WriteGuard::refusal(target).isEmpty());
    TextFileWriter writer(name, WrittenKind(written));
    writer.setText(QStringLiteral("<qlmpxml/>\n"));
    QVERIFY(!writer.write());
    QVERIFY2(writer.refused(), qPrintable(writer.errorString()));
    QVERIFY(writer.errorString().contains(QLatin1String("not a regular file")));
    struct stat status {};
    QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &status) == 0);
    QVERIFY(kind == QLatin1String("folder") ? S_ISDIR(status.st_mode) : S_ISFIFO(status.st_mode));
}

static QByteArray qlmp(const QByteArray &entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"1.0\">\r\n<XmlFile>p.xml</XmlFile>\r\n"
           "<ActiveElements>\r\n" + entries + "</ActiveElements>\r\n</qlmpxml>\r\n";
}

// A table file (qlmpxml, one Table entry and nothing else) is replaced by a
// table file; any other qlmpxml file is a project, which a table never
// replaces, while a project may replace either.
void TestTextFileWriter::tableFilesReplaceOnlyTableFiles_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<bool>("tableMay");
    QTest::addColumn<bool>("projectMay");
    const QByteArray table = "<Table><define>T</define><value>R,0,0,1,0,;</value></Table>\r\n";
    const QByteArray spin = "<SpinBox><define>S</define><value>1</value></SpinBox>\r\n";
    QTest::newRow("table file") << qlmp(table) << true << true;
    QTest::newRow("table file, large value")
        << qlmp("<Table><define>T</define><value>" + QByteArray(200000, 'x') + "</value></Table>") << true << true;
    QTest::newRow("project of one spin box") << qlmp(spin) << false << true;
    QTest::newRow("project of a table and more") << qlmp(table + spin) << false << true;
    QTest::newRow("project of two tables") << qlmp(table + table) << false << true;
    QTest::newRow("project without elements") << qlmp(QByteArray()) << false << true;
    QTest::newRow("project without ActiveElements")
        << QByteArray("<?xml version=\"1.0\"?><qlmpxml><XmlFile>p.xml</XmlFile></qlmpxml>") << false << true;
    QTest::newRow("table file cut short") << qlmp(table).left(130) << false << true;
    QTest::newRow("panel") << QByteArray("<zelmlcfg version=\"2.0.0\"/>") << false << false;
}

void TestTextFileWriter::tableFilesReplaceOnlyTableFiles()
{
    QFETCH(QByteArray, existing);
    QFETCH(bool, tableMay);
    QFETCH(bool, projectMay);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("t.qlmp"));
    for (const WrittenKind kind : {WrittenKind::Table, WrittenKind::Project}) {
        QVERIFY(writeFile(name, existing));
        TextFileWriter writer(name, kind);
        writer.setText(QString::fromUtf8(qlmp("<Table><define>T</define><value>new</value></Table>\n")));
        const bool may = kind == WrittenKind::Table ? tableMay : projectMay;
        QCOMPARE(writer.write(), may);
        QCOMPARE(writer.refused(), !may);
        QCOMPARE(readAll(name) == existing, !may);
    }
}

// A link the guard allows (it stays in its folder) is resolved once: the file
// it leads to is replaced, the link stays a link.
void TestTextFileWriter::writesThroughALinkInsideItsFolder()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.h"));
    const QString link = dir.filePath(QStringLiteral("link.h"));
    QVERIFY(writeFile(real, "#define A 1\r\n"));
    QVERIFY(QFile::link(QStringLiteral("real.h"), link));
    TextFileWriter writer(link, WrittenKind::Header);
    writer.setText(QStringLiteral("#define A 2\n"));
    QVERIFY2(writer.write(), qPrintable(writer.errorString()));
    QCOMPARE(readAll(real), QByteArray("#define A 2\r\n"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 2); // no temporary left
}

// The replacement keeps the old file's permissions; a file that may not be
// written stays as it is and the write fails.
void TestTextFileWriter::keepsPermissionsAndFailsOnReadOnlyFiles()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("cfg.h"));
    QVERIFY(writeFile(name, "#define A 1\r\n"));
    QVERIFY(::chmod(QFile::encodeName(name).constData(), 0640) == 0);
    TextFileWriter writer(name, WrittenKind::Header);
    writer.setText(QStringLiteral("#define A 2\n"));
    QVERIFY(writer.write());
    struct stat status {};
    QVERIFY(::stat(QFile::encodeName(name).constData(), &status) == 0);
    QCOMPARE(int(status.st_mode & 07777), 0640);
    if (::geteuid() == 0)
        QSKIP("root may write any file");

    QVERIFY(::chmod(QFile::encodeName(name).constData(), 0444) == 0);
    writer.setText(QStringLiteral("#define A 3\n"));
    QVERIFY(!writer.write());
    QVERIFY(writer.openFailed());
    QCOMPARE(readAll(name), QByteArray("#define A 2\r\n"));
}

// While files are written again and again, a second thread keeps swapping
// the target's name between a file and a link to a file in another folder:
// the other folder's file is never written, nor does its name change kind.
void TestTextFileWriter::linkSwappedInIsNeverFollowed()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("work")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("elsewhere")));
    const QString name = dir.filePath(QStringLiteral("work/cfg.h"));
    const QString victim = dir.filePath(QStringLiteral("elsewhere/cfg.h"));
    const QByteArray kept = "#define KEPT 1\r\n";
    QVERIFY(writeFile(victim, kept));
    QVERIFY(writeFile(name, kept));

    const QByteArray target = QFile::encodeName(name);
    const QByteArray fileTemp = QFile::encodeName(dir.filePath(QStringLiteral("work/.file")));
    const QByteArray linkTemp = QFile::encodeName(dir.filePath(QStringLiteral("work/.link")));
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        while (!stop.load()) {
            ::unlink(linkTemp.constData());
            if (::symlink("../elsewhere/cfg.h", linkTemp.constData()) == 0
                && ::rename(linkTemp.constData(), target.constData()) == 0)
                ++swaps;
            if (writeFile(QFile::decodeName(fileTemp), kept) && ::rename(fileTemp.constData(), target.constData()) == 0)
                ++swaps;
        }
    });
    int written = 0;
    // Writes for a second and a half (the window between a check and a second
    // lookup of the name is short), and on until the swapper swapped often.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; (clock.elapsed() < 1500 || swaps.load() < 1000) && i < 1000000; ++i) {
        TextFileWriter writer(name, WrittenKind::Header);
        // Every other write holds the bytes there already (only a new time).
        writer.setText(i % 2 ? QStringLiteral("#define KEPT 1\n") : QStringLiteral("#define A %1\n").arg(i));
        if (writer.write())
            ++written;
    }
    stop = true;
    swapper.join();
    QVERIFY(swaps.load() >= 1000);
    QVERIFY(written > 0);
    QCOMPARE(readAll(victim), kept);
    QVERIFY(!QFileInfo(victim).isSymLink());
    const QStringList left = QDir(dir.filePath(QStringLiteral("work")))
                                 .entryList(QDir::Files | QDir::System | QDir::Hidden)
                                 .filter(QStringLiteral("cfg.h."));
    QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' ')))); // no temporary left
}

// The same without luck: the link takes the name's (or its folder's) place
// while the guard asks for the protected files, after the name was resolved.
// The write is refused; the file the link leads to stays as it was.
void TestTextFileWriter::linkPutInDuringTheCheckIsNeverFollowed_data()
{
    QTest::addColumn<QString>("swapped"); // below work/
    QTest::addColumn<QString>("linkTarget");
    QTest::newRow("the file") << "sub/cfg.h" << "../../elsewhere/cfg.h";
    QTest::newRow("its folder") << "sub" << "../elsewhere";
}

void TestTextFileWriter::linkPutInDuringTheCheckIsNeverFollowed()
{
    QFETCH(QString, swapped);
    QFETCH(QString, linkTarget);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("work/sub")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("elsewhere")));
    const QString name = dir.filePath(QStringLiteral("work/sub/cfg.h"));
    const QString victim = dir.filePath(QStringLiteral("elsewhere/cfg.h"));
    const QByteArray kept = "#define KEPT 1\r\n";
    QVERIFY(writeFile(victim, kept));
    QVERIFY(writeFile(name, kept));
    const QString place = dir.filePath(QStringLiteral("work/") + swapped);
    const QString link = dir.filePath(QStringLiteral("work/.link"));
    QVERIFY(QFile::link(linkTarget, link));

    int calls = 0;
    WriteGuard::setProtectedFiles(this, [&] {
        if (calls++ == 0) {
            if (swapped == QLatin1String("sub"))
                QDir(place).removeRecursively();
            ::rename(QFile::encodeName(link).constData(), QFile::encodeName(place).constData());
        }
        return WriteGuard::ProtectedFiles{};
    });
    TextFileWriter writer(name, WrittenKind::Header);
    writer.setFolder(dir.filePath(QStringLiteral("work")));
    writer.setText(QStringLiteral("#define A 2\n"));
    const bool written = writer.write();
    WriteGuard::clearProtectedFiles(this);
    QVERIFY(calls > 0);
    QVERIFY(QFileInfo(place).isSymLink());
    QVERIFY(!written);
    QVERIFY2(writer.refused(), qPrintable(writer.errorString()));
    QCOMPARE(readAll(victim), kept);
}

// What a log may be written to: a new file, an earlier log, a FIFO or a
// character device; never an input of the run, nor a panel, project, table,
// script or header by content, nor a folder.
void TestTextFileWriter::logRule_data()
{
    QTest::addColumn<QByteArray>("existing"); // "<fifo>", "<folder>", "<none>" or the file's bytes
    QTest::addColumn<bool>("input");          // the run reads it
    QTest::addColumn<bool>("allowed");
    QTest::newRow("new file") << QByteArray("<none>") << false << true;
    QTest::newRow("earlier output log") << QByteArray("// note\nAssert(A(1) == 1) OK\n") << false << true;
    QTest::newRow("earlier console log")
        << QByteArray("<font color=\"blue\"><b>Saved project: </font></b>a.qlmp<br>\n") << false << true;
    QTest::newRow("plain text") << QByteArray("notes\n") << false << true;
    QTest::newRow("empty file") << QByteArray("") << false << true;
    QTest::newRow("FIFO") << QByteArray("<fifo>") << false << true;
    QTest::newRow("an input of the run") << QByteArray("notes\n") << true << false;
    QTest::newRow("script") << QByteArray("// run\nLOAD(a.qlmp)\nASSERT(A, 1)\nEXIT(2)\n") << false << false;
    QTest::newRow("script of one bare call") << QByteArray("END()\r\n") << false << false;
    QTest::newRow("header") << QByteArray("/* cfg */\n#ifndef CFG_H\n#define CFG_H\n#endif\n") << false << false;
    QTest::newRow("panel") << QByteArray("<?xml version=\"1.0\"?>\n<zelmlcfg version=\"2.0.0\"/>\n") << false << false;
    QTest::newRow("project") << qlmp("<SpinBox><define>S</define></SpinBox>") << false << false;
    QTest::newRow("table file") << qlmp("<Table><define>T</define></Table>") << false << false;
    QTest::newRow("folder") << QByteArray("<folder>") << false << false;
}

void TestTextFileWriter::logRule()
{
    QFETCH(QByteArray, existing);
    QFETCH(bool, input);
    QFETCH(bool, allowed);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("run.log"));
    if (existing == "<fifo>")
        QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
    else if (existing == "<folder>")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("run.log")));
    else if (existing != "<none>")
        QVERIFY(writeFile(name, existing));
    const QString link = dir.filePath(QStringLiteral("input-link"));
    QVERIFY(QFile::link(QStringLiteral("run.log"), link));
    const QString reason = WriteGuard::logRefusal(name, input ? QStringList{link} : QStringList());
    QVERIFY2(reason.isEmpty() == allowed, qPrintable(reason));
    QCOMPARE(WriteGuard::logRefusal(QStringLiteral("/dev/null")), QString());
    if (!allowed)
        return;
    QString error;
    if (existing == "<fifo>") {
        // Nobody reads it: the open fails at once instead of waiting.
        QCOMPARE(WriteGuard::openLog(name, &error), -1);
        QVERIFY(!error.isEmpty());
        // With a reader the log goes to it.
        const int reader = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        const int fd = WriteGuard::openLog(name, &error);
        QVERIFY2(fd >= 0, qPrintable(error));
        QCOMPARE(::write(fd, "x\n", 2), ssize_t(2));
        char got[4] = {};
        QCOMPARE(::read(reader, got, sizeof got), ssize_t(2));
        QCOMPARE(QByteArray(got, 2), QByteArray("x\n"));
        ::close(fd);
        ::close(reader);
        return;
    }
    // Written only, emptied first.
    const int fd = WriteGuard::openLog(name, &error);
    QVERIFY2(fd >= 0, qPrintable(error));
    QCOMPARE(::write(fd, "x\n", 2), ssize_t(2));
    ::close(fd);
    QCOMPARE(readAll(name), QByteArray("x\n"));
}

QTEST_GUILESS_MAIN(TestTextFileWriter)
#include "tst_textfilewriter.moc"
