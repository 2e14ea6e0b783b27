#pragma once

#include <QDialog>
#include <QHash>

class MacroRecorder;
class QButtonGroup;
class QLineEdit;

// Inserts hand-written commands into the script being recorded: a comment
// for the next recorded line, and one of MessageBox, a comment line,
// SetWaitTime, Wait, SetSingleStep and Clear.
class AddScriptCommandDialog : public QDialog
{
    Q_OBJECT
public:
    AddScriptCommandDialog(MacroRecorder &recorder, QWidget *parent = nullptr);

    // The radio buttons' ids, in the order of their rows.
    enum CommandId { MessageBoxId = -2, CommentId = -3, SetWaitTimeId = -4, WaitId = -5,
                     SetSingleStepId = -6, ClearId = -7 };

public slots:
    // Stores the comment for the next line and writes the checked command.
    void insertCommand();
    // Checks the row of the line edit that sent the signal.
    void setRB(int oldPosition, int newPosition);

private:
    MacroRecorder &m_recorder;
    QLineEdit *m_comment = nullptr;
    QButtonGroup *m_commands = nullptr;
    QHash<QObject *, int> m_rowOfEdit;
    QHash<int, QLineEdit *> m_editOfRow;
};
