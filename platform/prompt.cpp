#include "prompt.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>

#include <cstdio>

static std::unique_ptr<Prompt> &currentPrompt()
{
    static std::unique_ptr<Prompt> prompt;
    return prompt;
}

static std::function<void(const QString &)> &logSink()
{
    static std::function<void(const QString &)> sink;
    return sink;
}

QStringList Prompt::openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                  const QString &filter, const QString &)
{
    const QString file = openFileName(parent, caption, dir, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

Prompt &Prompt::instance()
{
    if (!currentPrompt()) {
        if (nonInteractiveRequested())
            currentPrompt() = std::make_unique<NonInteractivePrompt>();
        else
            currentPrompt() = std::make_unique<GuiPrompt>();
    }
    return *currentPrompt();
}

void Prompt::install(std::unique_ptr<Prompt> prompt)
{
    currentPrompt() = std::move(prompt);
}

bool Prompt::nonInteractiveRequested()
{
    return qEnvironmentVariableIntValue("QUILLMATE_NONINTERACTIVE") != 0;
}

bool Prompt::displayAvailable()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")
        && platform != QLatin1String("minimalegl");
}

void Prompt::setLogSink(std::function<void(const QString &)> sink)
{
    logSink() = std::move(sink);
}

// ---------------------------------------------------------------------------
// GuiPrompt

GuiPrompt::~GuiPrompt()
{
    delete m_errorBox;
}

PromptAnswer GuiPrompt::message(const PromptMessage &message)
{
    QMessageBox box(message.icon, message.title, message.text, message.buttons, message.parent);
    box.setTextFormat(message.textFormat);
    for (auto text = message.buttonTexts.cbegin(); text != message.buttonTexts.cend(); ++text) {
        if (QAbstractButton *button = box.button(text.key()))
            button->setText(text.value());
    }
    if (message.windowFlags)
        box.setWindowFlags(message.windowFlags);
    if (message.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(message.defaultButton);
    QCheckBox *check = nullptr;
    if (!message.checkBoxText.isEmpty()) {
        check = new QCheckBox(message.checkBoxText, &box);
        box.setCheckBox(check);
    }
    PromptAnswer answer;
    answer.button = static_cast<QMessageBox::StandardButton>(box.exec());
    answer.checked = check && check->isChecked();
    return answer;
}

void GuiPrompt::errorBox(const QString &text)
{
    if (!m_errorBox) {
        m_errorBox = new QMessageBox;
        m_errorBox->setWindowFlags(m_errorBox->windowFlags() | Qt::WindowStaysOnTopHint);
    }
    m_errorBox->setText(text);
    m_errorBox->exec();
}

QString GuiPrompt::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString GuiPrompt::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QStringList GuiPrompt::openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                     const QString &filter, const QString &acceptLabel)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setLabelText(QFileDialog::Accept, acceptLabel);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString GuiPrompt::existingDirectory(QWidget *parent, const QString &caption, const QString &dir)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

QString GuiPrompt::item(QWidget *parent, const QString &title, const QString &label,
                        const QStringList &items, int current, bool *ok)
{
    return QInputDialog::getItem(parent, title, label, items, current, false, ok);
}

// ---------------------------------------------------------------------------
// NonInteractivePrompt

NonInteractivePrompt::NonInteractivePrompt()
    : NonInteractivePrompt(qEnvironmentVariable("QUILLMATE_PROMPT_ANSWERS")
                               .split(QLatin1Char(';'), Qt::SkipEmptyParts))
{
}

NonInteractivePrompt::NonInteractivePrompt(const QStringList &answers)
    : m_answers(answers)
{
}

void NonInteractivePrompt::note(const QString &title, const QString &text, bool toLog)
{
    const QString line = title.isEmpty() ? text : title + QStringLiteral(": ") + text;
    m_transcript.append(line);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    if (toLog && logSink())
        logSink()(line.endsWith(QLatin1Char('\n')) ? line : line + QLatin1Char('\n'));
}

bool NonInteractivePrompt::takeAnswer(QString *answer)
{
    if (m_answers.isEmpty())
        return false;
    *answer = m_answers.takeFirst().trimmed();
    return true;
}

static QMessageBox::StandardButton buttonByName(const QString &name)
{
    static const struct { const char *name; QMessageBox::StandardButton button; } table[] = {
        {"ok", QMessageBox::Ok},       {"yes", QMessageBox::Yes},
        {"no", QMessageBox::No},       {"cancel", QMessageBox::Cancel},
        {"save", QMessageBox::Save},   {"discard", QMessageBox::Discard},
        {"abort", QMessageBox::Abort}, {"retry", QMessageBox::Retry},
        {"ignore", QMessageBox::Ignore}, {"close", QMessageBox::Close},
    };
    for (const auto &entry : table) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.button;
    }
    return QMessageBox::NoButton;
}

static QMessageBox::StandardButton fallbackButton(const PromptMessage &message)
{
    if (message.defaultButton != QMessageBox::NoButton)
        return message.defaultButton;
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok,
                                          QMessageBox::Close}) {
        if (message.buttons & b)
            return b;
    }
    return QMessageBox::NoButton;
}

PromptAnswer NonInteractivePrompt::message(const PromptMessage &message)
{
    note(message.title, message.text);
    PromptAnswer answer;
    answer.button = fallbackButton(message);
    QString scripted;
    if (takeAnswer(&scripted)) {
        answer.checked = scripted.endsWith(QLatin1String("+checked"), Qt::CaseInsensitive);
        if (answer.checked)
            scripted.chop(int(qstrlen("+checked")));
        const QMessageBox::StandardButton chosen = buttonByName(scripted);
        if (chosen != QMessageBox::NoButton && (message.buttons & chosen))
            answer.button = chosen;
    }
    return answer;
}

void NonInteractivePrompt::errorBox(const QString &text)
{
    // The reporter writes its own log file line; this only keeps the text visible.
    note(QString(), text, false);
}

QString NonInteractivePrompt::textAnswer(const QString &title, const QString &text)
{
    note(title, text);
    QString scripted;
    if (takeAnswer(&scripted))
        return scripted;
    return QString();
}

QString NonInteractivePrompt::openFileName(QWidget *, const QString &caption, const QString &dir,
                                           const QString &filter)
{
    return textAnswer(caption, dir + QLatin1Char(' ') + filter);
}

QString NonInteractivePrompt::saveFileName(QWidget *, const QString &caption, const QString &dir,
                                           const QString &filter)
{
    return textAnswer(caption, dir + QLatin1Char(' ') + filter);
}

QStringList NonInteractivePrompt::openFileNames(QWidget *, const QString &caption, const QString &dir,
                                                const QString &filter, const QString &)
{
    return textAnswer(caption, dir + QLatin1Char(' ') + filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QString NonInteractivePrompt::existingDirectory(QWidget *, const QString &caption,
                                                const QString &dir)
{
    return textAnswer(caption, dir);
}

QString NonInteractivePrompt::item(QWidget *, const QString &title, const QString &label,
                                   const QStringList &items, int current, bool *ok)
{
    const QString chosen = textAnswer(title, label + QStringLiteral(" [") +
                                                 items.join(QStringLiteral(", ")) +
                                                 QLatin1Char(']'));
    const bool accepted = !chosen.isEmpty();
    if (ok)
        *ok = accepted;
    Q_UNUSED(current)
    return chosen;
}
