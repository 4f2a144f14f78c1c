#include "export/ExportCommands.h"

#include "app/CommandContext.h"

// Placeholders until the exports are built.
void PushButton4_Click(CommandContext &) {}
void PushButton5_Click(CommandContext &) {}
void PushButton13_Click(CommandContext &) {}
