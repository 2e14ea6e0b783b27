#include "activeelement.h"

ActiveElement::~ActiveElement() = default;

void ActiveElement::addItem(const QString &text, const QString &value, int key)
{
    items.insert(key, ElementItem{text, value, key});
}

const QStringList elementKeywords = {
    QStringLiteral("value"),      QStringLiteral("label"),     QStringLiteral("index"),
    QStringLiteral("definevalue"), QStringLiteral("typeinfo"), QStringLiteral("interval"),
    QStringLiteral("run"),        QStringLiteral("register"),  QStringLiteral("module"),
    QStringLiteral("registername"), QStringLiteral("address"), QStringLiteral("column"),
    QStringLiteral("row"),        QStringLiteral("insertmode"), QStringLiteral("singlestep"),
    QStringLiteral("func"),       QStringLiteral("sendloop"),  QStringLiteral("delete"),
    QStringLiteral("deleteall"),  QStringLiteral("sendusb"),   QStringLiteral("load"),
    QStringLiteral("loadat"),     QStringLiteral("save"),      QStringLiteral("export"),
    QStringLiteral("image"),      QStringLiteral("color"),     QStringLiteral("visible"),
    QStringLiteral("enabled"),    QStringLiteral("x"),         QStringLiteral("y"),
    QStringLiteral("min"),        QStringLiteral("max"),       QStringLiteral("textcolor"),
    QStringLiteral("update"),
};

int keywordIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        const QString &word = elementKeywords.at(k);
        if (text.startsWith(word) && text.midRef(word.size()).startsWith(QLatin1Char('=')))
            return k;
    }
    return 0;
}

QString &stripKeyword(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(elementKeywords.at(keyword) + QLatin1Char('='));
    return text;
}

int keywordSuffixIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        if (text.endsWith(QLatin1Char('.') + elementKeywords.at(k)))
            return k;
    }
    return 0;
}

QString &stripKeywordSuffix(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(QLatin1Char('.') + elementKeywords.at(keyword));
    return text;
}
