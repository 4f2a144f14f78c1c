#include "sort/BoundedPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>

namespace {

// Steps a match may take: a base for short lines, and more for each unit.
// Ordinary patterns take about one step a character (measured: at most two,
// without JIT); a give-up costs about 1.5 ns a step with JIT, so a line of
// 40 characters gives up within a few microseconds.
constexpr quint64 BaseSteps = 2'000;
constexpr quint64 StepsPerUnit = 20;
// The depth of nested backtracking (only without JIT), no deeper than
// PCRE2's own default.
constexpr quint64 MaxDepth = 10'000'000;
// The JIT's stack grows on demand up to the size Qt gives its own.
constexpr PCRE2_SIZE JitStackStart = 32 * 1024;
constexpr PCRE2_SIZE JitStackMax = 512 * 1024;

bool isResourceLimit(int result)
{
    return result == PCRE2_ERROR_MATCHLIMIT || result == PCRE2_ERROR_DEPTHLIMIT ||
           result == PCRE2_ERROR_HEAPLIMIT || result == PCRE2_ERROR_JIT_STACKLIMIT ||
           result == PCRE2_ERROR_NOMEMORY;
}

} // namespace

struct BoundedPattern::Pcre
{
    pcre2_code *code = nullptr;
    pcre2_match_data *matchData = nullptr;
    pcre2_match_context *context = nullptr;
    pcre2_jit_stack *jitStack = nullptr;
    bool jitTried = false;

    ~Pcre()
    {
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(matchData);
        pcre2_code_free(code);
    }

    // JIT on the first match, so that a pattern only checked for problems
    // costs no machine code.
    void compileJit()
    {
        jitTried = true;
        if (pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0)
            return; // the interpreter matches alike
        jitStack = pcre2_jit_stack_create(JitStackStart, JitStackMax, nullptr);
        if (jitStack)
            pcre2_jit_stack_assign(context, nullptr, jitStack);
    }
};

BoundedPattern::BoundedPattern(QStringView pattern, Case letters) : m_pcre(std::make_unique<Pcre>())
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    // The empty pattern too needs a pointer PCRE2 can read.
    static const char16_t Empty[1] = {};
    const char16_t *units = pattern.isEmpty() ? Empty : pattern.utf16();
    m_pcre->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(units), PCRE2_SIZE(pattern.size()),
                                 PCRE2_UTF | (letters == Case::Caseless ? PCRE2_CASELESS : 0),
                                 &error, &offset, nullptr);
    if (!m_pcre->code) {
        PCRE2_UCHAR message[256];
        const int size = pcre2_get_error_message(error, message, std::size(message));
        m_errorString = size > 0 ? QString::fromUtf16(reinterpret_cast<char16_t *>(message), size)
                                 : QString::number(error);
        m_errorOffset = qsizetype(offset);
        return;
    }
    uint32_t captures = 0;
    pcre2_pattern_info(m_pcre->code, PCRE2_INFO_CAPTURECOUNT, &captures);
    m_captureCount = int(captures);
    m_pcre->matchData = pcre2_match_data_create_from_pattern(m_pcre->code, nullptr);
    m_pcre->context = pcre2_match_context_create(nullptr);
    if (!m_pcre->matchData || !m_pcre->context)
        throw std::bad_alloc();
}

BoundedPattern::~BoundedPattern() = default;

quint32 BoundedPattern::stepLimit(qsizetype units)
{
    const quint64 steps = BaseSteps + StepsPerUnit * quint64(std::max<qsizetype>(units, 0));
    return quint32(std::min<quint64>(steps, std::numeric_limits<quint32>::max()));
}

BoundedPattern::Result BoundedPattern::match(QStringView line)
{
    m_matched = false;
    if (!isValid())
        return Result::NoMatch;
    if (!m_pcre->jitTried)
        m_pcre->compileJit();
    const quint32 steps = stepLimit(line.size());
    pcre2_set_match_limit(m_pcre->context, steps);
    pcre2_set_depth_limit(m_pcre->context, quint32(std::min<quint64>(steps, MaxDepth)));
    // Checked as UTF-16, as QRegularExpression checks it: a lone surrogate
    // makes the match fail with a UTF error, which is no match.
    const int result =
        pcre2_match(m_pcre->code, reinterpret_cast<PCRE2_SPTR>(line.utf16()),
                    PCRE2_SIZE(line.size()), 0, 0, m_pcre->matchData, m_pcre->context);
    if (result > 0) {
        m_matched = true;
        return Result::Matched;
    }
    return isResourceLimit(result) ? Result::GaveUp : Result::NoMatch;
}

BoundedPattern::Capture BoundedPattern::captured(int group) const
{
    if (!m_matched || group < 0 || group > m_captureCount)
        return {};
    const PCRE2_SIZE *offsets = pcre2_get_ovector_pointer(m_pcre->matchData);
    const PCRE2_SIZE start = offsets[2 * group];
    const PCRE2_SIZE end = offsets[2 * group + 1];
    if (start == PCRE2_UNSET || end < start)
        return {};
    return Capture{qsizetype(start), qsizetype(end - start)};
}
