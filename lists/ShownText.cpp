#include "lists/ShownText.h"

#include "core/Utf8Text.h"

namespace ShownText {

namespace {

// The bytes of the UTF-8 sequence that starts with lead: the blocks hold
// whole sequences, a lone surrogate as three bytes.
qsizetype sequenceSize(unsigned char lead)
{
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

} // namespace

QString fromUtf8(std::string_view bytes)
{
    // Walks whole sequences until the shown units are used up; where the
    // room for the ellipsis begins is kept, in case the row goes on.
    qsizetype units = 0;
    size_t at = 0;
    size_t cut = 0;
    while (at < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[at]);
        const qsizetype more = lead >= 0xF0 ? 2 : 1;
        if (units + more > MaxUnits)
            break;
        if (units + more <= MaxUnits - 1)
            cut = at + size_t(sequenceSize(lead));
        units += more;
        at += size_t(sequenceSize(lead));
    }
    if (at >= bytes.size())
        return Utf8::toUtf16(bytes);
    QString shown = Utf8::toUtf16(bytes.substr(0, cut));
    // A high surrogate held on its own may pair with a low one after the cut.
    if (!shown.isEmpty() && shown.back().isHighSurrogate())
        shown.chop(1);
    shown.append(QChar(Ellipsis));
    return shown;
}

} // namespace ShownText
