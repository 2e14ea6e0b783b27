// MainWindow: the project file (.qlmp). Writing it, reading it back into the
// open panel, and reading it only to compare it with the panel's values.
#include "mainwindow.h"

#include "apppaths.h"
#include "consolelinks.h"
#include "diffdialog.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "foldersearch.h"
#include "headerexport.h"
#include "inputfile.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "tykvalueexchange.h"
#include "panelxmlreader.h"
#include "oldheader.h"
#include "programversion.h"
#include "prompt.h"
#include "registermodel.h"
#include "sha256.h"
#include "textfilewriter.h"
#include "unresolveddialog.h"
#include "writeguard.h"
#include "xmlfilekind.h"
#include "xmltext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPair>
#include <QSet>
#include <QVector>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// Unresolved define lines printed one by one on the console at most.
constexpr int maxLoggedDefineLines = 200;

// The record names a reader accepts: the classes of the kinds a project records.
bool isRecordName(const QStringRef &name)
{
    for (const ElementKind &kind : elementKinds()) {
        if (kind.recorded && name == QLatin1String(kind.className))
            return true;
    }
    return false;
}

QString elementName(ActiveElement *element)
{
    QObject *object = objectOf(element);
    return object ? object->objectName() : QString();
}

// A text edit's stored value without its first font-family declaration: the
// font is the viewer's business, not the project's.
QString withoutFontFamily(QString value)
{
    const int start = value.indexOf(QLatin1String("font-family:"));
    if (start < 0)
        return value;
    const int end = value.indexOf(QLatin1Char(';'), start);
    if (end >= 0)
        value.remove(start, end - start + 1);
    return value;
}

// What a project record needs of an element's class, found once per class
// for a whole save: whether it is recorded and how, and its tag.
struct RecordClass {
    const ElementKind *kind = nullptr;
    QString tag;
};

// The whole project text with line feeds, its checksum still zeros. The
// layout is the XML writer's with automatic formatting (four blanks a level,
// every start tag on a line of its own, a text element on one line); the
// texts are escaped as that writer escapes them.
QString projectText(QList<ActiveElement *> elements, bool sorted, const QString &panelFile,
                    const QString &panelVersion)
{
    if (sorted) {
        // Each name is taken once, not in every comparison.
        QVector<QPair<QString, ActiveElement *>> named;
        named.reserve(elements.size());
        for (ActiveElement *element : qAsConst(elements))
            named.append(qMakePair(elementName(element), element));
        std::stable_sort(named.begin(), named.end(),
                         [](const QPair<QString, ActiveElement *> &a, const QPair<QString, ActiveElement *> &b) {
                             return a.first < b.first;
                         });
        for (int i = 0; i < named.size(); ++i)
            elements[i] = named.at(i).second;
    }

    QString text;
    text.reserve(256 + 200 * elements.size());
    text += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"");
    appendXmlText(text, programVersionShortText());
    text += QLatin1String("\">\n    <checksum>");
    text += QString(64, QLatin1Char('0'));
    text += QLatin1String("</checksum>\n    <XmlFile>");
    appendXmlText(text, QFileInfo(panelFile).fileName());
    text += QLatin1String("</XmlFile>\n    <XmlVersion>");
    appendXmlText(text, panelVersion);
    text += QLatin1String("</XmlVersion>\n    <ActiveElements>");
    const int emptyListEnd = text.size() - 1;

    QHash<const QMetaObject *, RecordClass> classes;
    bool anyRecord = false;
    for (ActiveElement *element : qAsConst(elements)) {
        QObject *object = objectOf(element);
        if (!object)
            continue;
        const QString name = object->objectName();
        if (name == QLatin1String("$DIR$"))
            continue;
        const QMetaObject *meta = object->metaObject();
        auto known = classes.constFind(meta);
        if (known == classes.cend()) {
            RecordClass recordClass;
            recordClass.kind = elementKindOf(object);
            recordClass.tag = QLatin1String(meta->className());
            known = classes.insert(meta, recordClass);
        }
        const ElementKind *kind = known->kind;
        if (!kind || !kind->recorded)
            continue;
        QString value = element->storedValueText();
        if (kind->setRule == DefineSetRule::RichText)
            value = withoutFontFamily(value);
        anyRecord = true;
        text += QLatin1String("\n        <");
        text += known->tag;
        text += QLatin1String(">\n            <define>");
        appendXmlText(text, name);
        text += QLatin1String("</define>\n            <value>");
        appendXmlText(text, value);
        text += QLatin1String("</value>\n            <dispValue>");
        appendXmlText(text, element->value(KeywordValue, 1));
        text += QLatin1String("</dispValue>\n        </");
        text += known->tag;
        text += QLatin1Char('>');
    }
    if (anyRecord) {
        text += QLatin1String("\n    </ActiveElements>");
    } else {
        // No records: the list is one empty-element tag.
        text.truncate(emptyListEnd);
        text += QLatin1String("/>");
    }
    // No line break after the root's end tag.
    text += QLatin1String("\n</qlmpxml>");
    return text;
}

