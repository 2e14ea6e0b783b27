// The contrast helper: ratios of known colour pairs, and the text colour it
// picks for backgrounds (kept when it reads, moved toward black or white just
// far enough, black or white when none is given).

#include "contrast.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void ratiosOfKnownPairs_data();
    void ratiosOfKnownPairs();
    void readableTextColour_data();
    void readableTextColour();
    void severalBackgrounds();
    void lightBasePaletteUnderADarkOne();
    void documentColoursMadeReadable();
    void answersKeptForTheirOwnQuestion();
};

void TestContrast::ratiosOfKnownPairs_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("same colour") << QColor(120, 30, 200) << QColor(120, 30, 200) << 1.0;
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << 3.998;
    QTest::newRow("blue on white") << QColor(Qt::blue) << QColor(Qt::white) << 8.592;
    QTest::newRow("white on green") << QColor(Qt::white) << QColor(Qt::green) << 1.372;
    QTest::newRow("white on yellow") << QColor(Qt::white) << QColor(Qt::yellow) << 1.074;
    QTest::newRow("grey 777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.478;
}

void TestContrast::ratiosOfKnownPairs()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(contrastRatio(a, b))));
    QVERIFY(qFuzzyCompare(contrastRatio(a, b), contrastRatio(b, a)));
}

void TestContrast::readableTextColour_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("preferred");
    QTest::addColumn<QColor>("expected"); // invalid: any colour that reads, of the preferred hue
    QTest::newRow("none on green: black") << QColor(Qt::green) << QColor() << QColor(Qt::black);
    QTest::newRow("none on dark grey: white") << QColor(0x35, 0x35, 0x35) << QColor() << QColor(Qt::white);
    QTest::newRow("none on blue: white") << QColor(Qt::blue) << QColor() << QColor(Qt::white);
    QTest::newRow("none on red: black") << QColor(Qt::red) << QColor() << QColor(Qt::black);
    QTest::newRow("blue on white kept") << QColor(Qt::white) << QColor(Qt::blue) << QColor(Qt::blue);
    QTest::newRow("white on dark kept") << QColor(0x35, 0x35, 0x35) << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("red on white darkened") << QColor(Qt::white) << QColor(Qt::red) << QColor();
    QTest::newRow("orange on white darkened") << QColor(Qt::white) << QColor(255, 165, 0) << QColor();
    QTest::newRow("blue on dark lightened") << QColor(0x35, 0x35, 0x35) << QColor(Qt::blue) << QColor();
    QTest::newRow("white on yellow: toward black") << QColor(Qt::yellow) << QColor(Qt::white) << QColor();
}

void TestContrast::readableTextColour()
{
    QFETCH(QColor, background);
    QFETCH(QColor, preferred);
    QFETCH(QColor, expected);
    const QColor picked = readableTextColor(background, preferred);
    QVERIFY2(contrastRatio(picked, background) >= readableTextContrast,
             qPrintable(picked.name() + QStringLiteral(" on ") + background.name()));
    if (expected.isValid()) {
        QCOMPARE(picked.name(), expected.name());
        return;
    }
    // Moved, not replaced: the hue stays where the colour has one, and the
    // move stops near the least contrast that reads.
    if (preferred.hsvHue() >= 0 && picked.hsvSaturation() > 0)
        QVERIFY2(qAbs(picked.hsvHue() - preferred.hsvHue()) <= 3, qPrintable(picked.name()));
    QVERIFY2(contrastRatio(picked, background) < readableTextContrast + 1.0, qPrintable(picked.name()));
}

void TestContrast::severalBackgrounds()
{
    // Grey text on two row colours reads on both.
    const QVector<QColor> rows{QColor(0x2a, 0x2a, 0x2a), QColor(0x42, 0x42, 0x42)};
    const QColor picked = readableTextColor(rows, QColor(0x80, 0x80, 0x80));
    for (const QColor &row : rows)
        QVERIFY2(contrastRatio(picked, row) >= readableTextContrast, qPrintable(picked.name() + row.name()));
    // A lower minimum for frames.
    const QColor frame = readableTextColor(QColor(0x35, 0x35, 0x35), QColor(0x26, 0x26, 0x26), visibleFrameContrast);
    QVERIFY(contrastRatio(frame, QColor(0x35, 0x35, 0x35)) >= visibleFrameContrast);
    QVERIFY(contrastRatio(frame, QColor(0x35, 0x35, 0x35)) < readableTextContrast);
    // On black and white at once only a middle colour reads (about 4.58:1 at
    // best); asked for 7:1, no colour does: the better end comes back.
    const QVector<QColor> blackAndWhite{Qt::black, Qt::white};
    const QColor middle = readableTextColor(blackAndWhite, QColor(Qt::red));
    for (const QColor &background : blackAndWhite)
        QVERIFY(contrastRatio(middle, background) >= readableTextContrast);
    const QColor end = readableTextColor(blackAndWhite, QColor(Qt::red), 7.0);
    QVERIFY(end == QColor(Qt::black) || end == QColor(Qt::white));
    QCOMPARE(readableTextColor(QVector<QColor>{}, QColor(Qt::red)), QColor(Qt::red));
}

