#pragma once

#include <QString>
#include <QStringView>

#include <string_view>
#include <vector>

struct UCollator;
struct UCharIterator;

// An ICU collator for dictionary order: tertiary strength, normalization on,
// punctuation not ignored; with numbersByValue, digit runs compare by value.
// Not for two threads at once: each thread that builds keys has its own.
class Collation final
{
public:
    // language: a name of dictionaryLanguages(), "" for the root rules. A
    // collator that cannot be opened fails with "Invalid procedure call or
    // argument".
    Collation(const QString &language, bool numbersByValue);
    ~Collation();
    Collation(const Collation &) = delete;
    Collation &operator=(const Collation &) = delete;

    // Appends ICU's incremental sort key of a UTF-8 line (or of units) to
    // out, at least its first limit bytes (all of it when shorter). No byte
    // of it is 0, so a key that is a prefix of another collates first.
    void appendKey(std::string_view line, std::vector<unsigned char> &out, std::size_t limit) const;
    void appendKey(QStringView units, std::vector<unsigned char> &out, std::size_t limit) const;

private:
    void append(UCharIterator &iterator, std::vector<unsigned char> &out, std::size_t limit) const;

    UCollator *m_collator = nullptr;
};
