#pragma once

#include "parameterrecord.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The values of a panel file's header and what the generated C headers are
// written from: file, versions, firmware range, SVD file, links, the Tyk
// port and checks, the tool-tip sections, the define prefixes and versions
// by header file, the refused header names and the parameter map. The panel
// holds one (Panel::header(), changed through Panel::editHeader()).
struct PanelHeader {
    QString xmlFile;
    QString xmlDir;
    QString xmlVersion;
    // The version the panel file was read with (the editor may change xmlVersion).
    QString xmlOriginalVersion;
    QString svdFile;
    QString svdDeviceName; // the "name" of the SVD file's device
    QString migrationFile;
    QString forumUrl;
    QString forumToolTip;
    QString documentsPath;
    // The panel's own disclaimer file, or the default one (hasOwnDisclaimer false).
    QString disclaimerFile;
    bool hasOwnDisclaimer = false;
    bool usesTyk = false;
    bool loadSaveAllowed = true;
    // Tyk I/O checks (iocheck): bit 0 reports receive time-outs, bit 1 warns
    // after a load when no adapter is connected.
    quint16 ioCheckMode = 1;
    // The I/O port the panel names ("TYK", "TYK2", "?" to ask, a COM port).
    QString ioPortName;
    // "baud;databits;parity;stopbits" of a COM port; empty: 115200 8N1
    QString ioPortSettings;
    // The sections of every element tool tip (tooltipconfig).
    quint32 toolTipSectionMask = 0xffff;
    // The lowest and highest firmware version the panel accepts (3 parts each).
    quint16 fwVersionMin[3] = {0, 0, 0};
    quint16 fwVersionMax[3] = {0, 0, 0};
    // Header file -> the text put before its defines.
    QMap<QString, QString> definePrefixes;
    // Header file -> the panel version in force when its first define was bound.
    QHash<QString, QString> headerVersions;
    // Header files with a changed define since the last export.
    QHash<QString, bool> changedHeaders;
    // Header names the panel gives that lead outside the working directory
    // or name no file: their elements are bound without a header.
    QStringList refusedHeaders;
    // The parameters of the panel's parameter map (parametermap), in file order.
    QList<ParameterRecord> parameterMap;

    // The file name of xmlFile, without its folder.
    QString xmlFileName() const;
    // Sets the firmware range from "major.minor.patch" texts ("*" or a
    // missing part: the whole range of that part).
    void setFWVersionRange(const QString &minText, const QString &maxText);
    void getFWVersionRange(QString &min, QString &max) const;
    // "V.min..V.max"
    QString fwVersionRangeText() const;
    // Notes header as refused, once.
    void refuseHeader(const QString &header);
};
