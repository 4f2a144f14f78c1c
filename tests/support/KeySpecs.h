#pragma once

#include "sort/ChosenKey.h"

// Keys of each part, for the tests of the keys and of their dialog.

inline ChosenKey fieldKey(int field, const QString &delimiter = QStringLiteral(","),
                          KeyCompare compare = KeyCompare::Text, bool quotes = false)
{
    ChosenKey key;
    key.part = KeyPart::Field;
    key.field = field;
    key.delimiter = delimiter;
    key.compare = compare;
    key.quotes = quotes;
    return key;
}

inline ChosenKey charactersKey(int from, int to)
{
    ChosenKey key;
    key.part = KeyPart::Characters;
    key.from = from;
    key.to = to;
    return key;
}

inline ChosenKey patternKey(const QString &pattern, int group)
{
    ChosenKey key;
    key.part = KeyPart::Pattern;
    key.pattern = pattern;
    key.group = group;
    return key;
}
