#include "export/ClipboardText.h"

#include "export/Clipboard.h"
#include "export/ListReader.h"
#include "lists/RowModel.h"

namespace {

constexpr int Attempts = 1000;

} // namespace

QString clipboardTextOf(const RowModel &list, Progress *events)
{
    return clipboardTextOf(ListReader::RowModelReader(list), events);
}

void copyCheckedRows(const RowModel &list, Clipboard &clipboard, Progress *events)
{
    if (list.count() == 0)
        return;
    const QString text = clipboardTextOf(list, events);
    clearClipboard(clipboard);
    placeOnClipboard(clipboard, text);
}

void clearClipboard(Clipboard &clipboard)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (clipboard.clear())
            return;
    }
}

bool placeOnClipboard(Clipboard &clipboard, const QString &text)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (clipboard.setText(text))
            return true;
    }
    return false;
}
