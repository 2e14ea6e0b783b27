// PythonHost: embedded CPython through pybind11. Python's headers come first:
// they use the name "slots", which Qt's headers define as a macro.
#include <pybind11/embed.h>

#include "pythonhost.h"

#include "activeelement.h"
#include "dataclass.h"
#include "led.h"

#include <QByteArray>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>
#include <QPointer>
#include <QSet>
#include <QTextEdit>
#include <QThread>
#include <QVariant>

#include <cstdio>
#include <optional>

namespace py = pybind11;

struct PythonHost::Private {
    TextSink out;
    TextSink err;
    ValueSetter setter;
    QPointer<QObject> application;
    PyObject *globals = nullptr; // the host's main module dictionary (owned reference)
    // Output written while code runs, not yet handed on (standard output and
    // error): Python writes a print's parts one by one.
    QString pending[2];

    void deliver(int stream, const QString &text)
    {
        const TextSink &sink = stream ? err : out;
        if (sink)
            sink(text);
    }
    // Hands on what was written once it ends with a line end, without that
    // line end: the parts of a print and its line end make one text. A lone
    // line end is handed on as it is.
    void write(int stream, const QString &text)
    {
        // The other stream's text goes first, so the order is kept.
        if (!pending[1 - stream].isEmpty())
            flush(1 - stream);
        pending[stream] += text;
        if (pending[stream].endsWith(QLatin1Char('\n'))) {
            QString line = pending[stream];
            pending[stream].clear();
            line.chop(1);
            deliver(stream, line.isEmpty() ? QStringLiteral("\n") : line);
        }
    }
    void flush(int stream)
    {
        if (pending[stream].isEmpty())
            return;
        const QString text = pending[stream];
        pending[stream].clear();
        deliver(stream, text);
    }
};

namespace {

enum class InterpreterState { NotStarted, Running, Failed, Finished };
InterpreterState interpreterState = InterpreterState::NotStarted;
QString interpreterError;

// The hosts alive now; a wrapper Python still holds after its host went away
// finds its host missing here.
QSet<PythonHost::Private *> &liveHosts()
{
    static QSet<PythonHost::Private *> hosts;
    return hosts;
}

// Where Python's output goes: the host whose code runs now, else the host
// that started Python last.
PythonHost::Private *runningHost = nullptr;
PythonHost::Private *lastStartedHost = nullptr;

// Python code that sets an element whose action runs Python code again runs
// inside the first; such runs nest at most this deep, so a panel whose
// actions call each other for ever ends with an error, not with the stack.
constexpr int maxNesting = 16;
int nesting = 0;

PythonHost::Private *outputHost()
{
    if (runningHost && liveHosts().contains(runningHost))
        return runningHost;
    if (lastStartedHost && liveHosts().contains(lastStartedHost))
        return lastStartedHost;
    return nullptr;
}

QString toQString(const py::handle &object)
{
    return QString::fromStdString(py::str(object).cast<std::string>());
}

// Whether the caller runs on the thread of the program's widgets (Python
// threads started by user code run elsewhere).
bool onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// sys.stdout and sys.stderr.
struct OutputWriter {
    bool error = false;

    py::int_ write(const py::object &text)
    {
        const QString t = toQString(text);
        PythonHost::Private *host = onMainThread() ? outputHost() : nullptr;
        if (!host) {
            std::fputs(t.toLocal8Bit().constData(), error ? stderr : stdout);
        } else {
            host->write(error ? 1 : 0, t);
            // Outside a run nothing would hand the rest on later.
            if (host != runningHost) {
                host->flush(0);
                host->flush(1);
            }
        }
        return py::int_(t.size());
    }
};

// A published Qt object as Python sees it.
struct ObjectRef {
    QPointer<QObject> object;
    QString name;   // the name in Python
    QString define; // the name the panel knows it by
    PythonHost::Private *host = nullptr;

