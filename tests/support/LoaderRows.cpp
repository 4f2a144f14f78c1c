#include "support/LoaderRows.h"

#include "lists/LoadMeter.h"
#include "lists/RowSplitting.h"
#include "lists/TextReading.h"

namespace {

QStringList rowsOf(const LoadedText &loaded)
{
    RowModel list(false);
    list.append(loaded.block, loaded.spans);
    return list.texts();
}

} // namespace

QStringList rowsFromBytes(QByteArrayView bytes)
{
    LoadMeter quiet(nullptr, bytes.size());
    return rowsOf(RowSplitting::rowsOfFileBytes(QByteArray(bytes.data(), bytes.size()),
                                                TextReading::lineFeedsIn(bytes), quiet));
}

QStringList rowsFromTextFile(const QString &path, Progress *progress)
{
    return rowsOf(loadTextFile(path, progress));
}
