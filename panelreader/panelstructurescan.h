#pragma once

// What the panel validator's branch and item checks need of a panel file,
// gathered from the validator's one streaming pass (panelvalidator.cpp):
// every checkbox and radiobutton element (for the branch check) and every
// combo and radio element with a define (for the item check), in document
// order.
//
// Elements are named by their qualified name ("q:combo" is no combo), and a
// child node counts as in a parsed document: text made only of white space
// (QString::simplified) is none; other text, a CDATA section (even an empty
// one), a comment, a processing instruction and an element are.

#include <QString>
#include <QVector>

class QXmlStreamReader;

class PanelStructureScan
{
public:
    // A checkbox or radiobutton element.
    struct SpanningElement {
        bool radioButton = false;
        qint64 line = 0;
        bool hasChildNodes = false;
        bool hasActionChild = false;
        bool branch = false; // uielement="branch"
    };

    // An item of a combo or radio element: a child element named "item" or
    // "radiobutton" respectively.
    struct Item {
        bool hidden = false; // a non-empty "hide"
        QString label;
        QString value;
    };

    // A combo or radio element with a non-empty define.
    struct ItemElement {
        bool radio = false;
        QString define;
        QString defaultText;
        QString svd;
        bool hasChildNodes = false;
        QVector<Item> items;
    };

    // Takes the reader's current token; call once after every readNext().
    void take(const QXmlStreamReader &xml);

    const QVector<SpanningElement> &spanningElements() const { return m_spanning; }
    const QVector<ItemElement> &itemElements() const { return m_items; }
    // Whether the file has any element named "svd".
    bool hasSvdElement() const { return m_hasSvd; }

private:
    // An element that is open while the pass is inside it.
    struct Open {
        int spanning = -1; // index into m_spanning
        int items = -1;    // index into m_items
    };

    void startElement(const QXmlStreamReader &xml);
    void childNode();

    QVector<SpanningElement> m_spanning;
    QVector<ItemElement> m_items;
    QVector<Open> m_open;
    bool m_hasSvd = false;
};
