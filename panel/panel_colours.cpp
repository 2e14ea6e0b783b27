// Panel: background and text colours of panel widgets, for setDef's
// "color" and "textcolor" and for the element mark. Form elements get a
// style sheet, because the program's style sheet would hide a palette change;
// other widgets get a palette change.
#include "quillpanel.h"

#include "elementkinds.h"

#include <QPalette>
#include <QWidget>

// "rgb(r,g,b)" of a QRgb colour number; the upper byte does not count.
static QString rgbText(int color)
{
    const QRgb rgb = QRgb(color);
    return QStringLiteral("rgb(%1,%2,%3)").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

// Both slots: the whole style sheet for a form element, else one palette
// role of every colour group.
static void colourWidget(QWidget *widget, int color, bool formElement, const QString &property,
                         QPalette::ColorRole role)
{
    if (!widget)
        return;
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    if (formElement)
        widget->setStyleSheet(QStringLiteral("%1: %2;").arg(property, rgbText(color)));
    else
        palette.setBrush(role, QBrush(QColor(QRgb(color))));
    widget->setPalette(palette);
}

void PanelColours::setBGColor(QWidget *widget, int color)
{
    const ElementKind *kind = elementKindOf(widget);
    colourWidget(widget, color, kind && kind->styledColours, QStringLiteral("background-color"),
                 kind && kind->colorSlot == ColorSlot::Button ? QPalette::Button : QPalette::Base);
}

void PanelColours::setTextColor(QWidget *widget, int color)
{
    // Not the same kinds: edits take a text palette, push buttons a text style sheet.
    const ElementKind *kind = elementKindOf(widget);
    colourWidget(widget, color, kind && kind->styledTextColour, QStringLiteral("color"), QPalette::Text);
}
