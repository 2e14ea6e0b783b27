#include "settingsdialog.h"

#include "apppaths.h"
#include "mainwindow.h"
#include "osinfo.h"
#include "prompt.h"
#include "tyklink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

// A scale factor is taken only as a number of at least 1.0.
static bool readScaleFactor(const QString &text, double *factor)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !(value >= 1.0))
        return false;
    if (factor)
        *factor = value;
    return true;
}

SettingsDialog::SettingsDialog(MainWindow *window)
    : QDialog(window), m_mainWindow(window)
{
    setWindowTitle(QStringLiteral("Settings"));
    auto *grid = new QGridLayout(this);

    // Scripts directory
    grid->addWidget(new QLabel(QStringLiteral("Scripts Directory: ")), 0, 0);
    m_scriptsDirBox = new QComboBox;
    m_scriptsDirBox->setObjectName(QStringLiteral("scriptsDirBox"));
    m_scriptsDirBox->setEditable(true);
    m_scriptsDirBox->addItems(
        AppPaths::openGlobalStore()->value(QStringLiteral("ScriptDirList")).toStringList());
    grid->addWidget(m_scriptsDirBox, 0, 1);
    auto *browseScripts = new QPushButton(QStringLiteral("Browse..."));
    connect(browseScripts, &QPushButton::clicked, this, &SettingsDialog::browseDir);
    grid->addWidget(browseScripts, 0, 2);

    // Working directory
    grid->addWidget(new QLabel(QStringLiteral("Working Directory: ")), 1, 0);
    m_workingDirLabel = new QLabel;
    m_workingDirLabel->setObjectName(QStringLiteral("workingDirLabel"));
    grid->addWidget(m_workingDirLabel, 1, 1, 1, 2);

    // Tyk logging
    auto *loggingGroup = new QGroupBox(QStringLiteral("Tyk Logging"));
    auto *loggingLayout = new QGridLayout(loggingGroup);
    m_timeStampsCheck = new QCheckBox(QStringLiteral("Log with timestamps"));
    m_timeStampsCheck->setObjectName(QStringLiteral("timeStampsCheck"));
    m_consoleCheck = new QCheckBox(QStringLiteral("Console"));
    m_consoleCheck->setObjectName(QStringLiteral("consoleCheck"));
    m_fileCheck = new QCheckBox(QStringLiteral("File"));
    m_fileCheck->setObjectName(QStringLiteral("fileCheck"));
    m_logFileEdit = new QLineEdit;
    m_logFileEdit->setObjectName(QStringLiteral("logFileEdit"));
    m_logFileEdit->setFixedWidth(250);
    auto *browseLog = new QPushButton(QStringLiteral("Browse..."));
    connect(browseLog, &QPushButton::clicked, this, &SettingsDialog::browseLogFile);
    loggingLayout->addWidget(m_timeStampsCheck, 0, 0, 1, 3);
    loggingLayout->addWidget(m_consoleCheck, 1, 0);
    loggingLayout->addWidget(m_fileCheck, 2, 0);
    loggingLayout->addWidget(m_logFileEdit, 2, 1);
    loggingLayout->addWidget(browseLog, 2, 2);
    if (m_mainWindow && m_mainWindow->targetLink().tykLink) {
        quint16 mode = 0;
        bool timeStamps = false;
        QString file;
        m_mainWindow->targetLink().tykLink->getLogSettings(mode, timeStamps, file);
        m_consoleCheck->setChecked(mode & 1);
        m_fileCheck->setChecked(mode & 2);
        m_timeStampsCheck->setChecked(timeStamps);
        m_logFileEdit->setText(file);
    }
    grid->addWidget(loggingGroup, 2, 0, 1, 3);

    // Update check
    auto *updateGroup = new QGroupBox(QStringLiteral("Check for updates"));
    auto *updateLayout = new QHBoxLayout(updateGroup);
    updateLayout->addWidget(new QLabel(QStringLiteral("Checking timespan: ")));
    m_updatePeriodBox = new QComboBox;
    m_updatePeriodBox->setObjectName(QStringLiteral("updatePeriodBox"));
    m_updatePeriodBox->addItems({QStringLiteral("Never"), QStringLiteral("Every day"),
                               QStringLiteral("Every week"), QStringLiteral("Every month")});
    updateLayout->addWidget(m_updatePeriodBox);
    grid->addWidget(updateGroup, 3, 0, 1, 3);

    // Scaling
    auto *scalingGroup = new QGroupBox(QStringLiteral("Scaling"));
    auto *scalingLayout = new QGridLayout(scalingGroup);
    scalingLayout->addWidget(new QLabel(QStringLiteral("Scaling factor: ")), 0, 0);
    m_scaleFactorEdit = new QLineEdit;
    m_scaleFactorEdit->setObjectName(QStringLiteral("scaleFactorEdit"));
    scalingLayout->addWidget(m_scaleFactorEdit, 0, 1);
    scalingLayout->addWidget(
        new QLabel(QStringLiteral("Setting will only take effect after restart of Quillmate.")), 1, 0, 1, 2);
    if (osProductVersion().startsWith(QLatin1String("10"))) {
        m_scaleFactorEdit->setEnabled(false);
        m_scaleFactorEdit->setToolTip(
            QStringLiteral("Only available on Windows 7, OS scaling is used on Windows 10"));
        m_scaleFactorEdit->setText(QStringLiteral("---"));
    } else {
        const QString stored = AppPaths::openSettingsIni()->value(QStringLiteral("ScaleFactor")).toString();
        if (readScaleFactor(stored, nullptr))
            m_scaleFactorEdit->setText(stored);
    }
    grid->addWidget(scalingGroup, 4, 0, 1, 3);

    // Launcher header
    auto *harbikGroup = new QGroupBox(QStringLiteral("Orvanta Harbik Header"));
    auto *harbikLayout = new QHBoxLayout(harbikGroup);
    m_harbikHeaderCheck = new QCheckBox(QStringLiteral("Show"));
    m_harbikHeaderCheck->setObjectName(QStringLiteral("harbikHeaderCheck"));
    harbikLayout->addWidget(m_harbikHeaderCheck);
    grid->addWidget(harbikGroup, 5, 0, 1, 3);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 3);
}

