#pragma once

#include <QPixmap>
#include <QPushButton>

class ElementHost;
class ElementSignals;

// A panel button: no define and no value, only actions. Each press, release
// and click walks the actions of its "data" property (entry "0") and emits
// those of that event whose condition holds; every activation also sends the
// setDef texts of "default_setdef". A focused user's click is recorded as a
// "Clicked(NAME)" script line.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    // A button without name is named after its caption and a counter that
    // runs for the whole process (Start_3), or PUSH_n without a caption.
    PushButton(const QString &name, const QString &text, QWidget *parent = nullptr);

    // Shows the picture file, relative to the panel's directory, as the icon.
    // A picture that cannot be loaded is reported; the old icon stays.
    void loadIcon(const QString &file);

    // The recorder's "Clicked(NAME)" line for a button the user clicked; only
    // while recording and only when the button has the keyboard focus.
    static void recordClicked(const QWidget *button, ElementHost *host);

    // The panel the button belongs to; null for a button on its own.
    ElementHost *host() const { return m_host; }
    void setHost(ElementHost *host) { m_host = host; }

    // The button's action signals: a child of the button.
    ElementSignals *elementSignals() const { return m_signals; }

public slots:
    // The action runner of the button's own clicked, pressed and released
    // signals; the event is the name of the signal that called it.
    void sendDataWhenClicked();

private:
    // A condition is always a formula here (no text comparison): it holds
    // when it is empty or its value is not 0.
    bool actionConditionHolds(const QString &condition) const;

    ElementHost *m_host = nullptr;
    ElementSignals *m_signals;
};

// A picture file named by panel data, resolved against the directory of the
// host's panel; *path gets the absolute path it was loaded from.
QPixmap loadPanelPicture(const QString &file, QString *path, const ElementHost *host);
