#include "elementkinds.h"

#include "activeelement.h"

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

namespace {

ElementKind kind(const char *className, QStringList xmlNames, QStringList events)
{
    ElementKind result;
    result.className = className;
    result.xmlNames = std::move(xmlNames);
    result.events = std::move(events);
    return result;
}

QList<ElementKind> makeKinds()
{
    const QStringList bitEvents = {"checked_sendUSB",   "checked_recData",   "checked_setDef",
                                   "unchecked_sendUSB", "unchecked_recData", "unchecked_setDef"};
    const QStringList numberEvents = {"changed_sendUSB", "changed_recData", "changed_setDef",
                                      "changed_runScript"};
    QList<ElementKind> kinds;

    ElementKind check = kind("CheckBox", {"checkbox"}, bitEvents);
    check.sendsLocks = check.recorded = check.styledColours = check.styledTextColour = check.editable = true;
    check.setRule = DefineSetRule::Bit;
    check.userForm = UserSetForm::Check;
    check.editorIcon = "Checkbox";
    check.actionEvents = ActionEvents::Check;
    check.editRow = &editCheckBoxRow;
    check.listRows = &listCheckBoxRows;
    check.colorSlot = ColorSlot::WindowText;
    check.setDefEvent = "checked_setDef";
    check.setDefInvEvent = "unchecked_setDef";
    kinds << check;

    ElementKind toggle = kind("ToggleButton", {"togglebutton"},
                              bitEvents + QStringList{"checked_resetGUI", "unchecked_resetGUI", "checked_runScript"});
    toggle.sendsLocks = toggle.recorded = toggle.styledColours = toggle.styledTextColour = toggle.editable = true;
    toggle.setRule = DefineSetRule::QueuedCheck;
    toggle.userForm = UserSetForm::Check;
    toggle.editorIcon = "ToggleButton";
    toggle.actionEvents = ActionEvents::Check;
    toggle.editRow = &editToggleButtonRow;
    toggle.listRows = &listToggleButtonRows;
    kinds << toggle;

    ElementKind combo = kind("ComboBox", {"combo"},
                             {"selected_sendUSB", "selected_recData", "selected_setDef", "selected_runScript",
                              "selected_loadFile", "unselected_setDef", "unselected_sendUSB", "unselected_recData"});
    combo.sendsLocks = combo.recorded = combo.styledColours = combo.styledTextColour = combo.editable = true;
    combo.setRule = DefineSetRule::Index;
    combo.userForm = UserSetForm::Item;
    combo.editorIcon = "Combo";
    combo.actionEvents = ActionEvents::Selection;
    combo.listRows = &listComboBoxRows;
    combo.setDefEvent = "selected_setDef";
    kinds << combo;

    ElementKind group = kind("ButtonGroup", {"radio"},
                             {"selected_sendUSB", "selected_recData", "selected_setDef", "unselected_sendUSB",
                              "unselected_setDef"});
    group.sendsLocks = group.recorded = true;
    group.setRule = DefineSetRule::Button;
    group.userForm = UserSetForm::RadioItem;
    group.editorIcon = "Radio";
    kinds << group;

    ElementKind radio = kind("QRadioButton", {"radiobutton"}, {});
    radio.styledColours = radio.styledTextColour = radio.editable = true;
    radio.editorIcon = "Radio";
    radio.actionEvents = ActionEvents::Selection;
    kinds << radio;

    ElementKind spin = kind("SpinBox", {"spinbox"}, numberEvents);
    spin.recorded = spin.styledColours = spin.styledTextColour = spin.editable = true;
    spin.setRule = DefineSetRule::Integer;
    spin.userForm = UserSetForm::SpinValue;
    spin.editorIcon = "Spinbox";
    spin.actionEvents = ActionEvents::Change;
    spin.editRow = &editSpinBoxRow;
    spin.listRows = &listSpinBoxRows;
    kinds << spin;

    ElementKind hex = spin;
    hex.className = "HexSpinBox";
    hex.xmlNames = QStringList{"hexspinbox"};
    hex.editorIcon = "HexSpinbox";
    kinds << hex;

    ElementKind real = kind("DoubleSpinBox", {"doublespinbox"},
                            {"changed_sendUSB", "changed_recData", "changed_setDef"});
    real.recorded = real.styledColours = real.styledTextColour = real.editable = true;
    real.setRule = DefineSetRule::Double;
    real.userForm = UserSetForm::SpinValue;
    real.editorIcon = "DoubleSpinbox";
    real.actionEvents = ActionEvents::Change;
    real.editRow = &editDoubleSpinBoxRow;
    real.listRows = &listDoubleSpinBoxRows;
    kinds << real;

    ElementKind slider = kind("Slider", {"slider"}, numberEvents);
    slider.recorded = slider.styledColours = slider.styledTextColour = slider.editable = true;
    slider.setRule = DefineSetRule::Slider;
    slider.userForm = UserSetForm::Position;
    slider.editorIcon = "Slider";
    slider.editRow = &editSliderRow;
    slider.colorSlot = ColorSlot::OwnRole;
    kinds << slider;

    ElementKind knob = kind("Knob", {"knob"}, numberEvents);
    knob.recorded = true;
    knob.setRule = DefineSetRule::Knob;
    knob.userForm = UserSetForm::Position;
    knob.editorIcon = "Knob";
    knob.editRow = &editKnobRow;
    knob.listRows = &listKnobRows;
    knob.colorSlot = ColorSlot::Button;
    kinds << knob;

    ElementKind line = kind("LineEdit", {"edit"}, {"changed_sendUSB", "changed_setDef", "changed_runScript"});
    line.recorded = line.styledColours = true;
    line.setRule = DefineSetRule::LineText;
    line.userForm = UserSetForm::Text;
    line.editorIcon = "LineEdit";
    line.editRow = &editLineEditRow;
    line.listRows = &listLineEditRows;
    kinds << line;

    ElementKind text = kind("TextEdit", {"editbox"}, {"changed_sendUSB", "changed_setDef"});
    text.recorded = text.styledColours = true;
    text.setRule = DefineSetRule::RichText;
    text.userForm = UserSetForm::Text;
    text.editorIcon = "TextEdit";
    text.editRow = &editTextEditRow;
    text.listRows = &listTextEditRows;
    kinds << text;

    ElementKind push = kind("PushButton", {"button"},
                            {"clicked_loadFile", "clicked_sendUSB", "clicked_recData", "clicked_setDef",
                             "clicked_startProgram", "clicked_runScript", "clicked_resetGUI", "pressed_setDef",
                             "pressed_sendUSB", "pressed_recData", "released_setDef", "released_sendUSB",
                             "released_recData"});
    push.styledTextColour = push.editable = true;
    push.editorIcon = "Button";
    push.editorTitle = EditorTitle::Text;
    push.actionEvents = ActionEvents::Click;
    push.editRow = &editPushButtonRow;
    push.listRows = &listPushButtonRows;
    kinds << push;

    ElementKind math = kind("MathLabel", {"math"}, {"changed_sendUSB", "changed_recData", "changed_setDef"});
    math.countsAsDefine = false;
    math.styledColours = math.styledTextColour = true;
    math.editorIcon = "MathLabel";
    math.formulaToolTip = true;
    math.actionEvents = ActionEvents::Change;
    math.editRow = &editMathLabelRow;
    math.listRows = &listMathLabelRows;
    kinds << math;

    ElementKind timer = kind("TimerLabel", {"timer"},
                             {"changed_setDef", "changed_sendUSB", "changed_recData", "changed_loadFile",
                              "changed_startProgram", "changed_runScript"});
    timer.countsAsDefine = false;
    timer.editorIcon = "Timer";
    timer.actionEvents = ActionEvents::Change;
    timer.editRow = &editTimerLabelRow;
    timer.listRows = &listTimerLabelRows;
    kinds << timer;

    // A log has no define of its own: it is named by one and registered by
    // the sources it logs.
    ElementKind log = kind("LogLabel", {"log"}, {});
    log.countsAsDefine = false;
    kinds << log;

    ElementKind table = kind("Table", {"table"}, {"changed_sendUSB", "changed_setDef"});
    table.recorded = true;
    table.editorIcon = "Table";
    table.listRows = &listTableRows;
    kinds << table;

    ElementKind view = kind("RegisterView", {"registerview"}, {});
    view.recorded = true;
    view.editorIcon = "RegView";
    kinds << view;

    kinds << kind("SvdTree", {"svdtree"}, {});

    // The chip picture has no value: no project records it.
    ElementKind pins = kind("PinMapping", {"pinmapper"}, {});
    pins.countsAsDefine = false;
    kinds << pins;

    // A horizontal line is a text drawn as a line; the writer tells the two apart.
    ElementKind label = kind("Text", {"text", "stretch", "horizontalline"}, {});
    label.editorIcon = "Text";
    label.editorTitle = EditorTitle::Text;
    label.editRow = &editTextRow;
    label.listRows = &listTextRows;
    kinds << label;

    // The displays: set by their sources (data, formulas, curves), never by a user.
    ElementKind led = kind("Led", {"led"}, {});
    led.editorIcon = "LED";
    led.editorTitle = EditorTitle::ClassName;
    led.editRow = &editLedRow;
    led.listRows = &listLedRows;
    kinds << led;

    // An image with its SVG text embedded in the panel is written as svgembed.
    ElementKind image = kind("Image", {"image", "svgembed"}, {});
    image.editorIcon = "Image";
    image.editRow = &editImageRow;
    image.listRows = &listImageRows;
    kinds << image;

    ElementKind plot = kind("MyQwtPlot", {"plot"}, {});
    plot.editorIcon = "Plot";
    plot.editRow = &editPlotRow;
    plot.listRows = &listPlotRows;
    plot.colorSlot = ColorSlot::Canvas;
    kinds << plot;

    ElementKind dial = kind("QwtDial", {"dial"}, {});
    dial.editorIcon = "Dial";
    kinds << dial;

    ElementKind thermo = kind("QwtThermo", {"thermo"}, {});
    thermo.editorIcon = "Thermo";
    kinds << thermo;

    // The layout containers. The reader builds them itself, so no element
    // name finds them here; the writer writes their element names.
    const auto box = [](const char *className, const char *writtenName, const char *icon, EditorTitle title) {
        ElementKind result = kind(className, {}, {});
        result.writtenName = writtenName;
        result.container = true;
        result.editorIcon = icon;
        result.editorTitle = title;
        return result;
    };
    ElementKind grid = box("GridWidget", "gridcontainer", "Grid", EditorTitle::Icon);
    grid.editRow = &editGridRow;
    grid.listRows = &listGridRows;
    ElementKind groupBox = box("GroupBox", "groupcontainer", "Group", EditorTitle::Title);
    groupBox.editRow = &editGroupBoxRow;
    kinds << box("VerticalWidget", "verticalcontainer", "Vertical", EditorTitle::Icon)
          << box("HorizontalWidget", "horizontalcontainer", "Horizontal", EditorTitle::Icon)
          << grid
          << box("TabWidget", "tabcontainer", "Tab", EditorTitle::Icon)
          << box("AbsoluteWidget", "absolutecontainer", "Absolute", EditorTitle::Icon)
          << groupBox
          // The editor shows a tree's branches in its place.
          << box("TreeWidget", "treecontainer", nullptr, EditorTitle::Icon);
    return kinds;
}

const QHash<QString, const ElementKind *> &kindsByClass()
{
    static const QHash<QString, const ElementKind *> table = [] {
        QHash<QString, const ElementKind *> byClass;
        for (const ElementKind &kind : elementKinds())
            byClass.insert(QLatin1String(kind.className), &kind);
        return byClass;
    }();
    return table;
}

} // namespace

