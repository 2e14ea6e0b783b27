#pragma once

#include <QFont>
#include <QGraphicsObject>
#include <QHash>
#include <QPointer>
#include <QRectF>
#include <QString>

class PinMappingHost;
class PinMappingModel;
class QLabel;
class QPainterPath;

// The chip of the loaded pin-mapping file as a graphics item: a square body
// with the chip name, every pin as a coloured label box on its side, and for
// every function active with the current panel values an arrow with the
// function's text outward of its pin (pointing away from the chip for an
// output, toward it for an input). Hovering a pin shows the functions it can
// have and their conditions; a click opens a pop-up whose condition names are
// links that bring the element into view; a click on an arrow brings its
// link element into view. All data come from the pin-mapping model at every
// paint; the item keeps its size and margins from its construction.
class QGraphicsChipItem : public QGraphicsObject
{
    Q_OBJECT

public:
    explicit QGraphicsChipItem(PinMappingHost *host, QGraphicsItem *parent = nullptr);
    ~QGraphicsChipItem() override;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // One active function of one pin, drawn outward of what the pin shows already.
    void drawMapping(QPainter *painter, quint16 pinIndex, quint16 entryIndex, quint16 output);
    // One arrow: a band 20 pixels high, notched at one end and pointed at the
    // other, filled with color; path receives its outline.
    static void drawFunctionArrow(QPainter *painter, int x, int y, int length, int quadrant, int output,
                                  const QColor &color, QPainterPath &path);
    QString mapEntryText(quint16 entryIndex) const;

    // The hover texts of a pin: the rich text of the pop-up (names escaped,
    // condition names as links) and, through plain, the tool tip.
    QString pinToolTip(int pinIndex, QString *plain) const;

    QRectF chipRect() const { return m_chipRect; }
    QString toolTipHtml() const { return m_toolTipHtml; }
    QString hoverLink() const { return m_hoverLink; }
    QLabel *popupLabel() const;

public slots:
    void on_linkActivated(const QString &link);

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    PinMappingModel *model() const;
    // The font of a pin label in a box of the file's width (0: as wide as the
    // label), from the painter's font of this paint; kept per label.
    QFont labelFont(const QString &label, int fixedWidth);

    PinMappingHost *m_host;
    QRectF m_chipRect;
    QPointer<QLabel> m_popupLabel;
    bool m_ownsPopup = false;
    QString m_toolTipHtml;
    QString m_hoverLink;
    quint32 m_chipSize = 0;
    quint32 m_marginTop = 0;
    quint32 m_marginBottom = 0;
    quint32 m_marginLeft = 0;
    quint32 m_marginRight = 0;
    QFont m_labelFontsBase;
    QHash<QString, QFont> m_labelFonts;
};
