#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <cstddef>

// Random edits of a text for the bounded fuzz passes: a few changes, each a
// byte overwritten or inserted, a run removed, a run of the text copied
// elsewhere, the text cut short, or a piece of the format's own vocabulary
// inserted (an empty piece stands for a NUL byte).
template <std::size_t N>
QByteArray mutateText(QByteArray text, QRandomGenerator &random, const char *const (&pieces)[N], int maxEdits = 8)
{
    const auto below = [&random](int n) { return n <= 0 ? 0 : int(random.bounded(quint32(n))); };
    const int edits = 1 + below(maxEdits);
    for (int i = 0; i < edits; ++i) {
        const int at = below(text.size() + 1);
        switch (below(7)) {
        case 0:
            if (at < text.size())
                text[at] = char(below(256));
            break;
        case 1:
            text.insert(at, char(below(256)));
            break;
        case 2:
            text.remove(at, 1 + below(64));
            break;
        case 3:
            text.insert(at, text.mid(below(text.size()), 1 + below(200)));
            break;
        case 4:
            if (below(4) == 0) {
                text.truncate(at);
                break;
            }
            Q_FALLTHROUGH();
        default: {
            const char *piece = pieces[below(int(N))];
            text.insert(at, piece[0] ? QByteArray(piece) : QByteArray(1, '\0'));
            break;
        }
        }
    }
    return text;
}
