#include "sort/Collation.h"

#include "core/Failure.h"

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <algorithm>
#include <limits>

Collation::Collation(const QString &language, bool numbersByValue)
{
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open(language.toLatin1().constData(), &status);
    if (U_FAILURE(status) || !m_collator)
        throw Failure::invalidArgument();
    ucol_setStrength(m_collator, UCOL_TERTIARY);
    ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, numbersByValue ? UCOL_ON : UCOL_OFF,
                      &status);
    if (U_FAILURE(status)) {
        ucol_close(m_collator);
        throw Failure::invalidArgument();
    }
}

Collation::~Collation()
{
    ucol_close(m_collator);
}

void Collation::appendKey(std::string_view line, std::vector<unsigned char> &out,
                          std::size_t limit) const
{
    if (line.size() > std::size_t(std::numeric_limits<int32_t>::max()))
        throw Failure::outOfMemory();
    UCharIterator iterator;
    uiter_setUTF8(&iterator, line.data(), int32_t(line.size()));
    append(iterator, out, limit);
}

void Collation::appendKey(QStringView units, std::vector<unsigned char> &out,
                          std::size_t limit) const
{
    if (units.size() > std::numeric_limits<int32_t>::max())
        throw Failure::outOfMemory();
    UCharIterator iterator;
    uiter_setString(&iterator, reinterpret_cast<const UChar *>(units.utf16()),
                    int32_t(units.size()));
    append(iterator, out, limit);
}

void Collation::append(UCharIterator &iterator, std::vector<unsigned char> &out,
                       std::size_t limit) const
{
    uint32_t state[2] = {0, 0};
    const std::size_t start = out.size();
    for (;;) {
        const int32_t step = int32_t(std::clamp<std::size_t>(limit, 8, 64));
        const std::size_t at = out.size();
        out.resize(at + std::size_t(step));
        UErrorCode status = U_ZERO_ERROR;
        const int32_t size =
            ucol_nextSortKeyPart(m_collator, &iterator, state, out.data() + at, step, &status);
        if (U_FAILURE(status))
            throw Failure::outOfMemory();
        out.resize(at + std::size_t(size));
        if (size < step || out.size() - start >= limit)
            return;
    }
}
