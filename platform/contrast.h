#pragma once

#include <QColor>
#include <QPalette>
#include <QVector>

class QTextDocument;

// Text colours chosen for contrast with the background they are drawn on,
// measured as the contrast ratio of relative luminances (sRGB, from 1:1 for
// equal colours to 21:1 for black on white). 4.5:1 is the least a text needs
// to read; 3:1 serves frames and other marks that are not text.

constexpr double readableTextContrast = 4.5;
constexpr double visibleFrameContrast = 3.0;

// The relative luminance of a colour, 0 (black) to 1 (white); alpha is ignored.
double relativeLuminance(const QColor &color);

// The contrast ratio of two colours, 1 to 21, the same either way round.
double contrastRatio(const QColor &a, const QColor &b);

// A colour for text on every one of the backgrounds: preferred itself when it
// reaches minimum against each of them; else preferred moved toward black or
// white just far enough to reach it (the shorter way; the pure end when
// neither way gets there). Without a preferred colour, black or white,
// whichever reads better. No backgrounds: preferred (black when invalid).
QColor readableTextColor(const QVector<QColor> &backgrounds, const QColor &preferred = QColor(),
                         double minimum = readableTextContrast);
QColor readableTextColor(const QColor &background, const QColor &preferred = QColor(),
                         double minimum = readableTextContrast);

// The palette of a view that shows coloured text on a white page of its own
// (the console, the SVD tree, the chip drawing), made from the palette it
// would have: white Base, Window and AlternateBase, black Text and
// WindowText, links and highlighted text readable on the page, whatever
// palette the system has.
QPalette lightBasePalette(const QPalette &from);

// Every character of the document from position from on whose colour does not
// read on background gets the readable colour nearest to its own
// (readableTextColor); characters without a colour of their own are left to
// the palette.
void makeTextReadable(QTextDocument *document, int from, const QColor &background);
