#pragma once

#include <QLabel>

// A picture or SVG image; loading comes with the element.
class Image : public QLabel
{
    Q_OBJECT
public:
    explicit Image(const QString &name, const QString &file, QWidget *parent = nullptr);

    // Shows a picture file (an animation for a GIF).
    void loadPicture(const QString &file);
    // Puts the current values into the SVG text's placeholders.
    void updateSvgValues();
    // Draws the SVG text.
    void renderSvg();
    // Writes the current SVG text to file.
    void saveSvg(const QString &file);
};
