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
    : QDialog(window), mainWindow(window)
{
    setWindowTitle(QStringLiteral("Settings"));
    auto *grid = new QGridLayout(this);

    // Scripts directory
    grid->addWidget(new QLabel(QStringLiteral("Scripts Directory: ")), 0, 0);
    scriptsDirBox = new QComboBox;
    scriptsDirBox->setObjectName(QStringLiteral("scriptsDirBox"));
    scriptsDirBox->setEditable(true);
    scriptsDirBox->addItems(
        AppPaths::openGlobalStore()->value(QStringLiteral("ScriptDirList")).toStringList());
    grid->addWidget(scriptsDirBox, 0, 1);
    auto *browseScripts = new QPushButton(QStringLiteral("Browse..."));
    connect(browseScripts, &QPushButton::clicked, this, &SettingsDialog::browseDir);
    grid->addWidget(browseScripts, 0, 2);

    // Working directory
    grid->addWidget(new QLabel(QStringLiteral("Working Directory: ")), 1, 0);
    workingDirLabel = new QLabel;
    workingDirLabel->setObjectName(QStringLiteral("workingDirLabel"));
    grid->addWidget(workingDirLabel, 1, 1, 1, 2);

    // Tyk logging
    auto *loggingGroup = new QGroupBox(QStringLiteral("Tyk Logging"));
    auto *loggingLayout = new QGridLayout(loggingGroup);
    timeStampsCheck = new QCheckBox(QStringLiteral("Log with timestamps"));
    timeStampsCheck->setObjectName(QStringLiteral("timeStampsCheck"));
    consoleCheck = new QCheckBox(QStringLiteral("Console"));
    consoleCheck->setObjectName(QStringLiteral("consoleCheck"));
    fileCheck = new QCheckBox(QStringLiteral("File"));
    fileCheck->setObjectName(QStringLiteral("fileCheck"));
    logFileEdit = new QLineEdit;
    logFileEdit->setObjectName(QStringLiteral("logFileEdit"));
    logFileEdit->setFixedWidth(250);
    auto *browseLog = new QPushButton(QStringLiteral("Browse..."));
    connect(browseLog, &QPushButton::clicked, this, &SettingsDialog::browseLogFile);
    loggingLayout->addWidget(timeStampsCheck, 0, 0, 1, 3);
    loggingLayout->addWidget(consoleCheck, 1, 0);
    loggingLayout->addWidget(fileCheck, 2, 0);
    loggingLayout->addWidget(logFileEdit, 2, 1);
    loggingLayout->addWidget(browseLog, 2, 2);
    if (mainWindow && mainWindow->tykLink) {
        quint16 mode = 0;
        bool timeStamps = false;
        QString file;
        mainWindow->tykLink->getLogSettings(mode, timeStamps, file);
        consoleCheck->setChecked(mode & 1);
        fileCheck->setChecked(mode & 2);
        timeStampsCheck->setChecked(timeStamps);
        logFileEdit->setText(file);
    }
    grid->addWidget(loggingGroup, 2, 0, 1, 3);

    // Update check
    auto *updateGroup = new QGroupBox(QStringLiteral("Check for updates"));
    auto *updateLayout = new QHBoxLayout(updateGroup);
    updateLayout->addWidget(new QLabel(QStringLiteral("Checking timespan: ")));
    updatePeriodBox = new QComboBox;
    updatePeriodBox->setObjectName(QStringLiteral("updatePeriodBox"));
    updatePeriodBox->addItems({QStringLiteral("Never"), QStringLiteral("Every day"),
                               QStringLiteral("Every week"), QStringLiteral("Every month")});
    updateLayout->addWidget(updatePeriodBox);
    grid->addWidget(updateGroup, 3, 0, 1, 3);

    // Scaling
    auto *scalingGroup = new QGroupBox(QStringLiteral("Scaling"));
    auto *scalingLayout = new QGridLayout(scalingGroup);
    scalingLayout->addWidget(new QLabel(QStringLiteral("Scaling factor: ")), 0, 0);
    scaleFactorEdit = new QLineEdit;
    scaleFactorEdit->setObjectName(QStringLiteral("scaleFactorEdit"));
    scalingLayout->addWidget(scaleFactorEdit, 0, 1);
    scalingLayout->addWidget(
        new QLabel(QStringLiteral("Setting will only take effect after restart of Quillmate.")), 1, 0, 1, 2);
    if (osProductVersion().startsWith(QLatin1String("10"))) {
        scaleFactorEdit->setEnabled(false);
        scaleFactorEdit->setToolTip(
            QStringLiteral("Only available on Windows 7, OS scaling is used on Windows 10"));
        scaleFactorEdit->setText(QStringLiteral("---"));
    } else {
        const QString stored = AppPaths::openSettingsIni()->value(QStringLiteral("ScaleFactor")).toString();
        if (readScaleFactor(stored, nullptr))
            scaleFactorEdit->setText(stored);
    }
    grid->addWidget(scalingGroup, 4, 0, 1, 3);

    // Launcher header
    auto *harbikGroup = new QGroupBox(QStringLiteral("Orvanta Harbik Header"));
    auto *harbikLayout = new QHBoxLayout(harbikGroup);
    harbikHeaderCheck = new QCheckBox(QStringLiteral("Show"));
    harbikHeaderCheck->setObjectName(QStringLiteral("harbikHeaderCheck"));
    harbikLayout->addWidget(harbikHeaderCheck);
    grid->addWidget(harbikGroup, 5, 0, 1, 3);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 3);
}

