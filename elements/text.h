#pragma once

#include <QLabel>

// A static text of a panel. A text built without a name is named after its
// text and a counter that runs for the whole process (Speed_0), or TEXT_n
// without a text.
class Text : public QLabel
{
    Q_OBJECT
public:
    Text(const QString &name, const QString &text, QWidget *parent = nullptr);
};

// The name of an element built without one: text + "_" + counter, or
// fallback + "_" + counter without a text; the counter then goes up.
QString numberedName(const QString &text, const QString &fallback, int *counter);
