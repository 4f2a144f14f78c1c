#pragma once

#include "sort/ChosenKey.h"

#include <QString>
#include <QStringView>

#include <optional>

// The part of line that key takes: where it starts and how many units it
// has, in UTF-16 code units of the line; nothing when the line has no such
// part. A field in quotes gives the span inside them; its "" pairs are
// unquoted by keyText().
struct PartSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
    bool quoted = false; // a field in double quotes: its "" stand for one "
};

class PartFinder
{
public:
    explicit PartFinder(const ChosenKey &key);
    ~PartFinder();
    PartFinder(const PartFinder &) = delete;
    PartFinder &operator=(const PartFinder &) = delete;

    // *gaveUp, when given, tells whether a pattern gave up on the line (see
    // BoundedPattern), which gives no part.
    std::optional<PartSpan> find(QStringView line, bool *gaveUp = nullptr) const;
    // The key's text for a span find() gave: the span, with a quoted field's
    // doubled quotes made single.
    QString keyText(QStringView line, PartSpan span) const;

private:
    struct Private;
    Private *d;
};
