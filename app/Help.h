#pragma once

struct CommandContext;

// "Help": the contact message.
void PushButton6_Click(CommandContext &ctx);
