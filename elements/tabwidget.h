#pragma once

#include <QTabWidget>

// Placeholder until the tab container is built.
class TabWidget : public QTabWidget
{
    Q_OBJECT
public:
    explicit TabWidget(QWidget *parent = nullptr) : QTabWidget(parent) {}
};
