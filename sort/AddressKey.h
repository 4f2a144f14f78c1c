#pragma once

#include <QStringView>
#include <QtGlobal>

#include <vector>

namespace SortEngine {

// An IP address after spaces and tabs: IPv4 as four decimal parts 0 to 255
// without leading zeros, or IPv6 in any of its text forms (an IPv4 tail
// included); every IPv4 address before every IPv6 one, each by its bits,
// and an optional "/prefix" (up to 32 or 128) after it, an address without
// one before the same address with one. What follows the address is not
// read; a part whose address is cut short or runs on ("10.0.0.256",
// "1.2.3", "1.2.3.4.5") has no key.
bool appendAddressKey(QStringView part, std::vector<uchar> &out);

} // namespace SortEngine