    QObject *target() const
    {
        if (!onMainThread())
            throw std::runtime_error(
                QStringLiteral("%1: panel objects can only be used from the program's main thread")
                    .arg(name)
                    .toStdString());
        if (!object)
            throw py::value_error(QStringLiteral("%1: the object no longer exists (the panel was closed)")
                                      .arg(name)
                                      .toStdString());
        return object.data();
    }
};

py::object fromVariant(const QVariant &value);

py::object wrap(QObject *object)
{
    if (!object)
        return py::none();
    ObjectRef ref;
    ref.object = object;
    ref.name = object->objectName();
    ref.define = ref.name;
    return py::cast(ref);
}

py::object fromVariant(const QVariant &value)
{
    if (!value.isValid())
        return py::none();
    switch (int(value.type())) {
    case QMetaType::Bool:
        return py::bool_(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        return py::int_(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return py::int_(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return py::float_(value.toDouble());
    case QMetaType::QString:
        return py::str(value.toString().toStdString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return py::bytes(bytes.constData(), size_t(bytes.size()));
    }
    case QMetaType::QStringList: {
        py::list list;
        for (const QString &text : value.toStringList())
            list.append(py::str(text.toStdString()));
        return std::move(list);
    }
    case QMetaType::QVariantList: {
        py::list list;
        for (const QVariant &item : value.toList())
            list.append(fromVariant(item));
        return std::move(list);
    }
    case QMetaType::QVariantMap: {
        py::dict dict;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            dict[py::str(it.key().toStdString())] = fromVariant(it.value());
        return std::move(dict);
    }
    default:
        break;
    }
    if (value.canConvert<QObject *>())
        return wrap(value.value<QObject *>());
    return py::str(value.toString().toStdString());
}

QVariant toVariant(const py::handle &value)
{
    if (value.is_none())
        return QVariant();
    if (py::isinstance<py::bool_>(value))
        return QVariant(value.cast<bool>());
    if (py::isinstance<py::int_>(value)) {
        try {
            return QVariant(value.cast<qlonglong>());
        } catch (const py::cast_error &) {
            return QVariant(toQString(value));
        }
    }
    if (py::isinstance<py::float_>(value))
        return QVariant(value.cast<double>());
    if (py::isinstance<py::str>(value))
        return QVariant(toQString(value));
    if (py::isinstance<ObjectRef>(value))
        return QVariant::fromValue(value.cast<ObjectRef &>().object.data());
    if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
        QVariantList list;
        for (const py::handle item : value)
            list.append(toVariant(item));
        return list;
    }
    if (py::isinstance<py::dict>(value)) {
        QVariantMap map;
        for (const auto item : value.cast<py::dict>())
            map.insert(toQString(item.first), toVariant(item.second));
        return map;
    }
    return QVariant(toQString(value));
}

// A value written the way the panel reads values: numbers in decimal, a
// truth value as 1 or 0.
QString valueText(const py::handle &value)
{
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? QStringLiteral("1") : QStringLiteral("0");
    if (py::isinstance<py::float_>(value))
        return toQString(py::repr(value));
    return toQString(value);
}

// A value text as Python sees it: a whole or real number where the text is
// one, else the text.
py::object numberOrText(const QString &text)
{
    bool ok = false;
    const qlonglong whole = text.toLongLong(&ok);
    if (ok)
        return py::int_(whole);
    const qulonglong unsignedWhole = text.toULongLong(&ok);
    if (ok)
        return py::int_(unsignedWhole);
    const double real = text.toDouble(&ok);
    if (ok)
        return py::float_(real);
    return py::str(text.toStdString());
}

py::object getValue(const ObjectRef &ref)
{
    QObject *object = ref.target();
    if (ActiveElement *element = activeElementOf(object)) {
        const QString text = element->value(KeywordValue, 0);
        if (qobject_cast<QLineEdit *>(object) || qobject_cast<QTextEdit *>(object))
            return py::str(text.toStdString());
        return numberOrText(text);
    }
    if (auto *variable = qobject_cast<DataClass *>(object)) {
        if (variable->isFloat)
            return py::float_(double(variable->floatValue()));
        return py::int_(variable->value());
    }
    if (const std::optional<bool> lit = ledLit(object))
        return py::bool_(*lit);
    if (object->metaObject()->indexOfProperty("value") >= 0)
        return fromVariant(object->property("value"));
    throw py::attribute_error(QStringLiteral("%1 has no value").arg(ref.name).toStdString());
}

// The index of the choice whose value is text (the same number in another
// notation counts); -1 when none is.
int choiceIndex(const QComboBox *box, const QString &text)
{
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    for (int i = 0; i < box->count(); ++i) {
        const QString item = box->itemData(i).toString();
        if (item == text)
            return i;
        bool ok = false;
        const qlonglong whole = item.toLongLong(&ok, 0);
        if (isNumber && ok && double(whole) == number)
            return i;
    }
    return -1;
}

void setValue(const ObjectRef &ref, const py::handle &value)
{
    QObject *object = ref.target();
    if (activeElementOf(object) || qobject_cast<DataClass *>(object)) {
        QString text = valueText(value);
        // A choice list reads as the value of its choice and is set by the
        // index of the choice, as a script sets it.
        if (auto *box = qobject_cast<QComboBox *>(object)) {
            const int index = choiceIndex(box, text);
            if (index < 0)
                throw py::value_error(
                    QStringLiteral("%1 has no choice of the value \"%2\"").arg(ref.name, text).toStdString());
            text = QString::number(index);
        }
        if (!liveHosts().contains(ref.host) || !ref.host->setter)
            throw py::value_error(QStringLiteral("%1: values cannot be set now").arg(ref.name).toStdString());
        // Copied: the setter may run code that replaces the host's setter.
        const PythonHost::ValueSetter setter = ref.host->setter;
        if (!setter(ref.define, text))
            throw py::value_error(
                QStringLiteral("%1: the value \"%2\" was refused").arg(ref.name, text).toStdString());
        return;
    }
    if (ledLit(object).has_value()) {
        const int truth = PyObject_IsTrue(value.ptr());
        if (truth < 0)
            throw py::error_already_set();
        setLedLit(object, truth == 1);
        return;
    }
    if (object->metaObject()->indexOfProperty("value") >= 0
        && object->setProperty("value", toVariant(value)))
        return;
    throw py::attribute_error(QStringLiteral("%1 has no value to set").arg(ref.name).toStdString());
}

bool hasMethod(const QMetaObject *meta, const QByteArray &name)
{
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.access() == QMetaMethod::Public && method.methodType() != QMetaMethod::Signal
            && method.methodType() != QMetaMethod::Constructor && method.name() == name)
            return true;
    }
    return false;
}

// Calls the public slot or invokable method name whose parameter count
// matches, the arguments converted to its parameter types.
py::object invoke(const ObjectRef &ref, const QByteArray &name, const py::args &args)
{
    constexpr int maxArguments = 10;
    QObject *object = ref.target();
    const QMetaObject *meta = object->metaObject();
    const int count = int(args.size());
    if (count > maxArguments)
        throw py::type_error("too many arguments");
    QString lastProblem;
    // Derived classes first: their overrides and overloads win.
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.name() != name || method.parameterCount() != count
            || method.access() != QMetaMethod::Public
            || (method.methodType() != QMetaMethod::Slot && method.methodType() != QMetaMethod::Method))
            continue;
        QVariant values[maxArguments];
        QGenericArgument arguments[maxArguments];
        bool converted = true;
        for (int p = 0; p < count; ++p) {
            const int type = method.parameterType(p);
            QVariant value = toVariant(args[size_t(p)]);
            if (type == QMetaType::QVariant) {
                values[p] = value;
                arguments[p] = QGenericArgument("QVariant", &values[p]);
                continue;
            }
            if (type == QMetaType::UnknownType || !value.convert(type)) {
                converted = false;
                lastProblem = QStringLiteral("argument %1 does not fit %2").arg(p + 1).arg(
                    QString::fromLatin1(method.methodSignature()));
                break;
            }
            values[p] = value;
            arguments[p] = QGenericArgument(QMetaType::typeName(type), values[p].constData());
        }
        if (!converted)
            continue;
        const int returnType = method.returnType();
        QVariant result;
        QGenericReturnArgument returnArgument;
        if (returnType != QMetaType::Void && returnType != QMetaType::UnknownType) {
            result = QVariant(returnType, nullptr);
            returnArgument = QGenericReturnArgument(QMetaType::typeName(returnType), result.data());
        }
        if (!method.invoke(object, Qt::DirectConnection, returnArgument, arguments[0], arguments[1],
                           arguments[2], arguments[3], arguments[4], arguments[5], arguments[6],
                           arguments[7], arguments[8], arguments[9]))
            throw py::type_error(QStringLiteral("%1.%2 could not be called")
                                     .arg(ref.name, QString::fromLatin1(name))
                                     .toStdString());
        return fromVariant(result);
    }
    if (lastProblem.isEmpty())
        lastProblem = QStringLiteral("no form of it takes %1 arguments").arg(count);
    throw py::type_error(
        QStringLiteral("%1.%2: %3").arg(ref.name, QString::fromLatin1(name), lastProblem).toStdString());
}

