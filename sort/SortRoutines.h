#pragma once

#include "core/Progress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <string_view>
#include <vector>

struct SortOption;

// A line to sort: its UTF-8 text, somewhere that stays put while it is
// sorted, and a number that says where the line came from. Sixteen bytes:
// lines and ids are 32-bit, as the sort's line indexes are.
struct LineRef
{
    const char *bytes;
    quint32 length; // in bytes
    quint32 id;

    qsizetype size() const { return length; }
    std::string_view text() const { return {bytes, length}; }
};

// Lines to sort, zero-based. Sorting reorders them in place; only the small
// references move, never the texts. Removing duplicates keeps the first
// size() references.
template <typename Line> class LineList
{
public:
    qsizetype size() const { return qsizetype(m_refs.size()); }
    void reserve(qsizetype size) { m_refs.reserve(std::size_t(size)); }
    void append(const Line &ref) { m_refs.push_back(ref); }
    // Keeps the first size references (size <= size()).
    void truncate(qsizetype size) { m_refs.erase(m_refs.begin() + size, m_refs.end()); }
    Line *data() { return m_refs.data(); }
    const Line *constData() const { return m_refs.data(); }
    const Line &at(qsizetype i) const { return m_refs[std::size_t(i)]; }
    const Line &operator[](qsizetype i) const { return m_refs[std::size_t(i)]; }
    auto begin() const { return m_refs.begin(); }
    auto end() const { return m_refs.end(); }

private:
    std::vector<Line> m_refs;
};

// The lines that Start Sorting hands over: one per content row.
using LineRefs = LineList<LineRef>;

// Texts of their own to sort (the benchmark's lines, tests).
using LineArray = QStringList;

// Texts of their own as UTF-8 lines, each line's id its index.
struct Utf8Copies
{
    std::vector<QByteArray> bytes;
    LineRefs lines;

    explicit Utf8Copies(const QStringList &texts);
};

// Does the option's operation on the lines (see LineOperation): most sort
// stably by the option's key (see OptionKey); number is the answer to its number
// prompt, text to its text prompt, each used only when the option asks for it;
// an option that asks for a line filter takes text as a plain text whose case
// counts (filterLines() takes the whole filter). A separator does nothing.
// Removing duplicates and filtering leave fewer lines. Counting duplicates
// makes texts of its own into *madeTexts (see countDuplicateLines()); without
// madeTexts it fails with "Invalid procedure call or argument".
//
// Each pass starts with progress->yield() and the text "Sorting: " and the
// pass number (progress may be null); reversing and shuffling make one pass. A
// character position or word number below 1 fails with "Invalid procedure call
// or argument" once two lines would be compared. Failures throw Failure; the
// lines then keep the order reached: every line once, unless removing
// duplicates had already finished.
LineRefs &sortLines(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                    Progress *progress, QByteArray *madeTexts = nullptr);
// The same for texts of their own; they keep the order reached on a failure,
// and only the kept texts once lines are dropped; counted lines become texts
// of their own.
LineArray &sortLines(LineArray &lines, const SortOption &option, qint32 number, const QString &text,
                     Progress *progress);

// 1-based position of the n-th occurrence of delimiter in text; -1 when there
// are fewer, 0 when n is below 1.
qsizetype wordStartPosition(QStringView text, QStringView delimiter, qsizetype n);
