#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class ActiveElement;
class Container;
class DataClass;
class Image;
class Led;
class LogLabel;
class MathLabel;
class MyQwtPlot;
class PushButton;
class QObject;
class QWidget;
class QwtDial;
class QwtPlotCurve;
class QwtThermo;
class TabWidget;
class TimerLabel;
struct ComPollEntry;
class ModuleRecord;
struct VarPollEntry;

// The registries of the loaded panel, by define and by name. Others read
// them through Panel::registries(); only the panel's own mutators change
// them. None of them owns what it points to except the module table, which
// owns its records.
// A module of the module table under its name.
struct ModuleEntry {
    QString name;
    ModuleRecord *module;
};

struct PanelRegistries {
    QHash<QString, ModuleRecord *> moduleTable;
    // The same modules in the order they were added: a walk over every
    // module (header export, the save, the clear) reads this list.
    QVector<ModuleEntry> moduleOrder;
    // Modules a rename pushed out of the table, freed with the others.
    QVector<ModuleRecord *> retiredModules;
    QHash<QString, QList<MathLabel *>> mathLabelsByDefine;
    QHash<QString, ActiveElement *> elementsByDefine;
    // Every value-bearing element in registration order.
    QList<ActiveElement *> allElements;
    QHash<QString, QList<Led *>> ledsByData;
    QHash<QString, QList<Image *>> imagesByDefine;
    QHash<QString, QList<QwtPlotCurve *>> curvesByData;
    QHash<QString, QList<QwtDial *>> dialsByData;
    QHash<QString, QList<QwtThermo *>> thermosByData;
    QHash<QString, QList<LogLabel *>> logItemsByData;
    QHash<QString, DataClass *> variablesByName;
    QHash<QString, TabWidget *> tabWidgetsByName;
    QHash<QString, Image *> imagesByName;
    QHash<QString, Led *> ledsByName;
    QHash<QString, QWidget *> dialsByName;
    QHash<QString, QWidget *> thermosByName;
    QHash<QString, MyQwtPlot *> plotsByName;
    QHash<QString, TimerLabel *> timersByName;
    QHash<QString, PushButton *> pushButtonsByName;
    QHash<QString, Container *> containersByName;
    // The element names in load order, for the find dialog.
    QStringList elementNames;
    // The elements the panel holds without showing them (formula labels,
    // timers with "visible" 0).
    QList<QObject *> invisibleElements;
    // The poll lists of the target link threads (the entries belong to the
    // panel reader's records).
    QList<VarPollEntry *> varPollList;
    QList<ComPollEntry *> comPollList;
};
