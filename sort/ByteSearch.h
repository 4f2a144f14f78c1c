#pragma once

#include <string_view>

// Finding a text's bytes in a stretch of text, as a line-oriented search tool
// would: sixteen places at a time, by the text's first and last byte.
namespace SortEngine {

// The first place in [from, end) where needle starts; end when it starts
// nowhere. An empty needle starts at from.
const char *findBytes(const char *from, const char *end, std::string_view needle);

} // namespace SortEngine
