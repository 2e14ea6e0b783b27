#include "image.h"

#include <QVariant>

Image::Image(const QString &name, const QString &file, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
    setProperty("file", file);
}
