#pragma once

#include <QDialog>

class MainWindow;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The "Settings" dialog: scripts and working directory, Tyk logging, update
// period, scaling factor and the launcher header.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(MainWindow *window);

    void setScriptsDir(const QString &dir);
    void setValues(quint16 loggingMode, bool timeStamps, const QString &logFile,
                   unsigned updatePeriod);
    void setWorkingDirText(const QString &text);
    void setToolbarChecked(bool checked);

public slots:
    void browseDir();
    void browseLogFile();
    void accept() override;

private:
    QComboBox *m_scriptsDirBox;
    QLabel *m_workingDirLabel;
    QString m_logFileName;
    QCheckBox *m_consoleCheck;
    QCheckBox *m_fileCheck;
    QCheckBox *m_timeStampsCheck;
    QLineEdit *m_logFileEdit;
    QCheckBox *m_harbikHeaderCheck;
    QComboBox *m_updatePeriodBox;
    QLineEdit *m_scaleFactorEdit;
    MainWindow *m_mainWindow;
};
