#include "xmltext.h"

#include <QXmlStreamWriter>

void appendXmlText(QString &out, const QString &text)
{
    const QChar *chars = text.constData();
    const int size = text.size();
    int plainFrom = 0;
    for (int i = 0; i < size; ++i) {
        const ushort u = chars[i].unicode();
        if (u >= 0x3f && u < 0xd800)
            continue;
        QLatin1String entity;
        switch (u) {
        case '<':
            entity = QLatin1String("&lt;");
            break;
        case '>':
            entity = QLatin1String("&gt;");
            break;
        case '&':
            entity = QLatin1String("&amp;");
            break;
        case '"':
            entity = QLatin1String("&quot;");
            break;
        default:
            if (u >= 0x20 && u < 0xd800)
                continue;
            // Control characters, surrogates and the non-characters: the
            // stream writer's own rules decide, for the rest of the text.
            out.append(chars + plainFrom, i - plainFrom);
            QXmlStreamWriter writer(&out);
            writer.writeCharacters(text.mid(i));
            return;
        }
        out.append(chars + plainFrom, i - plainFrom);
        out.append(entity);
        plainFrom = i + 1;
    }
    out.append(chars + plainFrom, size - plainFrom);
}