py::object getAttribute(const ObjectRef &ref, const std::string &attribute)
{
    QObject *object = ref.target();
    const QByteArray name = QByteArray::fromStdString(attribute);
    if (object->metaObject()->indexOfProperty(name.constData()) >= 0)
        return fromVariant(object->property(name.constData()));
    // An element's attributes ("my_default", "lsb", ...), kept by the element.
    if (elementPropertyNamesOf(object).contains(name))
        return fromVariant(elementPropertyOf(object, name.constData()));
    if (hasMethod(object->metaObject(), name)) {
        const ObjectRef copy = ref;
        return py::cpp_function([copy, name](const py::args &args) { return invoke(copy, name, args); },
                                py::name(attribute.c_str()));
    }
    throw py::attribute_error(
        QStringLiteral("%1 has no attribute '%2'").arg(ref.name, QString::fromStdString(attribute)).toStdString());
}

void setAttribute(const ObjectRef &ref, const std::string &attribute, const py::handle &value)
{
    if (attribute == "value") {
        setValue(ref, value);
        return;
    }
    QObject *object = ref.target();
    const QByteArray name = QByteArray::fromStdString(attribute);
    const int index = object->metaObject()->indexOfProperty(name.constData());
    if (index >= 0) {
        if (!object->metaObject()->property(index).isWritable() || !object->setProperty(name.constData(), toVariant(value)))
            throw py::value_error(
                QStringLiteral("%1.%2 cannot be set to this value").arg(ref.name, QString::fromStdString(attribute)).toStdString());
        return;
    }
    if (elementPropertyNamesOf(object).contains(name)) {
        setElementPropertyOf(object, name.constData(), toVariant(value));
        return;
    }
    throw py::attribute_error(
        QStringLiteral("%1 has no attribute '%2'").arg(ref.name, QString::fromStdString(attribute)).toStdString());
}

