#include "commandline.h"

#include "apppaths.h"
#include "prompt.h"
#include "writeguard.h"
#include "xmlfilekind.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamReader>

const char usageText[] =
    "Quillmate <Filename.xml | Filename.qlmp> [options]\n"
    "Options:\n"
    "  -g\t\tGenerate header files (non-interactive)\n"
    "  -q\t\tQuiet mode\n"
    "  -c<Outfile>\tSet console logging file\n"
    "  -d<Define>=<Value>;...\tSet GUI element to value\n"
    "  -iIncludePath;...\tSet include paths\n"
    "  -s[<qlmpFile>]\tSave configuration file, with correct Hash, and generate header files\n"
    "  -b<Batchfile>\tRun batchfile\n"
    "  -o<Outfile>\tSet output logging file\n"
    "  -k\t\tEnable Keil uVision integration\n"
    "  -x\t\tTerminate program after Keil integration\n"
    "  -?\t\tHelp\n";

static void appendListValue(QString &list, bool &seen, const QString &value)
{
    if (seen)
        list += QLatin1Char(';') + value;
    else
        list = value;
    seen = true;
}

CommandLineOptions parseCommandLine(const QStringList &arguments,
                                    const std::function<void()> &showUsage)
{
    CommandLineOptions options;
    bool seenDefine = false;
    bool seenInclude = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).trimmed();
        if (argument.size() < 2 || argument.at(0) != QLatin1Char('-')) {
            options.file = argument;
            continue;
        }
        const QString value = argument.mid(2);
        switch (argument.at(1).unicode()) {
        case 'g': options.generate = true; break;
        case 'q': options.quiet = true; break;
        case 'c': options.consoleLog = value; break;
        case 'd': appendListValue(options.defines, seenDefine, value); break;
        case 'i': appendListValue(options.includePaths, seenInclude, value); break;
        case 's':
            options.save = true;
            options.saveFile = value;
            break;
        case 'b': options.batchFile = value; break;
        case 'o': options.outputLog = value; break;
        case 'k': options.keil = true; break;
        case 'x': options.exitAfterKeil = true; break;
        case '?':
            if (showUsage)
                showUsage();
            break;
        default:
            break; // unknown letters, upper case included, are ignored
        }
    }
    return options;
}

bool isNonInteractiveRun(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).trimmed();
        if (argument.size() >= 2 && argument.at(0) == QLatin1Char('-')
            && (argument.at(1) == QLatin1Char('g') || argument.at(1) == QLatin1Char('s')
                || argument.at(1) == QLatin1Char('x')))
            return true;
    }
    return false;
}

bool endsByItself(const QStringList &arguments)
{
    if (isNonInteractiveRun(arguments))
        return true;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments.at(i).trimmed();
        if (argument.size() >= 2 && argument.at(0) == QLatin1Char('-') && argument.at(1) == QLatin1Char('b'))
            return true;
    }
    return false;
}

QByteArray startPlatform(bool x11Display, bool waylandDisplay, bool selfEnding)
{
    QByteArray platforms;
    if (x11Display)
        platforms += "xcb;";
    if (waylandDisplay)
        platforms += "wayland;";
    if (platforms.isEmpty() && !selfEnding)
        return QByteArray();
    return platforms + "offscreen";
}

QString noDisplayMessage(bool displayVariableSet)
{
    const QString why = displayVariableSet ? QStringLiteral("cannot connect to the display")
                                           : QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");
    return QStringLiteral("Quillmate: no display to show the window on (%1); run headless with -g, -s, -x or -b, "
                          "or set QT_QPA_PLATFORM=offscreen.")
        .arg(why);
}

static void makeAbsolute(QString &path, const QDir &startDirectory)
{
    if (!path.isEmpty() && QDir::isRelativePath(path))
        path = QDir::cleanPath(startDirectory.absoluteFilePath(path));
}

void resolveCommandLinePaths(CommandLineOptions &options, const QDir &startDirectory)
{
    makeAbsolute(options.file, startDirectory);
    makeAbsolute(options.batchFile, startDirectory);
    makeAbsolute(options.outputLog, startDirectory);
    makeAbsolute(options.saveFile, startDirectory);
    makeAbsolute(options.consoleLog, startDirectory);
}

// The panel file name a project file keeps (its XmlFile element); empty when
// it has none or cannot be read.
static QString panelNamedBy(const QString &project)
{
    bool ok = false;
    const QByteArray head = XmlFileKind::head(project, &ok);
    if (!ok)
        return QString();
    QXmlStreamReader xml(XmlFileKind::decodedText(head));
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("qlmpxml"))
        return QString();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("XmlFile"))
            return xml.readElementText().trimmed();
        xml.skipCurrentElement();
    }
    return QString();
}

QString commandLineLogRefusal(const CommandLineOptions &options, const QString &scriptsDir)
{
    QStringList inputs{options.file, options.batchFile, options.saveFile};
    if (options.file.endsWith(QLatin1String(".qlmp"))) {
        const QString panel = AppPaths::normalizePanelPath(panelNamedBy(options.file));
        if (!panel.isEmpty()) {
            inputs << QFileInfo(options.file).absoluteDir().filePath(panel);
            if (!scriptsDir.isEmpty())
                inputs << QDir(scriptsDir).filePath(panel);
        }
    }
    inputs.removeAll(QString());
    QStringList messages;
    for (const QString &log : {options.outputLog, options.consoleLog}) {
        const QString reason = WriteGuard::logRefusal(log, inputs);
        if (!reason.isEmpty())
            messages << WriteGuard::logRefusalMessage(log, reason);
    }
    return messages.join(QLatin1Char('\n'));
}

void showUsageBox()
{
    PromptMessage message;
    message.icon = QMessageBox::Information;
    message.title = QStringLiteral("Usage");
    message.text = QString::fromLatin1(usageText);
    message.buttons = QMessageBox::Ok;
    message.windowFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
    Prompt::ask(message);
}
