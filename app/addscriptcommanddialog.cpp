#include "addscriptcommanddialog.h"

#include "macrorecorder.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

AddScriptCommandDialog::AddScriptCommandDialog(MacroRecorder &recorder, QWidget *parent)
    : QDialog(parent)
    , m_recorder(recorder)
{
    setWindowTitle(QStringLiteral("Add script command"));
    auto *layout = new QVBoxLayout(this);

    auto *commentBox = new QGroupBox(QStringLiteral("Comment for next line"));
    auto *commentLayout = new QHBoxLayout(commentBox);
    commentLayout->addWidget(new QLabel(QStringLiteral("Comment: ")));
    m_comment = new QLineEdit;
    m_comment->setObjectName(QStringLiteral("commentForNextLine"));
    m_comment->setMinimumWidth(300);
    commentLayout->addWidget(m_comment);
    layout->addWidget(commentBox);

    auto *commandBox = new QGroupBox(QStringLiteral("Insert command"));
    auto *grid = new QGridLayout(commandBox);
    m_commands = new QButtonGroup(this);
    const char *const names[] = {"MessageBox", "Comment", "SetWaitTime", "Wait", "SetSingleStep", "Clear"};
    for (int row = 0; row < 6; ++row) {
        auto *button = new QRadioButton(QLatin1String(names[row]));
        button->setObjectName(QLatin1String(names[row]));
        m_commands->addButton(button); // automatic ids: -2 .. -7
        grid->addWidget(button, row, 0);
        if (row == 5)
            break;
        auto *edit = new QLineEdit;
        edit->setObjectName(QLatin1String(names[row]) + QStringLiteral("Text"));
        grid->addWidget(edit, row, 1);
        const int id = m_commands->id(button);
        m_rowOfEdit.insert(edit, id);
        m_editOfRow.insert(id, edit);
        connect(edit, &QLineEdit::cursorPositionChanged, this, &AddScriptCommandDialog::setRB);
    }
    layout->addWidget(commandBox);

    auto *buttons = new QHBoxLayout;
    auto *close = new QPushButton(QStringLiteral("Close"));
    auto *insert = new QPushButton(QStringLiteral("Insert"));
    insert->setObjectName(QStringLiteral("insertButton"));
    buttons->addWidget(close);
    buttons->addWidget(insert);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(insert, &QPushButton::released, this, &AddScriptCommandDialog::insertCommand);
}

void AddScriptCommandDialog::setRB(int, int)
{
    const int id = m_rowOfEdit.value(sender(), 0);
    if (QAbstractButton *button = m_commands->button(id))
        button->setChecked(true);
}

void AddScriptCommandDialog::insertCommand()
{
    m_recorder.setComment(m_comment->text());
    if (!m_recorder.isRecording())
        return;
    const int id = m_commands->checkedId();
    const QString text = m_editOfRow.contains(id) ? m_editOfRow.value(id)->text() : QString();
    switch (id) {
    case MessageBoxId: m_recorder.insertLine(QStringLiteral("MessageBox(") + text + QLatin1Char(')')); break;
    case CommentId: m_recorder.insertLine(QStringLiteral("//") + text); break;
    case SetWaitTimeId: m_recorder.insertLine(QStringLiteral("SetWaitTime(") + text + QLatin1Char(')')); break;
    case WaitId: m_recorder.insertLine(QStringLiteral("Wait(") + text + QLatin1Char(')')); break;
    case SetSingleStepId: m_recorder.insertLine(QStringLiteral("SetSingleStep(") + text + QLatin1Char(')')); break;
    case ClearId: m_recorder.insertLine(QStringLiteral("Clear()")); break;
    default: break;
    }
}
