#pragma once

#include <QDialog>

class QTextBrowser;
class QUrl;

// Lists the names found on one side only when a project or an older header is
// loaded: left the file's defines the panel lacks, right the panel's defines
// the file lacks. A link brings the element into view.
class UnresolvedDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UnresolvedDialog(QWidget *parent = nullptr);

    // panelOnly: HTML link lines ("<a href=...>NAME</a><br>") of the panel's
    // defines the file lacks, shown on the right. fileOnly: the file's lines the
    // panel lacks ("#define NAME VALUE", joined with "\n"), shown on the left
    // as plain text, one per line.
    void setTexts(const QString &panelOnly, const QString &fileOnly);

    QTextBrowser *fileOnlyBrowser() const { return m_fileOnly; }
    QTextBrowser *panelOnlyBrowser() const { return m_panelOnly; }

signals:
    // A define link the user clicked, to be shown in the panel.
    void defineActivated(const QString &define);

public slots:
    void on_anchorClicked(const QUrl &url);

private:
    QTextBrowser *m_fileOnly;
    QTextBrowser *m_panelOnly;
};
