#include "lists/ListCommands.h"

#include "app/CommandContext.h"

// Placeholders until the list commands are built.
void PushButton1_Click(CommandContext &) {}
void PushButton2_Click(CommandContext &) {}
void PushButton3_Click(CommandContext &) {}
void PushButton7_Click(CommandContext &) {}