bool ElementKind::raises(const QString &signalName) const
{
    if (signalName == QLatin1String("sendLock") || signalName == QLatin1String("sendUnlock"))
        return sendsLocks;
    return events.contains(signalName);
}

QString editorDetailsText()
{
    return QStringLiteral("<Doubleclick for details>");
}

QString attributeRow(QWidget *element, const char *row, const char *attribute)
{
    return QLatin1String(row) + QLatin1Char('!') + elementPropertyOf(element, attribute).toString();
}

QString ElementKind::xmlName() const
{
    return writtenName ? QLatin1String(writtenName) : xmlNames.value(0);
}

const QList<ElementKind> &elementKinds()
{
    static const QList<ElementKind> kinds = makeKinds();
    return kinds;
}

const ElementKind *elementKindOf(const QObject *object)
{
    if (!object)
        return nullptr;
    for (const QMetaObject *meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (const ElementKind *kind = kindsByClass().value(QLatin1String(meta->className())))
            return kind;
    }
    return nullptr;
}

bool holdsText(const QObject *object)
{
    const ElementKind *kind = elementKindOf(object);
    return kind && kind->userForm == UserSetForm::Text;
}

const ElementKind *elementKindForXml(const QString &xmlName)
{
    for (const ElementKind &kind : elementKinds()) {
        if (kind.xmlNames.contains(xmlName))
            return &kind;
    }
    return nullptr;
}

bool splitRangeRow(const QString &value, QString *low, QString *high)
{
    const int split = value.indexOf(QLatin1String(".."));
    if (split < 0)
        return false;
    *low = value.left(split).trimmed();
    *high = value.mid(split + 2).trimmed();
    return true;
}
