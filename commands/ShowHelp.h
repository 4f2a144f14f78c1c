#pragma once

struct CommandContext;

enum class ShowHelpStep { ShowContact = 100 };

// "Help": the contact message.
void showHelp(CommandContext &ctx);
