#pragma once

#include <QObject>
#include <QString>

#include <memory>

class MainWindow;
class QNetworkReply;
class QProcess;

// The window's ties to the programs around it: the Keil µVision tools menu
// (the clean-up and the entry written at start-up, the menu command), the
// launcher's local service (is the tool known, register a port, say it runs)
// and the help, which the launcher provides. Owned by the window; its menu
// command and help button connect here.
class WindowIntegration final : public QObject
{
    Q_OBJECT

public:
    explicit WindowIntegration(MainWindow &window);
    ~WindowIntegration() override;
    Q_DISABLE_COPY_MOVE(WindowIntegration)

    // ---- Keil µVision tools menu
    // Start-up: offers to remove the entries of copies that are gone.
    void cleanUpKeilEntries();
    // Start-up with -k or EnableKeil: writes this copy's entry (asking first
    // when other copies have one).
    void runKeilStep();
    // The "Integrate into Keil µVision" command.
    void integrateKeil();

    // ---- The launcher
    // The feature id the launcher service knows the tool by.
    QString harbikFeature() const { return m_harbikFeatureId; }
    void setHarbikFeature(const QString &id) { m_harbikFeatureId = id; }
    // After a panel is read: asks whether the tool is known, registers it
    // when not, then says it runs with that panel. Nothing without a feature id.
    void reportPanelToLauncher();
    // Starts the launcher to show the help, or says that only it has help.
    void showHelp();

private:
    // Writes tool entry `entry` of the Keil tools menu and the end mark after it.
    void integrateIntoKeil(int entry);
    // The launcher service's requests and their replies.
    void registerTool();
    void setHarbikState();
    void readingRegisteredTools(QNetworkReply *reply);
    void onToolRegisterAttempt(QNetworkReply *reply);

    MainWindow &m_window;
    // The command and arguments of this copy's entry when the launcher
    // starts it (set by runKeilStep, written by integrateIntoKeil).
    QString m_keilCommand;
    QString m_keilArguments;
    int m_harbikPort = 50000;
    QString m_harbikFeatureId; // the bundle's symbolic name + ".feature"
    // The launcher started for help; lives for the run.
    std::unique_ptr<QProcess> m_helpProcess;
};
