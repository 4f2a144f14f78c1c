#include "sort/BoundedPattern.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(BoundedPattern::Result)

namespace {

QString repeated(const QString &text, qsizetype times)
{
    QString out;
    for (qsizetype i = 0; i < times; ++i)
        out += text;
    return out;
}

// Thirty a's, then a "b" and digits: what makes a nested repeat try every way
// of splitting the a's.
const QString Backtracking = QString(30, u'a') + u"b123456"_s;

} // namespace

class tst_BoundedPattern : public QObject
{
    Q_OBJECT

private slots:
    void matchesAsQtDoes_data();
    void matchesAsQtDoes();
    void givesUp_data();
    void givesUp();
    void compileErrorsAsQtGivesThem_data();
    void compileErrorsAsQtGivesThem();
};

void tst_BoundedPattern::matchesAsQtDoes_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("line");

    const QString words = u"Mail Ann at ann@example.com or 42 foo and bar"_s;
    const QString longWords = repeated(u"lorem ipsum dolor "_s, 200); // 3,600 units
    const QString longWord = repeated(u"abcdefghij"_s, 300);          // no space, no digit
    const QString longMail = repeated(u"x@y.co "_s, 500) + u"me@host.com"_s;
    const QString longFields = repeated(u"field,value,"_s, 250) + u"end"_s;
    const struct
    {
        const char *name;
        QString pattern;
    } ordinary[] = {
        {"mail", u"(\\w+)@(\\w+)\\.com"_s},      {"digits at the end", u"\\d+$"_s},
        {"second word", u"^\\S+\\s+(\\S+)"_s},   {"foo then bar", u".*foo.*bar"_s},
        {"three fields", u"^(.*),(.*),(.*)$"_s}, {"words to the end", u"^(?:(\\w+)\\s)*(\\w+)$"_s},
        {"optional group", u"(a)?b|(c)"_s},
    };
    const struct
    {
        const char *name;
        QString line;
    } lines[] = {
        {"a sentence", words},
        {"one word", u"hello"_s},
        {"empty", QString()},
        {"3,600 units of words", longWords},
        {"3,000 units without a space", longWord},
        {"500 near-addresses", longMail},
        {"500 fields", longFields},
    };
    for (const auto &p : ordinary) {
        for (const auto &l : lines)
            QTest::addRow("%s on %s", p.name, l.name) << p.pattern << l.line;
    }
    // Qt checks the line as UTF-16 first: a lone surrogate matches nothing,
    // a pair is one character.
    QTest::newRow("a lone high surrogate") << u"a"_s << u"a"_s + QChar(0xD800);
    QTest::newRow("a lone low surrogate") << u"."_s << QString(QChar(0xDC00));
    QTest::newRow("a pair is one character") << u"^.$"_s << u"\U0001F600"_s;
    QTest::newRow("a character above U+FFFF in the pattern")
        << u"\U0001F600+"_s << u"x\U0001F600"_s;
    QTest::newRow("a NUL in the line") << u"a\\x00(b)"_s << u"a\u0000b"_s;
    QTest::newRow("the empty pattern") << QString() << u"abc"_s;
}

// Ordinary patterns never give up on ordinary lines, long ones too, and
// every answer and group is the one QRegularExpression gives.
void tst_BoundedPattern::matchesAsQtDoes()
{
    QFETCH(QString, pattern);
    QFETCH(QString, line);

    BoundedPattern bounded(pattern);
    const QRegularExpression expression(pattern);
    QVERIFY(bounded.isValid());
    QCOMPARE(bounded.captureCount(), expression.captureCount());
    const QRegularExpressionMatch match = expression.match(line);
    const BoundedPattern::Result result = bounded.match(line);
    QVERIFY(result != BoundedPattern::Result::GaveUp);
    QCOMPARE(result == BoundedPattern::Result::Matched, match.hasMatch());
    for (int group = 0; group <= expression.captureCount(); ++group) {
        const BoundedPattern::Capture capture = bounded.captured(group);
        QCOMPARE(capture.start, match.hasMatch() ? match.capturedStart(group) : -1);
        if (capture.start >= 0)
            QCOMPARE(capture.length, match.capturedLength(group));
    }
}

void tst_BoundedPattern::givesUp_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("line");
    QTest::addColumn<BoundedPattern::Result>("result");

    using Result = BoundedPattern::Result;
    const QString longBacktracking = QString(3000, u'a') + u"b"_s;
    for (const QString &pattern : {u"(a+)+$"_s, u"^(a|aa)+$"_s, u"^(?:a*)*$"_s, u"^(?=(a+)+$)"_s}) {
        QTest::addRow("%ls on 30 a's and a b", qUtf16Printable(pattern))
            << pattern << Backtracking << Result::GaveUp;
        QTest::addRow("%ls on 3,000 a's and a b", qUtf16Printable(pattern))
            << pattern << longBacktracking << Result::GaveUp;
        QTest::addRow("%ls on 3,000 a's", qUtf16Printable(pattern))
            << pattern << QString(3000, u'a') << Result::Matched;
    }
    QTest::newRow("a pattern that does not compile") << u"(a"_s << u"a"_s << Result::NoMatch;
}

// A nested repeat gives up on the lines that would make it try every split,
// and still matches the lines it matches at once; the next match starts
// afresh.
void tst_BoundedPattern::givesUp()
{
    QFETCH(QString, pattern);
    QFETCH(QString, line);
    QFETCH(BoundedPattern::Result, result);

    BoundedPattern bounded(pattern);
    QCOMPARE(bounded.match(line), result);
    QCOMPARE(bounded.captured(0).start >= 0, result == BoundedPattern::Result::Matched);
    if (bounded.isValid())
        QCOMPARE(bounded.match(u"aaa"_s), BoundedPattern::Result::Matched);
}

void tst_BoundedPattern::compileErrorsAsQtGivesThem_data()
{
    QTest::addColumn<QString>("pattern");

    QTest::newRow("an open group") << u"(a"_s;
    QTest::newRow("a repeat of nothing") << u"*a"_s;
    QTest::newRow("an open class") << u"[a-"_s;
    QTest::newRow("a back reference to no group") << u"(a)\\2"_s;
    QTest::newRow("a lone surrogate in the pattern") << u"a"_s + QChar(0xD800);
}

void tst_BoundedPattern::compileErrorsAsQtGivesThem()
{
    QFETCH(QString, pattern);

    const BoundedPattern bounded(pattern);
    const QRegularExpression expression(pattern);
    QVERIFY(!expression.isValid());
    QVERIFY(!bounded.isValid());
    QCOMPARE(bounded.errorString(), expression.errorString());
    QCOMPARE(bounded.errorOffset(), expression.patternErrorOffset());
    QCOMPARE(bounded.captureCount(), -1);
}

QTEST_APPLESS_MAIN(tst_BoundedPattern)
#include "tst_boundedpattern.moc"
