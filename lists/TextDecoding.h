#pragma once

#include <QByteArray>
#include <QByteArrayView>

class LoadMeter;

// The encodings a loaded file may have, each turned into the UTF-8 the rows
// are held in, carriage returns deleted on the way. The work goes a piece
// at a time, the meter told in between.
namespace TextDecoding {

// Where strict UTF-8 ends in [p, end): no overlong forms, no encoded
// surrogates, nothing above U+10FFFF, no sequence cut off at the end. Gives
// end when all of it is UTF-8.
const uchar *endOfUtf8(const uchar *p, const uchar *end);

inline bool isContinuation(uchar b)
{
    return (b & 0xC0) == 0x80;
}

// A first byte FF or FE means 16-bit code units.
bool isUtf16(QByteArrayView bytes);

// Windows-1252 bytes as UTF-8; the five bytes that code page leaves
// undefined keep their value.
QByteArray windows1252ToUtf8(QByteArrayView bytes, LoadMeter &meter);

// 16-bit units as UTF-8 (big-endian after the mark FE FF, little-endian
// otherwise; the mark dropped, an odd last byte U+FFFD); a lone surrogate is
// kept as its three bytes.
QByteArray utf16ToUtf8(QByteArrayView bytes, LoadMeter &meter);

} // namespace TextDecoding
