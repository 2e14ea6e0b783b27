#pragma once

#include <QByteArray>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

class ElementHost;
class QMovie;

// The panel's "image" and "svgembed" elements: a label that shows a picture
// file, an animated GIF, or an SVG drawing held in the panel file itself.
//
// An embedded drawing may carry placeholders, names between two "$"
// ("$TEMP$", "$MODE.label$"), which updateSvgValues replaces by the current
// values of the defines and variables they name. The drawing is self-contained:
// references to files or addresses outside it (href values other than "#..."
// and "data:...") are reported and dropped before it is drawn, so a drawing
// never makes the program read another file.
//
// Pictures larger than maxPicturePixels are refused with a report, and an
// embedded drawing is drawn at most maxDrawingPixels large (scaled down, same
// aspect).
class Image : public QLabel
{
    Q_OBJECT

public:
    // The file name that marks an embedded drawing (it arrives through loadSvg).
    static const QString embeddedSvgMark;
    // The largest picture file shown, and the largest pixmap a drawing is rendered into.
    static constexpr qint64 maxPicturePixels = 64ll * 1024 * 1024;
    static constexpr qint64 maxDrawingPixels = 16ll * 1024 * 1024;

    // Shows file at once: a GIF as an animation, any other file as a picture;
    // the embedded-drawing mark shows nothing yet. Named name; without one
    // after file, or IMAGE_n (n counting such images for the whole run).
    Image(const QString &name, const QString &file, QWidget *parent = nullptr);
    ~Image() override;

    // The panel the image belongs to: the one set, else that of the
    // container it sits in; null for an image on its own.
    ElementHost *host() const;
    void setHost(ElementHost *host) { m_host = host; }

    // A passive drawing is not redrawn when the values it shows change; an
    // explicit "update" (setDef) still redraws it.
    bool isPassive() const { return m_passive; }
    void setPassive(bool passive) { m_passive = passive; }

    // ---- Embedded SVG

    // The drawing as currently loaded (placeholders replaced after
    // updateSvgValues) and as embedded.
    QByteArray svgBytes() const { return m_svgBytes; }
    void setSvgBytes(const QByteArray &bytes) { m_svgBytes = bytes; }
    QByteArray svgTemplate() const { return m_svgTemplate; }
    // The size the drawing is rendered at: the drawing's own size after
    // loadSvg, or the one set.
    QSize svgSize() const { return m_svgSize; }
    void setSvgSize(const QSize &size);
    // Whether the loaded drawing could be parsed.
    bool hasValidSvg() const { return m_renderer.isValid(); }

    // Loads the SVG bytes into the renderer and keeps them as the template.
    void loadSvg();
    // Collects the placeholders of the template; returns the define names
    // they stand for (each placeholder without its keyword suffix), for the
    // panel to refresh this image when one of them changes.
    QStringList collectSvgVariables();
    QStringList svgVariables() const { return m_svgVariables; }
    // Shows the drawing in a new pixmap of the SVG size, on a transparent ground.
    void renderSvg();
    // Replaces the template's placeholders by the current values and loads
    // the result: a "$NAME.label$" by the label of element NAME, a line or
    // text edit by its text, anything else by its number (6 digits). Values
    // are written XML-escaped.
    void updateSvgValues();
    // Writes the current SVG bytes to file (relative names are taken from the
    // panel's folder) in one step; a failed write is reported. False when
    // nothing was written.
    bool saveSvg(const QString &file);

    // ---- Pictures

    // Shows another picture (relative names are taken from the panel's
    // folder): a GIF as an animation, anything else as a still picture. A
    // picture that cannot be shown is reported and leaves the label empty.
    void loadPicture(const QString &file);

private:
    // The file as a path: "\" as "/", relative to the panel's folder.
    QString resolvedPath(const QString &file) const;
    bool showMovie(const QString &path);
    bool showStill(const QString &path);
    void dropMovie();
    // The bytes without external references; new ones are reported.
    QByteArray selfContained(const QByteArray &svg);

    ElementHost *m_host = nullptr;
    bool m_passive = false;
    QByteArray m_svgBytes;
    QByteArray m_svgTemplate;
    // The placeholders in order of appearance, each once.
    QStringList m_svgVariables;
    QPointer<QMovie> m_movie;
    QSvgRenderer m_renderer;
    QSize m_svgSize;
    QSet<QString> m_reportedReferences;
};
