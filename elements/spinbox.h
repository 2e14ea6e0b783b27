#pragma once

#include "numericelement.h"

#include <QSpinBox>

// A spin box bound to a define. Every change of the widget value, by the user
// or the program, runs its actions; it takes part in no locks, and a lock
// does not keep it disabled.
class SpinBox : public QSpinBox, public IntegerElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit SpinBox(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QSpinBox::setValue;
    using QSpinBox::value;

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    QString value(int keyword, int flag) override;
    bool defineBits(quint64 *bits) override;
    void initialize() override;
    // GENERATETESTINPUT: a value in the range, within 0..32767.
    QList<TestInputLine> testInputLines() const override;
    void makeReadOnly() override;

    // The box lays its text out when it is first shown, not while a panel is
    // built: a text layout costs as much as a third of the spin box. Until
    // then the line edit holds no text; value(), the range, the signals and
    // the measured sizes are the box's own throughout.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QString textFromValue(int value) const final;
    // The prefix the box shows ("0x" for a hexadecimal one), also before its
    // text is laid out.
    QString shownPrefix() const;
    // Sets the prefix; before the text is laid out it waits for the layout
    // (a prefix set through QSpinBox::setPrefix lays the text out at once and
    // takes the place of one waiting).
    void setShownPrefix(const QString &prefix);
    // Lays the text out now if it still waits for the first show.
    void layOutText() const;

public slots:
    void sendData(int value);
    void enable(bool on) override;
    void valueChanged(int value);
    void valueChangedByUser(int value);

protected:
    void showEvent(QShowEvent *event) override;
    // The value's text without prefix and suffix (decimal here).
    virtual QString valueText(int value) const;

    int widgetValue() const override;
    void setWidgetValue(int value) override;
    int widgetMinimum() const override;
    int widgetMaximum() const override;
    void setWidgetRange(int minimum, int maximum) override;

private:
    // Whether textFromValue gives the value's text: once the text is laid
    // out, and while the box is measured before that.
    bool textWanted() const { return m_textLaidOut || m_measuring; }
    // The prefix value texts carry while measured before the layout.
    QString pendingPrefix() const { return m_textLaidOut || !prefix().isEmpty() ? QString() : m_prefixWhenShown; }

    mutable bool m_textLaidOut = false;
    mutable bool m_measuring = false;
    QString m_prefixWhenShown;
};