void SettingsDialog::setScriptsDir(const QString &dir)
{
    scriptsDirBox->setCurrentText(dir);
    if (mainWindow)
        mainWindow->setScriptsDir(dir);
}

void SettingsDialog::setValues(quint16 loggingMode, bool timeStamps, const QString &logFile,
                               unsigned updatePeriod)
{
    if (loggingMode & 1)
        consoleCheck->setChecked(true);
    if (loggingMode & 2)
        fileCheck->setChecked(true);
    logFileEdit->setText(logFile);
    timeStampsCheck->setChecked(timeStamps);
    updatePeriodBox->setCurrentIndex(int(updatePeriod));
}

void SettingsDialog::setWorkingDirText(const QString &text)
{
    workingDirLabel->setText(text);
}

void SettingsDialog::setToolbarChecked(bool checked)
{
    harbikHeaderCheck->setChecked(checked);
}

void SettingsDialog::browseDir()
{
    const QString dir = Prompt::instance().existingDirectory(
        this, QStringLiteral("Select scripts folder..."), scriptsDirBox->currentText());
    if (dir.isEmpty())
        return;
    scriptsDirBox->addItem(dir);
    scriptsDirBox->setCurrentText(dir);
}

void SettingsDialog::browseLogFile()
{
    const QString file = Prompt::instance().saveFileName(
        this, QStringLiteral("Select Tyk Logging file..."), QString(), QString());
    if (!file.isEmpty())
        logFileEdit->setText(file);
}

void SettingsDialog::accept()
{
    const QString scripts = scriptsDirBox->currentText();
    {
        auto global = AppPaths::openGlobalStore();
        QStringList list = global->value(QStringLiteral("ScriptDirList")).toStringList();
        if (!list.contains(scripts)) {
            list.append(scripts);
            global->setValue(QStringLiteral("ScriptDirList"), list);
        }
    }
    if (mainWindow)
        mainWindow->setScriptsDir(scripts);

    const quint16 mode = quint16((consoleCheck->isChecked() ? 1 : 0) | (fileCheck->isChecked() ? 2 : 0));
    const QString file = logFileEdit->text();
    if (mainWindow) {
        mainWindow->applySettings(mode, timeStampsCheck->isChecked(), file,
                                  unsigned(qMax(0, updatePeriodBox->currentIndex())),
                                  harbikHeaderCheck->isChecked());
        if (mainWindow->tykLink)
            mainWindow->tykLink->openLog(mode, timeStampsCheck->isChecked(), file);
    }

    const QString scale = scaleFactorEdit->text();
    if (!scale.isEmpty() && readScaleFactor(scale, nullptr)) {
        AppPaths::openSettingsIni()->setValue(QStringLiteral("ScaleFactor"), scale.trimmed());
        qputenv("QT_SCALE_FACTOR", scale.trimmed().toUtf8());
    }
    QDialog::accept();
}
