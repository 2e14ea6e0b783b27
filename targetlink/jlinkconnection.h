#pragma once

#include <QByteArray>
#include <QtGlobal>

// How the program reaches its probe and target. The main window keeps one;
// the post-load set-up and the DOWNLOAD command connect with it.
struct JLinkSettings {
    static constexpr quint32 HostUsb = 1;
    static constexpr quint32 HostIp = 2;

    quint32 hostInterface = HostUsb;
    quint32 targetInterface = 1;    // for JLINKARM_TIF_Select
    quint32 serialNumber = 0;       // USB probe serial number; 0: any probe
    quint32 speedKHz = 4000;
    QByteArray ipHost;              // host of an IP probe
    QByteArray settingsFile = "Settings.jlink"; // empty: none handed over
    QByteArray deviceName = "VRC4471";          // empty: none named
};

// Writes the defaults into every field but ipHost; returns 0.
int jlinkDefaultSettings(JLinkSettings &settings);

// Selects the probe, opens it, hands it the settings file and the device,
// selects the target interface and speed, and connects to the target.
// Returns 0 when connected, -1 at the first step that failed (errors go to
// jlinkErrorCallback; nothing is closed or undone).
int jlinkConnect(const JLinkSettings &settings);

// The library's text callbacks: "ERROR: " and "Log: " lines in the
// developer log (qDebug), never on the console.
void jlinkErrorCallback(const char *text);
void jlinkLogCallback(const char *text);
