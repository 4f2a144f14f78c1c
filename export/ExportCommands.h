#pragma once

struct CommandContext;

// "Save Results As Text File".
void PushButton4_Click(CommandContext &ctx);
// "Copy Results To Clipboard".
void PushButton5_Click(CommandContext &ctx);
// "Save Results As Excel File".
void PushButton13_Click(CommandContext &ctx);

// Whether a spreadsheet application can be started; tells the user when not.
bool SaveResultsAsExcelFileIsExcelInstalled(CommandContext &ctx);