void SettingsDialog::setScriptsDir(const QString &dir)
{
    m_scriptsDirBox->setCurrentText(dir);
    if (m_mainWindow)
        m_mainWindow->setScriptsDir(dir);
}

void SettingsDialog::setValues(quint16 loggingMode, bool timeStamps, const QString &logFile,
                               unsigned updatePeriod)
{
    if (loggingMode & 1)
        m_consoleCheck->setChecked(true);
    if (loggingMode & 2)
        m_fileCheck->setChecked(true);
    m_logFileEdit->setText(logFile);
    m_timeStampsCheck->setChecked(timeStamps);
    m_updatePeriodBox->setCurrentIndex(int(updatePeriod));
}

void SettingsDialog::setWorkingDirText(const QString &text)
{
    m_workingDirLabel->setText(text);
}

void SettingsDialog::setToolbarChecked(bool checked)
{
    m_harbikHeaderCheck->setChecked(checked);
}

void SettingsDialog::browseDir()
{
    const QString dir = Prompt::instance().existingDirectory(
        this, QStringLiteral("Select scripts folder..."), m_scriptsDirBox->currentText());
    if (dir.isEmpty())
        return;
    m_scriptsDirBox->addItem(dir);
    m_scriptsDirBox->setCurrentText(dir);
}

void SettingsDialog::browseLogFile()
{
    const QString file = Prompt::instance().saveFileName(
        this, QStringLiteral("Select Tyk Logging file..."), QString(), QString());
    if (!file.isEmpty())
        m_logFileEdit->setText(file);
}

void SettingsDialog::accept()
{
    const QString scripts = m_scriptsDirBox->currentText();
    {
        auto global = AppPaths::openGlobalStore();
        QStringList list = global->value(QStringLiteral("ScriptDirList")).toStringList();
        if (!list.contains(scripts)) {
            list.append(scripts);
            global->setValue(QStringLiteral("ScriptDirList"), list);
        }
    }
    if (m_mainWindow)
        m_mainWindow->setScriptsDir(scripts);

    const quint16 mode = quint16((m_consoleCheck->isChecked() ? 1 : 0) | (m_fileCheck->isChecked() ? 2 : 0));
    const QString file = m_logFileEdit->text();
    if (m_mainWindow) {
        m_mainWindow->applySettings(mode, m_timeStampsCheck->isChecked(), file,
                                  unsigned(qMax(0, m_updatePeriodBox->currentIndex())),
                                  m_harbikHeaderCheck->isChecked());
        if (m_mainWindow->targetLink().tykLink)
            m_mainWindow->targetLink().tykLink->openLog(mode, m_timeStampsCheck->isChecked(), file);
    }

    const QString scale = m_scaleFactorEdit->text();
    if (!scale.isEmpty() && readScaleFactor(scale, nullptr)) {
        AppPaths::openSettingsIni()->setValue(QStringLiteral("ScaleFactor"), scale.trimmed());
        qputenv("QT_SCALE_FACTOR", scale.trimmed().toUtf8());
    }
    QDialog::accept();
}
