#pragma once

#include <QDialog>

// The panel editor for the widget tree under panelRoot. This build shows the
// dialog frame only; editing comes with the panel editor.
class ShowXMLDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShowXMLDialog(QWidget *panelRoot, QWidget *parent = nullptr);

    QWidget *panelRoot() const { return m_panelRoot; }

private:
    QWidget *m_panelRoot;
};
