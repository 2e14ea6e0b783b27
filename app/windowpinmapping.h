#pragma once

#include "pinmappinghost.h"

#include <QObject>
#include <QPointer>

class MainWindow;

// The pin views as the window serves them: the pin-mapping data, elements and
// operands of the window's panel, raising and finding elements, the working
// directory; and the window's side of the pin views (the panel's pin-mapping
// picture after an open, the "Show Port mapping" window, their repaints).
// Owned by the window. The pin-mapping data and element live in the panel
// (Panel::pinMappingModel).
class WindowPinMapping final : public QObject, public PinMappingHost
{
    Q_OBJECT

public:
    explicit WindowPinMapping(MainWindow &window);
    Q_DISABLE_COPY_MOVE(WindowPinMapping)

    PinMappingModel *pinMappingModel() override;
    ElementHost *elementHost() override;
    OperandLookup *operandLookup() override;
    bool raiseElement(const QString &name) override;
    void searchElement() override;
    QString workingDirectory() const override;

    // The open port-mapping window, or null.
    QWidget *portMappingDialog() const { return m_portMappingDialog.data(); }
    // Before the next panel is read: the pin-mapping element goes, the
    // previous file's chip is forgotten, the port-mapping command is off.
    void resetPinMapping();
    // After an open: builds the panel's pin-mapping picture, reports what of
    // the pin-mapping file the panel cannot show, switches the command on
    // when there is a chip.
    void buildPinMappingView();
    // "Show Port mapping": a new port-mapping window over the panel's chip,
    // kept as the open one (the command's switch must be on and a panel shown).
    void openPortMappingDialog();

private:
    // A value changed: the open pin views repaint.
    void refreshPinViews(bool userChange);

    MainWindow &m_window;
    QPointer<QWidget> m_portMappingDialog;
};
