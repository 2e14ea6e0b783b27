#pragma once

#include "registermodel.h"

#include <QHash>
#include <QStringList>

// The window's side of the register model, without a window: the module
// table it owns, the elements registered under their defines, and the
// console lines the model writes.
class ModuleTableHost : public RegisterModelHost
{
public:
    ModuleTableHost() = default;
    ModuleTableHost(const ModuleTableHost &) = delete;
    ModuleTableHost &operator=(const ModuleTableHost &) = delete;
    ~ModuleTableHost() override { qDeleteAll(modules); }

    ModuleRecord *getModule(const QString &name) override { return modules.value(name); }
    bool addModule(ModuleRecord *&out, const QString &name) override
    {
        if (modules.contains(name))
            return false;
        out = new ModuleRecord;
        modules.insert(name, out);
        return true;
    }
    void registerElement(const QString &define, ActiveElement *element) override
    {
        registered.append(define);
        elementsByDefine.insert(define, element);
    }
    void logMessage(const QString &html) override { console.append(html); }

    // The register of that module, or null.
    RegisterRecord *reg(const QString &module, const QString &name) const
    {
        const ModuleRecord *m = modules.value(module);
        return m ? m->getRegister(name) : nullptr;
    }

    QHash<QString, ModuleRecord *> modules;
    QHash<QString, ActiveElement *> elementsByDefine;
    QStringList registered;
    QStringList console;
};
