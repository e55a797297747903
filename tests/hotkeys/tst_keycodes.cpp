#include "hotkeys/keycodes.h"

#include <QStandardPaths>
#include <QTest>

class tst_KeyCodes final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void keyCodeForLetter_data();
    void keyCodeForLetter();
    void everyLetterHasItsOwnCode();
};

void tst_KeyCodes::keyCodeForLetter_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("expected");

    // Both ends of the alphabet, the zero code, and letters whose codes are far from their
    // place in the alphabet.
    QTest::newRow("a is 0") << u"a"_qs << 0;
    QTest::newRow("A is a") << u"A"_qs << 0;
    QTest::newRow("b") << u"b"_qs << 11;
    QTest::newRow("i") << u"i"_qs << 34;
    QTest::newRow("m") << u"m"_qs << 46;
    QTest::newRow("n") << u"n"_qs << 45;
    QTest::newRow("p") << u"p"_qs << 35;
    QTest::newRow("P is p") << u"P"_qs << 35;
    QTest::newRow("s") << u"s"_qs << 1;
    QTest::newRow("z") << u"z"_qs << 6;
    QTest::newRow("Z is z") << u"Z"_qs << 6;

    // Only a whole one-letter string counts.
    QTest::newRow("empty") << QString() << hotkeys::NoKeyCode;
    QTest::newRow("two letters") << u"ab"_qs << hotkeys::NoKeyCode;
    QTest::newRow("letter and space") << u"a "_qs << hotkeys::NoKeyCode;
    QTest::newRow("space and letter") << u" a"_qs << hotkeys::NoKeyCode;
    QTest::newRow("digit") << u"1"_qs << hotkeys::NoKeyCode;
    QTest::newRow("punctuation next to the letters") << u"["_qs << hotkeys::NoKeyCode;
    QTest::newRow("at sign before A") << u"@"_qs << hotkeys::NoKeyCode;
    QTest::newRow("backquote before a") << u"`"_qs << hotkeys::NoKeyCode;
    QTest::newRow("accented letter") << u"\u00e4"_qs << hotkeys::NoKeyCode;
    // Unicode case folding would turn these into k and s.
    QTest::newRow("Kelvin sign") << u"\u212a"_qs << hotkeys::NoKeyCode;
    QTest::newRow("long s") << u"\u017f"_qs << hotkeys::NoKeyCode;
}

void tst_KeyCodes::keyCodeForLetter()
{
    QFETCH(QString, letter);
    QFETCH(int, expected);
    const int got = hotkeys::keyCodeForLetter(letter);
    QVERIFY2(got == expected,
             qPrintable(u"\"%1\" gave %2, expected %3"_qs.arg(letter).arg(got).arg(expected)));
}

void tst_KeyCodes::everyLetterHasItsOwnCode()
{
    // Every letter is a key of its own, in both cases; a slip in the table would give two
    // letters one code or a code outside the letter keys (0..46).
    QHash<int, QChar> seen;
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        const int code = hotkeys::keyCodeForLetter(QString(QChar(c)));
        QVERIFY2(code >= 0 && code <= 46, qPrintable(u"%1 gave %2"_qs.arg(QChar(c)).arg(code)));
        QVERIFY2(!seen.contains(code),
                 qPrintable(u"%1 and %2 both gave %3"_qs.arg(seen[code]).arg(QChar(c)).arg(code)));
        seen.insert(code, QChar(c));
        QCOMPARE(hotkeys::keyCodeForLetter(QString(QChar(c).toUpper())), code);
    }
}

QTEST_GUILESS_MAIN(tst_KeyCodes)
#include "tst_keycodes.moc"
