// The panel editor on a live panel: its tree, adding, removing, moving,
// copying and pasting elements, the file properties and saving, each checked
// through the panel's registries and through the panel saved and read again.
#include "activeelement.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "led.h"
#include "loglabel.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlrecord.h"
#include "panelxmlwriter.h"
#include "prompt.h"
#include "registermodel.h"
#include "showxmldialog.h"
#include "shellfixture.h"
#include "table.h"
#include "xmlpropertiesdialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_thermo.h>

#include <memory>

class TestShowXmlDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void treeShowsTheLivePanel();
    void addedElementsAreNamedRegisteredAndSaved();
    void removedElementsLeaveEveryRegistry();
    void removalRefusedWhileOthersNameTheElement();
    void movesKeepPanelAndTreeTogether();
    void pastedCopiesAreIndependentAndUnique();
    void pastingAContainerIntoItselfCopiesItOnce();
    void radioButtonsGrowTheirGroup();
    void variablesAddedAndRemoved();
    void propertiesDialogStoresWhatChanged();
    void failedSaveKeepsTheOldFile();
    void defineEditsRenameOrAreRefused();
    void renameCarriesEveryReference_data();
    void renameCarriesEveryReference();
    void clickIntoThePanelSelectsTheElement();
    void panelBuiltFromAnEmptyOne();

private:
    bool load(const QString &body, const QString &header = QString());
    std::unique_ptr<ShowXMLDialog> makeEditor();
    QModelIndex select(ShowXMLDialog &editor, const QString &name);
    bool saveAndReopen(ShowXMLDialog &editor);
    QStringList consoleErrors() const;
    void renameDefine(ShowXMLDialog &editor, const QString &oldName, const QString &newName);

    std::unique_ptr<ShellFixture> f;
    std::unique_ptr<QTemporaryDir> dir;
    NonInteractivePrompt *prompt = nullptr;
};

static const char *const editorPanel = R"(<verticalcontainer>
<header file="edit.h">
<groupcontainer label="Box">
  <checkbox define="CB" label="Check" default="1"/>
  <spinbox define="SP" range="0;9" default="4"/>
</groupcontainer>
<verticalcontainer label="Inner">
  <spinbox define="IN" range="0;100" default="7"/>
  <math define="M" formula="IN*2" format="%d"/>
</verticalcontainer>
<math define="HID" formula="IN+1" visible="false"/>
<checkbox define="LOCKED" label="Locked" lockon="CB=1"/>
<hexspinbox define="HX" range="0;255" default="0x10"/>
<led define="L" data="IN" bitmask="0x1"/>
</header>
<var define="speed" address="0x20000000" size="4"/>
</verticalcontainer>)";

void TestShowXmlDialog::initTestCase()
{
    f = std::make_unique<ShellFixture>();
}

void TestShowXmlDialog::init()
{
    auto installed = std::make_unique<NonInteractivePrompt>();
    prompt = installed.get();
    Prompt::install(std::move(installed));
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(load(QString::fromUtf8(editorPanel)));
}

bool TestShowXmlDialog::load(const QString &body, const QString &header)
{
    const QString path = writeTestFile(QDir(dir->path()).filePath("panel.xml"), signedPanelText(body, header));
    return !path.isEmpty() && f->open(path);
}

std::unique_ptr<ShowXMLDialog> TestShowXmlDialog::makeEditor()
{
    return std::make_unique<ShowXMLDialog>(f->root(), nullptr, f->panel.get());
}

QModelIndex TestShowXmlDialog::select(ShowXMLDialog &editor, const QString &name)
{
    QObject *object = nullptr;
    if (ActiveElement *element = f->panel.get()->getActiveElement(name))
        object = objectOf(element);
    if (!object)
        object = f->panelWidget()->findChild<QObject *>(name);
    if (!object)
        object = f->panel.get()->registries().variablesByName.value(name);
    const QModelIndex index = editor.indexOf(object);
    editor.treeView()->setCurrentIndex(index);
    return index;
}

bool TestShowXmlDialog::saveAndReopen(ShowXMLDialog &editor)
{
    const QString path = QDir(dir->path()).filePath("saved.xml");
    if (!editor.savePanel(path))
        return false;
    return f->open(path);
}

QStringList TestShowXmlDialog::consoleErrors() const
{
    return prompt->transcript();
}

void TestShowXmlDialog::treeShowsTheLivePanel()
{
    auto editor = makeEditor();
    QStandardItemModel *model = editor->treeModel();
    // Root container, the hidden formula, then the variable.
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->item(0)->text(), QStringLiteral("Vertical"));
    QCOMPARE(model->item(1)->text(), QStringLiteral("HID"));
    QCOMPARE(model->item(1)->toolTip(), QStringLiteral("IN+1"));
    QCOMPARE(model->item(2)->text(), QStringLiteral("speed"));
    QCOMPARE(model->item(2)->data(ShowXMLDialog::VarRole).toInt(), 123);
    QStandardItem *root = model->item(0);
    QStringList texts;
    for (int i = 0; i < root->rowCount(); ++i)
        texts << root->child(i)->text();
    QCOMPARE(texts, (QStringList{"Box", "Vertical", "LOCKED", "HX", "Led"}));
    QCOMPARE(root->child(0)->child(0)->toolTip(), QStringLiteral("CB"));
    // Every item leads to its live widget.
    QCOMPARE(editor->objectAt(select(*editor, "SP")), objectOf(f->panel.get()->getActiveElement("SP")));
    // Clicking a variable empties the property table; an element fills it.
    editor->on_clicked(select(*editor, "SP"));
    QVERIFY(editor->propertyModel()->rowCount() > 0);
    editor->on_clicked(select(*editor, "speed"));
    QCOMPARE(editor->propertyModel()->rowCount(), 0);
}

