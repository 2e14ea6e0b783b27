#pragma once

#include "numericelement.h"

#include <QSlider>

// A slider bound to a define: the spin box's behaviour over the slider's
// value, except that a value set by the program never names another element.
class Slider : public QSlider, public IntegerElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit Slider(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QSlider::setValue;
    using QSlider::value;

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    QString value(int keyword, int flag) override;
    bool defineBits(quint64 *bits) override;
    void initialize() override;

public slots:
    void sendData(int value);
    void enable(bool on) override;
    void valueChanged(int value);
    void valueChangedByUser(int value);

protected:
    int widgetValue() const override;
    void setWidgetValue(int value) override;
    int widgetMinimum() const override;
    int widgetMaximum() const override;
    void setWidgetRange(int minimum, int maximum) override;
};
