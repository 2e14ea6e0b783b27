#include "activeelement.h"

ActiveElement::~ActiveElement() = default;

void ActiveElement::addItem(const QString &text, const QString &value, int key)
{
    items.insert(key, ElementItem{text, value, key});
}
