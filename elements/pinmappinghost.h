#pragma once

#include <QString>

class ElementHost;
class OperandLookup;
class PinMappingModel;

// What the pin views (the pin-mapping element, the port-mapping dialogs and
// the chip item) need of the program around them: the pin-mapping data, the
// panel's elements and formula operands for the conditions, bringing an
// element into view, the find dialog and the working directory. A small
// object the window owns implements it; tests implement it over a panel.
class PinMappingHost
{
public:
    virtual ~PinMappingHost();

    virtual PinMappingModel *pinMappingModel() = 0;
    // The panel's elements (values, register model); may be null.
    virtual ElementHost *elementHost() = 0;
    // The names of conditions (elements, variables, references); may be null.
    virtual OperandLookup *operandLookup() = 0;
    // Brings the element registered under name into view; false when the
    // panel has none of that name.
    virtual bool raiseElement(const QString &name) = 0;
    // The find dialog of the panel's elements.
    virtual void searchElement() = 0;
    // Where file dialogs start.
    virtual QString workingDirectory() const = 0;
};
