#pragma once

#include <QString>

struct CommandContext;

// The statements of pasting lines into the content list, and of dropping
// text on it.
enum class PasteLinesStep {
    ReadClipboard = 100,
    ShowHourglass = 102,
    AppendLines = 104,
    RestorePointer = 106,
};

// Ctrl+V, Shift+Insert or "Paste Lines" on the content list: appends the
// clipboard's text as rows, by the rules of a loaded file's text, in one
// batch. A busy window, or a clipboard without text, adds nothing.
void pasteLines(CommandContext &ctx);

// Text dropped on the content list (a drop without files), appended as a
// paste is.
void appendDroppedText(CommandContext &ctx, const QString &text);
