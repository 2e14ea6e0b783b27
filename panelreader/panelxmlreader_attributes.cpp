// PanelXmlReader: the shared attribute readers and the common step every
// visible element and container passes through.
#include "panelxmlreader.h"

#include "activeelement.h"
#include "boxcontainers.h"
#include "container.h"
#include "elementkinds.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"

#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QPoint>
#include <QPushButton>
#include <QSize>
#include <QXmlStreamReader>

#include <qwt_plot.h>

#include <limits>

using namespace PanelXml;

static const QLatin1Char listSeparator(';');

// ---------------------------------------------------------------------------
// Simple readers

QString PanelXmlReader::readHeader(const QXmlStreamAttributes &attributes, const QString &groupHeader)
{
    return has(attributes, "header") ? text(attributes, "header") : groupHeader;
}

QStringList PanelXmlReader::readHeaderLabels(const QXmlStreamAttributes &attributes)
{
    return text(attributes, "headerlabels").split(listSeparator);
}

int PanelXmlReader::readColumns(const QXmlStreamAttributes &attributes)
{
    bool ok = false;
    const int columns = text(attributes, "columns").toInt(&ok, 10);
    return ok ? columns : -1;
}

bool PanelXmlReader::isInvertedRole(const QXmlStreamAttributes &attributes)
{
    return text(attributes, "role") == QLatin1String("inverted");
}

bool PanelXmlReader::usesSvd(const QXmlStreamAttributes &attributes)
{
    return !(has(attributes, "svd") && text(attributes, "svd") == QLatin1String("0"));
}

bool PanelXmlReader::isVisible(const QXmlStreamAttributes &attributes)
{
    return text(attributes, "visible") != QLatin1String("false");
}

QString PanelXmlReader::readLabel(const QXmlStreamAttributes &attributes) const
{
    // "$NAME.Text", "$NAME.Unit" and "$NAME.Comment" show that field of the
    // parameter NAME of the panel's parameter map. Any other label, another
    // suffix, or a name the map does not hold (or no map yet) shows as written.
    const QString label = text(attributes, "label");
    const int dot = label.indexOf(QLatin1Char('.'));
    if (!label.startsWith(QLatin1Char('$')) || dot < 0)
        return label;
    const QString name = label.mid(1, dot - 1);
    for (const ParameterRecord &record : qAsConst(m_panel->header().parameterMap)) {
        if (record.varName != name)
            continue;
        if (label.endsWith(QLatin1String(".Unit"), Qt::CaseInsensitive))
            return record.unit;
        if (label.endsWith(QLatin1String(".Text"), Qt::CaseInsensitive))
            return record.text;
        if (label.endsWith(QLatin1String(".Comment"), Qt::CaseInsensitive))
            return record.comment;
    }
    return label;
}

// One bound of a "range": text or an empty part is no number; any literal
// counts, read as a whole number (0 for a fraction) and clamped to the int
// range, so 0xFFFFFFFF is the largest int rather than 0.
static int rangeBound(const QString &part, bool *ok)
{
    int notation = OtherText;
    qint64 value = integerLiteralValue(part, &notation);
    *ok = notation != OtherText && notation != EmptyText;
    if (!*ok)
        return 0;
    if (notation == FractionLiteral)
        value = parseNumberLiteral(part).toLongLong();
    return int(qBound<qint64>(std::numeric_limits<int>::min(), value, std::numeric_limits<int>::max()));
}

void PanelXmlReader::readRange(const QXmlStreamAttributes &attributes, int *min, bool *minOk, int *max,
                               bool *maxOk)
{
    // "min;max": the first part is the minimum whatever follows; the maximum
    // needs exactly two parts.
    const QString range = text(attributes, "range");
    const int separator = range.indexOf(listSeparator);
    *min = rangeBound(separator < 0 ? range : range.left(separator), minOk);
    if (separator < 0 || range.indexOf(listSeparator, separator + 1) >= 0) {
        *maxOk = false;
        *max = 0;
        return;
    }
    *max = rangeBound(range.mid(separator + 1), maxOk);
}

// A colour of three (opaque) or four parts; invalid for any other count. An
// unparsable part counts 0 and clears allNumbers.
static QColor colorFromParts(const QStringList &parts, bool *allNumbers)
{
    *allNumbers = parts.size() == 3 || parts.size() == 4;
    if (!*allNumbers)
        return QColor();
    int channels[4] = {0, 0, 0, 255};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        channels[i] = parts.at(i).toInt(&ok);
        *allNumbers = *allNumbers && ok;
    }
    QColor color;
    // Out-of-range channels leave the colour invalid, as Qt would.
    for (const int channel : channels) {
        if (channel < 0 || channel > 255)
            return color;
    }
    color.setRgb(channels[0], channels[1], channels[2], channels[3]);
    return color;
}

