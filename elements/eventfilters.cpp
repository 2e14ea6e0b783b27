#include "eventfilters.h"

#include "activeelement.h"
#include "prompt.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QWidget>

MouseWheelWidgetAdjustmentGuard::MouseWheelWidgetAdjustmentGuard(QObject *parent)
    : QObject(parent)
{
}

bool MouseWheelWidgetAdjustmentGuard::eventFilter(QObject *watched, QEvent *event)
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::Wheel && widget && !widget->hasFocus()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// The one press on its way back to its object after a confirmation. Only one
// confirmation can be open at a time, so one slot suffices. The press itself
// is recognised, not just its object: other events (paint, focus) may reach
// the object before the posted press does.
struct PendingReplay {
    QPointer<QObject> target;
    const QEvent *press = nullptr;
};
static PendingReplay pendingReplay;

QInputEventRecorder::QInputEventRecorder(QObject *parent)
    : QObject(parent)
{
}

static QString confirmationText(QObject *watched)
{
    if (auto *radio = qobject_cast<QRadioButton *>(watched))
        return elementPropertyOf(radio->group(), "confirmation").toString();
    return elementPropertyOf(watched, "confirmation").toString();
}

bool QInputEventRecorder::eventFilter(QObject *watched, QEvent *event)
{
    if (pendingReplay.target && watched == pendingReplay.target && event == pendingReplay.press) {
        pendingReplay = PendingReplay();
        event->accept();
        return false;
    }
    if (event->type() != QEvent::MouseButtonPress)
        return QObject::eventFilter(watched, event);
    const QString text = confirmationText(watched);
    if (text.isEmpty())
        return QObject::eventFilter(watched, event);

    const auto *press = static_cast<QMouseEvent *>(event);
    auto *pressCopy = new QMouseEvent(QEvent::MouseButtonPress, press->localPos(), press->windowPos(),
                                      press->screenPos(), press->button(), press->buttons(),
                                      press->modifiers());
    auto *release = new QMouseEvent(QEvent::MouseButtonRelease, press->localPos(), press->windowPos(),
                                    press->screenPos(), press->button(), press->buttons(),
                                    press->modifiers());
    PromptMessage message;
    message.parent = qobject_cast<QWidget *>(watched) ? static_cast<QWidget *>(watched)->window() : nullptr;
    message.icon = QMessageBox::Warning;
    message.title = QStringLiteral("Quillmate");
    message.text = text;
    message.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    message.defaultButton = QMessageBox::NoButton;
    // The object can go while the question is open.
    QPointer<QObject> guard(watched);
    if (Prompt::ask(message).button != QMessageBox::Cancel && guard) {
        pendingReplay.target = watched;
        pendingReplay.press = pressCopy;
        QCoreApplication::postEvent(watched, pressCopy);
        QCoreApplication::postEvent(watched, release);
    } else {
        delete pressCopy;
        delete release;
    }
    event->ignore();
    return true;
}

void installWheelGuard(QWidget *widget)
{
    // One guard serves every element: it keeps no state of its own, and a
    // panel of thousands of spin boxes need not carry a guard object each.
    // Elements live on the GUI thread, as the guard does.
    static QPointer<MouseWheelWidgetAdjustmentGuard> guard;
    if (!guard)
        guard = new MouseWheelWidgetAdjustmentGuard(QCoreApplication::instance());
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->installEventFilter(guard);
}

namespace {

class ToolTipRequests : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            if (ActiveElement *element = activeElementOf(watched))
                element->ensureToolTip();
        }
        return false;
    }
};

} // namespace

void installToolTipRequests()
{
    static QPointer<QObject> filter;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new ToolTipRequests(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}
