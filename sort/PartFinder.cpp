#include "sort/PartFinder.h"

#include "sort/BoundedPattern.h"

#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool isFieldSpace(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

struct PartFinder::Private
{
    ChosenKey key;
    std::unique_ptr<BoundedPattern> pattern;

    std::optional<PartSpan> field(QStringView line) const;
    std::optional<PartSpan> spacedField(QStringView line) const;
};

PartFinder::PartFinder(const ChosenKey &key) : d(new Private{key, {}})
{
    // A pattern of its own: finders on other threads share nothing.
    if (key.part == KeyPart::Pattern)
        d->pattern = std::make_unique<BoundedPattern>(key.pattern);
}

PartFinder::~PartFinder()
{
    delete d;
}

// Field `field` between single-character delimiters; with quotes, a field
// that starts with " runs to its closing quote ("" inside stands for one),
// and what follows up to the next delimiter is not part of it.
std::optional<PartSpan> PartFinder::Private::field(QStringView line) const
{
    const QChar delimiter = key.delimiter.front();
    const qsizetype size = line.size();
    qsizetype at = 0;
    for (int number = 1;; ++number) {
        PartSpan span{at, 0, false};
        qsizetype end = at;
        if (key.quotes && at < size && line[at] == u'"') {
            qsizetype k = at + 1;
            while (k < size && !(line[k] == u'"' && (k + 1 >= size || line[k + 1] != u'"')))
                k += line[k] == u'"' ? 2 : 1;
            span = PartSpan{at + 1, k - (at + 1), true};
            end = std::min(k + 1, size);
        }
        const qsizetype next = line.indexOf(delimiter, end);
        if (!span.quoted)
            span.length = (next < 0 ? size : next) - at;
        if (number == key.field)
            return span;
        if (next < 0)
            return std::nullopt;
        at = next + 1;
    }
}

// Field `field` where runs of spaces and tabs separate the fields, those at
// the start and end of the line skipped.
std::optional<PartSpan> PartFinder::Private::spacedField(QStringView line) const
{
    const qsizetype size = line.size();
    qsizetype at = 0;
    for (int number = 1;; ++number) {
        while (at < size && isFieldSpace(line[at]))
            ++at;
        if (at == size)
            return std::nullopt;
        PartSpan span{at, 0, false};
        qsizetype end = at;
        if (key.quotes && line[at] == u'"') {
            qsizetype k = at + 1;
            while (k < size && !(line[k] == u'"' && (k + 1 >= size || line[k + 1] != u'"')))
                k += line[k] == u'"' ? 2 : 1;
            span = PartSpan{at + 1, k - (at + 1), true};
            end = std::min(k + 1, size);
        }
        while (end < size && !isFieldSpace(line[end]))
            ++end;
        if (!span.quoted)
            span.length = end - at;
        if (number == key.field)
            return span;
        at = end;
    }
}

std::optional<PartSpan> PartFinder::find(QStringView line, bool *gaveUp) const
{
    if (gaveUp)
        *gaveUp = false;
    const ChosenKey &key = d->key;
    switch (key.part) {
    case KeyPart::Line:
        return PartSpan{0, line.size(), false};
    case KeyPart::Field:
        return key.delimiter == SpacesDelimiter ? d->spacedField(line) : d->field(line);
    case KeyPart::Characters: {
        const qsizetype from = key.from - 1;
        if (line.size() <= from)
            return std::nullopt;
        const qsizetype end = key.to == 0 ? line.size() : std::min<qsizetype>(key.to, line.size());
        return PartSpan{from, end - from, false};
    }
    case KeyPart::Pattern: {
        const BoundedPattern::Result result = d->pattern->match(line);
        if (gaveUp)
            *gaveUp = result == BoundedPattern::Result::GaveUp;
        const BoundedPattern::Capture group = d->pattern->captured(key.group);
        if (result != BoundedPattern::Result::Matched || group.start < 0)
            return std::nullopt;
        return PartSpan{group.start, group.length, false};
    }
    }
    return std::nullopt;
}

QString PartFinder::keyText(QStringView line, PartSpan span) const
{
    QString text = line.sliced(span.start, span.length).toString();
    if (span.quoted)
        text.replace(u"\"\""_s, u"\""_s);
    return text;
}