QColor PanelXmlReader::colorAttribute(const QXmlStreamAttributes &attributes, const QString &name)
{
    bool allNumbers = false;
    return colorFromParts(attributes.value(name).toString().split(listSeparator), &allNumbers);
}

QColor PanelXmlReader::readColor(const QXmlStreamAttributes &attributes)
{
    bool allNumbers = false;
    const QColor color = colorFromParts(text(attributes, "color").split(listSeparator), &allNumbers);
    if (!allNumbers)
        attributeWarning(tr("\"color\" attribute invalid."), attributes);
    return color;
}

QSize PanelXmlReader::readSize(const QXmlStreamAttributes &attributes, bool *ok)
{
    const QStringList parts = text(attributes, "size").split(listSeparator);
    if (parts.size() != 2) {
        *ok = false;
        return QSize(-1, -1);
    }
    bool widthOk = false;
    bool heightOk = false;
    const QSize size(parts.at(0).toInt(&widthOk), parts.at(1).toInt(&heightOk));
    *ok = widthOk && heightOk;
    return size;
}

QSizePolicy PanelXmlReader::readSizePolicy(const QXmlStreamAttributes &attributes)
{
    const QStringList parts = text(attributes, "sizepolicy").split(listSeparator);
    if (parts.size() != 2 || !m_sizePolicyNames.contains(parts.at(0))
        || !m_sizePolicyNames.contains(parts.at(1))) {
        attributeWarning(tr("\"sizepolicy\" attribute invalid."), attributes);
        return QSizePolicy();
    }
    return QSizePolicy(QSizePolicy::Policy(m_sizePolicyNames.value(parts.at(0))),
                       QSizePolicy::Policy(m_sizePolicyNames.value(parts.at(1))));
}

QPoint PanelXmlReader::readPos(const QXmlStreamAttributes &attributes)
{
    const QStringList parts = text(attributes, "pos").split(listSeparator);
    if (parts.size() != 2) {
        attributeWarning(tr("\"pos\" attribute invalid."), attributes);
        return QPoint(0, 0);
    }
    bool xOk = false;
    bool yOk = false;
    const QPoint pos(parts.at(0).toInt(&xOk), parts.at(1).toInt(&yOk));
    if (!xOk || !yOk)
        attributeWarning(tr("\"pos\" attribute invalid."), attributes);
    return pos;
}

QList<int> PanelXmlReader::readColumnWidths(const QXmlStreamAttributes &attributes)
{
    QList<int> widths;
    const QString value = text(attributes, "columnwidths");
    if (value.isEmpty())
        return widths;
    const QStringList items = value.split(listSeparator);
    for (const QString &item : items) {
        bool ok = false;
        widths.append(item.toInt(&ok));
        if (!ok)
            attributeWarning(tr("\"columnwidths\" attribute invalid."), attributes);
    }
    return widths;
}

void PanelXmlReader::attributeWarning(const QString &text, const QXmlStreamAttributes &attributes)
{
    xmlMessage(text, PanelXml::text(attributes, "define"), false);
}

// ---------------------------------------------------------------------------
// The common step

static void setBrushInAllGroups(QPalette &palette, QPalette::ColorRole role, const QBrush &brush)
{
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        palette.setBrush(QPalette::ColorGroup(group), role, brush);
}