// The bytes of a project file for its text: UTF-8 with LF line ends (as the
// reader sees them), the checksum element filled in, then every line ending
// in CR LF.
QByteArray projectDiskBytes(const QString &text)
{
    QByteArray bytes = XmlFileKind::withLineFeeds(text.toUtf8());
    static const QByteArray open("<checksum>");
    const int at = bytes.indexOf(open);
    const int close = bytes.indexOf("</checksum>");
    const int start = at + open.size();
    if (at >= 0 && close >= start)
        bytes.replace(start, close - start, checksumAfterTag(bytes));
    return TextFileWriter::diskBytes(bytes);
}

// ---------------------------------------------------------------------------
// Reading

class ProjectFileReader
{
public:
    ProjectFileReader(MainWindow *owner, bool differenceMode)
        : m_owner(owner)
        , m_differenceMode(differenceMode)
    {
    }

    // False when the reading stopped early: an XML error (errorText() tells
    // it) or a panel that could not be opened (reported already).
    bool loadProject(QIODevice *file);
    QString errorText() const;
    // The panel's defines the project did not name, in element order.
    QStringList missingDefines() const;

    bool activeElementsRead = false;
    QList<DiffRecord> differences;
    // The panel's defines in element order, and those the project gave a value.
    QStringList expectedDefines;
    QSet<QString> definesRead;
    QStringList unknownDefineLines;
    QStringList dropNames;

private:
    void verifyProjectChecksum();
    bool readProjectBody();
    bool openPanel(const QString &name);
    void readActiveElements();
    void readElementRecord();
    void applyMigration();

    MainWindow *m_owner;
    bool m_differenceMode;
    QXmlStreamReader m_xml;
    // Bytes that are not valid in the file's encoding: the first such place.
    XmlFileKind::DecodeFault m_decodeFault;
    QByteArray m_rawBytes;
    QString m_fileName;
    QString m_projectDir;
};

bool ProjectFileReader::loadProject(QIODevice *file)
{
    differences.clear();
    // The checksum and the XML see the text as a text-mode read gives it.
    // Any declaration, encoding (by its declaration or byte-order mark) and
    // line ends: the text is decoded first, its line ends made LF. The
    // checksum covers the text as UTF-8, which for a file written here is
    // its bytes without the CRs.
    const QByteArray bytes = file->readAll();
    if (!file->isSequential())
        file->reset();
    const auto *qfile = qobject_cast<QFile *>(file);
    // Reports name the file being read; a device without a name stands for the current project.
    m_fileName = qfile ? QFileInfo(qfile->fileName()).absoluteFilePath() : m_owner->currentProjectFile();
    m_projectDir = qfile ? QFileInfo(m_fileName).absolutePath() : QDir::currentPath();
    // A byte that is not text in the file's encoding refuses the whole file:
    // decoded anyway it would stand for a value the user never gave, and a
    // save would replace the user's value by it.
    m_decodeFault = XmlFileKind::firstDecodeFault(bytes);
    if (m_decodeFault.found)
        return false;
    const QString text = XmlFileKind::decodedText(bytes);
    m_rawBytes = text.toUtf8();
    // A text reader takes no encoding from the declaration: the text is decoded.
    m_xml.addData(text);

    if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("qlmpxml")) {
        if (!m_xml.hasError())
            m_xml.raiseError(QStringLiteral("Warning: Wrong QLMP Version"));
        return false;
    }
    if (!readProjectBody())
        return false;
    return !m_xml.hasError();
}

QString ProjectFileReader::errorText() const
{
    if (m_decodeFault.found)
        return QStringLiteral("%1\nLine %2, column %3")
            .arg(QCoreApplication::translate("ProjectFileReader", "Encountered incorrectly encoded content."))
            .arg(m_decodeFault.line)
            .arg(m_decodeFault.column);
    if (!m_xml.hasError())
        return QString();
    return QStringLiteral("%1\nLine %2, column %3")
        .arg(m_xml.errorString())
        .arg(m_xml.lineNumber())
        .arg(m_xml.columnNumber());
}

