#include "sort/VersionKey.h"

#include "sort/LineText.h"

using namespace SortEngine;

namespace {

// The classes that come before all other parts, in their order.
enum VersionClass : uchar { Empty = 1, Dot, DotDot, Hidden, Other };

// The bytes of one string's runs. A run without digits gives a byte a
// character: Tilde for "~", an ASCII letter its code, and every other byte
// Others and the byte, so that "~" < a digit run < letters < the rest. Each
// run of digits gives DigitRun and its value; the string's end compares as
// a digit run of value 0 after a run without digits, and as End (after "~",
// before every other character) after a digit run.
enum VersionByte : uchar { Tilde = 0x01, End = 0x02, DigitRun = 0x03, Others = 0xC0 };

bool isLetter(char16_t u)
{
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isSuffixCharacter(char16_t u)
{
    return isLetter(u) || isAsciiDigit(u) || u == u'~';
}

// Where the file name suffix starts: the longest run of "." followed by a
// letter or "~" and then letters, digits or "~" that ends the text, though
// never the whole text. A suffix's pieces hold no ".", so they are found from
// the end, one "." at a time.
qsizetype suffixStart(QStringView text)
{
    qsizetype start = text.size();
    for (qsizetype dot = start - 1; dot > 0; --dot) {
        if (text[dot] != u'.')
            continue;
        const QStringView piece = text.sliced(dot + 1, start - dot - 1);
        if (piece.isEmpty() || !(isLetter(piece[0].unicode()) || piece[0] == u'~'))
            break;
        bool fits = true;
        for (const QChar c : piece)
            fits = fits && isSuffixCharacter(c.unicode());
        if (!fits)
            break;
        start = dot;
    }
    return start;
}

void appendOther(uchar byte, std::vector<uchar> &out)
{
    out.push_back(Others);
    out.push_back(byte);
}

// A character beyond ASCII compares by its UTF-8 bytes, every one of them
// among the other bytes; a lone surrogate as U+FFFD, as it is written out.
void appendUtf8(char32_t c, std::vector<uchar> &out)
{
    if (c < 0x800) {
        appendOther(uchar(0xC0 | (c >> 6)), out);
    } else if (c < 0x10000) {
        appendOther(uchar(0xE0 | (c >> 12)), out);
        appendOther(uchar(0x80 | ((c >> 6) & 0x3F)), out);
    } else {
        appendOther(uchar(0xF0 | (c >> 18)), out);
        appendOther(uchar(0x80 | ((c >> 12) & 0x3F)), out);
        appendOther(uchar(0x80 | ((c >> 6) & 0x3F)), out);
    }
    appendOther(uchar(0x80 | (c & 0x3F)), out);
}

void appendRuns(QStringView text, std::vector<uchar> &out)
{
    bool afterDigits = false;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t u = text[i].unicode();
        if (isAsciiDigit(u)) {
            while (i < text.size() && text[i] == u'0')
                ++i;
            const qsizetype from = i;
            while (i < text.size() && isAsciiDigit(text[i].unicode()))
                ++i;
            // The count of digits: one byte below 0xFF, else 0xFF and eight.
            const quint64 count = quint64(i - from);
            out.push_back(DigitRun);
            if (count < 0xFF) {
                out.push_back(uchar(count));
            } else {
                out.push_back(0xFF);
                for (int shift = 56; shift >= 0; shift -= 8)
                    out.push_back(uchar(count >> shift));
            }
            for (qsizetype k = from; k < i; ++k)
                out.push_back(uchar(text[k].unicode()));
            afterDigits = true;
            continue;
        }
        afterDigits = false;
        ++i;
        if (u == u'~') {
            out.push_back(Tilde);
        } else if (isLetter(u)) {
            out.push_back(uchar(u));
        } else if (u < 0x80) {
            appendOther(uchar(u), out);
        } else if (QChar::isHighSurrogate(u) && i < text.size() &&
                   QChar::isLowSurrogate(text[i].unicode())) {
            appendUtf8(QChar::surrogateToUcs4(u, text[i++].unicode()), out);
        } else {
            appendUtf8(QChar::isSurrogate(u) ? 0xFFFD : u, out);
        }
    }
    if (!afterDigits) {
        out.push_back(DigitRun);
        out.push_back(0); // no digits: the value 0
    }
    out.push_back(End);
}

} // namespace

bool SortEngine::appendVersionKey(QStringView part, std::vector<uchar> &out)
{
    if (part.isEmpty() || part == u"." || part == u"..") {
        out.push_back(part.isEmpty() ? Empty : part.size() == 1 ? Dot : DotDot);
        return true;
    }
    out.push_back(part[0] == u'.' ? Hidden : Other);
    // The runs end with End, so the text without its suffix ends before the
    // whole text begins.
    appendRuns(part.first(suffixStart(part)), out);
    appendRuns(part, out);
    return true;
}
