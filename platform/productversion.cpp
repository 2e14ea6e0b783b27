#include "productversion.h"

#include "productversion_config.h"

#include <QtGlobal>

QString productVersionString()
{
    if (qEnvironmentVariableIsSet("QUILLMATE_PRODUCT_VERSION"))
        return qEnvironmentVariable("QUILLMATE_PRODUCT_VERSION");
    return QStringLiteral(QUILLMATE_PRODUCT_VERSION);
}
