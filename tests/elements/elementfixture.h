#pragma once

#include "testenvironment.h"
#include "testshell.h"
#include "elementsignals.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "registermodel.h"

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QTextDocument>
#include <QtTest>

#include <memory>

// The panel every element reaches, with a test shell in place of the window,
// in a private environment whose prompt never blocks. Errors go to the
// prompt's transcript; console lines (the recorder's echo, the error
// reporter's console lines) go to the shell's console, as they go to the
// window's.
class ElementFixture
{
public:
    ElementFixture()
    {
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { shell.console << html; });
        setRegisterModelReporter([](const QString &message) { reportError(message); });
    }
    ~ElementFixture()
    {
        ErrorReporter::instance().setConsoleSink(nullptr);
        setRegisterModelReporter(nullptr);
    }
    ElementFixture(const ElementFixture &) = delete;
    ElementFixture &operator=(const ElementFixture &) = delete;

    // Fresh registries, no recording, nothing modified, scripted prompt answers.
    void reset(const QStringList &answers = {})
    {
        env.installPrompt(answers);
        ErrorReporter::instance().setSinks(true, false, false);
        shell.reset();
        // The elements of the last test went with their widgets: the panel
        // must not reach them while it clears.
        panel.forgetAllElements();
        panel.clear();
        panel.editFlags().loading = false;
        panel.editFlags().guiResetInProgress = false;
        panel.editHeader().toolTipSectionMask = 0xffff;
    }

    QStringList transcript() const { return env.prompt()->transcript(); }
    bool reported(const QString &text) const
    {
        for (const QString &line : transcript()) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    // The console as the window shows it: HTML, and its plain text.
    QString consoleHtml() const { return shell.console.join(QString()); }
    QString consoleText() const
    {
        QTextDocument document;
        document.setHtml(consoleHtml());
        return document.toPlainText();
    }

    TestEnvironment env;
    TestShell shell;
    Panel panel{&shell};
};

// Logs every signal an element class declares, in emission order, as
// "name(argument)" or "name()", with the time since the log started.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    explicit SignalLog(QObject *element)
    {
        // The element's own signals: those of its ElementSignals, or of the
        // classes below Qt's for an object without one.
        QObject *source = signalsOf(element) ? signalsOf(element) : element;
        const QMetaObject *meta = source->metaObject();
        while (meta->superClass() && !QByteArray(meta->superClass()->className()).startsWith('Q'))
            meta = meta->superClass();
        const QMetaMethod onText = metaObject()->method(metaObject()->indexOfSlot("onText(QString)"));
        const QMetaMethod onVoid = metaObject()->method(metaObject()->indexOfSlot("onVoid()"));
        for (int i = meta->methodOffset(); i < source->metaObject()->methodCount(); ++i) {
            const QMetaMethod method = source->metaObject()->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            if (method.parameterCount() == 0)
                connect(source, method, this, onVoid);
            else if (method.parameterType(0) == QMetaType::QString)
                connect(source, method, this, onText);
        }
        clock.start();
    }

    QStringList entries;
    QList<qint64> times;

    void clear() { entries.clear(); times.clear(); clock.restart(); }
    // The entries without the signals of change notification.
    QStringList actions() const
    {
        QStringList result;
        for (const QString &entry : entries) {
            if (entry != QLatin1String("changedByUser()") && entry != QLatin1String("updateMathLabels()"))
                result.append(entry);
        }
        return result;
    }

public slots:
    void onText(const QString &text) { add(QStringLiteral("%1(%2)").arg(signalName(), text)); }
    void onVoid() { add(signalName() + QStringLiteral("()")); }

private:
    QString signalName() const
    {
        return QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name());
    }
    void add(const QString &entry)
    {
        entries.append(entry);
        times.append(clock.elapsed());
    }

    QElapsedTimer clock;
};

// A "data" property value: the actions under "0".
inline QVariantMap actionData(const QVariantList &tuples)
{
    return QVariantMap{{QStringLiteral("0"), tuples}};
}
