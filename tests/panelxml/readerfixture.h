#pragma once

#include "testenvironment.h"
#include "testshell.h"
#include "errorreporter.h"
#include "panel.h"
#include "panelxmlreader.h"
#include "registermodel.h"

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
