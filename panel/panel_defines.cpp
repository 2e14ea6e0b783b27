// Panel: registering elements under their defines (plain names and
// register paths), binding the panel's SVD registers, and setting elements
// by define as a script or the command line does.
#include "quillpanel.h"

#include "consolelinks.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "numberliteral.h"
#include "panelshell.h"
#include "pollentries.h"
#include "registermodel.h"
#include "timerlabel.h"

#include <algorithm>

void Panel::assignRegisterField(const QString &define, const QString &header,
                                ActiveElement *element, bool isSvd)
{
    bindRegisterPath(*this, define, header, element, isSvd);
}

void Panel::bindSvdVariables()
{
    // The registers of the SVD file come with the SVD reader; until then the
    // panel opens without them and its SVD-bound elements say so on the console.
    for (VarPollEntry *entry : qAsConst(m_registries.varPollList)) {
        if (!entry || entry->svdSymbol.isEmpty())
            continue;
        RegisterRecord *reg = getRegister(PanelNames::getModuleName(entry->svdSymbol), PanelNames::getRegisterName(entry->svdSymbol));
        if (!reg) {
            consolePrintSvdNotFound(entry->svdSymbol);
            continue;
        }
        entry->address = quint32(reg->address);
        entry->byteSize = quint32(reg->size() / 8);
        FieldRecord *field = reg->getField(PanelNames::getFieldName(entry->svdSymbol));
        entry->msb = field ? quint32(field->msb()) : 0;
        entry->bitShift = field ? quint32(field->lsb()) : 0;
    }
}

void Panel::checkSvdBinding(const QString &objectName)
{
    const QString moduleName = PanelNames::getModuleName(objectName);
    const QString registerName = PanelNames::getRegisterName(objectName);
    const QString fieldName = PanelNames::getFieldName(objectName);
    ModuleRecord *module = getModule(moduleName);
    RegisterRecord *reg = module ? module->getRegister(registerName) : nullptr;
    bool found = reg && reg->size() != 0;
    if (found && !fieldName.isEmpty()) {
        FieldRecord *field = reg->getField(fieldName);
        found = field && field->width() != 0;
    }
    if (!found)
        consolePrintSvdNotFound(objectName);
}

void Panel::consolePrintSvdNotFound(const QString &name)
{
    ::logMessage(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>Not found in svd file: %1<br>")
                     .arg(name));
}

void Panel::resetToDefaults()
{
    for (ActiveElement *element : qAsConst(m_registries.allElements)) {
        if (!timerLabelOf(element))
            element->resetToDefault();
    }
    for (DataClass *variable : qAsConst(m_registries.variablesByName)) {
        if (variable)
            variable->resetToDefault();
    }
}

// ---------------------------------------------------------------------------
// Setting elements by define

// Runs an element's change slot of that signature when its class has one;
// false when it has none.
bool Panel::setElementByDefine(const QString &name, const QString &value)
{
    const int kind = numberLiteralFormat(value);
    if (DataClass *variable = m_registries.variablesByName.value(name, nullptr)) {
        if (kind == DecimalLiteral || kind == HexLiteral) {
            const QString decimal = parseNumberLiteral(value);
            bool ok = false;
            const qlonglong number = decimal.toLongLong(&ok);
            variable->setValue(ok ? uint(number) : uint(decimal.toULongLong()));
        } else if (kind == FractionLiteral) {
            variable->setFloatValue(value.toFloat());
        } else {
            return false;
        }
        return true;
    }

    ActiveElement *element = getActiveElement(name);
    QObject *object = objectOf(element);
    if (!object) {
        const QString script = m_shell ? m_shell->runningScriptFile() : QString();
        const QString link = filePositionLink(script, QString(), QStringLiteral("1"));
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown define: %1 in line %2 "
                                    "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                         .arg(name, QString(), link, QString()));
        return false;
    }

    // A value the element cannot hold is reported and leaves the element,
    // and the value it keeps for the project, as they were.
    const ApplyResult result = element->applyText(value, ApplyRule::Define, {});
    switch (result.outcome) {
    case ApplyResult::Applied:
        return true;
    case ApplyResult::InvalidValue:
        reportInvalidDefineValue(name, value);
        break;
    case ApplyResult::IndexOutOfRange:
        reportIndexOutOfRange(name, QLatin1String(result.member), result.index, 0, result.last);
        break;
    case ApplyResult::NotSettable:
        reportInvalidParameter(QStringLiteral("Set"), name);
        break;
    }
    return false;
}

bool Panel::recordElementChange(QObject *sender)
{
    auto *element = qobject_cast<ActiveElement *>(sender);
    if (!element)
        return true;
    // A timer ticking is no change of the project.
    if (element->valueText(KeywordTypeInfo, ValueForm::Shown) == QLatin1String("TimerLabel"))
        return false;
    const int index = m_registries.allElements.indexOf(element);
    if (index >= 0) {
        m_registries.allElements.move(index, m_registries.allElements.size() - 1);
        m_header.changedHeaders.insert(element->elementProperty("header").toString(), true);
    }
    return true;
}
