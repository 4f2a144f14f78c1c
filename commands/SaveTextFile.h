#pragma once

struct CommandContext;

enum class SaveTextFileStep {
    AskForFile = 112,
    ShowHourglass = 118,
    WriteFile = 120,
    RestorePointer = 122,
};

// "Save Results As Text File": writes the checked results rows to a padded
// text file that the user names.
void saveResultsAsTextFile(CommandContext &ctx);