void ProjectFileReader::verifyProjectChecksum()
{
    const QString written = m_xml.readElementText();
    const QByteArray digest = checksumAfterTag(m_rawBytes);
    if (digest.isNull())
        reportMissingChecksum(m_fileName);
    if (written != QLatin1String(digest))
        reportManipulatedFile(m_fileName);
}

bool ProjectFileReader::readProjectBody()
{
    bool pending = m_xml.readNextStartElement();
    // Only a checksum that comes first is checked.
    if (pending && m_xml.name() == QLatin1String("checksum")) {
        verifyProjectChecksum();
        pending = m_xml.readNextStartElement();
    }
    for (; pending; pending = m_xml.readNextStartElement()) {
        const QStringRef name = m_xml.name();
        if (name == QLatin1String("XmlFile")) {
            const QString panel = m_xml.readElementText();
            if (m_xml.hasError())
                return false;
            if (!m_differenceMode && !openPanel(panel))
                return false;
        } else if (name == QLatin1String("XmlVersion")) {
            const QString version = m_xml.readElementText();
            if (version != m_owner->panel()->header().xmlVersion)
                reportProjectVersionMismatch(m_owner->panel()->header().xmlVersion, version);
        } else if (name == QLatin1String("ActiveElements")) {
            if (!m_differenceMode)
                m_owner->panel()->resetToDefaults();
            readActiveElements();
        } else {
            m_xml.skipCurrentElement();
        }
    }
    return true;
}

bool ProjectFileReader::openPanel(const QString &name)
{
    // Beside the project first, then in the scripts folder.
    const QString relative = AppPaths::normalizePanelPath(name);
    const QStringList folders{m_projectDir, m_owner->getScriptsDir()};
    QString path;
    for (const QString &folder : folders) {
        path = QDir(folder).filePath(relative);
        if (!relative.isEmpty() && QFileInfo(path).isFile())
            return m_owner->open(path);
    }
    reportScriptNotFound(path);
    if (QDir::isRelativePath(relative))
        logFoldersSearched(relative, folders);
    return false;
}

void ProjectFileReader::readActiveElements()
{
    activeElementsRead = true;
    expectedDefines.clear();
    definesRead.clear();
    const QList<ActiveElement *> elements = m_owner->panel()->getAllElements();
    for (ActiveElement *element : elements) {
        QObject *object = objectOf(element);
        const ElementKind *kind = elementKindOf(object);
        if (object && (!kind || kind->countsAsDefine))
            expectedDefines.append(object->objectName());
    }
    expectedDefines.removeDuplicates();

    while (m_xml.readNextStartElement()) {
        if (isRecordName(m_xml.name()))
            readElementRecord();
        else
            m_xml.skipCurrentElement();
    }
    applyMigration();
}

QStringList ProjectFileReader::missingDefines() const
{
    QStringList missing;
    for (const QString &name : expectedDefines) {
        if (!definesRead.contains(name))
            missing.append(name);
    }
    return missing;
}

void ProjectFileReader::readElementRecord()
{
    QString define;
    QString value;
    QString shown;
    while (m_xml.readNextStartElement()) {
        const QStringRef name = m_xml.name();
        if (name == QLatin1String("define"))
            define = m_xml.readElementText();
        else if (name == QLatin1String("value"))
            value = m_xml.readElementText();
        else if (name == QLatin1String("dispValue"))
            shown = m_xml.readElementText();
        else
            m_xml.skipCurrentElement();
    }

    ActiveElement *element = m_owner->panel()->getActiveElement(define);
    if (!element) {
        if (m_differenceMode)
            ::logMessage(QStringLiteral("%1 does not exist in current setting<br>").arg(define));
        else
            unknownDefineLines.append(QStringLiteral("#define ") + define + QLatin1Char(' ') + value);
        return;
    }
    if (m_differenceMode) {
        const QString current = element->value(KeywordValue, 1);
        if (parseNumberLiteral(current) != parseNumberLiteral(shown))
            differences.append(DiffRecord{define, current, shown});
        return;
    }
    element->loadValue(value);
    // The element goes to the end of the list, so the list (and the next
    // unsorted save) follows the order of the project file.
    if (ActiveElement *taken = m_owner->panel()->takeElement(define))
        m_owner->panel()->appendElement(taken);
    definesRead.insert(define);
}

