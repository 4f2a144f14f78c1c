#pragma once

#include <QStringList>

struct CommandContext;

// The statements of "Load Text From File" and of dropping files on the
// content list.
enum class LoadTextFilesStep {
    AskForFiles = 108,
    ShowHourglass = 114,
    LoadOneFile = 120,
    LoadEachFile = 134,
    RestorePointer = 138,
};

// "Load Text From File": appends the lines of the chosen files to the content
// list.
void loadTextFiles(CommandContext &ctx);

// Files named on the command line load as if chosen in the open dialog of
// "Load Text From File"; standardInputArgument() among them reads standard
// input to its end in its place, as one more file.
void loadGivenFiles(CommandContext &ctx, const QStringList &paths);
QString standardInputArgument();

// Files dropped on the content list load as if chosen in the open dialog.
void loadDroppedFiles(CommandContext &ctx, const QStringList &paths);
