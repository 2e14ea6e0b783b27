#pragma once

#include <QDialog>

class Panel;
class QCheckBox;
class QLineEdit;

// Edits the values a panel file keeps in its header elements: version label,
// adapter firmware range, SVD, migration and disclaimer files, I/O port and
// its settings, whether values may be loaded and saved, and the forum link.
// The values are read when the dialog is built and stored on OK; the next
// save of the panel writes them.
class XMLPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit XMLPropertiesDialog(Panel *panel, QWidget *parent = nullptr);

    QLineEdit *versionEdit = nullptr;
    QLineEdit *minVersionEdit = nullptr;
    QLineEdit *maxVersionEdit = nullptr;
    QLineEdit *svdFileEdit = nullptr;
    QLineEdit *migrationFileEdit = nullptr;
    QLineEdit *disclaimerFileEdit = nullptr;
    QLineEdit *ioPortEdit = nullptr;
    QLineEdit *parametersEdit = nullptr;
    QCheckBox *loadSaveCheck = nullptr;
    QLineEdit *forumUrlEdit = nullptr;

public slots:
    void accept() override;

private:
    Panel *m_panel;
    QString m_disclaimerShown; // the disclaimer text the dialog opened with
};
