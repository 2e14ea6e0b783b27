#pragma once

#include <QDialog>

class PinMappingHost;
class QCheckBox;
class QModelIndex;
class QStandardItemModel;
class QTableView;

// "Portmapping Details": every pin with the functions it can have, the
// condition that selects each function and what that condition means in
// terms of the SVD registers; active functions are bold. With "Show
// connected pins only" pins without functions are left out. A double click
// on a condition brings the element it names into view.
class PortMappingDetailsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PortMappingDetailsDialog(PinMappingHost *host, QWidget *parent = nullptr);
    ~PortMappingDetailsDialog() override;

    void fillTable();
    QStandardItemModel *model() const { return m_model; }
    QTableView *tableView() const { return m_tableView; }
    QCheckBox *connectedOnlyBox() const { return m_connectedOnlyBox; }

    // The explanation of a condition: "Set " and the description of the
    // register of the SVD element it names, then the field's description and
    // the enumerated value's; empty when the condition names no SVD element
    // or the register model lacks its module or register.
    QString explanation(const QString &condition) const;

public slots:
    void on_doubleClicked(const QModelIndex &index);
    void on_CheckboxClicked();

private:
    PinMappingHost *m_host;
    QTableView *m_tableView = nullptr;
    QStandardItemModel *m_model = nullptr;
    QCheckBox *m_connectedOnlyBox = nullptr;
    bool m_connectedOnly = false;
};
