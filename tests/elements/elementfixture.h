#pragma once

#include "testenvironment.h"
#include "elementsignals.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "panel.h"

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QtTest>

#include <memory>

// The main window every element reaches, in a private environment whose
// prompt never blocks; errors go to the prompt's transcript.
class ElementFixture
{
public:
    ElementFixture()
        : env(std::make_unique<TestEnvironment>())
        , window(std::make_unique<MainWindow>(CommandLineOptions{QString(), QString(), QString(), false, false, false, false, false, QString(), QString(), QString(), QString()}))
    {
    }

    // Fresh registries, no recording, scripted prompt answers.
    void reset(const QStringList &answers = {})
    {
        env->installPrompt(answers);
        ErrorReporter::instance().setSinks(true, false, false);
        window->panel()->elementsByDefine.clear();
        window->panel()->allElements.clear();
        window->panel()->mathLabelsByDefine.clear();
        window->panel()->changedHeaders.clear();
        window->panel()->loading = false;
        window->setWindowModified(false);
        window->scripts().recorder().stream().setString(nullptr);
        window->scripts().recorder().stream().setDevice(nullptr);
        window->scripts().recorder().setComment(QString());
    }

    QStringList transcript() const { return env->prompt()->transcript(); }
    bool reported(const QString &text) const
    {
        for (const QString &line : transcript()) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
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