py::list attributeNames(const ObjectRef &ref)
{
    QStringList names{QStringLiteral("value")};
    if (QObject *object = ref.object.data()) {
        const QMetaObject *meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i)
            names << QString::fromLatin1(meta->property(i).name());
        for (const QByteArray &name : elementPropertyNamesOf(object))
            names << QString::fromLatin1(name);
        for (int i = 0; i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.access() == QMetaMethod::Public
                && (method.methodType() == QMetaMethod::Slot || method.methodType() == QMetaMethod::Method))
                names << QString::fromLatin1(method.name());
        }
    }
    names.removeDuplicates();
    names.sort();
    py::list list;
    for (const QString &name : names)
        list.append(py::str(name.toStdString()));
    return list;
}

// One line about the error Python raised: its type, its text, and where.
QString describe(const py::error_already_set &error)
{
    try {
        QString text = error.type() ? toQString(error.type().attr("__name__")) : QStringLiteral("Error");
        const QString message = error.value() ? toQString(error.value()) : QString();
        if (!message.isEmpty())
            text += QStringLiteral(": ") + message;
        py::handle frame = error.trace();
        if (frame && !frame.is_none()) {
            while (!frame.attr("tb_next").is_none())
                frame = frame.attr("tb_next");
            const QString file = toQString(frame.attr("tb_frame").attr("f_code").attr("co_filename"));
            const QString line = toQString(frame.attr("tb_lineno"));
            text += QStringLiteral(" (%1, line %2)").arg(file, line);
        }
        return text;
    } catch (...) {
        PyErr_Clear();
        return QString::fromUtf8(error.what());
    }
}

