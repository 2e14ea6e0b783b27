#pragma once

#include "activeelement.h"

#include <QHash>
#include <QLabel>

// A value element whose value texts are set per keyword; keyword 3 (the
// define value) is what a register adds up.
class FakeElement : public QLabel, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    QObject *elementObject() const override { return const_cast<FakeElement *>(this); }
    explicit FakeElement(const QString &name) { setObjectName(name); }
    void setValue(const QString &text, int keyword) override { values[keyword] = text; }
    void loadValue(const QString &text) override { values[0] = text; }
    QString value(int keyword, int) override { return values.value(keyword); }
    QString storedValueText() override { return values.value(0); }
    void initialize() override {}
    void enable(bool on) override { setEnabled(on); }
    void setElementProperty(const char *name, const QVariant &value) override { setProperty(name, value); }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int, int) override { return true; }
    QHash<int, QString> values;
signals:
    void updateMathLabels() override;
};
