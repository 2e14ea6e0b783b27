#pragma once

#include <QString>

// A panel of two spin boxes the Tyk value-list tests exchange: A starts at 7.
inline const char *const tykElementsPanel =
    "<verticalcontainer>"
    "<spinbox define=\"A\" range=\"0;100000\" default=\"7\"/>"
    "<spinbox define=\"B\" range=\"0;100000\" default=\"0\"/>"
    "</verticalcontainer>";

// The console line of a receive that got fewer bytes than its list needs.
inline QString tykTimeoutLine(const QString &source, const QString &list, int needed, int available)
{
    return QStringLiteral("Cannot receive requested data from external device. USB timeout: cannot supply "
                          "%1(\"%2\"). %3 bytes needed, %4 available.<br>")
        .arg(source, list)
        .arg(needed)
        .arg(available);
}
