#include "sort/ChosenKeyProblems.h"

#include "sort/BoundedPattern.h"
#include "sort/CalendarKeys.h"
#include "sort/DictionaryOrder.h"

#include <optional>

using namespace Qt::StringLiterals;

QList<KeyProblem> keyProblems(const ChosenKey &key, const BoundedPattern *pattern)
{
    std::optional<BoundedPattern> compiled;
    if (key.part == KeyPart::Pattern && !pattern)
        pattern = &compiled.emplace(key.pattern);
    QList<KeyProblem> found;
    const auto add = [&](KeyMember member, const QString &reason) {
        found.append(KeyProblem{member, reason});
    };
    switch (key.part) {
    case KeyPart::Line:
        break;
    case KeyPart::Field:
        if (key.field < 1)
            add(KeyMember::Field, u"The field number must be 1 or more."_s);
        if (key.delimiter.isEmpty())
            add(KeyMember::Delimiter, u"The delimiter is empty."_s);
        else if (key.delimiter.size() > 1 && key.delimiter != SpacesDelimiter)
            add(KeyMember::Delimiter, u"The delimiter must be one character, or \"spaces\"."_s);
        break;
    case KeyPart::Characters:
        if (key.from < 1)
            add(KeyMember::From, u"The first character must be 1 or more."_s);
        if (key.to < 0)
            add(KeyMember::To, u"The last character must be 1 or more, or empty for the end."_s);
        else if (key.to != 0 && key.to < key.from)
            add(KeyMember::To, u"The last character comes before the first."_s);
        break;
    case KeyPart::Pattern: {
        if (!pattern->isValid()) {
            add(KeyMember::Pattern,
                u"The pattern does not compile: %1 (at character %2)."_s.arg(
                    pattern->errorString(), QString::number(pattern->errorOffset() + 1)));
        } else if (key.group < 0) {
            add(KeyMember::Group, u"The group must be 0 (the whole match) or more."_s);
        } else if (key.group > pattern->captureCount()) {
            add(KeyMember::Group, u"The pattern has no group %1."_s.arg(key.group));
        }
        break;
    }
    }
    const UsedMembers used = usedMembers(key);
    if (used.language && !isDictionaryLanguage(key.locale))
        add(KeyMember::Locale, u"Unknown language: "_s + quotedName(key.locale) + u'.');
    if (used.decimal && key.decimal != u'.' && key.decimal != u',')
        add(KeyMember::Decimal, u"The decimal separator must be \".\" or \",\"."_s);
    if (used.format && !key.format.isEmpty()) {
        if (const QString problem = DateReader(key.format, key.locale).problem();
            !problem.isEmpty())
            add(KeyMember::Format, problem);
    }
    return found;
}

QStringList problems(const ChosenKey &key)
{
    QStringList reasons;
    for (const KeyProblem &problem : keyProblems(key))
        reasons << problem.reason;
    return reasons;
}

QString describeProblems(const ChosenKeySet &set)
{
    QStringList lines;
    if (set.keys.isEmpty())
        lines << u"There is no key."_s;
    for (qsizetype i = 0; i < set.keys.size(); ++i) {
        for (const QString &reason : problems(set.keys[i]))
            lines << u"Key %1: "_s.arg(i + 1) + reason;
    }
    return lines.join(u'\n');
}

bool isValid(const ChosenKeySet &set)
{
    if (set.keys.isEmpty())
        return false;
    for (const ChosenKey &key : set.keys) {
        if (!problems(key).isEmpty())
            return false;
    }
    return true;
}
