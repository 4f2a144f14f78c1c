#pragma once

#include <QStringList>

struct CommandContext;

// "Clear List" under the content list; does nothing while the window is busy.
void PushButton1_Click(CommandContext &ctx);
// "Clear List" under the results list; acts also while the window is busy.
void PushButton2_Click(CommandContext &ctx);
// "Load Text From File".
void PushButton3_Click(CommandContext &ctx);
// "Load Sample/Example Text".
void PushButton7_Click(CommandContext &ctx);
// Files dropped on the content list load as if chosen in the open dialog.
void ListView1_OLEDragDrop(CommandContext &ctx, const QStringList &paths);
