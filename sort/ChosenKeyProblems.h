#pragma once

#include "sort/ChosenKey.h"

#include <QList>
#include <QString>
#include <QStringList>

class BoundedPattern;

// What is wrong with a key, for the dialog to show beside it: a field or
// position below 1, an end before the start, an empty or longer delimiter, a
// pattern that does not compile or a group it does not have, an unknown
// language, a date format that cannot be read. Empty when the key is valid. A name the user gave shows in
// double quotes, its control characters as \uXXXX.
QStringList problems(const ChosenKey &key);

// The same, each with the member it is about, so that the dialog can tie
// the reason to the control that holds the member.
enum class KeyMember { Field, Delimiter, From, To, Pattern, Group, Locale, Decimal, Format };
struct KeyProblem
{
    KeyMember member;
    QString reason;
};
// pattern, when given, is key.pattern compiled already: a caller that keeps
// it compiled checks the key without compiling it again.
QList<KeyProblem> keyProblems(const ChosenKey &key, const BoundedPattern *pattern = nullptr);

// Every problem of the keys on a line of its own, after its key's number
// ("Key 2: The field number must be 1 or more."); empty when all are valid.
QString describeProblems(const ChosenKeySet &set);
bool isValid(const ChosenKeySet &set);
