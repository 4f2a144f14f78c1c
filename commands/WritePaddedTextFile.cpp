#include "commands/WritePaddedTextFile.h"

#include "export/ListReader.h"
#include "lists/RowModel.h"

void writePaddedTextFile(const RowModel &list, const QString &path, Progress *bar,
                         UserDialogs &dialogs)
{
    writePaddedTextFile(ListReader::RowModelReader(list), path, bar, dialogs);
}
