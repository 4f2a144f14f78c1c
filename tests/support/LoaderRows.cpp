#include "support/LoaderRows.h"

#include "lists/LoadMeter.h"
#include "lists/RowSplitting.h"
#include "lists/TextReading.h"
#include "support/TestLists.h"

namespace {

QStringList rowsOf(const LoadedText &loaded)
{
    RowModel list(false);
    list.append(loaded.block, loaded.spans);
    return rowTexts(list);
}

} // namespace

QStringList rowsFromBytes(QByteArrayView bytes, qsizetype knownUtf8)
{
    LoadMeter quiet(nullptr, bytes.size());
    return rowsOf(RowSplitting::rowsOfFileBytes(QByteArray(bytes.data(), bytes.size()),
                                                TextReading::lineFeedsIn(bytes), quiet,
                                                knownUtf8));
}

QStringList rowsFromTextFile(const QString &path, Progress *progress)
{
    return rowsOf(loadTextFile(path, progress));
}
