#pragma once

#include "pythonbridge.h"

#include <QString>

#include <functional>
#include <memory>

class QObject;

// Embedded CPython for the panels that use it. The interpreter is started
// once per process, on the first startPython of any host, and finished when
// the application object goes away. Each host keeps its own main module: the
// objects published by its panel, and "application" for its window.
//
// Published objects appear in Python as wrappers of the Qt object:
// - "value" reads an element's value (a number where the value is one) and
//   sets it through the value setter, the same path a script's SET takes, so
//   the element's own slots, actions and recording react as to a user's edit;
//   a variable reads its target value and is set the same way; an LED reads
//   and sets whether it is lit;
// - any other name reads or writes the Qt property of that name, or calls
//   the slot or invokable method of that name.
// A wrapper whose object is gone, or one used from a thread Python code
// started, raises a Python error, never a crash.
//
// What Python writes to sys.stdout and sys.stderr goes to the output and
// error sinks each time it ends with a line end, without that line end (the
// parts of a print arrive as one text), and what is left when a run ends.
// sys.stdin is empty. Errors of the code run, Python exceptions included,
// come back as one line of text; the program goes on. Runs nest (Python code
// setting an element whose action runs Python code) at most 16 deep.
//
// GUI thread only.
class PythonHost final : public PythonBridge
{
public:
    PythonHost();
    ~PythonHost() override;
    PythonHost(const PythonHost &) = delete;
    PythonHost &operator=(const PythonHost &) = delete;

    using TextSink = std::function<void(const QString &text)>;
    // Sets a value by the name the panel knows it by; false when refused.
    using ValueSetter = std::function<bool(const QString &define, const QString &value)>;

    void setOutputSinks(TextSink out, TextSink err);
    void setValueSetter(ValueSetter setter);
    // Published as "application" when Python starts for this host.
    void setApplicationObject(QObject *object);

    // PythonBridge
    bool startPython(QString *error) override;
    bool pythonStarted() const override { return m_started; }
    void addObject(const QString &name, QObject *object, const QString &define) override;

    // Runs Python code as a module body (statements, not an expression).
    bool evalScript(const QString &code, QString *error);
    // Runs a Python file (UTF-8); the name may use "\" as separator. Errors
    // name the file.
    bool evalFile(const QString &fileName, QString *error);

    // Whether the process-wide interpreter is running.
    static bool interpreterRunning();

    struct Private;

private:
    std::unique_ptr<Private> d;
    bool m_started = false;
};