void TestShowXmlDialog::addedElementsAreNamedRegisteredAndSaved()
{
    auto editor = makeEditor();
    select(*editor, "Box");
    editor->treeView()->setCurrentIndex(editor->indexOf(f->panelWidget()->findChild<QGroupBox *>()));
    editor->addCheckbox();
    editor->treeView()->setCurrentIndex(editor->indexOf(f->panelWidget()->findChild<QGroupBox *>()));
    editor->addCheckbox();
    Panel *panel = f->panel.get();
    QVERIFY(panel->getActiveElement("CheckBoxDefine_0"));
    QVERIFY(panel->getActiveElement("CheckBoxDefine_1"));
    // The new element is the current item, last in its container.
    QCOMPARE(editor->treeView()->currentIndex().data().toString(), QStringLiteral("CheckBoxDefine_1"));
    // Beside an element: at its place in the same container.
    select(*editor, "SP");
    editor->addSpinbox();
    QVERIFY(panel->getActiveElement("SpinBoxDefine_0"));
    QWidget *spin = qobject_cast<QWidget *>(objectOf(panel->getActiveElement("SpinBoxDefine_0")));
    QWidget *sp = qobject_cast<QWidget *>(objectOf(panel->getActiveElement("SP")));
    QCOMPARE(spin->parentWidget(), sp->parentWidget());
    QCOMPARE(ShowXMLDialog::indexInContainer(sp->parentWidget(), spin) + 1,
             ShowXMLDialog::indexInContainer(sp->parentWidget(), sp));
    // An edit gives it a header: saved and read again, it is exported there.
    setElementPropertyOf(spin, "header", "added.h");
    setElementPropertyOf(spin, "my_default", "5");
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(panel->getActiveElement("CheckBoxDefine_0"));
    QVERIFY(panel->getActiveElement("SpinBoxDefine_0"));
    QCOMPARE(panel->getActiveElement("SpinBoxDefine_0")->value(KeywordValue, 0), QStringLiteral("5"));
    QVERIFY(f->exportHeaders(true));
    QFile header(QDir(dir->path()).filePath("added.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    QVERIFY2(text.contains("#define SpinBoxDefine_0 "), text.constData());
}

void TestShowXmlDialog::removedElementsLeaveEveryRegistry()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    const int before = panel->getAllElements().size();
    QObject *box = f->panelWidget()->findChild<QGroupBox *>();
    QVERIFY(box);
    // LOCKED locks on CB: the box holding CB is refused first.
    editor->treeView()->setCurrentIndex(editor->indexOf(box));
    editor->removeWidget();
    QVERIFY(panel->getActiveElement("CB"));
    QVERIFY(consoleErrors().join('\n').contains("LOCKED locks on it"));

    select(*editor, "LOCKED");
    editor->removeWidget();
    editor->treeView()->setCurrentIndex(editor->indexOf(box));
    editor->removeWidget();
    for (const char *gone : {"LOCKED", "CB", "SP"}) {
        QVERIFY2(!panel->getActiveElement(gone), gone);
        QVERIFY2(!panel->elementExists(gone), gone);
        for (ModuleRecord *module : panel->registries().moduleTable)
            QVERIFY2(!module || !module->registers.contains(gone), gone);
    }
    QCOMPARE(panel->getAllElements().size(), before - 3);
    for (ActiveElement *element : panel->getAllElements())
        QVERIFY(objectOf(element));
    // The headers no longer name them, and the saved panel has none of them.
    QVERIFY(f->exportHeaders(true));
    QFile header(QDir(dir->path()).filePath("edit.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    QVERIFY(!text.contains("#define CB ") && !text.contains("#define SP "));
    QVERIFY(text.contains("#define HX "));
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(!panel->getActiveElement("CB"));
    QVERIFY(panel->getActiveElement("HX"));
    QCOMPARE(panel->getAllElements().size(), before - 3);
}

void TestShowXmlDialog::removalRefusedWhileOthersNameTheElement()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    // The formulas of M and HID read IN.
    select(*editor, "IN");
    editor->removeWidget();
    QVERIFY(panel->getActiveElement("IN"));
    QVERIFY(consoleErrors().join('\n').contains("reads it"));
    // The root and the hidden element stay.
    editor->treeView()->setCurrentIndex(editor->treeModel()->index(0, 0));
    editor->removeWidget();
    QVERIFY(editor->treeModel()->rowCount() == 3);
    // A container with the reader of its own element goes as a whole.
    QObject *inner = nullptr;
    for (QObject *object : f->panelWidget()->findChildren<QWidget *>())
        if (elementPropertyOf(object, "my_label").toString() == "Inner")
            inner = object;
    QVERIFY(inner);
    editor->treeView()->setCurrentIndex(editor->indexOf(inner));
    editor->removeWidget();
    // HID still reads IN: refused.
    QVERIFY(panel->getActiveElement("IN"));
}

void TestShowXmlDialog::movesKeepPanelAndTreeTogether()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    auto *box = f->panelWidget()->findChild<QGroupBox *>();
    auto *root = box->parentWidget();
    auto *hx = qobject_cast<QWidget *>(objectOf(panel->getActiveElement("HX")));
    // Into its own child: refused.
    QVERIFY(!editor->moveElement(root, box, -1));
    QVERIFY(!editor->moveElement(box, box, -1));
    // Into the group box, at its start.
    QVERIFY(editor->moveElement(hx, box, 0));
    QCOMPARE(hx->parentWidget(), static_cast<QWidget *>(box));
    QCOMPARE(ShowXMLDialog::indexInContainer(box, hx), 0);
    const QModelIndex index = editor->indexOf(hx);
    QCOMPARE(editor->objectAt(index.parent()), static_cast<QObject *>(box));
    QCOMPARE(index.row(), 0);
    // A container moved before another keeps tree and panel in one order.
    QWidget *inner = nullptr;
    for (QWidget *widget : root->findChildren<QWidget *>())
        if (elementPropertyOf(widget, "my_label").toString() == "Inner")
            inner = widget;
    QVERIFY(inner);
    QVERIFY(editor->moveElement(inner, root, ShowXMLDialog::indexInContainer(root, box)));
    QCOMPARE(editor->indexOf(inner).row() + 1, editor->indexOf(box).row());
    QVERIFY(ShowXMLDialog::indexInContainer(root, inner) < ShowXMLDialog::indexInContainer(root, box));
    // Saved and read again in its new place.
    QVERIFY(saveAndReopen(*editor));
    hx = qobject_cast<QWidget *>(objectOf(panel->getActiveElement("HX")));
    QVERIFY(qobject_cast<QGroupBox *>(hx->parentWidget()));
}

void TestShowXmlDialog::pastedCopiesAreIndependentAndUnique()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    auto *box = f->panelWidget()->findChild<QGroupBox *>();
    editor->treeView()->setCurrentIndex(editor->indexOf(box));
    editor->copy();
    QObject *inner = nullptr;
    for (QObject *object : f->panelWidget()->findChildren<QWidget *>())
        if (elementPropertyOf(object, "my_label").toString() == "Inner")
            inner = object;
    editor->treeView()->setCurrentIndex(editor->indexOf(inner));
    QVERIFY(editor->pasteElement());
    editor->treeView()->setCurrentIndex(editor->indexOf(inner));
    QVERIFY(editor->pasteElement());
    for (const char *name : {"CB_Copy1", "SP_Copy1", "CB_Copy2", "SP_Copy2"})
        QVERIFY2(panel->getActiveElement(name), name);
    // Own values and own header entries.
    ActiveElement *copy = panel->getActiveElement("SP_Copy1");
    QCOMPARE(copy->value(KeywordValue, 0), QStringLiteral("4"));
    copy->setValue(QStringLiteral("8"), KeywordValue);
    QCOMPARE(panel->getActiveElement("SP")->value(KeywordValue, 0), QStringLiteral("4"));
    // A copy after an element goes right after it.
    select(*editor, "HX");
    editor->copy();
    QWidget *pasted = editor->pasteElement();
    QVERIFY(pasted);
    QCOMPARE(pasted->objectName(), QStringLiteral("HX_Copy1"));
    QWidget *hx = qobject_cast<QWidget *>(objectOf(panel->getActiveElement("HX")));
    QCOMPARE(ShowXMLDialog::indexInContainer(hx->parentWidget(), pasted),
             ShowXMLDialog::indexInContainer(hx->parentWidget(), hx) + 1);
    // Removing a copy leaves the rest; the original copied element going
    // makes paste a no-op.
    select(*editor, "HX_Copy1");
    editor->removeWidget();
    QVERIFY(!panel->getActiveElement("HX_Copy1"));
    select(*editor, "HX");
    editor->removeWidget();
    QVERIFY(!editor->copiedElement());
    QVERIFY(!editor->pasteElement());
    // Saved and read again, the copies are there with their values.
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(panel->getActiveElement("CB_Copy2"));
    QVERIFY(f->exportHeaders(true));
    QFile header(QDir(dir->path()).filePath("edit.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    QVERIFY2(text.contains("#define SP_Copy1 "), text.constData());
    QVERIFY(text.contains("#define SP_Copy2 "));
}

void TestShowXmlDialog::pastingAContainerIntoItselfCopiesItOnce()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    auto *box = f->panelWidget()->findChild<QGroupBox *>();
    editor->treeView()->setCurrentIndex(editor->indexOf(box));
    editor->copy();
    editor->treeView()->setCurrentIndex(editor->indexOf(box));
    QWidget *pasted = editor->pasteElement();
    QVERIFY(pasted);
    QCOMPARE(pasted->parentWidget(), static_cast<QWidget *>(box));
    QVERIFY(panel->getActiveElement("CB_Copy1"));
    QVERIFY(!panel->getActiveElement("CB_Copy1_Copy2"));
    QCOMPARE(pasted->findChildren<CheckBox *>().size(), 1);
}

// A radio button pasted or added beside a button of a group joins that group
// under the next free number; the grown group is saved and read again whole.
void TestShowXmlDialog::radioButtonsGrowTheirGroup()
{
    QVERIFY(load(QStringLiteral(R"(<verticalcontainer>
<header file="edit.h">
<radio define="MODE" default="0">
  <radiobutton label="Off" value="0"/>
  <radiobutton label="On" value="1"/>
</radio>
<checkbox define="CB" label="Check"/>
</header>
</verticalcontainer>)")));
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    auto *group = qobject_cast<ButtonGroup *>(objectOf(panel->getActiveElement("MODE")));
    QVERIFY(group);
    QAbstractButton *on = group->button(1);
    QWidget *container = on->parentWidget();

    editor->treeView()->setCurrentIndex(editor->indexOf(on));
    editor->copy();
    editor->treeView()->setCurrentIndex(editor->indexOf(on));
    QWidget *first = editor->pasteElement();
    QVERIFY(first);
    editor->treeView()->setCurrentIndex(editor->indexOf(first));
    QWidget *second = editor->pasteElement();
    QVERIFY(second);
    QCOMPARE(group->buttons().size(), 4);
    QCOMPARE(group->id(qobject_cast<QAbstractButton *>(first)), 2);
    QCOMPARE(group->id(qobject_cast<QAbstractButton *>(second)), 3);
    QCOMPARE(first->property("userData").toString(), QStringLiteral("2"));
    QCOMPARE(static_cast<QAbstractButton *>(first)->text(), QStringLiteral("On"));
    QCOMPARE(ShowXMLDialog::indexInContainer(container, first), ShowXMLDialog::indexInContainer(container, on) + 1);

    // "Add Radio" beside a button of the group grows it too.
    editor->treeView()->setCurrentIndex(editor->indexOf(on));
    editor->addRadio();
    QCOMPARE(group->buttons().size(), 5);
    QCOMPARE(group->button(4)->property("userData").toString(), QStringLiteral("4"));
    QCOMPARE(group->button(4)->parentWidget(), container);
    // Added to a container, a radio button starts a group of its own.
    editor->treeView()->setCurrentIndex(editor->treeModel()->item(0)->index());
    editor->addRadio();
    QCOMPARE(group->buttons().size(), 5);

    QVERIFY(saveAndReopen(*editor));
    group = qobject_cast<ButtonGroup *>(objectOf(panel->getActiveElement("MODE")));
    QVERIFY(group);
    QCOMPARE(group->buttons().size(), 5);
    for (int id = 0; id < 5; ++id)
        QCOMPARE(group->button(id)->property("userData").toString(), QString::number(id));
    QVERIFY(panel->setElementByDefine("MODE", "3"));
    QVERIFY(group->button(3)->isChecked());
}

void TestShowXmlDialog::variablesAddedAndRemoved()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    QVERIFY(editor->addVariable("level"));
    QVERIFY(!editor->addVariable("level"));
    QVERIFY(!editor->addVariable("CB"));
    QVERIFY(!editor->addVariable("$VALUE$"));
    QVERIFY(panel->registries().variablesByName.contains("level"));
    select(*editor, "speed");
    editor->removeWidget();
    QVERIFY(!panel->registries().variablesByName.contains("speed"));
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(panel->registries().variablesByName.contains("level"));
    QVERIFY(!panel->registries().variablesByName.contains("speed"));
}

void TestShowXmlDialog::propertiesDialogStoresWhatChanged()
{
    Panel *panel = f->panel.get();
    panel->setDefaultDisclaimer(QString());
    {
        // OK without a change keeps the program's disclaimer.
        XMLPropertiesDialog dialog(panel);
        dialog.ioPortEdit->setText(" /dev/ttyUSB0 ");
        dialog.parametersEdit->setText(" 9600;8;n;1 ");
        dialog.minVersionEdit->setText("1.2");
        dialog.maxVersionEdit->setText("3");
        dialog.loadSaveCheck->setChecked(false);
        dialog.versionEdit->setText("V2 <beta> & \"more\"");
        dialog.accept();
    }
    QVERIFY(!panel->header().hasOwnDisclaimer);
    QCOMPARE(panel->header().ioPortName, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(panel->header().ioPortSettings, QStringLiteral("9600;8;N;1"));
    QString min;
    QString max;
    panel->header().getFWVersionRange(min, max);
    QCOMPARE(min, QStringLiteral("1.2.0"));
    auto editor = makeEditor();
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(!panel->header().loadSaveAllowed);
    QCOMPARE(panel->header().xmlVersion, QStringLiteral("V2 <beta> & \"more\""));
    QCOMPARE(panel->header().ioPortName, QStringLiteral("/dev/ttyUSB0"));
    QString min2;
    QString max2;
    panel->header().getFWVersionRange(min2, max2);
    QCOMPARE(min2, min);
    QCOMPARE(max2, max);
}

void TestShowXmlDialog::failedSaveKeepsTheOldFile()
{
    auto editor = makeEditor();
    const QString locked = QDir(dir->path()).filePath("locked");
    QVERIFY(QDir().mkpath(locked));
    const QString path = QDir(locked).filePath("panel.xml");
    QVERIFY(!writeTestFile(path, "old").isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    const bool writable = QFileInfo(locked).isWritable(); // root ignores the bits
    if (!writable) {
        QVERIFY(!editor->savePanel(path));
        QVERIFY(consoleErrors().join('\n').contains("Cannot open file"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A cancelled save dialog writes nothing and keeps the working folder.
    QString workingDir = locked;
    bool saved = false;
    editor->setServices({{}, {}, {}, {}, {}, [&workingDir] { return workingDir; },
                         [&workingDir](const QString &d) { workingDir = d; },
                         [&saved](const QString &) { saved = true; }});
    editor->saveXML();
    QVERIFY(!saved);
    QCOMPARE(workingDir, locked);
    QVERIFY2(consoleErrors().last().startsWith("Save GUI XML: ") && consoleErrors().last().endsWith(" GUI Files (*.xml)"),
             qPrintable(consoleErrors().last()));
    // An editor whose panel was replaced saves nothing.
    QVERIFY(load(QString::fromUtf8(editorPanel)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QString stale = QDir(dir->path()).filePath("stale.xml");
    QVERIFY(!editor->savePanel(stale));
    QVERIFY(!QFile::exists(stale));
}

void TestShowXmlDialog::defineEditsRenameOrAreRefused()
{
    auto editor = makeEditor();
    Panel *panel = f->panel.get();
    const auto edit = [&editor](const QString &row, const QString &value) {
        QStandardItemModel *model = editor->propertyModel();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, 0).data().toString() != row)
                continue;
            model->setData(model->index(r, 1), value);
            editor->propertyView()->setCurrentIndex(model->index(r, 1));
            editor->closeEditor(nullptr, QAbstractItemDelegate::NoHint);
        }
    };
    editor->on_clicked(select(*editor, "SP"));
    edit("Define", "CB"); // taken
    QVERIFY(panel->getActiveElement("SP"));
    QCOMPARE(objectOf(panel->getActiveElement("CB"))->objectName(), QStringLiteral("CB"));
    edit("Define", "SPEED");
    QVERIFY(!panel->getActiveElement("SP"));
    QCOMPARE(objectOf(panel->getActiveElement("SPEED"))->objectName(), QStringLiteral("SPEED"));
    // IN is read by two formulas: they read INPUT from now on, live and saved.
    editor->on_clicked(select(*editor, "IN"));
    edit("Define", "INPUT");
    QVERIFY(!panel->getActiveElement("IN"));
    QVERIFY(panel->getActiveElement("INPUT"));
    QCOMPARE(elementPropertyOf(objectOf(panel->getActiveElement("M")), "expression").toString(), QStringLiteral("INPUT*2"));
    QVERIFY(!panel->feedsFormula("IN"));
    QVERIFY(panel->feedsFormula("INPUT"));
    panel->getActiveElement("INPUT")->setValue(QStringLiteral("21"), KeywordValue);
    QCOMPARE(panel->getActiveElement("M")->value(KeywordValue, 0).trimmed(), QStringLiteral("42"));
    // A common property edit reaches the saved panel.
    editor->on_clicked(select(*editor, "SPEED"));
    edit("default", "6");
    QVERIFY(f->exportHeaders(true));
    QVERIFY(saveAndReopen(*editor));
    QVERIFY(panel->getActiveElement("SPEED"));
    QVERIFY(!panel->getActiveElement("SP"));
    QCOMPARE(panel->getActiveElement("SPEED")->value(KeywordValue, 0), QStringLiteral("6"));
    QVERIFY(f->exportHeaders(true));
    QFile header(QDir(dir->path()).filePath("edit.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    QVERIFY(text.contains("#define SPEED "));
    QVERIFY(!text.contains("#define SP "));
    panel->getActiveElement("INPUT")->setValue(QStringLiteral("5"), KeywordValue);
    QCOMPARE(panel->getActiveElement("M")->value(KeywordValue, 0).trimmed(), QStringLiteral("10"));
    QCOMPARE(elementPropertyOf(objectOf(panel->getActiveElement("HID")), "expression").toString(),
             QStringLiteral("INPUT+1"));

    // A register path is a name like any other; an empty one is refused.
    editor = makeEditor();
    editor->on_clicked(select(*editor, "SPEED"));
    edit("Define", "GPIO.CR.SPEED");
    QVERIFY(panel->getActiveElement("GPIO.CR.SPEED"));
    edit("Define", "");
    QVERIFY(panel->getActiveElement("GPIO.CR.SPEED"));
}

void TestShowXmlDialog::renameDefine(ShowXMLDialog &editor, const QString &oldName, const QString &newName)
{
    editor.on_clicked(select(editor, oldName));
    QStandardItemModel *model = editor.propertyModel();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data().toString() != QLatin1String("Define"))
            continue;
        model->setData(model->index(r, 1), newName);
        editor.propertyView()->setCurrentIndex(model->index(r, 1));
        editor.closeEditor(nullptr, QAbstractItemDelegate::NoHint);
    }
}

// What a row checks on the live panel, after the rename and again on the
// saved panel read back.
enum class RenameCheck { Formula, Led, Plot, Lock, RenamedLocker, SetDef, ComboItem, TabPage, TableSource, Condition, Prefix };
Q_DECLARE_METATYPE(RenameCheck)

// One row per kind of reference the panel holds: after the rename the
// reference works under the new name, and the saved panel names it so.
void TestShowXmlDialog::renameCarriesEveryReference_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("oldName");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<RenameCheck>("check");
    QTest::addColumn<QStringList>("saved");   // in the saved panel
    QTest::addColumn<QStringList>("unsaved"); // never in it

    const QString spinA = QStringLiteral(R"(<spinbox define="A" range="0;100" default="0"/>)");
    QTest::newRow("formula")
        << spinA + R"(<spinbox define="AB" range="0;100" default="5"/><math define="M" formula="A*2+AB" format="%d"/>)"
        << "A" << "ALPHA" << RenameCheck::Formula << QStringList{R"(formula="ALPHA*2+AB")"}
        << QStringList{R"(formula="A*2)"};
    QTest::newRow("LED data") << spinA + R"(<led data="A" bitmask="0x2"/><log define="LG"><logitem data="A" label="a"/></log>)"
                              << "A" << "ALPHA" << RenameCheck::Led
                              << QStringList{R"(data="ALPHA")"} << QStringList{R"(data="A")"};
    QTest::newRow("plot, dial and thermometer data")
        << spinA + R"(<plot define="P" maxX="50" maxY="5"><curve label="a" data="A" color="255;0;0"/></plot><dial data="A" min="0" max="100"/><thermo data="A" min="0" max="100"/>)"
        << "A" << "ALPHA" << RenameCheck::Plot << QStringList{R"(data="ALPHA")"} << QStringList{R"(data="A")"};
    // Renamed while the lock holds: the lock records follow too.
    QTest::newRow("lockon")
        << R"(<checkbox define="A" label="a"/><checkbox define="LOCKER" label="l" lockon="A=1"/>)" << "A"
        << "ALPHA" << RenameCheck::Lock << QStringList{R"(lockon="ALPHA=1")"} << QStringList{R"(lockon="A=1")"};
    // Elements of a tree container keep their saved form on their rows.
    QTest::newRow("lockon in a tree container")
        << R"(<treecontainer headerlabels="a;b" columnwidths="100;50"><branch label="x"><checkbox define="A" label="a"/><checkbox define="LOCKER" label="l" lockon="A=1"/></branch></treecontainer>)"
        << "A" << "ALPHA" << RenameCheck::Lock << QStringList{R"(lockon="ALPHA=1")"}
        << QStringList{R"(lockon="A=1")"};
    QTest::newRow("locker renamed while it locks")
        << R"(<checkbox define="A" label="a"/><checkbox define="LOCKER" label="l" lockon="A=1"/>)" << "LOCKER"
        << "KEEPER" << RenameCheck::RenamedLocker << QStringList{R"(define="KEEPER")", R"(lockon="A=1")"}
        << QStringList{"LOCKER"};
    QTest::newRow("setDef")
        << spinA + R"(<checkbox define="S" label="s" setDef="A=7;A.visible=1"/>)" << "A" << "ALPHA"
        << RenameCheck::SetDef << QStringList{R"(setDef="ALPHA=7;ALPHA.visible=1")"} << QStringList{R"("A=7)"};
    QTest::newRow("combo item setdef and cond")
        << spinA + R"(<combo define="K"><item label="x" value="0"/><item label="y" value="1" setdef="A=5" cond="A==0"/></combo>)"
        << "A" << "ALPHA" << RenameCheck::ComboItem << QStringList{R"(setdef="ALPHA=5")", R"(cond="ALPHA==0")"}
        << QStringList{R"("A=5")", R"("A==0")"};
    QTest::newRow("tab page selectsetdef")
        << R"(<tabcontainer label="T"><groupcontainer label="G1"><spinbox define="A" range="0;100" default="0"/></groupcontainer><groupcontainer label="G2" selectsetdef="A=9"><text label="t"/></groupcontainer></tabcontainer>)"
        << "A" << "ALPHA" << RenameCheck::TabPage << QStringList{R"(selectsetdef="ALPHA=9")"}
        << QStringList{R"("A=9")"};
    QTest::newRow("table math source")
        << R"(<math define="M" formula="1+1" format="%d"/><table define="T" numrows="2"><column type="regname" label="Register"/><column type="math" label="Sum" source="M"/></table>)"
        << "M" << "SUM" << RenameCheck::TableSource << QStringList{R"(source="SUM")"}
        << QStringList{R"(source="M")"};
    QTest::newRow("condition")
        << spinA + R"(<spinbox define="T" range="0;100" default="0"/><checkbox define="C" label="c"><action event="checked" cmd="setDef" data="T=3" cond="A==1"/></checkbox>)"
        << "A" << "ALPHA" << RenameCheck::Condition << QStringList{R"(cond="ALPHA==1")"}
        << QStringList{R"(cond="A==1")"};
    // Names that begin with the renamed one are other names.
    QTest::newRow("prefix of another name")
        << spinA
               + R"(<spinbox define="AB" range="0;100" default="0"/><spinbox define="A_X" range="0;100" default="0"/><led data="AB" bitmask="0x1"/><checkbox define="L" label="l" lockon="AB=1;A_X=2"/><checkbox define="S" label="s" setDef="AB=4;A_X.visible=1"/><math define="M" formula="AB+A_X+A" format="%d"/>)"
        << "A" << "ALPHA" << RenameCheck::Prefix
        << QStringList{R"(data="AB")", R"(lockon="AB=1;A_X=2")", R"(setDef="AB=4;A_X.visible=1")",
                       R"(formula="AB+A_X+ALPHA")"}
        << QStringList{"ALPHAB", "ALPHA_X"};
}

void TestShowXmlDialog::renameCarriesEveryReference()
{
    QFETCH(QString, body);
    QFETCH(QString, oldName);
    QFETCH(QString, newName);
    QFETCH(RenameCheck, check);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, unsaved);

    QVERIFY(load(QStringLiteral("<verticalcontainer>\n<header file=\"edit.h\">\n%1\n</header>\n</verticalcontainer>")
                     .arg(body)));
    Panel *panel = f->panel.get();
    const auto element = [panel](const char *name) {
        ActiveElement *found = panel->getActiveElement(QLatin1String(name));
        if (!found)
            qFatal("no element %s", name);
        return found;
    };
    const auto set = [&element](const char *name, const char *value) {
        element(name)->setValue(QLatin1String(value), KeywordValue);
    };
    const auto valueOf = [&element](const char *name) { return element(name)->value(KeywordValue, 1).trimmed(); };
    // The lock holds before the rename.
    if (check == RenameCheck::Lock || check == RenameCheck::RenamedLocker) {
        set("LOCKER", "1");
        QVERIFY(element("A")->isLocked());
    }

    auto editor = makeEditor();
    renameDefine(*editor, oldName, newName);
    QVERIFY(!panel->getActiveElement(oldName));
    QVERIFY(panel->getActiveElement(newName));

    bool reopened = false;
    const auto live = [&]() {
        switch (check) {
        case RenameCheck::Formula:
            set("ALPHA", "21");
            QCOMPARE(valueOf("M"), QStringLiteral("47"));
            break;
        case RenameCheck::Led: {
            auto *led = f->panelWidget()->findChild<Led *>();
            QVERIFY(led);
            set("ALPHA", "2");
            QVERIFY(led->isLit());
            set("ALPHA", "1");
            QVERIFY(!led->isLit());
            // The log column follows too (the saved panel keeps no log columns).
            if (!reopened) {
                auto *log = f->panelWidget()->findChild<LogLabel *>();
                QVERIFY(log);
                QVERIFY(log->hasLogItem(QStringLiteral("ALPHA")));
                QVERIFY(!log->hasLogItem(QStringLiteral("A")));
            }
            break;
        }
        case RenameCheck::Plot: {
            auto *plot = f->panelWidget()->findChild<MyQwtPlot *>();
            QVERIFY(plot);
            const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
            QCOMPARE(curves.size(), 1);
            auto *curve = static_cast<QwtPlotCurve *>(curves.first());
            const size_t before = curve->dataSize();
            set("ALPHA", "3");
            set("ALPHA", "4");
            QCOMPARE(curve->dataSize(), before + 2);
            auto *dial = f->panelWidget()->findChild<QwtDial *>();
            auto *thermo = f->panelWidget()->findChild<QwtThermo *>();
            QVERIFY(dial && thermo);
            QCOMPARE(dial->value(), 4.0);
            QCOMPARE(thermo->value(), 4.0);
            break;
        }
        case RenameCheck::Lock:
            set("LOCKER", "0");
            QVERIFY(!element("ALPHA")->isLocked());
            set("ALPHA", "0");
            set("LOCKER", "1");
            QVERIFY(element("ALPHA")->isLocked());
            QCOMPARE(valueOf("ALPHA"), QStringLiteral("1"));
            break;
        case RenameCheck::RenamedLocker:
            set("KEEPER", "0");
            QVERIFY(!element("A")->isLocked());
            set("KEEPER", "1");
            QVERIFY(element("A")->isLocked());
            QCOMPARE(element("A")->lockedByNames(), QStringList{"KEEPER"});
            break;
        case RenameCheck::SetDef:
            set("S", "0");
            set("ALPHA", "0");
            set("S", "1");
            QCOMPARE(valueOf("ALPHA"), QStringLiteral("7"));
            break;
        case RenameCheck::ComboItem:
            set("K", "0");
            set("ALPHA", "0");
            set("K", "1");
            QCOMPARE(valueOf("ALPHA"), QStringLiteral("5"));
            break;
        case RenameCheck::TabPage: {
            auto *tabs = f->panelWidget()->findChild<QTabWidget *>();
            QVERIFY(tabs);
            // Showing the page runs its list (after one round through the tabs).
            tabs->setCurrentIndex(1);
            tabs->setCurrentIndex(0);
            set("ALPHA", "0");
            tabs->setCurrentIndex(1);
            QCOMPARE(valueOf("ALPHA"), QStringLiteral("9"));
            break;
        }
        case RenameCheck::TableSource: {
            auto *table = qobject_cast<Table *>(objectOf(element("T")));
            QVERIFY(table);
            QCOMPARE(table->column(1).source, QStringLiteral("SUM"));
            QCOMPARE(panel->getActiveElement(table->column(1).source), element("SUM"));
            break;
        }
        case RenameCheck::Condition:
            set("C", "0");
            set("T", "0");
            set("ALPHA", "0");
            set("C", "1");
            QCOMPARE(valueOf("T"), QStringLiteral("0"));
            set("C", "0");
            set("ALPHA", "1");
            set("C", "1");
            QCOMPARE(valueOf("T"), QStringLiteral("3"));
            break;
        case RenameCheck::Prefix: {
            auto *led = f->panelWidget()->findChild<Led *>();
            QVERIFY(led);
            set("AB", "1");
            QVERIFY(led->isLit());
            set("L", "1");
            QVERIFY(element("AB")->isLocked());
            QVERIFY(element("A_X")->isLocked());
            set("ALPHA", "10");
            QCOMPARE(valueOf("M"), QStringLiteral("13"));
            break;
        }
        }
    };
    live();
    if (QTest::currentTestFailed())
        return;

    const QString path = QDir(dir->path()).filePath("saved.xml");
    QVERIFY(editor->savePanel(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    for (const QString &part : saved)
        QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral(" missing in\n") + text));
    for (const QString &part : unsaved)
        QVERIFY2(!text.contains(part), qPrintable(part + QStringLiteral(" still in\n") + text));

    // Read back, the panel works under the new name alike.
    QVERIFY(f->open(path));
    reopened = true;
    live();
}

void TestShowXmlDialog::clickIntoThePanelSelectsTheElement()
{
    auto editor = makeEditor();
    QString status;
    ShowXMLDialog::Services services;
    services.showStatus = [&status](const QString &text) { status = text; };
    editor->setServices(services);
    auto *hx = qobject_cast<QWidget *>(objectOf(f->panel.get()->getActiveElement("HX")));
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(hx, &move);
    QCOMPARE(status, QStringLiteral("HexSpinBox HX"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(hx, &press);
    QCOMPARE(editor->objectAt(editor->treeView()->currentIndex()), static_cast<QObject *>(hx));
    QCOMPARE(editor->selectedWidget(), hx);
    QCOMPARE(editor->propertyModel()->index(0, 1).data().toString(), QStringLiteral("HX"));
    // The rows of a spin box: its own, the optional ones set, the action and
    // the eight of every element; a hex spin box shows decimal numbers.
    QStringList names;
    for (const QString &row : ShowXMLDialog::propertyRows(hx))
        names << row.section('!', 0, 0);
    QCOMPARE(names, (QStringList{"Define", "Prefix", "Suffix", "Range", "Step", "default", "header", "action", "X",
                                 "Y", "Width", "Height", "SizePolH", "SizePolV", "Color", "Font"}));
    QVERIFY(ShowXMLDialog::propertyRows(hx).contains("Range!0..255"));
    QVERIFY(!editor->propertyModel()->item(0, 0)->isEnabled());
    // A container has its Label row and no action row.
    const QStringList boxRows = ShowXMLDialog::propertyRows(f->panelWidget()->findChild<QGroupBox *>());
    QVERIFY(boxRows.contains("Label!Box"));
    QVERIFY(!boxRows.filter(QRegularExpression("^action!")).size());
    // A closed editor watches no more.
    editor.reset();
    status.clear();
    QApplication::sendEvent(hx, &move);
    QVERIFY(status.isEmpty());
}

// The element names of every panel element under the root, in tree order.
static QStringList kindsUnder(QWidget *root)
{
    QStringList kinds;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        const QString kind = PanelXmlWriter::elementNameOf(widget);
        if (!kind.isEmpty())
            kinds << kind;
    }
    kinds.sort();
    return kinds;
}

void TestShowXmlDialog::panelBuiltFromAnEmptyOne()
{
    QVERIFY(load(QStringLiteral("<verticalcontainer/>")));
    auto editor = makeEditor();
    const QModelIndex root = editor->treeModel()->index(0, 0);
    // The register view goes last: the reader ends its container at a
    // register view today, so nothing may follow it.
    QList<int> codes;
    for (int code = 0; code < ShowXMLDialog::TypeCodeCount; ++code) {
        if (code != ShowXMLDialog::RegView)
            codes << code;
    }
    codes << ShowXMLDialog::RegView;
    for (int code : codes) {
        editor->treeView()->setCurrentIndex(root);
        editor->addElement(code);
    }
    Panel *panel = f->panel.get();
    QVERIFY(panel->getActiveElement("CheckBoxDefine_0"));
    QVERIFY(panel->getActiveElement("SpinBoxDefine_0"));
    QVERIFY(editor->addVariable("speed"));
    // Every element goes to a header once it has one.
    for (ActiveElement *element : panel->getAllElements())
        element->setElementProperty("header", "built.h");
    auto *area = qobject_cast<QScrollArea *>(f->panelWidget());
    const QStringList before = kindsUnder(area->widget());
    for (const char *kind : {"checkbox", "radiobutton", "plot", "table", "registerview", "led", "image"})
        QVERIFY2(before.contains(kind), kind);
    QStringList names;
    for (ActiveElement *element : panel->getAllElements())
        names << PanelNames::getObjectName(element);
    names.sort();
    QVERIFY(saveAndReopen(*editor));
    area = qobject_cast<QScrollArea *>(f->panelWidget());
    QCOMPARE(kindsUnder(area->widget()).join(','), before.join(','));
    QStringList reopened;
    for (ActiveElement *element : panel->getAllElements())
        reopened << PanelNames::getObjectName(element);
    reopened.sort();
    QFile saved(QDir(dir->path()).filePath("saved.xml"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY2(reopened == names, saved.readAll().constData());
    QVERIFY(panel->registries().variablesByName.contains("speed"));
    QVERIFY(f->exportHeaders(true));
    QFile header(QDir(dir->path()).filePath("built.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray text = header.readAll();
    QVERIFY(text.contains("#define CheckBoxDefine_0 "));
    QVERIFY(text.contains("#define ComboBoxDefine_0 "));
}

QTEST_MAIN(TestShowXmlDialog)
#include "tst_showxmldialog.moc"
