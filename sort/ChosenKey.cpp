#include "sort/ChosenKey.h"

using namespace Qt::StringLiterals;

UsedMembers usedMembers(const ChosenKey &key)
{
    const KeyCompare compare = key.compare;
    return {key.part == KeyPart::Field,
            key.part == KeyPart::Characters,
            key.part == KeyPart::Pattern,
            compare == KeyCompare::Dictionary || compare == KeyCompare::Month ||
                compare == KeyCompare::Date,
            compare == KeyCompare::Dictionary,
            compare == KeyCompare::Number || compare == KeyCompare::Size ||
                compare == KeyCompare::General,
            compare == KeyCompare::Date};
}

ChosenKey withUnusedMembersCleared(const ChosenKey &key)
{
    const UsedMembers used = usedMembers(key);
    ChosenKey kept;
    kept.part = key.part;
    kept.compare = key.compare;
    kept.descending = key.descending;
    kept.missingFirst = key.missingFirst;
    if (used.field) {
        kept.field = key.field;
        kept.delimiter = key.delimiter;
        kept.quotes = key.quotes;
    }
    if (used.characters) {
        kept.from = key.from;
        kept.to = key.to;
    }
    if (used.pattern) {
        kept.pattern = key.pattern;
        kept.group = key.group;
    }
    if (used.language)
        kept.locale = key.locale;
    if (used.numbers)
        kept.numbers = key.numbers;
    if (used.decimal)
        kept.decimal = key.decimal;
    if (used.format)
        kept.format = key.format;
    return kept;
}

QString quotedName(QStringView name)
{
    QString text = u"\""_s;
    for (const QChar c : name) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            text += u"\\u"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
        else
            text += c;
    }
    return text + u'"';
}