void TestContrast::lightBasePaletteUnderADarkOne()
{
    QPalette dark;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        const auto g = QPalette::ColorGroup(group);
        dark.setColor(g, QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(g, QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(g, QPalette::Text, Qt::white);
        dark.setColor(g, QPalette::WindowText, Qt::white);
        dark.setColor(g, QPalette::Link, QColor(0x80, 0xb0, 0xff));
        dark.setColor(g, QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        dark.setColor(g, QPalette::HighlightedText, Qt::white);
    }
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    const QPalette light = lightBasePalette(dark);
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        const auto g = QPalette::ColorGroup(group);
        QCOMPARE(light.color(g, QPalette::Base), QColor(Qt::white));
        QCOMPARE(light.color(g, QPalette::Window), QColor(Qt::white));
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::Link})
            QVERIFY(contrastRatio(light.color(g, role), light.color(g, QPalette::Base)) >= readableTextContrast);
        QVERIFY(contrastRatio(light.color(g, QPalette::HighlightedText), light.color(g, QPalette::Highlight))
                >= readableTextContrast);
    }
}

void TestContrast::documentColoursMadeReadable()
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertHtml(QStringLiteral("<font color=\"orange\">old</font> plain"));
    const int from = cursor.position();
    cursor.insertHtml(QStringLiteral("<font color=\"red\"><b>XML Error: </b></font>text "
                                     "<font color=\"blue\">blue</font>"));
    makeTextReadable(&document, from, Qt::white);

    const auto colourAt = [&document](int position) {
        QTextCursor at(&document);
        at.setPosition(position + 1);
        return at.charFormat();
    };
    const QString text = document.toPlainText();
    // Before from: left alone.
    QCOMPARE(colourAt(text.indexOf("old")).foreground().color(), QColor("orange"));
    // Red moved to a darker red that reads; the bold stays.
    const QTextCharFormat error = colourAt(text.indexOf("XML"));
    QVERIFY(contrastRatio(error.foreground().color(), Qt::white) >= readableTextContrast);
    QCOMPARE(error.foreground().color().hue(), 0);
    QCOMPARE(error.fontWeight(), int(QFont::Bold));
    // Blue reads already; text without a colour keeps none.
    QCOMPARE(colourAt(text.indexOf("blue")).foreground().color(), QColor(Qt::blue));
    QVERIFY(!colourAt(text.indexOf("text")).hasProperty(QTextFormat::ForegroundBrush));
}

// Answers are kept for the colours asked again: asked in another order
// (each question also once more after many others), each question gets the
// answer it got first, also where two differ only in the contrast, the
// order of the backgrounds or the colour's own form.
void TestContrast::answersKeptForTheirOwnQuestion()
{
    struct Question {
        QVector<QColor> backgrounds;
        QColor preferred;
        double minimum;
    };
    const QColor dark(0x35, 0x35, 0x35), light(0xf0, 0xf0, 0xf0);
    QList<Question> questions = {
        {{dark}, QColor(0x26, 0x26, 0x26), visibleFrameContrast},
        {{dark}, QColor(0x26, 0x26, 0x26), 4.5},
        {{dark, light}, QColor(Qt::red), 4.5},
        {{light, dark}, QColor(Qt::red), 4.5},
        {{light}, QColor(0, 0, 0x8b), 4.5},
        {{light}, QColor(0, 0, 0x8b).toHsv(), 4.5},
        {{light}, QColor(), 4.5},
        {{}, QColor(Qt::blue), 4.5},
    };
    for (int grey = 0; grey < 24; ++grey)
        questions.append({{QColor(grey * 10, grey * 10, grey * 10)}, QColor(0x80, 0x80, 0x80), 3.0});
    QList<QColor> first;
    for (const Question &q : qAsConst(questions)) {
        const QColor answer = readableTextColor(q.backgrounds, q.preferred, q.minimum);
        first.append(answer);
        // Each answer reads on its own backgrounds, unless not even black or
        // white would.
        for (const QColor &background : q.backgrounds) {
            QVERIFY(contrastRatio(answer, background) >= q.minimum || answer == QColor(Qt::black)
                    || answer == QColor(Qt::white));
        }
    }
    for (int i = questions.size() - 1; i >= 0; --i) {
        const Question &q = questions.at(i);
        QCOMPARE(readableTextColor(q.backgrounds, q.preferred, q.minimum), first.at(i));
    }
    // The dark blue kept as it reads on light grey, in its own form.
    QCOMPARE(first.at(5).spec(), QColor::Hsv);
    QVERIFY(first.at(0) != first.at(1) || first.at(2) != first.at(3) || first.at(4) != first.at(6));
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
