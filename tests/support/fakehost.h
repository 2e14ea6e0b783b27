#pragma once

#include "activeelement.h"
#include "elementhost.h"

#include <QHash>
#include <QStringList>

// An element host without a window: elements by define, a recorder writing
// into a list, and the setDef requests it was sent.
class FakeElementHost : public ElementHost
{
public:
    QHash<QString, ActiveElement *> elements;
    QStringList setDefRequests;
    QStringList recordedLines;
    QStringList consoleLines; // what the recorder would echo, before its own line end
    bool recording = false;
    QWidget *widget = nullptr;
    quint32 sections = 0xffff;
    bool reset = false;

    ActiveElement *getActiveElement(const QString &define) const override { return elements.value(define); }
    double evaluatePostfix(QStringList postfix, const QStringList &numbers, const QStringList &names,
                           bool *ok) override
    {
        Q_UNUSED(postfix)
        Q_UNUSED(numbers)
        Q_UNUSED(names)
        *ok = false;
        return 0.0;
    }
    ModuleRecord *getModule(const QString &) override { return nullptr; }
    bool feedsFormula(const QString &) const override { return false; }
    bool isRecording() const override { return recording; }
    void recordScriptLine(const QString &line, const QString &consoleLine) override
    {
        recordedLines << line;
        consoleLines << consoleLine;
    }
    void markModified(ActiveElement *) override {}
    void requestSetDef(const QString &items) override { setDefRequests << items; }
    QString panelDirectory() const override { return QString(); }
    QWidget *panelWidget() const override { return widget; }
    quint32 toolTipSections() const override { return sections; }
    bool resetInProgress() const override { return reset; }
    void beginElementCode() const override { ++runningWalks; }
    void endElementCode() const override { --runningWalks; }
    bool elementCodeRunning() const override { return runningWalks > 0; }

    // The element walks running now.
    mutable int runningWalks = 0;
};
