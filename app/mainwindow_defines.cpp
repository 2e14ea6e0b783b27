// MainWindow: registering elements under their defines (plain names and
// register paths) and binding the panel's SVD file.
#include "mainwindow.h"

#include "errorreporter.h"
#include "pollentries.h"
#include "prompt.h"
#include "registermodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void MainWindow::assignRegisterField(const QString &define, const QString &header,
                                     ActiveElement *element, bool isSvd)
{
    bindRegisterPath(*this, define, header, element, isSvd);
}

bool MainWindow::loadSvdFile()
{
    if (svdFile.isEmpty())
        return false;
    QString path = QDir(xmlDir).filePath(svdFile);
    if (!QFileInfo::exists(path))
        path = QDir(scriptsDir).filePath(svdFile);
    if (!QFileInfo::exists(path)) {
        const QString name = QFileInfo(path).fileName();
        path = Prompt::instance().openFileName(this, tr("Could not find %1!").arg(name), lastDir,
                                               tr("%1 (%1)").arg(name));
        if (path.isEmpty()) {
            newProject();
            return false;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(path, file.errorString());
        return false;
    }
    // The registers of the SVD file come with the SVD reader; until then the
    // panel opens without them and its SVD-bound elements say so on the console.
    for (VarPollEntry *entry : qAsConst(varPollList)) {
        if (!entry || entry->svdSymbol.isEmpty())
            continue;
        RegisterRecord *reg = getRegister(getModuleName(entry->svdSymbol), getRegisterName(entry->svdSymbol));
        if (!reg) {
            consolePrintSvdNotFound(entry->svdSymbol);
            continue;
        }
        entry->address = quint32(reg->address);
        entry->size = reg->size() / 8;
        FieldRecord *field = reg->getField(getFieldName(entry->svdSymbol));
        entry->msb = field ? field->msb() : 0;
        entry->lsb = field ? field->lsb() : 0;
    }
    return true;
}
