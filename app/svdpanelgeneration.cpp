// Panels generated from SVD files.
#include "svdpanelgeneration.h"

#include "errorreporter.h"
#include "inputfile.h"
#include "svdxmlgenerator.h"

#include <QFile>

bool generatePanelFromSvd(Panel *panel, const QString &svdFile, bool treeLayout, int *namesLeftOut)
{
    if (namesLeftOut)
        *namesLeftOut = 0;
    if (svdFile.isEmpty())
        return false;
    SvdXmlGenerator generator(panel);
    generator.treeFormat = treeLayout;
    QFile file(svdFile);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(svdFile, openError);
        return false;
    }
    const bool generated = generator.generate(&file);
    if (namesLeftOut)
        *namesLeftOut = int(generator.leftOutNames().size());
    if (!generated) {
        // A refused or failed write of the panel was reported as such; only
        // a file that did not read is reported against the SVD file.
        if (!generator.outputFailed())
            logCannotReadFile(svdFile, generator.errorString().toHtmlEscaped() + QStringLiteral("<br>")
                                           + generator.formatErrorLocation());
        return false;
    }
    // The generator wrote the panel signed, in one write.
    return true;
}
