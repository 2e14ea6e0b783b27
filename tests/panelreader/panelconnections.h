#pragma once

#include "elementsignals.h"
#include "quillpanel.h"

#include <QByteArray>
#include <QHash>

// The panel's display refresh slots by name, for checks that go over several.
using RefreshSlot = void (Panel::*)();

inline RefreshSlot refreshSlot(const char *name)
{
    static const QHash<QByteArray, RefreshSlot> table = {
        {"on_updateMathLabel", &Panel::on_updateMathLabel},
        {"on_updateLED", &Panel::on_updateLED},
        {"on_updateSvgImage", &Panel::on_updateSvgImage},
        {"on_updateCurve", &Panel::on_updateCurve},
        {"on_updateDial", &Panel::on_updateDial},
        {"on_updateThermo", &Panel::on_updateThermo},
        {"on_updateLog", &Panel::on_updateLog},
    };
    return table.value(name, nullptr);
}
