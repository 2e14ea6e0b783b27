#include "resources.h"

#include <QtCore/qglobal.h>

// Qt resources compiled into a static library register only when asked.
static void initResourcesInGlobalNamespace()
{
    Q_INIT_RESOURCE(resources);
}

void initQuillmateResources()
{
    static bool done = false;
    if (!done) {
        initResourcesInGlobalNamespace();
        done = true;
    }
}