void finishInterpreter()
{
    if (interpreterState != InterpreterState::Running)
        return;
    // The hosts still alive let go of their modules first.
    for (PythonHost::Private *host : liveHosts()) {
        Py_XDECREF(host->globals);
        host->globals = nullptr;
    }
    try {
        py::finalize_interpreter();
    } catch (...) {
    }
    interpreterState = InterpreterState::Finished;
}

bool startInterpreter(QString *error)
{
    switch (interpreterState) {
    case InterpreterState::Running:
        return true;
    case InterpreterState::Failed:
        *error = interpreterError;
        return false;
    case InterpreterState::Finished:
        *error = QStringLiteral("Python has already been shut down");
        return false;
    case InterpreterState::NotStarted:
        break;
    }
    // The environment (PYTHONHOME, PYTHONPATH) is honoured; the site module
    // is not imported, and Python leaves the program's signals alone.
    PyConfig config;
    PyConfig_InitPythonConfig(&config);
    config.site_import = 0;
    config.install_signal_handlers = 0;
    config.parse_argv = 0;
    // Python finds its library from the program's own path, not from the
    // first "python3" on the PATH (which may be another installation).
    if (QCoreApplication::instance()) {
        const std::wstring program = QCoreApplication::applicationFilePath().toStdWString();
        PyConfig_SetString(&config, &config.program_name, program.c_str());
    }
    try {
        py::initialize_interpreter(&config, 0, nullptr, false);
        py::module_ bridge = py::module_::import("quillmate");
        py::module_ sys = py::module_::import("sys");
        sys.attr("stdout") = bridge.attr("OutputWriter")(false);
        sys.attr("stderr") = bridge.attr("OutputWriter")(true);
        // Nothing may wait for a terminal: input() meets the end of its input.
        sys.attr("stdin") = py::module_::import("io").attr("StringIO")(py::str(""));
    } catch (const py::error_already_set &e) {
        interpreterError = describe(e);
    } catch (const std::exception &e) {
        interpreterError = QString::fromLocal8Bit(e.what()).trimmed();
    }
    if (!interpreterError.isEmpty()) {
        interpreterState = InterpreterState::Failed;
        *error = interpreterError;
        return false;
    }
    interpreterState = InterpreterState::Running;
    qAddPostRoutine(finishInterpreter);
    return true;
}

// Runs code in globals; false with a one-line description on an error.
bool execute(PythonHost::Private *host, const QString &code, const QString &fileName, QString *error)
{
    if (code.contains(QChar(0))) {
        *error = QStringLiteral("%1: the code contains a null character").arg(fileName);
        return false;
    }
    if (nesting >= maxNesting) {
        *error = QStringLiteral("Python code nested deeper than %1 levels (actions that run each other?), not run")
                     .arg(maxNesting);
        return false;
    }
    ++nesting;
    PythonHost::Private *previous = runningHost;
    runningHost = host;
    bool ok = false;
    try {
        const QByteArray source = code.toUtf8();
        const QByteArray name = fileName.toUtf8();
        py::object compiled = py::reinterpret_steal<py::object>(
            Py_CompileString(source.constData(), name.constData(), Py_file_input));
        if (!compiled)
            throw py::error_already_set();
        py::object result = py::reinterpret_steal<py::object>(
            PyEval_EvalCode(compiled.ptr(), host->globals, host->globals));
        if (!result)
            throw py::error_already_set();
        ok = true;
    } catch (const py::error_already_set &e) {
        *error = describe(e);
    } catch (const std::exception &e) {
        *error = QString::fromUtf8(e.what());
    }
    // What the code left without a line end is handed on now.
    host->flush(0);
    host->flush(1);
    runningHost = previous;
    --nesting;
    return ok;
}

} // namespace

