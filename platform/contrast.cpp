#include "contrast.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

double linearChannel(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double worstContrast(const QColor &text, const QVector<QColor> &backgrounds)
{
    double worst = 21.0;
    for (const QColor &background : backgrounds)
        worst = std::min(worst, contrastRatio(text, background));
    return worst;
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto channel = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(channel(from.redF(), to.redF()), channel(from.greenF(), to.greenF()),
                            channel(from.blueF(), to.blueF()));
}

// The least share of the way from preferred to end that reaches minimum, or
// a value above 1 when even end does not.
double shareNeeded(const QColor &preferred, const QColor &end, const QVector<QColor> &backgrounds, double minimum)
{
    constexpr int steps = 64;
    for (int step = 1; step <= steps; ++step) {
        const double share = double(step) / steps;
        if (worstContrast(mixed(preferred, end, share), backgrounds) >= minimum)
            return share;
    }
    return 2.0;
}

} // namespace

double relativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF())
           + 0.0722 * linearChannel(rgb.blueF());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

QColor computeReadableTextColor(const QVector<QColor> &backgrounds, const QColor &preferred, double minimum)
{
    const QColor black(Qt::black), white(Qt::white);
    if (backgrounds.isEmpty())
        return preferred.isValid() ? preferred : black;
    const QColor bestEnd = worstContrast(black, backgrounds) >= worstContrast(white, backgrounds) ? black : white;
    if (!preferred.isValid())
        return bestEnd;
    const QColor opaque = preferred.toRgb();
    if (worstContrast(opaque, backgrounds) >= minimum)
        return preferred;
    const double towardBlack = shareNeeded(opaque, black, backgrounds, minimum);
    const double towardWhite = shareNeeded(opaque, white, backgrounds, minimum);
    if (towardBlack > 1.0 && towardWhite > 1.0)
        return bestEnd;
    return towardBlack <= towardWhite ? mixed(opaque, black, towardBlack) : mixed(opaque, white, towardWhite);
}

} // namespace

QColor readableTextColor(const QVector<QColor> &backgrounds, const QColor &preferred, double minimum)
{
    // The search takes thousands of luminance computations, and the same
    // colours come again and again (every check box painted on one page,
    // every coloured console line): the last answers are kept.
    struct Answer {
        QVector<QColor> backgrounds;
        QColor preferred;
        double minimum;
        QColor result;
    };
    static thread_local std::array<Answer, 16> answers{};
    static thread_local std::size_t next = 0;
    for (const Answer &answer : answers) {
        if (answer.minimum == minimum && answer.preferred == preferred && answer.backgrounds == backgrounds
            && answer.result.isValid())
            return answer.result;
    }
    const QColor result = computeReadableTextColor(backgrounds, preferred, minimum);
    answers[next] = {backgrounds, preferred, minimum, result};
    next = (next + 1) % answers.size();
    return result;
}

QColor readableTextColor(const QColor &background, const QColor &preferred, double minimum)
{
    return readableTextColor(QVector<QColor>{background}, preferred, minimum);
}

QPalette lightBasePalette(const QPalette &from)
{
    QPalette palette = from;
    const QColor page(Qt::white);
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        const auto g = QPalette::ColorGroup(group);
        for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::AlternateBase})
            palette.setColor(g, role, page);
        const QColor text = g == QPalette::Disabled ? readableTextColor(page, from.color(g, QPalette::Text))
                                                    : QColor(Qt::black);
        palette.setColor(g, QPalette::Text, text);
        palette.setColor(g, QPalette::WindowText, text);
        palette.setColor(g, QPalette::Link, readableTextColor(page, from.color(g, QPalette::Link)));
        palette.setColor(g, QPalette::LinkVisited, readableTextColor(page, from.color(g, QPalette::LinkVisited)));
        palette.setColor(g, QPalette::HighlightedText,
                         readableTextColor(from.color(g, QPalette::Highlight), from.color(g, QPalette::HighlightedText)));
    }
    return palette;
}

void makeTextReadable(QTextDocument *document, int from, const QColor &background)
{
    if (!document)
        return;
    struct Change {
        int start, end;
        QColor colour;
    };
    // Collected first: a changed format splits and joins the fragments.
    QVector<Change> changes;
    for (QTextBlock block = document->findBlock(from); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int end = fragment.position() + fragment.length();
            if (!fragment.isValid() || end <= from)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(QTextFormat::ForegroundBrush))
                continue;
            const QColor colour = format.foreground().color();
            const QColor readable = readableTextColor(background, colour);
            if (readable != colour)
                changes.append({std::max(from, fragment.position()), end, readable});
        }
    }
    QTextCursor cursor(document);
    for (const Change &change : qAsConst(changes)) {
        cursor.setPosition(change.start);
        cursor.setPosition(change.end, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(change.colour);
        cursor.mergeCharFormat(format);
    }
}