void PanelXmlReader::readCommonAttributes(const QXmlStreamAttributes &attributes, QWidget *widget)
{
    const bool isContainer = cachedDynamicCast<Container>(widget) != nullptr;
    const auto keep = [&](const char *property, const char *attribute) {
        setElementProperty(widget, property, text(attributes, attribute));
    };

    QWidget *parent = widget->parentWidget();
    if (has(attributes, "stretch") && !isContainer)
        addChildStretch(widget);
    if (has(attributes, "readonly")) {
        if (text(attributes, "readonly").toInt() != 0) {
            if (ActiveElement *element = activeElementOf(widget))
                element->makeReadOnly();
        }
        keep("my_readonly", "readonly");
    }
    if (has(attributes, "color")) {
        applyColor(attributes, widget);
        keep("Color", "color");
    } else if (isContainer) {
        // A container the panel gives no colour is filled with the palette's
        // base colour: white under a light palette, dark under a dark one, so
        // the palette's text colour stays readable on it.
        widget->setAutoFillBackground(true);
        QPalette palette = widget->palette();
        for (int group = 0; group < QPalette::NColorGroups; ++group) {
            const auto colorGroup = QPalette::ColorGroup(group);
            palette.setBrush(colorGroup, QPalette::Window, palette.brush(colorGroup, QPalette::Base));
        }
        widget->setPalette(palette);
    }
    if (has(attributes, "image"))
        applyBackgroundImage(attributes, widget);
    if (has(attributes, "sizepolicy")) {
        widget->setSizePolicy(readSizePolicy(attributes));
        keep("Sizepolicy", "sizepolicy");
    }
    if (has(attributes, "pos")) {
        widget->move(readPos(attributes));
        keep("Pos", "pos");
    }
    if (has(attributes, "size")) {
        bool ok = false;
        const QSize size = readSize(attributes, &ok);
        if (!ok)
            attributeWarning(tr("\"size\" attribute invalid."), attributes);
        // A part of -1 leaves that direction free.
        if (size.width() != -1 && size.height() != -1)
            widget->setFixedSize(size);
        else if (size.width() != -1)
            widget->setFixedWidth(size.width());
        else if (size.height() != -1)
            widget->setFixedHeight(size.height());
        keep("Size", "size");
    }
    if (has(attributes, "font")) {
        // One font for the whole run: a description that names only some
        // fields keeps the others from the fonts parsed before.
        static QFont font;
        font.fromString(text(attributes, "font"));
        widget->setFont(font);
        keep("my_font", "font");
    }
    if (has(attributes, "expand"))
        keep("expand", "expand");
    if (has(attributes, "visible")) {
        // A widget without a parent yet (a tree branch) must not open as a window.
        if (parent || !isVisible(attributes))
            widget->setVisible(isVisible(attributes));
    }
    if (has(attributes, "enabled"))
        widget->setEnabled(text(attributes, "enabled").toInt() != 0);
    if (has(attributes, "tooltip"))
        keep("tooltip", "tooltip");
    if (has(attributes, "unit"))
        keep("unit", "unit");
}

void PanelXmlReader::applyColor(const QXmlStreamAttributes &attributes, QWidget *widget)
{
    const ElementKind *kind = elementKindOf(widget);
    const ColorSlot slot = kind ? kind->colorSlot : ColorSlot::Base;
    if (slot == ColorSlot::Canvas) {
        if (auto *plot = qobject_cast<QwtPlot *>(widget))
            plot->setCanvasBackground(readColor(attributes));
        return;
    }
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    const QString rgb = text(attributes, "color").replace(listSeparator, QLatin1Char(','));
    if (dynamic_cast<Container *>(widget)) {
        setBrushInAllGroups(palette, QPalette::Window, readColor(attributes));
    } else if (qobject_cast<QPushButton *>(widget)) {
        widget->setStyleSheet(QStringLiteral("QPushButton{background-color: rgb(%1);}"
                                             "QPushButton:checked{background-color: rgb(%1);}")
                                  .arg(rgb));
    } else if (slot == ColorSlot::WindowText) {
        setBrushInAllGroups(palette, QPalette::WindowText, readColor(attributes));
    } else if (slot == ColorSlot::Button) {
        setBrushInAllGroups(palette, QPalette::Button, readColor(attributes));
    } else if (slot == ColorSlot::OwnRole) {
        setBrushInAllGroups(palette, widget->backgroundRole(), readColor(attributes));
    } else {
        setBrushInAllGroups(palette, QPalette::Base, readColor(attributes));
        if (qobject_cast<QComboBox *>(widget))
            widget->setStyleSheet(QStringLiteral("background-color: rgb(%1);").arg(rgb));
    }
    widget->setPalette(palette);
}

void PanelXmlReader::applyBackgroundImage(const QXmlStreamAttributes &attributes, QWidget *widget)
{
    QString path = text(attributes, "image").replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!QFileInfo(path).isFile()) {
        const QString besidePanel = resolvePanelPath(path);
        if (QFileInfo(besidePanel).isFile())
            path = besidePanel;
        else
            attributeWarning(tr("Image file not found in UI element"), attributes);
    }
    QPixmap picture;
    if (QFileInfo(path).isFile())
        picture.load(path);
    if (!picture.isNull())
        picture = picture.scaled(widget->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPalette palette = widget->palette();
    setBrushInAllGroups(palette, QPalette::Window, QBrush(picture));
    widget->setPalette(palette);
    setElementProperty(widget, "image", path);
}
