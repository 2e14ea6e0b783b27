// MainWindow: importing an older generated header (settings kept as the
// header itself, the panel named in a marker define), and the migration map
// that renames defines for it and for the project reader.
#include "mainwindow.h"

#include "activeelement.h"
#include "apppaths.h"
#include "consolelinks.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "foldersearch.h"
#include "oldheader.h"
#include "quillpanel.h"
#include "prompt.h"
#include "registermodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <algorithm>

namespace {

// The register a define path MODULE.REGISTER (or a plain MODULE) names.
RegisterRecord *registerOfPath(Panel *panel, const QString &path)
{
    ModuleRecord *module = panel->getModule(PanelNames::getModuleName(path));
    return module ? module->getRegister(PanelNames::getRegisterName(path)) : nullptr;
}

} // namespace

bool MainWindow::loadOld(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(fileName, file.errorString());
        newProject();
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    file.close();

    // Beside the header first, then in the scripts folder.
    const QString named = AppPaths::normalizePanelPath(panelFileFromHeaderText(text));
    const QStringList folders{QFileInfo(fileName).absolutePath(), m_settings.scriptsDir};
    QString panelPath = QDir(folders.first()).filePath(named);
    if (named.isEmpty() || !QFileInfo(panelPath).isFile())
        panelPath = QDir(folders.last()).filePath(named);
    if (named.isEmpty()) {
        logCannotReadFile(fileName, tr("No \"#define Config_File\" line names its panel."));
        newProject();
        return false;
    }
    // A user is asked where the panel is; a run without one reports it.
    if (!QFileInfo(panelPath).isFile() && !Prompt::instance().isInteractive()) {
        reportScriptNotFound(panelPath);
        if (QDir::isRelativePath(named))
            logFoldersSearched(named, folders);
        newProject();
        return false;
    }
    if (!QFileInfo(panelPath).isFile() && QDir::isRelativePath(named))
        m_openRecord.setFoldersSearched(folders);
    if (!open(panelPath)) {
        newProject();
        return false;
    }

    // The defines the panel expects, each with its register path.
    QStringList expected;
    QHash<QString, QString> registerPathsByDefine;
    const QList<ActiveElement *> elements = m_panel->getAllElements();
    for (ActiveElement *element : elements) {
        element->resetToDefault();
        QObject *object = objectOf(element);
        const ElementKind *kind = elementKindOf(object);
        if (!object || (kind && !kind->countsAsDefine))
            continue;
        const QString module = PanelNames::getModuleName(object->objectName());
        const QString reg = PanelNames::getRegisterName(object->objectName());
        const QString define = reg.isEmpty() ? module : module + QLatin1Char('_') + reg;
        expected.append(define);
        registerPathsByDefine.insert(define, reg.isEmpty() ? module : module + QLatin1Char('.') + reg);
    }
    expected.removeDuplicates();
    QSet<QString> applied;

    QStringList unresolved;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QStringList words = oldHeaderDefineWords(line);
        if (words.isEmpty() || isHeaderMarkerDefine(words.at(1)))
            continue;
        const QString &name = words.at(1);
        // A define of the panel's own (a plain define MODULE included) first,
        // then every split MODULE_REGISTER from the left.
        RegisterRecord *reg = nullptr;
        const auto known = registerPathsByDefine.constFind(name);
        if (known != registerPathsByDefine.cend())
            reg = registerOfPath(m_panel, known.value());
        for (int split = name.indexOf(QLatin1Char('_'), 1); !reg && split > 0;
             split = name.indexOf(QLatin1Char('_'), split + 1)) {
            if (ModuleRecord *module = m_panel->getModule(name.left(split)))
                reg = module->getRegister(name.mid(split + 1));
        }
        if (!reg) {
            unresolved.append(words.join(QLatin1Char(' ')));
            continue;
        }
        applied.insert(name);
        setRegisterFromDefineLine(reg, &words);
    }

    QStringList dropNames;
    const QString migration = m_panel->header().migrationFile;
    const QString migrationPath =
        QDir(m_panel->header().xmlDir).filePath(AppPaths::normalizePanelPath(migration));
    if (!migration.isEmpty() && QFileInfo(migrationPath).isFile()) {
        const QStringList rewritten = readMigrationFile(&unresolved, &dropNames, migrationPath);
        for (const QString &line : rewritten) {
            // "#define NEW VALUE OLD"
            QStringList words = line.split(QLatin1Char(' '));
            if (words.size() < 4)
                continue;
            const QString oldName = words.takeLast();
            const QString newName = words.at(1);
            RegisterRecord *reg = registerOfPath(m_panel, newName);
            if (!reg) {
                unresolved.append(line);
                continue;
            }
            applied.insert(QString(newName).replace(QLatin1Char('.'), QLatin1Char('_')));
            for (int i = 0; i < unresolved.size(); ++i) {
                if (unresolved.at(i).section(QLatin1Char(' '), 1, 1) == oldName) {
                    unresolved.removeAt(i);
                    break;
                }
            }
            words = QStringList{words.at(0), words.at(1), words.mid(2).join(QLatin1Char(' '))};
            setRegisterFromDefineLine(reg, &words);
        }
    }

    QStringList links;
    for (const QString &name : qAsConst(expected)) {
        if (!applied.contains(name))
            links.append(QStringLiteral("<a href=\"%1\">%2</a><br>")
                             .arg(linkTarget(registerPathsByDefine.value(name)), name.toHtmlEscaped()));
    }
    reportUnresolved(links, unresolved, dropNames, tr("Header define matches no element: "),
                     tr("Header defines matching no element: "));

    // A copy of the header as it was; one from an earlier import is never
    // overwritten.
    const QString backup = fileName + QStringLiteral(".bak");
    if (!QFileInfo::exists(backup) && !QFile::copy(fileName, backup))
        reportCannotOpenFile(backup, tr("The header could not be copied."));
    // The header is the source of a new project, not its file: Save asks for
    // a project name, and the header itself is never written over.
    setCurrentFile(QString());
    setWorkingDir(QFileInfo(fileName).absolutePath());
    setWindowTitle(tr("Quillmate %1 (imported)[*]").arg(QDir::toNativeSeparators(fileName)));
    initLoadedConfiguration(false);
    return true;
}
