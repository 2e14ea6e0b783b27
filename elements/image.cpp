#include "image.h"

#include "activeelement.h"
#include "apppaths.h"
#include "container.h"
#include "elementhost.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "expression.h"
#include "kindedits.h"
#include "programstate.h"
#include "textfilewriter.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>

#include <cmath>

const QString Image::embeddedSvgMark = QStringLiteral("$SVG$");

static const char *const pictureFailure = "Picture of <image> element couldn't be loaded.";

// Whether a picture of that size may be shown.
static bool acceptablePictureSize(const QSize &size)
{
    return qint64(size.width()) * size.height() <= Image::maxPicturePixels;
}

static void reportTooLarge(const QString &path, const QSize &size)
{
    reportCannotOpenFile(path, QStringLiteral("Picture of <image> element couldn't be loaded: it has %1 x %2 "
                                              "pixels, more than %3.")
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(Image::maxPicturePixels));
}

Image::Image(const QString &name, const QString &file, QWidget *parent)
    : QLabel(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
    else if (!file.isEmpty() && file != embeddedSvgMark)
        setObjectName(file);
    else
        setObjectName(QStringLiteral("IMAGE_%1").arg(ProgramState::instance().imageCount++));

    if (file == embeddedSvgMark)
        return;
    const QString path = AppPaths::normalizePanelPath(file);
    if (path.endsWith(QLatin1String("gif"), Qt::CaseInsensitive))
        showMovie(path);
    else
        showStill(path);
}

Image::~Image() = default;

ElementHost *Image::host() const
{
    if (m_host)
        return m_host;
    for (QObject *above = parent(); above; above = above->parent()) {
        if (auto *container = qobject_cast<Container *>(above))
            return container->host();
    }
    return nullptr;
}

QString Image::resolvedPath(const QString &file) const
{
    const ElementHost *panel = host();
    const QString dir = panel ? panel->panelDirectory() : QString();
    return QDir(dir).filePath(AppPaths::normalizePanelPath(file));
}

// ---------------------------------------------------------------------------
// Pictures

void Image::dropMovie()
{
    if (m_movie) {
        m_movie->stop();
        delete m_movie;
    }
    setMovie(nullptr);
}

bool Image::showMovie(const QString &path)
{
    dropMovie();
    // Only plain files: a device or a pipe under a picture's name would never end.
    QImageReader probe(path);
    const bool readable = QFileInfo(path).isFile() && probe.canRead();
    if (readable && probe.size().isValid() && !acceptablePictureSize(probe.size())) {
        reportTooLarge(path, probe.size());
        clear();
        return false;
    }
    auto *movie = new QMovie(path, QByteArray(), this);
    if (!readable || !movie->isValid()) {
        delete movie;
        reportCannotOpenFile(path, QLatin1String(pictureFailure));
        clear();
        return false;
    }
    m_movie = movie;
    setMovie(movie);
    movie->start();
    return true;
}

bool Image::showStill(const QString &path)
{
    dropMovie();
    QImage picture;
    QImageReader reader(path);
    if (QFileInfo(path).isFile() && reader.canRead()) {
        if (reader.size().isValid() && !acceptablePictureSize(reader.size())) {
            reportTooLarge(path, reader.size());
            clear();
            return false;
        }
        picture = reader.read();
    }
    if (picture.isNull()) {
        reportCannotOpenFile(path, QLatin1String(pictureFailure));
        clear();
        return false;
    }
    setPixmap(QPixmap::fromImage(picture));
    return true;
}

void Image::loadPicture(const QString &file)
{
    const QString path = resolvedPath(file);
    if (path.endsWith(QLatin1String("gif"), Qt::CaseInsensitive))
        showMovie(path);
    else
        showStill(path);
    repaint();
}

// ---------------------------------------------------------------------------
// Embedded SVG

// An href that stays inside the drawing: a fragment or inline data.
static bool isInternalReference(const QString &value)
{
    const QString target = value.trimmed();
    return target.startsWith(QLatin1Char('#')) || target.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

QByteArray Image::selfContained(const QByteArray &svg)
{
    // Every href attribute (xlink:href, href, an xml-stylesheet's href).
    static const QRegularExpression reference(
        QStringLiteral("(\\b(?:[A-Za-z_][\\w.-]*:)?href\\s*=\\s*)(\"([^\"]*)\"|'([^']*)')"));
    const QString text = QString::fromUtf8(svg);
    QString result;
    QStringList dropped;
    int copied = 0;
    QRegularExpressionMatchIterator matches = reference.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString value = match.capturedRef(3).isNull() ? match.captured(4) : match.captured(3);
        if (isInternalReference(value))
            continue;
        result += text.midRef(copied, match.capturedStart(2) - copied);
        result += QStringLiteral("\"\"");
        copied = match.capturedEnd(2);
        if (!m_reportedReferences.contains(value)) {
            m_reportedReferences.insert(value);
            dropped.append(value);
        }
    }
    if (copied == 0)
        return svg;
    result += text.midRef(copied);
    if (!dropped.isEmpty()) {
        reportError(QStringLiteral("The SVG drawing of %1 refers to %2 outside the panel file; "
                                   "such references are not loaded.")
                        .arg(objectName(), dropped.join(QStringLiteral(", "))));
    }
    return result.toUtf8();
}

