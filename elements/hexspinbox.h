#pragma once

#include "spinbox.h"

// A spin box that shows and takes its value in hexadecimal ("0x" and up to
// eight digits). Everything else is the spin box's: its value texts, the
// recorder line, defaults and set values are decimal, and its type name is
// "SpinBox".
class HexSpinBox : public SpinBox
{
    Q_OBJECT

public:
    explicit HexSpinBox(const QString &name, QWidget *parent = nullptr);

    // The text read base 16, a leading "0x" allowed; 0 when it is no number.
    // A number beyond the int range gives the nearest int.
    int valueFromText(const QString &text) const override;
    // "0x" and one to eight hexadecimal digits is acceptable, a beginning of
    // that form intermediate, anything else invalid (pos then at the end).
    QValidator::State validate(QString &text, int &pos) const override;
    // GENERATETESTINPUT: the spin box's line twice (once as a spin box, once as a hex one).
    QList<TestInputLine> testInputLines() const override;

protected:
    // The value in upper-case hexadecimal digits, a negative one with its
    // minus sign (-1A).
    QString valueText(int value) const override;
};
