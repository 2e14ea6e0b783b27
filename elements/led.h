#pragma once

#include <QByteArray>
#include <QString>
#include <QSvgRenderer>
#include <QWidget>

#include <optional>

// A small round lamp that shows whether bits of a define or target variable
// are set. It has no define of its own: the panel lights and darkens it when
// the watched value changes (setValueText, setValueBits), comparing the value
// with the dynamic property "bitmask".
//
// The lamp is drawn from the resource ":/svg/LED.svg", whose gradient stops
// "stopLED1" and "stopLED2" are recoloured for the on and off states. A colour
// is a name of the colour table ("red", "green", "grey", "blue", "purple",
// "yellow", "white") or a pair of six-digit hexadecimal colours "rrggbb;rrggbb"
// (dark stop first); anything else gives green when lit and grey when dark.
// Each state's drawing is rebuilt once per colour change, at the next paint.
class Led : public QWidget
{
    Q_OBJECT

public:
    // A lamp without name is "LED_n", n counting such lamps for the whole run.
    explicit Led(const QString &name, QWidget *parent = nullptr);
    ~Led() override;

    bool isLit() const { return m_lit; }
    QString onColor() const { return m_onColor; }
    QString offColor() const { return m_offColor; }

    // Lit when "bitmask" and the value (decimal text; anything else counts
    // as 0) share a bit.
    void setValueText(const QString &value);
    // Lit when "bitmask" and the value share a bit.
    void setValueBits(quint32 value);

    // The two stop styles ("stop-color:#rrggbb") of a colour for a state.
    static QString firstStopStyle(const QString &colour, bool on);
    static QString secondStopStyle(const QString &colour, bool on);
    // The lamp's drawing recoloured with the two stop styles.
    static QByteArray recolouredDrawing(const QByteArray &drawing, const QString &firstStop,
                                        const QString &secondStop);

public slots:
    void setValue(bool on);
    void setOnColor(const QString &colour);
    void setOffColor(const QString &colour);
    // The panel's "shape" has no effect: every lamp is round.
    void setShape(const QString &shape);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The bits of "bitmask" (an int property; its bit pattern counts).
    quint32 bitMask() const;
    // Loads the state's recoloured drawing into its renderer.
    void prepareDrawing(bool on);

    bool m_lit = false;
    QString m_onColor;
    QString m_offColor;
    QSvgRenderer m_onRenderer;
    QSvgRenderer m_offRenderer;
    QByteArray m_drawing;
    bool m_onReady = false;
    bool m_offReady = false;
};

// A lamp as the Python host reads and sets it: whether the object is lit,
// nothing for an object that is no lamp.
std::optional<bool> ledLit(const QObject *object);
// Lights or darkens the object when it is a lamp; false for any other object.
bool setLedLit(QObject *object, bool on);
