#pragma once

struct CommandContext;
class RowModel;

// The statements of the results list's context menu.
enum class ResultsMenuStep {
    CheckAll = 100,
    UncheckAll = 102,
    InvertChecks = 104,
    AppendCheckedToContent = 106,
};

// "Check All", "Uncheck All" and "Invert Checks": every results row's check
// mark at once. A busy window changes nothing.
void checkAllResults(CommandContext &ctx);
void uncheckAllResults(CommandContext &ctx);
void invertResultChecks(CommandContext &ctx);

// "Append Checked To Content": the checked results rows, in their order,
// appended to the content list, so that they can be sorted again. They
// point into the same text blocks. A busy window changes nothing.
void appendCheckedToContent(CommandContext &ctx);

// The statement of copying one row.
enum class CopyLineStep { Copy = 100 };

// "Copy Line" and Ctrl+C in either list: the row's text on the clipboard, as
// it stands. Nothing for a row that is not there.
void copyLine(CommandContext &ctx, const RowModel &list, int row);
