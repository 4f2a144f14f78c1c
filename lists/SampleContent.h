#pragma once

#include <QStringList>

// The twelve example lines that "Load Sample/Example Text" appends, in order.
QStringList sampleContentRows();
