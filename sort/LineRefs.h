#pragma once

#include <QtGlobal>

#include <string_view>
#include <vector>

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
