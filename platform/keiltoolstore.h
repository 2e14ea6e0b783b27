#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

// The tools menu of the Keil µVision 5 IDE, as numbered values "Mtx%d",
// "Mex%d", "Mag%d", "Mfg%d" and "Mid%d" under the IDE's "ToolM" key, kept in
// an INI file: the file stands for the IDE's registry key, its [ToolM]
// section for the tools menu. A missing file means the IDE is not installed;
// reading never creates it. Writes replace the file in one step, so a failed
// write leaves it as it was; sections other than [ToolM] are never touched.
class KeilToolStore
{
public:
    // QUILLMATE_KEIL_STORE when set, else "keil-uvision5.ini" in the
    // program's folder of the user's configuration directory.
    static QString defaultPath();

    explicit KeilToolStore(const QString &path = defaultPath());
    ~KeilToolStore();
    KeilToolStore(const KeilToolStore &) = delete;
    KeilToolStore &operator=(const KeilToolStore &) = delete;

    QString path() const { return m_path; }
    // The IDE counts as installed when the file exists.
    bool isInstalled() const { return m_installed; }
    // Installed, and the file could be taken: not larger than the limit and
    // readable. error() says why not.
    bool isUsable() const { return m_settings != nullptr; }
    QString error() const { return m_error; }

    QString text(const QString &name) const;
    int number(const QString &name) const;
    void setValue(const QString &name, const QVariant &value);
    // Removes every value of the tools menu.
    void clear();
    // Writes what was changed; false (error() says why) when the file could
    // not be written.
    bool sync();

    // A store larger than this is not the IDE's: it is left alone.
    static constexpr qint64 maximumFileSize = 1024 * 1024;

private:
    QString m_path;
    bool m_installed = false;
    QString m_error;
    std::unique_ptr<QSettings> m_settings;
};
