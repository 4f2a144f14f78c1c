#pragma once

struct CommandContext;

enum class SaveTextFileStep {
    AskForFile = 112,
    ShowHourglass = 118,
    WriteFile = 120,
    RestorePointer = 122,
};

// The file types of the save dialog, in the order it offers them: the first
// two save the padded report, the last the rows as plain lines.
enum class TextFileType { TextFiles, AllFiles, LinesOnly };

// "Save Results As Text File": writes the checked results rows to a text file
// that the user names, padded or, with "Lines only" chosen, as plain lines.
void saveResultsAsTextFile(CommandContext &ctx);
