#pragma once

#include "container.h"

#include <QString>

class QBoxLayout;

// The factories every layout container shares. Each creates its child with the
// container's widget as Qt parent and hands it to placeChild(); a container
// class only says how it places a child and which captions it shows.
class WidgetContainer : public Container
{
public:
    // The kinds that carry a caption, which tab and tree containers may move
    // into the tab or row title.
    enum class CaptionedKind { PushButton, RadioButton, CheckBox, ToggleButton, Text, GroupBox };
    // Whether a child shows its text as its own caption, and whether the text
    // titles its tab or row.
    struct CaptionRule {
        bool caption = true;
        bool title = true;
    };

    // self: the widget the factories make children in: the container's own
    // widget, or for a tree row the view's viewport, where its row puts each
    // child. box: the box layout the default placement puts children into.
    explicit WidgetContainer(QWidget *self, QBoxLayout *box = nullptr);

    // Places an existing widget as the factories place their children.
    void addWidget(QWidget *widget, int pos) override;

    PushButton *createPushButton(const QString &name, const QString &text, int pos) override;
    MyQwtPlot *createPlot(const QString &name, const QString &text, int pos) override;
    QwtDial *createDial(const QString &name, const QString &text, int pos) override;
    QwtThermo *createThermo(const QString &name, const QString &text, int pos) override;
    TimerLabel *createTimerLabel(const QString &name, const QString &text, int pos) override;
    LogLabel *createLogLabel(const QString &name, const QString &text, int pos) override;
    RegisterView *createRegisterView(const QString &name, const QString &text, int pos) override;
    Table *createTable(const QString &name, const QString &text, int pos) override;
    QRadioButton *createRadioButton(const QString &text, int pos) override;
    CheckBox *createCheckBox(const QString &name, const QString &text, int pos) override;
    ToggleButton *createToggleButton(const QString &name, const QString &text, int pos) override;
    ComboBox *createComboBox(const QString &name, const QString &text, int pos) override;
    SpinBox *createSpinBox(const QString &name, const QString &text, int pos) override;
    Slider *createSlider(const QString &name, const QString &text, int pos) override;
    Knob *createKnob(const QString &name, const QString &text, int pos) override;
    DoubleSpinBox *createDoubleSpinBox(const QString &name, const QString &text, int pos) override;
    HexSpinBox *createHexSpinBox(const QString &name, const QString &text, int pos) override;
    Image *createImage(const QString &file, const QString &name, const QString &label, int pos) override;
    Led *createLed(const QString &name, const QString &text, int pos) override;
    Text *createText(const QString &name, const QString &text, int pos) override;
    TextEdit *createTextEdit(const QString &name, const QString &text, int pos) override;
    MathLabel *createMathLabel(const QString &name, const QString &text, int pos) override;
    LineEdit *createLineEdit(const QString &name, const QString &text, int pos) override;
    SvdTree *createSvdTree(const QString &name, const QString &text, int pos) override;
    PinMapping *createPinMapping(const QString &name, const QString &text, int pos) override;
    TabWidget *createTabWidget(const QString &label, int pos) override;
    AbsoluteWidget *createAbsoluteWidget(const QString &label, int pos) override;
    GroupBox *createGroupBox(const QString &label, int pos) override;
    HorizontalWidget *createHorizontalWidget(const QString &label, int pos) override;
    GridWidget *createGridWidget(const QString &label, int pos) override;
    VerticalWidget *createVerticalWidget(const QString &label, int pos) override;
    TreeWidget *createTreeWidget(const QString &label, int pos) override;

    // The object name of the container's widget.
    QString name() const override;
    // Nothing to open in a plain layout.
    void showChild(Container *child) override;

protected:
    // Puts a new or given child into the container; title is the text its tab
    // or row shows. By default the child goes into the box layout at index pos
    // (-1, another negative number or one past the end appends); without a box
    // it stays where it was created.
    virtual void placeChild(QWidget *child, const QString &title, int pos);
    // Layout containers show every caption; tab and tree containers override.
    virtual CaptionRule captionRule(CaptionedKind kind) const;
    // False when child cannot be in a layout of owner: it is no child of owner,
    // or no layout has ever held it (as for every newly created child). Only
    // then does a container need to search its layout for it.
    static bool mayBeLaidOutIn(const QWidget *child, const QWidget *owner);
    // layoutIndexOf of the containers that lay their children out: the
    // child's index in the layout of the container's widget (-1 without one).
    int indexInLayout(QWidget *child) const;

private:
    QString caption(CaptionedKind kind, const QString &text) const;
    QString title(CaptionedKind kind, const QString &text) const;
    template <class T>
    T *place(T *child, const QString &title, int pos);

    QWidget *m_self;
    QBoxLayout *m_box;
};
