#include "pushbutton.h"

#include "apppaths.h"
#include "elementhost.h"
#include "elementsignals.h"
#include "errorreporter.h"
#include "expression.h"
#include "kindedits.h"
#include "programstate.h"
#include "text.h"
#include "valueelement.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>

PushButton::PushButton(const QString &name, const QString &text, QWidget *parent)
    : QPushButton(text, parent)
    , m_signals(new ElementSignals(this, {}))
{
    connect(this, &QPushButton::clicked, this, &PushButton::sendDataWhenClicked);
    connect(this, &QPushButton::pressed, this, &PushButton::sendDataWhenClicked);
    connect(this, &QPushButton::released, this, &PushButton::sendDataWhenClicked);
    setObjectName(name.isEmpty() ? numberedName(text, QStringLiteral("PUSH"), &ProgramState::instance().pushButtonCount) : name);
}

void PushButton::recordClicked(const QWidget *button, ElementHost *host)
{
    if (!host || !host->isRecording() || !button->hasFocus())
        return;
    const QString line = QStringLiteral("Clicked(%1)").arg(button->objectName());
    host->recordScriptLine(line, line);
}

bool PushButton::actionConditionHolds(const QString &condition) const
{
    if (condition.isEmpty())
        return true;
    const ParsedFormula formula = parseFormula(condition);
    bool ok = true;
    const double result = m_host
        ? m_host->evaluatePostfix(formula.postfix, formula.numbers, formula.names, &ok)
        : evaluatePostfix(formula.postfix, formula.numbers, formula.names, nullptr, &ok);
    // A NaN result holds too.
    return result != 0.0;
}

void PushButton::sendDataWhenClicked()
{
    const int signalIndex = senderSignalIndex();
    if (!sender() || signalIndex < 0)
        return;
    const QString event = QString::fromLatin1(sender()->metaObject()->method(signalIndex).name());
    // The button's own clicked, pressed and released signals name the event.
    if (event != QLatin1String("clicked") && event != QLatin1String("pressed")
        && event != QLatin1String("released"))
        return;
    if (event == QLatin1String("clicked"))
        recordClicked(this, m_host);

    // Any signal may open another panel, which takes this button with it.
    ElementGuard guard(this, host());
    const QList<ElementAction> actions = readElementActions(property("data"), QStringLiteral("0"));
    for (const ElementAction &action : actions) {
        if (action.event != event)
            continue;
        const bool holds = actionConditionHolds(action.condition);
        if (!guard.alive())
            return;
        if (!holds)
            continue;
        if (action.kind == QLatin1String("sendUSB")) {
            const QDeadlineTimer deadline(qMax<qint64>(0, action.delay.toLongLong()));
            m_signals->emitText(event + QStringLiteral("_sendUSB"), action.data);
            if (!guard.alive())
                return;
            m_signals->emitText(event + QStringLiteral("_recData"), action.recData);
            if (!guard.alive())
                return;
            waitProcessingEvents(deadline);
        } else if (action.kind == QLatin1String("setDef")) {
            m_signals->emitText(event + QStringLiteral("_setDef"), action.data);
        } else if (action.kind == QLatin1String("resetGUI") || action.kind == QLatin1String("loadFile")
                   || action.kind == QLatin1String("startProgram")
                   || action.kind == QLatin1String("runScript")) {
            // These kinds have a clicked signal only, whatever the event.
            m_signals->emitText(QStringLiteral("clicked_") + action.kind, action.data);
        }
        if (!guard.alive())
            return;
    }

    const QStringList setDefs = property("default_setdef").toStringList();
    for (const QString &entry : setDefs) {
        m_signals->raise(&ElementSignals::clicked_setDef, entry);
        if (!guard.alive())
            return;
    }
}

void PushButton::loadIcon(const QString &file)
{
    QString path;
    const QIcon icon(loadPanelPicture(file, &path, m_host));
    if (icon.isNull()) {
        reportCannotOpenFile(path, QStringLiteral("Picture of <button> element couldn't be loaded."));
        return;
    }
    setIcon(icon);
}

QPixmap loadPanelPicture(const QString &file, QString *path, const ElementHost *host)
{
    const QString dir = host ? host->panelDirectory() : QString();
    *path = QFileInfo(QDir(dir).filePath(AppPaths::normalizePanelPath(file))).absoluteFilePath();
    return QPixmap(*path);
}

void listPushButtonRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<PushButton *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
}

bool editPushButtonRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *button = qobject_cast<PushButton *>(element);
    if (!button)
        return false;
    if (row == QLatin1String("Label")) {
        button->setText(value);
        writes->append({QStringLiteral("label"), value});
        return true;
    }
    if (row == QLatin1String("File")) {
        button->loadIcon(value);
        button->setFlat(true);
        // "Icon" is what the property table shows and the panel file keeps.
        button->setProperty("icon", value);
        button->setProperty("Icon", value);
        writes->append({QStringLiteral("icon"), value});
        return true;
    }
    return false;
}
