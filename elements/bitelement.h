#pragma once

#include "valueelement.h"

class QAbstractButton;

// The value side of the one-bit elements (check box, toggle button): the value
// is 1 or 0, the check state the other way round when the property "inverted"
// is set; project files and defaults write it as decimal 0 or 1.
class BitElement : public ValueElement
{
public:
    BitElement(QAbstractButton *button, const char *typeName);

    QString value(int keyword, int flag) override;
    bool defineBits(quint64 *bits) override;
    QString storedValueText() override;
    void loadValue(const QString &text) override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    void applyLocks() override;

    // Sends (on) or releases (off) the element's lock texts.
    virtual void sendLocks(bool on) = 0;

protected:
    // setValue for the plain value (keyword 0) and the define value (3); the
    // program's change path runs, so the actions of the new state run.
    void setBitValue(const QString &text, int keyword);
    bool checkStateFor(bool v) { return v != flagProperty("inverted"); }
    bool currentValue();

    bool m_storedValue = false;

private:
    QAbstractButton *m_button;
    const char *m_typeName;
};
