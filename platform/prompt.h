#pragma once

#include <QHash>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

// One message box or question.
struct PromptMessage {
    QWidget *parent = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString checkBoxText;            // empty: no check box
    Qt::WindowFlags windowFlags = {}; // empty: the box's own flags
    Qt::TextFormat textFormat = Qt::AutoText; // PlainText for texts from outside
    QHash<QMessageBox::StandardButton, QString> buttonTexts; // buttons with texts of their own
};

struct PromptAnswer {
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    bool checked = false; // the check box, when the message has one
};

// Every message box and file dialog of the program goes through this service.
// The interactive form shows Qt's dialogs; the non-interactive form (headless
// and batch runs, tests) never blocks: it answers with the default or cancel,
// or with the next scripted answer, and writes the prompt to stderr and to the
// log sink.
class Prompt
{
public:
    virtual ~Prompt() = default;

    virtual bool isInteractive() const = 0;
    virtual PromptAnswer message(const PromptMessage &message) = 0;
    // The error reporter's box: one box, reused, always on top.
    virtual void errorBox(const QString &text) = 0;
    virtual QString openFileName(QWidget *parent, const QString &caption,
                                 const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption,
                                 const QString &dir, const QString &filter) = 0;
    // Several existing files in one dialog whose accept button reads
    // acceptLabel; empty when the user cancelled. A prompt without a form of
    // its own asks for one file.
    virtual QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter, const QString &acceptLabel);
    virtual QString existingDirectory(QWidget *parent, const QString &caption,
                                      const QString &dir) = 0;
    // Returns the chosen item; ok is false when the user cancelled.
    virtual QString item(QWidget *parent, const QString &title, const QString &label,
                         const QStringList &items, int current, bool *ok) = 0;

    // The process-wide service until another one is installed: interactive,
    // unless the environment asks for a run without dialogs.
    static Prompt &instance();
    static void install(std::unique_ptr<Prompt> prompt);
    // True when the environment asks for a run without dialogs
    // (QUILLMATE_NONINTERACTIVE=1).
    static bool nonInteractiveRequested();
    // False on a platform without a display (Qt's offscreen and minimal
    // platforms) and before the GUI application exists: nobody could see a
    // dialog or close a window there.
    static bool displayAvailable();

    // Where the non-interactive form copies its prompts besides stderr
    // (the console log file of option -c).
    static void setLogSink(std::function<void(const QString &)> sink);

    // Convenience forms.
    static PromptAnswer ask(const PromptMessage &message) { return instance().message(message); }
};

class GuiPrompt final : public Prompt
{
public:
    ~GuiPrompt() override;
    bool isInteractive() const override { return true; }
    PromptAnswer message(const PromptMessage &message) override;
    void errorBox(const QString &text) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                              const QString &acceptLabel) override;
    QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir) override;
    QString item(QWidget *parent, const QString &title, const QString &label,
                 const QStringList &items, int current, bool *ok) override;

private:
    QMessageBox *m_errorBox = nullptr;
};

// Answers come from QUILLMATE_PROMPT_ANSWERS (";"-separated, used in order):
// for messages a button name ("yes", "no", "ok", "cancel", ...), optionally
// followed by "+checked"; for file and item prompts the text itself, an empty
// answer meaning cancel (several files in one answer are joined by "|"). Without a scripted answer a message takes its default
// button (or its cancel/no/ok button) and every other prompt is cancelled.
class NonInteractivePrompt final : public Prompt
{
public:
    NonInteractivePrompt();
    explicit NonInteractivePrompt(const QStringList &answers);
    bool isInteractive() const override { return false; }
    PromptAnswer message(const PromptMessage &message) override;
    void errorBox(const QString &text) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                              const QString &acceptLabel) override;
    QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir) override;
    QString item(QWidget *parent, const QString &title, const QString &label,
                 const QStringList &items, int current, bool *ok) override;

    // Everything this prompt was asked, as "title: text" lines.
    const QStringList &transcript() const { return m_transcript; }

private:
    void note(const QString &title, const QString &text, bool toLog = true);
    bool takeAnswer(QString *answer);
    QString textAnswer(const QString &title, const QString &text);

    QStringList m_answers;
    QStringList m_transcript;
};
