#pragma once

#include "apppaths.h"
#include "prompt.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// A private program directory and settings location for one test executable,
// with the non-interactive prompt installed so nothing ever blocks.
class TestEnvironment
{
public:
    TestEnvironment()
    {
        QVERIFY(m_root.isValid());
        QDir(m_root.path()).mkpath(QStringLiteral("app"));
        QDir(m_root.path()).mkpath(QStringLiteral("config"));
        qputenv("QUILLMATE_APPDIR", appDir().toUtf8());
        qputenv("XDG_CONFIG_HOME", configDir().toUtf8());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir());
        auto prompt = std::make_unique<NonInteractivePrompt>(QStringList());
        m_prompt = prompt.get();
        Prompt::install(std::move(prompt));
    }

    QString appDir() const { return m_root.filePath(QStringLiteral("app")); }
    QString configDir() const { return m_root.filePath(QStringLiteral("config")); }
    QString path(const QString &name) const { return m_root.filePath(name); }
    NonInteractivePrompt *prompt() const { return m_prompt; }

    // Replaces the prompt, e.g. with scripted answers.
    NonInteractivePrompt *installPrompt(const QStringList &answers)
    {
        auto prompt = std::make_unique<NonInteractivePrompt>(answers);
        m_prompt = prompt.get();
        Prompt::install(std::move(prompt));
        return m_prompt;
    }

    void writeSettingsIni(const QString &text) const
    {
        QFile file(QDir(appDir()).filePath(QStringLiteral("settings.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

private:
    QTemporaryDir m_root;
    NonInteractivePrompt *m_prompt = nullptr;
};
