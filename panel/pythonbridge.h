#pragma once

#include <QString>

class QObject;

// What a panel needs of embedded Python: starting it for a panel that uses
// it, and making elements and variables visible to Python code by name. The
// window gives the panel its Python host through this interface, so neither
// the panel nor the reader knows the interpreter.
class PythonBridge
{
public:
    virtual ~PythonBridge() = default;

    // Starts the interpreter once per process and prepares this bridge's
    // main module; false, with the reason in *error, when it cannot start.
    virtual bool startPython(QString *error) = 0;
    // Whether startPython has succeeded for this bridge.
    virtual bool pythonStarted() const = 0;
    // Makes object visible to Python code under name. define is the name the
    // panel knows the object by (a value set from Python is set through it).
    virtual void addObject(const QString &name, QObject *object, const QString &define) = 0;
};
