#pragma once

#include <QByteArray>
#include <QString>
#include <QtTest>

// One mistake at a time in a one-element panel: the rows shared by the header
// runs (child processes) and the window. Each row gives the fifth line of the
// panel and the message that names it, followed by "(<panel> line 5".
inline void addPanelMistakeRows()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("message");

    QTest::newRow("element name no kind has")
        << "<spinbx define=\"T_B\" header=\"t.h\" range=\"0;10\"/>" << "Unknown element, not read: <spinbx>";
    QTest::newRow("formula that does not parse")
        << "<math define=\"T_M\" header=\"t.h\" formula=\"T_A*(2+\"/>"
        << "Formula \"T_A*(2+\" does not parse (the formula ends where an operand belongs): T_M";
    QTest::newRow("range written with ..")
        << "<spinbox define=\"T_B\" header=\"t.h\" range=\"0..10\"/>" << "min range in spinbox is not a valid number T_B";
    QTest::newRow("hexadecimal bound that does not parse")
        << "<hexspinbox define=\"T_B\" header=\"t.h\" range=\"0x00;0xZZ\"/>"
        << "max range in hexspinbox is not a valid number T_B";
    QTest::newRow("duplicate define")
        << "<spinbox define=\"T_A\" header=\"t.h\" range=\"0;10\"/>" << "Duplicate define  T_A";
    QTest::newRow("lock target naming nothing")
        << "<checkbox define=\"T_B\" header=\"t.h\" lockon=\"T_NOPE=1\"/>" << "lockon of T_B names no element:  T_NOPE";
    QTest::newRow("setDef target naming nothing")
        << "<checkbox define=\"T_B\" header=\"t.h\" setDef=\"T_NOPE=1\"/>" << "setDef of T_B names no element:  T_NOPE";
}

// The panel of a row: T_A, a spin box with the default 1, then the row's line.
inline QByteArray panelWithMistake(const QString &element)
{
    return ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n<verticalcontainer>\n"
            "<spinbox define=\"T_A\" header=\"t.h\" range=\"0;10\" default=\"1\"/>\n"
            + element + "\n</verticalcontainer>\n</zelmlcfg>\n")
        .toUtf8();
}
