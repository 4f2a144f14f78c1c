#include "commands/WriteLinesFile.h"

#include "export/ListReader.h"
#include "lists/RowModel.h"

void writeLinesFile(const RowModel &list, const QString &path, Progress *bar, UserDialogs &dialogs)
{
    writeLinesFile(ListReader::RowModelReader(list), path, bar, dialogs);
}
