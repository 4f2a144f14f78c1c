#include "sort/DictionaryOrder.h"

#include "sort/BuiltKeySort.h"
#include "sort/Collation.h"

#include <unicode/ucol.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace SortEngine;

namespace {

// Each line's key is ICU's sort key of the line.
class CollationKeys final : public KeyBuilder
{
public:
    CollationKeys(const QString &language, bool numbersByValue)
        : m_collation(language, numbersByValue)
    {
    }

    void appendKey(const LineRef &line, std::vector<uchar> &out, std::size_t limit,
                   GaveUpMask &) override
    {
        m_collation.appendKey(line.text(), out, limit);
    }

private:
    Collation m_collation;
};

} // namespace

QStringList dictionaryLanguages()
{
    QStringList names;
    const int32_t count = ucol_countAvailable();
    names.reserve(count);
    for (int32_t i = 0; i < count; ++i)
        names << QString::fromLatin1(ucol_getAvailable(i));
    return names;
}

bool isDictionaryLanguage(const QString &name)
{
    static const QStringList languages = dictionaryLanguages();
    return name.isEmpty() || languages.contains(name);
}

QString environmentLanguage(const char *category)
{
    QString name;
    for (const char *variable : {"LC_ALL", category, "LANG"}) {
        name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            break;
    }
    name = name.section(u'.', 0, 0).section(u'@', 0, 0);
    return name == "C"_L1 || name == "POSIX"_L1 ? QString() : name;
}

QString userDictionaryLanguage()
{
    const QString name = environmentLanguage("LC_COLLATE");
    if (name.isEmpty())
        return {};
    if (isDictionaryLanguage(name))
        return name;
    const QString language = name.section(u'_', 0, 0);
    return isDictionaryLanguage(language) ? language : QString();
}

LineRefs &sortInDictionaryOrder(LineRefs &lines, const QString &language, Progress *progress,
                                bool numbersByValue)
{
    return sortByBuiltKeys(lines, false, false, progress, [&] {
        return std::make_unique<CollationKeys>(language, numbersByValue);
    });
}
