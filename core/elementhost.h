#pragma once

#include <QString>
#include <QStringList>

class ActiveElement;
class ModuleRecord;
class QWidget;
class TableHost;

// What an element may ask of the panel it belongs to. The panel model
// implements it; elements never see the window. An element without a host
// (built on its own, as in a test) runs with no recorder, no formulas and no
// other elements to look up.
class ElementHost
{
public:
    virtual ~ElementHost();

    // The element registered under define, or null.
    virtual ActiveElement *getActiveElement(const QString &define) const = 0;
    // A parsed formula's value over the panel's elements and variables.
    virtual double evaluatePostfix(QStringList postfix, const QStringList &numbers,
                                   const QStringList &names, bool *ok) = 0;
    // The panel's register-model module of that name, or null.
    virtual ModuleRecord *getModule(const QString &name) = 0;
    // Whether some formula of the panel reads the define.
    virtual bool feedsFormula(const QString &define) const = 0;

    // The macro recorder: whether it is writing, and one line for it with the
    // console's echo of the line.
    virtual bool isRecording() const = 0;
    virtual void recordScriptLine(const QString &line, const QString &consoleLine) = 0;

    // The project and the element's header file changed.
    virtual void markModified(ActiveElement *element) = 0;
    // Runs a setDef request ("NAME=value;...") as if an action had sent it.
    virtual void requestSetDef(const QString &items) = 0;

    // The folder of the panel file (relative names in the panel are taken from it).
    virtual QString panelDirectory() const = 0;
    // The widget that holds the panel's elements now. An element under an
    // earlier panel widget belongs to a panel that is being replaced.
    virtual QWidget *panelWidget() const = 0;
    // The sections every element tool tip shows.
    virtual quint32 toolTipSections() const = 0;
    // True while the panel resets every element to its default.
    virtual bool resetInProgress() const = 0;

    // An element's walk (its actions, their signals and waits, which may open
    // another panel) runs between these two calls; ElementGuard makes them.
    // While a walk runs, the widgets of a replaced panel must outlive it.
    virtual void beginElementCode() const = 0;
    virtual void endElementCode() const = 0;
    // Whether some element's walk is running now.
    virtual bool elementCodeRunning() const = 0;

    // What the register tables ask beyond this interface (declared with the
    // tables); null where no table can run, as under a host of a test.
    virtual TableHost *tableHost() const { return nullptr; }
};
