// Panel: what the script commands on panel elements use of it.
#include "panel.h"

#include "pushbutton.h"
#include "tabwidget.h"

#include <algorithm>

QList<QPair<QString, QObject *>> Panel::scriptPushButtons() const
{
    QList<QPair<QString, QObject *>> buttons;
    for (auto it = m_pushButtonsByName.cbegin(); it != m_pushButtonsByName.cend(); ++it)
        buttons.append({it.key(), it.value()});
    // The registry is a hash: a fixed order makes the first match repeatable.
    std::sort(buttons.begin(), buttons.end(),
              [](const QPair<QString, QObject *> &a, const QPair<QString, QObject *> &b) { return a.first < b.first; });
    return buttons;
}

void Panel::scriptSelectTab(const QString &name, int index)
{
    if (TabWidget *tabs = m_tabWidgetsByName.value(name))
        tabs->setCurrentIndex(index);
}