void Image::setSvgSize(const QSize &size)
{
    m_svgSize = size;
}

void Image::loadSvg()
{
    m_svgTemplate = m_svgBytes;
    m_renderer.load(selfContained(m_svgBytes));
    m_svgSize = m_renderer.defaultSize();
}

// The placeholders of the text: what stands between a "$" and the next
// one, the scan going on after the closing "$"; with the positions of each
// pair when starts is given.
static QStringList placeholdersOf(const QByteArray &text, QList<QPair<int, int>> *pairs = nullptr)
{
    QStringList names;
    int open = text.indexOf('$');
    while (open >= 0) {
        const int close = text.indexOf('$', open + 1);
        if (close < 0)
            break;
        names.append(QString::fromUtf8(text.mid(open + 1, close - open - 1)));
        if (pairs)
            pairs->append({open, close});
        open = text.indexOf('$', close + 1);
    }
    return names;
}

QStringList Image::collectSvgVariables()
{
    QStringList defines;
    for (const QString &placeholder : placeholdersOf(m_svgTemplate)) {
        if (!m_svgVariables.contains(placeholder))
            m_svgVariables.append(placeholder);
        QString define = placeholder;
        stripKeywordSuffix(define, keywordSuffixIndexOf(placeholder));
        if (!defines.contains(define))
            defines.append(define);
    }
    return defines;
}

void Image::renderSvg()
{
    QSize size = m_svgSize;
    if (!m_renderer.isValid() || size.isEmpty()) {
        setPixmap(QPixmap());
        return;
    }
    if (qint64(size.width()) * size.height() > Image::maxDrawingPixels) {
        // Scaled down to the largest pixmap allowed, same aspect.
        const double factor = std::sqrt(double(Image::maxDrawingPixels) / (double(size.width()) * size.height()));
        size = QSize(qMax(1, int(size.width() * factor)), qMax(1, int(size.height() * factor)));
    }
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    m_renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    setPixmap(picture);
}

void Image::updateSvgValues()
{
    ElementHost *panel = host();
    // Each placeholder's text, the values XML-escaped so that no value can
    // change the drawing's structure.
    QHash<QString, QByteArray> values;
    for (const QString &placeholder : qAsConst(m_svgVariables)) {
        const int keyword = keywordSuffixIndexOf(placeholder);
        QString name = placeholder;
        stripKeywordSuffix(name, keyword);
        ActiveElement *element = panel ? panel->getActiveElement(name) : nullptr;
        QString value;
        if (keyword == KeywordLabel) {
            // Without such an element the placeholder stays.
            if (!element)
                continue;
            value = element->value(KeywordLabel, 1);
        } else if (element && holdsText(objectOf(element))) {
            value = element->value(keyword, 1);
        } else {
            double number = 0;
            if (panel) {
                bool ok = true;
                number = panel->evaluatePostfix({placeholder}, {}, {placeholder}, &ok);
            } else {
                number = ::getValue(placeholder, nullptr);
            }
            value = QString::number(double(float(number)), 'g', 6);
        }
        values.insert(placeholder, value.toHtmlEscaped().toUtf8());
    }

    // One pass over the template: what a value brings in is never taken for
    // another placeholder.
    QList<QPair<int, int>> pairs;
    const QStringList placeholders = placeholdersOf(m_svgTemplate, &pairs);
    QByteArray bytes;
    bytes.reserve(m_svgTemplate.size());
    int copied = 0;
    for (int i = 0; i < pairs.size(); ++i) {
        const auto found = values.constFind(placeholders.at(i));
        if (found == values.constEnd())
            continue;
        bytes += m_svgTemplate.mid(copied, pairs.at(i).first - copied);
        bytes += *found;
        copied = pairs.at(i).second + 1;
    }
    bytes += m_svgTemplate.mid(copied);
    m_svgBytes = bytes;
    m_renderer.load(selfContained(m_svgBytes));
}

bool Image::saveSvg(const QString &file)
{
    const QString path = QFileInfo(resolvedPath(file)).absoluteFilePath();
    TextFileWriter writer(path, WrittenKind::SvgPicture);
    writer.setDiskBytes(m_svgBytes);
    return writeReported(writer);
}

void listImageRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<Image *>(element);
    if (!e)
        return;
    rows->append(attributeRow(e, "File", "File"));
}

bool editImageRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *image = qobject_cast<Image *>(element);
    if (!image || row != QLatin1String("File"))
        return false;
    image->loadPicture(value);
    image->setProperty("File", value);
    writes->append({QStringLiteral("file"), value});
    return true;
}
