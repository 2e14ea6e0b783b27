// ShowXMLDialog: the property table of the selected element, its rows built
// from the live widget and its element attributes.
#include "showxmldialog.h"

#include "activeelement.h"
#include "container.h"
#include "contrast.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "propertydelegates.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <qwt_dial.h>
#include <qwt_thermo.h>

QString ShowXMLDialog::sizePolicyName(int policy)
{
    return ::sizePolicyName(QSizePolicy::Policy(policy));
}

QStringList ShowXMLDialog::propertyRows(QWidget *widget)
{
    QStringList rows;
    if (!widget)
        return rows;
    const auto text = [widget](const char *name) { return elementPropertyOf(widget, name).toString(); };
    const auto always = [&rows, &text](const char *row, const char *property) {
        rows << QLatin1String(row) + QLatin1Char('!') + text(property);
    };
    const auto ifSet = [&rows, &text](const char *row, const char *property) {
        if (!text(property).isEmpty())
            rows << QLatin1String(row) + QLatin1Char('!') + text(property);
    };

    // Name.
    rows << (activeElementOf(widget) ? QStringLiteral("Define!") : QStringLiteral("define!")) + widget->objectName();

    // The rows of the element's kind; the Qt classes the panel uses as they are have theirs here.
    if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
        rows << QStringLiteral("Label!") + radio->text();
    } else if (auto *dial = qobject_cast<QwtDial *>(widget)) {
        rows << QStringLiteral("Range!%1..%2").arg(dial->minimum(), 0, 'g').arg(dial->maximum(), 0, 'g');
        always("data", "data");
    } else if (auto *thermo = qobject_cast<QwtThermo *>(widget)) {
        rows << QStringLiteral("Range!%1..%2")
                    .arg(thermo->lowerBound(), 0, 'g')
                    .arg(thermo->upperBound(), 0, 'g');
        always("data", "data");
    } else if (const ElementKind *kind = elementKindOf(widget); kind && kind->listRows) {
        kind->listRows(widget, &rows);
    }

    // Optional rows.
    const bool container = dynamic_cast<Container *>(widget) != nullptr;
    ifSet("suffix", "suffix");
    if (container)
        always("Label", "my_label");
    ifSet("default", "my_default");
    ifSet("header", "header");
    ifSet("svd", "svd");
    for (const char *name : {"minX", "maxX", "minY", "maxY", "oszi", "history", "xScaleFormat", "xLabel",
                             "yLabel", "autoScaleMinY", "autoScaleMaxY", "xFactor", "grid"})
        ifSet(name, name);
    ifSet("Readonly", "my_readonly");
    for (const char *name : {"inverted", "image", "Icon", "normalcolor", "alarmcolor", "alarmlevel", "orientation"})
        ifSet(name, name);

    if (!container)
        rows << QStringLiteral("action!") + editorDetailsText();

    // Geometry and look.
    rows << QStringLiteral("X!%1").arg(widget->x()) << QStringLiteral("Y!%1").arg(widget->y());
    rows << QStringLiteral("Width!%1").arg(widget->width()) << QStringLiteral("Height!%1").arg(widget->height());
    rows << QStringLiteral("SizePolH!") + sizePolicyName(widget->sizePolicy().horizontalPolicy());
    rows << QStringLiteral("SizePolV!") + sizePolicyName(widget->sizePolicy().verticalPolicy());
    const QColor color = widget->palette().color(qobject_cast<QPushButton *>(widget) ? QPalette::Button
                                                                                     : QPalette::Window);
    rows << QStringLiteral("Color!%1;%2;%3").arg(color.red()).arg(color.green()).arg(color.blue());
    rows << QStringLiteral("Font!%1").arg(widget->font().toString());
    return rows;
}

QAbstractItemDelegate *ShowXMLDialog::rowDelegate(const QString &name)
{
    if (name == QLatin1String("SizePolH") || name == QLatin1String("SizePolV"))
        return new ComboBoxDelegate2(sizePolicyChoices(), this);
    if (name == QLatin1String("Font"))
        return new FontDelegate(this);
    if (name == QLatin1String("File") || name == QLatin1String("image") || name == QLatin1String("Icon"))
        return new FileDelegate(this);
    if (name == QLatin1String("Color"))
        return new ColorDelegate(0, this);
    if (name == QLatin1String("normalcolor"))
        return new ColorDelegate(1, this);
    if (name == QLatin1String("alarmcolor"))
        return new ColorDelegate(2, this);
    if (name == QLatin1String("action"))
        return new ActionDelegate(this);
    if (name == QLatin1String("Curves"))
        return new CurvesDelegate(this);
    if (name == QLatin1String("Columns"))
        return new ColumnsDelegate(this);
    if (name == QLatin1String("Items"))
        return new ItemsDelegate(this);
    return nullptr;
}

void ShowXMLDialog::fillPropertyTable(QWidget *widget)
{
    for (int row = 0; row < m_propertyModel->rowCount(); ++row)
        m_propertyView->setItemDelegateForRow(row, nullptr);
    m_propertyRows.clear();
    m_propertyModel->removeRows(0, m_propertyModel->rowCount());
    m_propertyRows = propertyRows(widget);
    // The names are shown greyed out (not editable) on both row colours; the
    // palette's grey for disabled text may not read on them, so they take
    // the nearest grey that does.
    const QPalette palette = m_propertyView->palette();
    QVector<QColor> rowColours;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        rowColours << palette.color(group, QPalette::Base) << palette.color(group, QPalette::AlternateBase);
    const QColor nameColour = readableTextColor(rowColours, palette.color(QPalette::Disabled, QPalette::Text));
    for (int row = 0; row < m_propertyRows.size(); ++row) {
        const QStringList parts = m_propertyRows.at(row).split(QLatin1Char('!'));
        auto *name = new QStandardItem(parts.value(0));
        name->setEnabled(false);
        name->setForeground(QBrush(nameColour));
        m_propertyModel->insertRow(row, {name, new QStandardItem(parts.value(1))});
        if (QAbstractItemDelegate *delegate = rowDelegate(parts.value(0))) {
            m_propertyView->setItemDelegateForRow(row, delegate);
            connect(delegate, &QAbstractItemDelegate::closeEditor, this, &ShowXMLDialog::closeEditor);
        }
    }
    m_propertyView->resizeRowsToContents();
}
