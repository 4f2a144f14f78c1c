#include "sort/BoundedPattern.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_BoundedPattern : public QObject
{
    Q_OBJECT

private slots:
    void answersAsQtDoes_data();
    void answersAsQtDoes();
};

void tst_BoundedPattern::answersAsQtDoes_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("givesUp");

    // Ordinary patterns on ordinary lines, and on lines of a few thousand
    // units, never give up.
    const QString lines[] = {u"Mail ann@example.com or 42 foo and bar"_s,
                             u"hello"_s,
                             QString(),
                             u"lorem ipsum dolor "_s.repeated(200),
                             u"abcdefghij"_s.repeated(300),
                             u"x@y.co "_s.repeated(500) + u"me@host.com"_s,
                             u"field,value,"_s.repeated(250)};
    for (const QString &pattern :
         {u"(\\w+)@(\\w+)\\.com"_s, u"\\d+$"_s, u"^\\S+\\s+(\\S+)"_s, u".*foo.*bar"_s,
          u"^(.*),(.*),(.*)$"_s, u"^(?:(\\w+)\\s)*(\\w+)$"_s, u"(a)?b|(c)"_s}) {
        for (const QString &line : lines)
            QTest::addRow("%ls on %ls (%lld units)", qUtf16Printable(pattern),
                          qUtf16Printable(line.left(10)), line.size())
                << pattern << line << false;
    }
    // Qt checks the line as UTF-16 first: a lone surrogate matches nothing.
    QTest::newRow("a lone high surrogate") << u"a"_s << u"a"_s + QChar(0xD800) << false;
    QTest::newRow("a pair is one character") << u"^.$"_s << u"\U0001F600"_s << false;
    // Nested repeats on lines that make them try every split give up.
    for (const QString &pattern : {u"(a+)+$"_s, u"^(a|aa)+$"_s, u"^(?:a*)*$"_s, u"^(?=(a+)+$)"_s}) {
        for (const qsizetype as : {30, 3000})
            QTest::addRow("%ls on %lld a's and a b", qUtf16Printable(pattern), as)
                << pattern << QString(as, u'a') + u"b123"_s << true;
        QTest::addRow("%ls on a's only", qUtf16Printable(pattern))
            << pattern << QString(3000, u'a') << false;
    }
    QTest::newRow("a pattern that does not compile") << u"(a"_s << u"a"_s << false;
}

// Every answer, group and compile error is the one QRegularExpression gives,
// but where a match gives up.
void tst_BoundedPattern::answersAsQtDoes()
{
    QFETCH(QString, pattern);
    QFETCH(QString, line);
    QFETCH(bool, givesUp);

    BoundedPattern bounded(pattern);
    const QRegularExpression expression(pattern);
    QCOMPARE(bounded.captureCount(), expression.captureCount());
    if (!expression.isValid()) {
        QCOMPARE(bounded.errorString(), expression.errorString());
        QCOMPARE(bounded.errorOffset(), expression.patternErrorOffset());
        QCOMPARE(bounded.match(line), BoundedPattern::Result::NoMatch);
        return;
    }
    const QRegularExpressionMatch match = expression.match(line);
    const BoundedPattern::Result result = bounded.match(line);
    QCOMPARE(result == BoundedPattern::Result::GaveUp, givesUp);
    QCOMPARE(result == BoundedPattern::Result::Matched, match.hasMatch());
    for (int group = 0; group <= expression.captureCount(); ++group) {
        QCOMPARE(bounded.captured(group).start, match.hasMatch() ? match.capturedStart(group) : -1);
        QCOMPARE(bounded.captured(group).length,
                 match.hasMatch() ? match.capturedLength(group) : 0);
    }
}

QTEST_APPLESS_MAIN(tst_BoundedPattern)
#include "tst_boundedpattern.moc"
