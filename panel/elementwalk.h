#pragma once

#include "activeelement.h"
#include "valueelement.h"

#include <QList>

#include <cstddef>
#include <utility>
#include <vector>

// The panel's elements taken for a walk whose steps run actions. A change
// moves an element to the end of the panel's list, and an action that opens
// another panel takes the elements away: the walk keeps its order and skips
// the elements that went.
class ElementWalk
{
public:
    ElementWalk(const QList<ActiveElement *> &elements, const ElementHost *host)
    {
        m_entries.reserve(std::size_t(elements.size()));
        for (ActiveElement *element : elements)
            m_entries.emplace_back(element, ElementGuard(objectOf(element), host));
    }

    template <typename Step>
    void forEach(const Step &step) const
    {
        for (const auto &entry : m_entries) {
            if (entry.second.alive())
                step(entry.first);
        }
    }

private:
    std::vector<std::pair<ActiveElement *, ElementGuard>> m_entries;
};
