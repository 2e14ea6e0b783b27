#pragma once

#include "valueelement.h"

#include <QTextEdit>

// A multi-line text bound to a whole define. Its stored value is the content
// as HTML; its value the plain text. Links in it open with the desktop's
// handler on a click. It reads no action list: changed_sendUSB and
// changed_setDef carry its own text where the panel connected them.
class TextEdit : public QTextEdit, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit TextEdit(const QString &name, QWidget *parent = nullptr);

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void makeReadOnly() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // OpenFileDialog: the file becomes the text, kept as the user's; the actions run.
    bool takeChosenFile(const QString &file) override;
    // The tool tip shows the content itself.
    void updateToolTip() override;

    // Small, so layouts grow the field from there.
    QSize sizeHint() const override;

public slots:
    void sendData(const QString &text);
    void enable(bool on) override;
    // The script engine's and the command line's change.
    void valueChanged(const QString &text);
    // Every change of the content, the program's too.
    void valueChangedByUser();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The plain text on one line, for a define and a script line.
    QString singleLineText() const;

    QString m_storedValue;
};
