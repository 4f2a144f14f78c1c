#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <string_view>

// The lines are held as UTF-8. A text that came from 16-bit units may hold a
// surrogate without its partner; it is kept in its place as the three bytes
// ED A0..BF xx (generalized UTF-8), so that the text reads back unit for
// unit, and every export writes U+FFFD for it.
namespace Utf8 {

inline bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// The UTF-16 units the bytes stand for: one per character, two for a
// character above U+FFFF (a four-byte sequence).
qsizetype utf16Size(std::string_view bytes);

// The bytes as UTF-16 units; a lone surrogate comes back as itself.
QString toUtf16(std::string_view bytes);
// The same written to out, which has room for one unit a byte; gives the end
// of what was written.
char16_t *writeUnits(std::string_view bytes, char16_t *out);

// Appends the units as UTF-8; a lone surrogate becomes its three bytes.
// Never writes more than three bytes a unit.
char *appendUnits(QStringView units, char *out);
QByteArray fromUtf16(QStringView units);

// Whether the bytes hold a lone surrogate.
bool holdsSurrogate(std::string_view bytes);

// Copies the bytes to out with every lone surrogate written as U+FFFD (the
// same three bytes long), and gives the end of what was written.
char *copyReplacingSurrogates(std::string_view bytes, char *out);

} // namespace Utf8
