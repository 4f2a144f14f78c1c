#include "sort/LineText.h"

namespace SortEngine {

bool LineText<LineRef>::needsUnits(const LineRef &line)
{
    return Utf8::holdsSurrogate(line.text());
}

} // namespace SortEngine
