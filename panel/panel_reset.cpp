// Panel: the panel reset. Every element goes back to its default, all
// locks are dropped and applied anew from the defaults, as after a load.
#include "quillpanel.h"

#include "dataclass.h"
#include "elementwalk.h"
#include "panelshell.h"
#include "timerlabel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

// Cuts every connection of the widget signals that an element's initialize
// connects again, so that a reset never connects them twice. Other element
// classes keep their connections.
static void disconnectWidgetSignals(QObject *object)
{
    if (auto *combo = qobject_cast<QComboBox *>(object)) {
        QObject::disconnect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), nullptr, nullptr);
        QObject::disconnect(combo, QOverload<int>::of(&QComboBox::activated), nullptr, nullptr);
    } else if (auto *box = qobject_cast<QCheckBox *>(object)) {
        QObject::disconnect(box, &QCheckBox::clicked, nullptr, nullptr);
        QObject::disconnect(box, &QCheckBox::stateChanged, nullptr, nullptr);
    } else if (auto *button = qobject_cast<QPushButton *>(object)) {
        QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
        QObject::disconnect(button, &QPushButton::pressed, nullptr, nullptr);
        QObject::disconnect(button, &QPushButton::released, nullptr, nullptr);
    } else if (auto *doubleBox = qobject_cast<QDoubleSpinBox *>(object)) {
        QObject::disconnect(doubleBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), nullptr, nullptr);
    } else if (auto *spin = qobject_cast<QSpinBox *>(object)) {
        QObject::disconnect(spin, QOverload<int>::of(&QSpinBox::valueChanged), nullptr, nullptr);
    } else if (auto *line = qobject_cast<QLineEdit *>(object)) {
        QObject::disconnect(line, &QLineEdit::textEdited, nullptr, nullptr);
        QObject::disconnect(line, &QLineEdit::textChanged, nullptr, nullptr);
    } else if (auto *text = qobject_cast<QTextEdit *>(object)) {
        QObject::disconnect(text, &QTextEdit::textChanged, nullptr, nullptr);
    } else if (auto *group = qobject_cast<QButtonGroup *>(object)) {
        QObject::disconnect(group, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), nullptr,
                            nullptr);
        QObject::disconnect(group, QOverload<QAbstractButton *, bool>::of(&QButtonGroup::buttonToggled),
                            nullptr, nullptr);
    }
}

void Panel::resetGUI(QString unused)
{
    Q_UNUSED(unused)
    m_flags.loading = true;
    m_flags.guiResetInProgress = true;
    m_flags.readOrResetInProgress = true;

    // Each pass goes over every element before the next begins. The passes
    // run actions: a change moves an element to the end of the list, and an
    // action that opens another panel takes the elements away.
    const ElementWalk elements(m_registries.allElements, this);
    const auto eachElement = [&elements](const auto &step) { elements.forEach(step); };
    const auto eachTimer = [&elements](const auto &step) {
        elements.forEach([&step](ActiveElement *element) {
            if (TimerLabel *timer = timerLabelOf(element))
                step(timer);
        });
    };

    eachTimer([](TimerLabel *timer) { timer->setRunning(false); });
    eachElement([](ActiveElement *element) { disconnectWidgetSignals(objectOf(element)); });
    eachElement([](ActiveElement *element) { element->clearLocks(); });
    // Nobody waits any more; the locks sent below bring back the conflicts
    // that the defaults make. A stale entry would stop the header export.
    m_locks->clearWaitingLocks();
    eachElement([](ActiveElement *element) { element->enable(true); });
    eachElement([](ActiveElement *element) {
        element->resetToDefault();
        if (auto *widget = qobject_cast<QWidget *>(objectOf(element)))
            widget->repaint();
    });
    eachElement([](ActiveElement *element) { element->initialize(); });
    eachElement([](ActiveElement *element) { element->applyLocks(); });
    eachElement([](ActiveElement *element) { element->updateMathLabels(); });
    QList<QPointer<DataClass>> variables;
    for (DataClass *variable : qAsConst(m_registries.variablesByName))
        variables.append(variable);
    for (const QPointer<DataClass> &variable : qAsConst(variables)) {
        if (variable)
            variable->resetToDefault();
    }
    eachTimer([](TimerLabel *timer) { timer->reset(); });
    if (m_shell)
        m_shell->setProjectModified();

    m_flags.loading = false;
    m_flags.guiResetInProgress = false;
    m_flags.readOrResetInProgress = false;
}
