#pragma once

#include <QLabel>

// A picture or SVG image; loading comes with the element.
class Image : public QLabel
{
    Q_OBJECT
public:
    explicit Image(const QString &name, const QString &file, QWidget *parent = nullptr);
};