void ProjectFileReader::applyMigration()
{
    const QString migration = m_owner->panel()->header().migrationFile;
    if (migration.isEmpty())
        return;
    const QString path = QDir(m_owner->panel()->header().xmlDir).filePath(AppPaths::normalizePanelPath(migration));
    if (!QFileInfo::exists(path))
        return;
    const QStringList rewritten = readMigrationFile(&unknownDefineLines, &dropNames, path);
    for (const QString &line : rewritten) {
        // "#define NEW VALUE... OLD", NEW a register path MODULE.REGISTER.
        QStringList words = line.split(QLatin1Char(' '));
        if (words.size() < 4)
            continue;
        const QString newName = words.at(1);
        const QString oldName = words.takeLast();
        ModuleRecord *module = m_owner->panel()->getModule(newName.section(QLatin1Char('.'), 0, 0));
        RegisterRecord *reg = module ? module->getRegister(newName.section(QLatin1Char('.'), 1)) : nullptr;
        if (!reg) {
            unknownDefineLines.append(line);
            continue;
        }
        m_owner->setRegisterFromDefineLine(reg, &words);
        definesRead.insert(newName);
        for (int i = 0; i < unknownDefineLines.size(); ++i) {
            if (unknownDefineLines.at(i).section(QLatin1Char(' '), 1, 1) == oldName) {
                unknownDefineLines.removeAt(i);
                break;
            }
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Loading

bool MainWindow::load(const QString &fileName)
{
    stopPollingThreads();
    m_tykValues->resetTimeouts();
    QString file = fileName;
    if (file.isEmpty()) {
        if (!maybeSave())
            return false;
        file = Prompt::instance().openFileName(this, tr("Open Configuration File"), m_settings.workingDir,
                                               tr("Configuration Files (*.qlmp)"));
        if (file.isEmpty())
            return false;
    }
    // Neither a project nor an old header is read from a FIFO or a device,
    // nor when it is larger than any file read.
    const QString refusal = inputFileRefusal(file);
    if (!refusal.isEmpty()) {
        reportCannotOpenFile(file, refusal);
        return false;
    }
    if (!isXmlFile(file))
        return loadOld(file);
    QFile device(file);
    // Read as it is: the reader decodes it and makes its line ends LF itself.
    QString openError;
    if (!openInputFile(device, QIODevice::ReadOnly, &openError)) {
        reportCannotOpenFile(file, openError);
        return false;
    }
    // The project's own name, taken before the working folder moves to it:
    // a relative name would lead elsewhere afterwards.
    const QString projectPath = QFileInfo(file).absoluteFilePath();
    setWorkingDir(QFileInfo(file).absolutePath());
    QString errorText;
    if (!loadProject(&device, true, &errorText)) {
        // A project whose panel did not open is not adopted either.
        if (!errorText.isEmpty())
            logCannotReadFile(file, errorText);
        newProject();
        return false;
    }
    setCurrentFile(projectPath);
    initLoadedConfiguration(false);
    return true;
}

bool MainWindow::loadProject(QIODevice *device, bool setValues, QString *errorText)
{
    ProjectFileReader reader(this, !setValues);
    const bool ok = reader.loadProject(device);
    if (errorText)
        *errorText = reader.errorText();
    if (!reader.activeElementsRead)
        return ok;

    if (!setValues) {
        if (m_diffDialog) {
            m_diffDialog->setDifferences(reader.differences);
            m_diffDialog->setWindowFlags(m_diffDialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
            m_diffDialog->show();
        }
        return ok;
    }

    const QStringList missing = reader.missingDefines();
    if (reader.unknownDefineLines.isEmpty() && missing.isEmpty())
        return ok;
    QStringList links;
    for (const QString &name : missing) {
        links.append(QStringLiteral("<a href=\"%1\">%2</a><br>")
                         .arg(linkTarget(name), name));
    }
    reportUnresolved(links, reader.unknownDefineLines, reader.dropNames,
                     tr("Project entry matches no element: "), tr("Project entries matching no element: "));
    return ok;
}

bool MainWindow::headerFilesToExport() const
{
    return HeaderExport::hasHeaders(*m_panel);
}

bool MainWindow::exportHeaderFiles()
{
    return exportHeaderFiles(false);
}

bool MainWindow::exportHeaderFiles(bool all)
{
    return HeaderExport(*m_panel, m_settings.workingDir).exportHeaders(all);
}

void MainWindow::reportUnresolved(QStringList links, QStringList lines, const QStringList &dropNames,
                                  const QString &lineTitle, const QString &moreTitle)
{
    for (const QString &drop : dropNames) {
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&drop](const QString &line) {
                                       return line.section(QLatin1Char(' '), 1, 1)
                                                  .compare(drop, Qt::CaseInsensitive) == 0;
                                   }),
                    lines.end());
    }
    // The project directory's placeholder is never missing for real: the
    // first line that names it goes (a file wildcard would not match the
    // "/" of the link's closing tag).
    for (int i = 0; i < links.size(); ++i) {
        if (links.at(i).contains(QLatin1String("$DIR$"))) {
            links.removeAt(i);
            break;
        }
    }
    // A run without a user sees no dialog: the log lists the lines too, as
    // many as a console can take; the dialog holds them all.
    for (int i = 0; i < lines.size() && i < maxLoggedDefineLines; ++i) {
        const QString &line = lines.at(i);
        ::logMessage(QStringLiteral("<font color=\"orange\"><b>%1</b></font>%2 = %3<br>")
                         .arg(lineTitle, line.section(QLatin1Char(' '), 1, 1).toHtmlEscaped(),
                              line.section(QLatin1Char(' '), 2).toHtmlEscaped()));
    }
    if (lines.size() > maxLoggedDefineLines)
        ::logMessage(QStringLiteral("<font color=\"orange\"><b>%1</b></font>%2 more<br>")
                         .arg(moreTitle)
                         .arg(lines.size() - maxLoggedDefineLines));
    if ((!links.isEmpty() || !lines.isEmpty()) && m_unresolvedDialog) {
        m_unresolvedDialog->setTexts(links.join(QLatin1Char('\n')), lines.join(QLatin1Char('\n')));
        m_unresolvedDialog->setWindowFlags(m_unresolvedDialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
        // A run that ends by itself has listed the entries in its log.
        if (!m_run.endsAfterStartUp)
            m_unresolvedDialog->show();
    }
}

void MainWindow::setRegisterFromDefineLine(RegisterRecord *reg, QStringList *words)
{
    if (!reg || !words || words->size() < 3)
        return;
    const QString normalized = parseNumberLiteral(words->mid(2).join(QLatin1Char(' ')));
    bool ok = false;
    const quint64 value = normalized.toULongLong(&ok, 10);
    const BitGrants &grants = reg->grants();
    for (int i = 0; i < grants.size(); ++i) {
        ActiveElement *element = grants.at(i).element;
        if (!element)
            continue;
        const quint64 mask = grants.at(i).mask;
        if (mask == 0) {
            element->loadValue(ok ? QString::number(value) : normalized);
        } else if (ok) {
            const int lsb = qMax(0, element->elementProperty("lsb").toInt());
            element->loadValue(QString::number(lsb < 64 ? (value & mask) >> lsb : 0));
        } else {
            // A text cannot be cut into bit fields.
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Saving

bool MainWindow::saveProjectFile(const QString &name, bool sorted)
{
    const bool saved = writeProjectFile(name, sorted);
    if (!saved)
        ++m_run.failedSaveCount;
    return saved;
}

bool MainWindow::writeProjectFile(const QString &name, bool sorted)
{
    if (name.isEmpty())
        return false; // a cancelled dialog
    // A relative name is taken against the current folder once, here: the
    // save moves the working folder to the project's folder before the file
    // is written, and the name must not be taken against that folder again.
    const QString fileName = QFileInfo(name).absoluteFilePath();
    // Never over the panel, a header or any other file that is not a project.
    const QString refusal = projectSaveRefusal(fileName);
    if (!refusal.isEmpty()) {
        ::reportError(tr("Cannot save the project to %1:\n%2").arg(QFileInfo(fileName).absoluteFilePath(), refusal));
        return false;
    }
    setWorkingDir(QFileInfo(fileName).absolutePath());

    TextFileWriter writer(fileName, WrittenKind::Project);
    writer.setDiskBytes(
        projectDiskBytes(projectText(m_panel->getAllElements(), sorted, m_panel->header().xmlFile, m_panel->header().xmlVersion)));
    if (!writeReported(writer))
        return false;

    const bool sameFile = !m_projectFile.isEmpty()
        && QFileInfo(fileName).absoluteFilePath() == QFileInfo(m_projectFile).absoluteFilePath();
    const bool exported = exportHeaderFiles(!sameFile);
    setCurrentFile(fileName);
    ::logMessage(QStringLiteral("<font color=\"blue\"><b>Saved project: </font></b>%1<br>").arg(fileName));
    warnWhenPanelNotFound(fileName);
    return exported;
}

void MainWindow::warnWhenPanelNotFound(const QString &projectPath)
{
    // The project keeps only the panel's file name; loading looks for it
    // beside the project, then in the scripts folder.
    if (m_panel->header().xmlFile.isEmpty())
        return;
    const QString name = QFileInfo(m_panel->header().xmlFile).fileName();
    const QString beside = QFileInfo(projectPath).absoluteDir().filePath(name);
    const QString inScripts = QDir(m_settings.scriptsDir).filePath(name);
    if (QFileInfo(beside).isFile() || QFileInfo(inScripts).isFile())
        return;
    ::logMessage(tr("<font color=\"orange\"><b>Warning: </b></font>The project %1 cannot be opened again "
                    "as it is: its panel %2 must be at %3 or at %4.<br>")
                     .arg(QDir::toNativeSeparators(QFileInfo(projectPath).absoluteFilePath()).toHtmlEscaped(),
                          name.toHtmlEscaped(), QDir::toNativeSeparators(beside).toHtmlEscaped(),
                          QDir::toNativeSeparators(QFileInfo(inScripts).absoluteFilePath()).toHtmlEscaped()));
}

QString MainWindow::projectSaveRefusal(const QString &fileName) const
{
    const QFileInfo target(fileName);
    // The headers are written beside the project right after it: a project
    // under a header's name would be overwritten by that header. Each header
    // name is looked at once.
    const QDir projectDir = target.absoluteDir();
    const QString targetPath = target.absoluteFilePath();
    QSet<QString> headersSeen;
    for (const ModuleEntry &module : m_panel->registries().moduleOrder) {
        for (const RegisterRecord *reg : module.module->registers) {
            if (!reg || reg->headerName.isEmpty() || headersSeen.contains(reg->headerName))
                continue;
            headersSeen.insert(reg->headerName);
            if (QFileInfo(projectDir.filePath(AppPaths::normalizePanelPath(reg->headerName))).absoluteFilePath()
                == targetPath)
                return tr("the panel writes its header file %1 there.").arg(reg->headerName);
        }
    }
    WriteTarget project;
    project.fileName = fileName;
    project.kind = WrittenKind::Project;
    return WriteGuard::refusal(project);
}

bool MainWindow::maybeSave()
{
    if (!isWindowModified() || !m_panel->header().loadSaveAllowed)
        return true;
    PromptMessage question;
    question.parent = this;
    question.icon = QMessageBox::Warning;
    question.title = QFileInfo(m_panel->header().xmlFile).baseName();
    question.text = tr("The document has been modified.\nDo you want to save changes?");
    question.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    switch (Prompt::ask(question).button) {
    case QMessageBox::Save:
        return save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool MainWindow::refuseSaveWithoutPanel(const QString &fileName)
{
    // The home panel (or no panel, when even that could not be read) is
    // what stays after an open that failed: there is no project to write,
    // and an existing one must not be replaced by an empty one.
    if (!m_homePanelShown && !m_panel->header().xmlFile.isEmpty())
        return false;
    ::reportError(tr("Cannot save the project to %1:\n%2")
                      .arg(fileName.isEmpty() ? tr("a new file") : QFileInfo(fileName).absoluteFilePath(),
                           tr("no panel is open; the home panel has no project.")));
    ++m_run.failedSaveCount;
    return true;
}

bool MainWindow::save()
{
    if (refuseSaveWithoutPanel(m_projectFile))
        return false;
    if (!m_projectFile.isEmpty())
        return saveProjectFile(m_projectFile, false);
    return saveAs();
}

bool MainWindow::saveAs()
{
    QString name = Prompt::instance().saveFileName(this, tr("Save Configuration"), m_settings.workingDir,
                                                   tr("Configuration Files (*.qlmp)"));
    // A name typed without a suffix is a project name.
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".qlmp");
    // A relative answer names a file in the folder the question started in.
    if (!name.isEmpty() && QDir::isRelativePath(name) && !m_settings.workingDir.isEmpty())
        name = QDir(m_settings.workingDir).absoluteFilePath(name);
    return saveProjectFile(name, false);
}
