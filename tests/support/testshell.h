#pragma once

#include "elementhost.h"
#include "macrorecorder.h"
#include "panelshell.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

// A window stand-in for a Panel under test. It records like the window (the
// macro recorder, its echo going into console), keeps the panel widget it is
// shown (the previous one goes once control is back in the event loop; with
// host set, as in the window, it goes at once unless an element walk of the
// host runs), marks the project modified, and notes every request that
// reaches beyond the panel instead of carrying it out.
class TestShell : public PanelShell
{
public:
    TestShell()
    {
        recorder.setEcho([this](const QString &html) { console << html; });
    }
    ~TestShell() override { delete m_panelWidget.data(); }
    TestShell(const TestShell &) = delete;
    TestShell &operator=(const TestShell &) = delete;

    MacroRecorder recorder;
    // The console lines as HTML: the recorder's echo (and whatever else a
    // test sends here, e.g. the error reporter's console sink).
    QStringList console;
    bool modified = false;
    // What runningScriptFile() answers.
    QString scriptFile;
    // The panel asked whether element code runs when the panel widget is
    // replaced; null: the previous widget always goes later.
    const ElementHost *host = nullptr;

    // The requests in the order they came.
    QStringList loadedFiles;
    QStringList scripts;
    QStringList programs;
    QStringList sentUSB;
    QStringList receivedData;
    int cancelHighlightCalls = 0;
    // Run after a loadFile request was noted, when set: what the load does.
    std::function<void(const QString &name)> onLoadFile;

    // The widget shown as the panel now, or null.
    QWidget *panelWidget() const { return m_panelWidget.data(); }

    // Back to a fresh shell: no recording, an empty console, nothing modified
    // or requested, no panel widget.
    void reset()
    {
        recorder.stop();
        recorder.setComment(QString());
        console.clear();
        modified = false;
        scriptFile.clear();
        loadedFiles.clear();
        scripts.clear();
        programs.clear();
        sentUSB.clear();
        receivedData.clear();
        cancelHighlightCalls = 0;
        onLoadFile = nullptr;
        delete m_panelWidget.data();
    }

    // ---- PanelShell
    void showPanelWidget(QWidget *widget) override
    {
        if (QWidget *old = m_panelWidget.data(); old && old != widget) {
            old->hide();
            if (host && !host->elementCodeRunning())
                delete old;
            else
                old->deleteLater();
        }
        m_panelWidget = widget;
    }
    QWidget *dialogParent() override
    {
        if (!m_dialogParent)
            m_dialogParent = std::make_unique<QWidget>();
        return m_dialogParent.get();
    }
    bool isRecording() const override { return recorder.isRecording(); }
    void recordScriptLine(const QString &line, const QString &consoleLine) override
    {
        recorder.record(line, consoleLine);
    }
    QString runningScriptFile() const override { return scriptFile; }
    void setProjectModified() override { modified = true; }
    void cancelHighlight() override { ++cancelHighlightCalls; }
    void loadFile(const QString &name) override
    {
        loadedFiles << name;
        if (onLoadFile)
            onLoadFile(name);
    }
    void runScript(const QString &text) override { scripts << text; }
    void startProgram(const QString &program) override { programs << program; }
    void sendUSB(const QString &values) override { sentUSB << values; }
    void recData(const QString &values) override { receivedData << values; }

private:
    QPointer<QWidget> m_panelWidget;
    std::unique_ptr<QWidget> m_dialogParent;
};
