#pragma once

#include <QString>

class AbsoluteWidget;
class CheckBox;
class ComboBox;
class DoubleSpinBox;
class GridWidget;
class GroupBox;
class HexSpinBox;
class HorizontalWidget;
class Image;
class Knob;
class Led;
class LineEdit;
class LogLabel;
class MathLabel;
class MyQwtPlot;
class PinMapping;
class PushButton;
class QRadioButton;
class QWidget;
class QwtDial;
class QwtThermo;
class RegisterView;
class Slider;
class SpinBox;
class SvdTree;
class TabWidget;
class Table;
class Text;
class TextEdit;
class TimerLabel;
class ToggleButton;
class TreeWidget;
class VerticalWidget;
class ElementHost;

// The interface of a panel's layout containers. Each factory creates one child
// of its kind inside the container and places it at once; binding, registering
// and connecting the child are the panel reader's steps.
class Container
{
public:
    virtual ~Container();

    // Places an existing widget at pos (-1 appends).
    virtual void addWidget(QWidget *widget, int pos) = 0;

    virtual PushButton *createPushButton(const QString &name, const QString &text, int pos) = 0;
    virtual MyQwtPlot *createPlot(const QString &name, const QString &text, int pos) = 0;
    virtual QwtDial *createDial(const QString &name, const QString &text, int pos) = 0;
    virtual QwtThermo *createThermo(const QString &name, const QString &text, int pos) = 0;
    virtual TimerLabel *createTimerLabel(const QString &name, const QString &text, int pos) = 0;
    virtual LogLabel *createLogLabel(const QString &name, const QString &text, int pos) = 0;
    virtual RegisterView *createRegisterView(const QString &name, const QString &text, int pos) = 0;
    virtual Table *createTable(const QString &name, const QString &text, int pos) = 0;
    virtual QRadioButton *createRadioButton(const QString &text, int pos) = 0;
    virtual CheckBox *createCheckBox(const QString &name, const QString &text, int pos) = 0;
    virtual ToggleButton *createToggleButton(const QString &name, const QString &text, int pos) = 0;
    virtual ComboBox *createComboBox(const QString &name, const QString &text, int pos) = 0;
    virtual SpinBox *createSpinBox(const QString &name, const QString &text, int pos) = 0;
    virtual Slider *createSlider(const QString &name, const QString &text, int pos) = 0;
    virtual Knob *createKnob(const QString &name, const QString &text, int pos) = 0;
    virtual DoubleSpinBox *createDoubleSpinBox(const QString &name, const QString &text, int pos) = 0;
    virtual HexSpinBox *createHexSpinBox(const QString &name, const QString &text, int pos) = 0;
    virtual Image *createImage(const QString &file, const QString &name, const QString &label, int pos) = 0;
    virtual Led *createLed(const QString &name, const QString &text, int pos) = 0;
    virtual Text *createText(const QString &name, const QString &text, int pos) = 0;
    virtual TextEdit *createTextEdit(const QString &name, const QString &text, int pos) = 0;
    virtual MathLabel *createMathLabel(const QString &name, const QString &text, int pos) = 0;
    virtual LineEdit *createLineEdit(const QString &name, const QString &text, int pos) = 0;
    virtual SvdTree *createSvdTree(const QString &name, const QString &text, int pos) = 0;
    virtual PinMapping *createPinMapping(const QString &name, const QString &text, int pos) = 0;
    virtual TabWidget *createTabWidget(const QString &label, int pos) = 0;
    virtual AbsoluteWidget *createAbsoluteWidget(const QString &label, int pos) = 0;
    virtual GroupBox *createGroupBox(const QString &label, int pos) = 0;
    virtual HorizontalWidget *createHorizontalWidget(const QString &label, int pos) = 0;
    virtual GridWidget *createGridWidget(const QString &label, int pos) = 0;
    virtual VerticalWidget *createVerticalWidget(const QString &label, int pos) = 0;
    virtual TreeWidget *createTreeWidget(const QString &label, int pos) = 0;

    // The container's name (the widget's object name for widget containers).
    virtual QString name() const = 0;
    // Makes a child container visible inside this one.
    virtual void showChild(Container *child) = 0;
    // Makes visible the entry that holds this widget.
    virtual void showWidget(QWidget *widget);
    // The container's name in its elements' tool tips; empty for the
    // containers that have no name worth showing.
    virtual QString toolTipTitle() const { return QString(); }
    // The place of a child in the container's layout, as addWidget's pos
    // counts it (the panel editor's moves and pastes); -1 for a container that
    // places its children otherwise, and for a widget its layout does not hold.
    virtual int layoutIndexOf(QWidget *child) const
    {
        Q_UNUSED(child)
        return -1;
    }

    // The panel the container belongs to; its factories hand it to every
    // child they create.
    ElementHost *host() const { return m_host; }
    void setHost(ElementHost *host) { m_host = host; }

private:
    ElementHost *m_host = nullptr;
};

#define Container_iid "org.orvanta.Quillmate.Container"
#include <QObject>
Q_DECLARE_INTERFACE(Container, Container_iid)
