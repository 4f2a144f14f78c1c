#pragma once

#include <QString>
#include <QStringView>

#include <memory>

// A regular expression that costs a bounded amount per line. It compiles
// once, as QRegularExpression does with its default options (PCRE2, UTF-16,
// the same answers: a line holding a lone surrogate matches nothing), and
// each match may take only as many backtracking steps as the line's length
// allows: a pattern that backtracks without end (such as (a+)+$) gives up on
// a line after microseconds instead of running on. Ordinary patterns need
// about one step a character and never come near the bound.
//
// Not for use by two threads at once: each thread keeps one of its own.
class BoundedPattern final
{
public:
    // Caseless matches letters of either case, as PCRE2's own option does:
    // the pattern's text stays as it is (escapes such as \D keep their sense).
    enum class Case { Counts, Caseless };
    explicit BoundedPattern(QStringView pattern, Case letters = Case::Counts);
    ~BoundedPattern();
    BoundedPattern(const BoundedPattern &) = delete;
    BoundedPattern &operator=(const BoundedPattern &) = delete;

    // Whether the pattern compiled; if not, PCRE2's reason and the unit of the
    // pattern where it stopped.
    bool isValid() const { return m_captureCount >= 0; }
    QString errorString() const { return m_errorString; }
    qsizetype errorOffset() const { return m_errorOffset; }
    // The number of capture groups, the whole match not counted; -1 when
    // the pattern did not compile.
    int captureCount() const { return m_captureCount; }

    enum class Result {
        Matched,
        NoMatch,
        GaveUp, // the line's bound of steps (or of memory) ran out
    };
    // The first match in line.
    Result match(QStringView line);

    // A group of the last match: where it starts in the line and its length
    // in UTF-16 units; start -1 for a group that took no part (or none has
    // that number), or when the last match did not match.
    struct Capture
    {
        qsizetype start = -1;
        qsizetype length = 0;
    };
    Capture captured(int group) const;

    // The steps a match on a line of units may take (PCRE2's match limit).
    static quint32 stepLimit(qsizetype units);

private:
    struct Pcre; // PCRE2's compiled code, match data and limits
    std::unique_ptr<Pcre> m_pcre;
    QString m_errorString;
    qsizetype m_errorOffset = -1;
    int m_captureCount = -1;
    bool m_matched = false;
};
