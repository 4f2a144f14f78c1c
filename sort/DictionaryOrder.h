#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QString>
#include <QStringList>

// "Sort Content In Dictionary Order": ICU collation for the user's language.

// The languages that dictionary order offers (ICU's collation locales, such
// as "de", "sv", "en_US"), and the user's language from LC_ALL, LC_COLLATE
// or LANG ("" for the root rules when that is C or POSIX or not offered).
QStringList dictionaryLanguages();
QString userDictionaryLanguage();
// The language and country the environment sets for a category (its
// variable, e.g. "LC_TIME"; LC_ALL first, LANG last): "de_DE" of
// "de_DE.UTF-8@euro"; empty for C, POSIX or none.
QString environmentLanguage(const char *category);
bool isDictionaryLanguage(const QString &name);

// ICU collation for language (a name of dictionaryLanguages(); "" for the
// root rules), as Collation compares; with numbersByValue, digit runs compare
// by value. Lines that collate equal keep their input order. The sort of
// built keys (see BuiltKeySort.h): ICU's sort keys are built on threads of
// their own while the calling thread yields.
LineRefs &sortInDictionaryOrder(LineRefs &lines, const QString &language, Progress *progress,
                                bool numbersByValue = false);
