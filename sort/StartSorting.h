#pragma once

struct CommandContext;

// "Start Sorting": sorts the content list into the results list with the
// option selected in Combo1.
void PushButton17_Click(CommandContext &ctx);