PYBIND11_EMBEDDED_MODULE(quillmate, module)
{
    py::class_<OutputWriter>(module, "OutputWriter")
        .def(py::init([](bool error) { return OutputWriter{error}; }))
        .def("write", &OutputWriter::write)
        .def("flush", [](OutputWriter &) {})
        .def("isatty", [](OutputWriter &) { return false; })
        .def_property_readonly("encoding", [](OutputWriter &) { return "utf-8"; });

    py::class_<ObjectRef>(module, "QtObject")
        .def_property(
            "value", [](const ObjectRef &ref) { return getValue(ref); },
            [](const ObjectRef &ref, const py::object &value) { setValue(ref, value); })
        .def("__getattr__", &getAttribute)
        .def("__setattr__", &setAttribute)
        .def("__dir__", &attributeNames)
        .def("__repr__", [](const ObjectRef &ref) {
            const QString kind = ref.object ? QString::fromLatin1(ref.object->metaObject()->className())
                                            : QStringLiteral("deleted");
            return QStringLiteral("<%1 %2>").arg(kind, ref.name).toStdString();
        });
}

PythonHost::PythonHost()
    : d(new Private)
{
    liveHosts().insert(d.get());
}

PythonHost::~PythonHost()
{
    liveHosts().remove(d.get());
    if (runningHost == d.get())
        runningHost = nullptr;
    if (lastStartedHost == d.get())
        lastStartedHost = nullptr;
    if (d->globals && interpreterState == InterpreterState::Running)
        Py_DECREF(d->globals);
    d->globals = nullptr;
}

void PythonHost::setOutputSinks(TextSink out, TextSink err)
{
    d->out = std::move(out);
    d->err = std::move(err);
}

void PythonHost::setValueSetter(ValueSetter setter)
{
    d->setter = std::move(setter);
}

void PythonHost::setApplicationObject(QObject *object)
{
    d->application = object;
}

bool PythonHost::interpreterRunning()
{
    return interpreterState == InterpreterState::Running;
}

bool PythonHost::startPython(QString *error)
{
    QString problem;
    if (!startInterpreter(&problem)) {
        if (error)
            *error = problem;
        return false;
    }
    lastStartedHost = d.get();
    if (m_started)
        return true;
    try {
        py::dict globals;
        globals["__builtins__"] = py::module_::import("builtins");
        globals["__name__"] = py::str("__main__");
        d->globals = globals.release().ptr();
    } catch (const py::error_already_set &e) {
        if (error)
            *error = describe(e);
        return false;
    }
    m_started = true;
    if (d->application)
        addObject(QStringLiteral("application"), d->application, d->application->objectName());
    return true;
}

void PythonHost::addObject(const QString &name, QObject *object, const QString &define)
{
    if (!m_started || !d->globals || !object || name.isEmpty())
        return;
    ObjectRef ref;
    ref.object = object;
    ref.name = name;
    ref.define = define;
    ref.host = d.get();
    try {
        py::handle globals(d->globals);
        globals[py::str(name.toStdString())] = py::cast(ref);
    } catch (const py::error_already_set &) {
        // A name Python cannot hold (not valid text) is not published.
    }
}

bool PythonHost::evalScript(const QString &code, QString *error)
{
    QString problem;
    bool ok = false;
    if (!m_started || !d->globals)
        problem = QStringLiteral("Python has not been started");
    else
        ok = execute(d.get(), code, QStringLiteral("<string>"), &problem);
    if (error)
        *error = problem;
    return ok;
}

bool PythonHost::evalFile(const QString &fileName, QString *error)
{
    QString problem;
    bool ok = false;
    const QString path = QDir::fromNativeSeparators(QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/')));
    QFile file(path);
    if (!m_started || !d->globals) {
        problem = QStringLiteral("Python has not been started");
    } else if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("Cannot open file %1: %2").arg(path, file.errorString());
    } else {
        const QString code = QString::fromUtf8(file.readAll());
        file.close();
        ok = execute(d.get(), code, QFileInfo(path).absoluteFilePath(), &problem);
    }
    if (error)
        *error = problem;
    return ok;
}
