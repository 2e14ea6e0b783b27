#include "image.h"

#include <QVariant>

Image::Image(const QString &name, const QString &file, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
    setProperty("file", file);
}

void Image::loadPicture(const QString &file)
{
    Q_UNUSED(file)
}

void Image::updateSvgValues()
{
}

void Image::renderSvg()
{
}

void Image::saveSvg(const QString &file)
{
    Q_UNUSED(file)
}
