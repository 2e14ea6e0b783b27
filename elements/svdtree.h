#pragma once

#include "valueelement.h"

#include <QHash>
#include <QString>
#include <QTreeView>

class ModuleRecord;
class QStandardItem;
class QStandardItemModel;

// The panel element "svdtree": the register model as a tree of modules, their
// registers and the registers' fields, with the descriptions as tool tips and,
// with showValues, a second column holding the values of the panel elements
// bound to those registers and fields. Setting its value rebuilds the tree, so
// a panel shows the model as it stands after its SVD file was read.
class SvdTree : public QTreeView, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit SvdTree(const QString &name, QWidget *parent = nullptr);

    // The module table the tree shows (the panel's); null shows nothing.
    void setModuleTable(const QHash<QString, ModuleRecord *> *table) { m_moduleTable = table; }

    void setShowSvdOnly(bool on) { m_showSvdOnly = on; }
    bool showSvdOnly() const { return m_showSvdOnly; }
    void setShowValues(bool on) { m_showValues = on; }
    bool showValues() const { return m_showValues; }

    QTreeView *innerView() const { return m_innerView; }
    QStandardItemModel *model() const { return m_model; }

    // Builds the tree again from the module table. Modules, registers and
    // fields are listed by name.
    void rebuild();

    // ---- ActiveElement
    // Keyword 0 rebuilds the tree; the text is not used.
    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &) override {}
    QString value(int keyword, int flag) override;
    QString storedValueText() override { return m_storedText; }
    void initialize() override;
    // A tree takes no bit range: only the whole define.
    bool acceptsBitRange(int msb, int lsb) override { return msb == -1 && lsb == -1; }

public slots:
    void sendData() {}
    void enable(bool on) override;
    void valueChanged(const QString &text);
    // The user's text: the recorder's "Set(" line while the tree has the
    // focus, changedByUser, then the text is kept as the stored value.
    void valueChangedByUser(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The value of the element bound to define for the second column; empty
    // when no element is.
    QStandardItem *valueItem(const QString &define) const;

    QTreeView *m_innerView;
    QStandardItemModel *m_model;
    QString m_storedText;
    bool m_showSvdOnly = false;
    bool m_showValues = false;
    const QHash<QString, ModuleRecord *> *m_moduleTable = nullptr;
};
