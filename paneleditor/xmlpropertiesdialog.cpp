#include "xmlpropertiesdialog.h"

#include "quillpanel.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

XMLPropertiesDialog::XMLPropertiesDialog(Panel *panel, QWidget *parent)
    : QDialog(parent)
    , m_panel(panel)
{
    setWindowTitle(tr("Edit XML properties"));
    auto *layout = new QVBoxLayout(this);
    const auto edit = [this]() {
        auto *line = new QLineEdit(this);
        line->setMinimumWidth(300);
        return line;
    };
    versionEdit = edit();
    minVersionEdit = edit();
    maxVersionEdit = edit();
    svdFileEdit = edit();
    migrationFileEdit = edit();
    disclaimerFileEdit = edit();
    ioPortEdit = edit();
    parametersEdit = edit();
    loadSaveCheck = new QCheckBox(QStringLiteral("Load/save allowed"), this);
    forumUrlEdit = edit();

    if (m_panel) {
        versionEdit->setText(m_panel->header().xmlVersion);
        QString min;
        QString max;
        m_panel->header().getFWVersionRange(min, max);
        minVersionEdit->setText(min);
        maxVersionEdit->setText(max);
        svdFileEdit->setText(m_panel->header().svdFile);
        migrationFileEdit->setText(m_panel->header().migrationFile);
        disclaimerFileEdit->setText(m_panel->header().disclaimerFile);
        ioPortEdit->setText(m_panel->header().ioPortName);
        parametersEdit->setText(m_panel->header().ioPortSettings);
        loadSaveCheck->setChecked(m_panel->header().loadSaveAllowed);
        forumUrlEdit->setText(m_panel->header().forumUrl);
    }
    m_disclaimerShown = disclaimerFileEdit->text();

    const auto group = [this, layout](const QString &title, const QList<QPair<QString, QWidget *>> &rows) {
        auto *box = new QGroupBox(title, this);
        auto *row = new QHBoxLayout(box);
        for (const auto &entry : rows) {
            if (!entry.first.isEmpty())
                row->addWidget(new QLabel(entry.first, box));
            row->addWidget(entry.second);
        }
        layout->addWidget(box);
    };
    group(QStringLiteral("Version"), {{QStringLiteral("Version: "), versionEdit}});
    group(QStringLiteral("Firmware version"),
          {{QStringLiteral("Min-Version: "), minVersionEdit}, {QStringLiteral("Max-Version: "), maxVersionEdit}});
    group(QStringLiteral("SVD file"), {{QStringLiteral("SVD-File: "), svdFileEdit}});
    group(QStringLiteral("Migration file"), {{QStringLiteral("Migration-File: "), migrationFileEdit}});
    group(QStringLiteral("Disclaimer file"), {{QStringLiteral("Disclaimer-File: "), disclaimerFileEdit}});
    group(QStringLiteral("I/O config"),
          {{QStringLiteral("IO-Port: "), ioPortEdit}, {QStringLiteral("Parameters: "), parametersEdit}});
    group(QStringLiteral("Load/save allowed"), {{QString(), loadSaveCheck}});
    group(QStringLiteral("Info sources"), {{QStringLiteral("Forum-URL: "), forumUrlEdit}});

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &XMLPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &XMLPropertiesDialog::reject);
    layout->addWidget(buttons);
}

void XMLPropertiesDialog::accept()
{
    if (m_panel) {
        m_panel->editHeader().xmlVersion = versionEdit->text();
        // Missing parts of a version read as 0 (minimum) and "any" (maximum).
        m_panel->editHeader().setFWVersionRange(minVersionEdit->text(), maxVersionEdit->text());
        m_panel->editHeader().svdFile = svdFileEdit->text();
        m_panel->editHeader().migrationFile = migrationFileEdit->text();
        // Only a changed name makes the disclaimer the panel's own: an
        // untouched empty field must not replace the program's disclaimer.
        if (disclaimerFileEdit->text() != m_disclaimerShown)
            m_panel->setDisclaimerFile(disclaimerFileEdit->text());
        // Port names keep their case (device paths); settings are upper case
        // as the reader stores them.
        m_panel->editHeader().ioPortName = ioPortEdit->text().trimmed();
        m_panel->editHeader().ioPortSettings = parametersEdit->text().trimmed().toUpper();
        m_panel->editHeader().loadSaveAllowed = loadSaveCheck->isChecked();
        m_panel->editHeader().forumUrl = forumUrlEdit->text();
    }
    QDialog::accept();
}
