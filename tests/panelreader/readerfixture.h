#pragma once

#include "testenvironment.h"
#include "testshell.h"
#include "panelxml.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "panelxmlreader.h"
#include "registermodel.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTextDocument>

// The panel the reader builds into, with a test shell in place of the window,
// in a private environment whose prompt never blocks. Console lines (the
// reader's XML lines, the error reporter's console lines) go to the shell's
// console as they go to the window's; register-model reports go to the error
// reporter as the window sends them. The read options stand for what the
// window hands each read: its -i include paths, its -d defines and whether
// the home panel of a new project is read.
class ReaderFixture
{
public:
    ReaderFixture()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { shell.console << html; });
        setRegisterModelReporter([](const QString &message) { reportError(message); });
    }
    ~ReaderFixture()
    {
        ErrorReporter::instance().setConsoleSink(nullptr);
        setRegisterModelReporter(nullptr);
    }
    ReaderFixture(const ReaderFixture &) = delete;
    ReaderFixture &operator=(const ReaderFixture &) = delete;

    // What the window empties before the next panel is read: the panel's
    // registries and header values, and the console.
    void clearPanelState()
    {
        panel.clear();
        shell.console.clear();
    }

    // Writes text to path and reads it as the window opens a panel file: the
    // panel before it cleared (its widgets gone once control is back), the
    // file and its folder recorded, a fresh prompt. False when the file
    // cannot be written or the read stopped early.
    bool readPanelFile(const QString &path, const QByteArray &text)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        clearPanelState();
        env.installPrompt({});
        if (writeTestFile(path, text).isEmpty())
            return false;
        panel.setXMLFile(path);
        panel.editHeader().xmlDir = QFileInfo(path).path();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return false;
        PanelXmlReader reader(&panel, options);
        return reader.readXml(&file);
    }

    // The console's XML lines, without the position each ends with.
    QStringList xmlLines() const
    {
        QStringList lines = consoleText().split(QLatin1Char('\n')).filter(QStringLiteral("XML "));
        static const QRegularExpression position(QStringLiteral("\\s*\\(file line \\d+, column \\d+\\)$"));
        for (QString &line : lines)
            line = line.remove(position).trimmed();
        return lines;
    }

    // The root container of the panel shown last, or null.
    QWidget *root() const
    {
        auto *area = qobject_cast<QScrollArea *>(shell.panelWidget());
        return area ? area->widget() : nullptr;
    }

    // The console as HTML, and its plain text as the window's console shows it.
    QString consoleHtml() const { return shell.console.join(QString()); }
    QString consoleText() const
    {
        QTextDocument document;
        document.setHtml(consoleHtml());
        return document.toPlainText();
    }

    QStringList transcript() const { return env.prompt()->transcript(); }

    TestEnvironment env;
    TestShell shell;
    Panel panel{&shell};
    PanelReadOptions options;
};
