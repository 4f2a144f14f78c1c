#pragma once

struct CommandContext;

enum class ClearContentStep { Clear = 100 };

// "Clear List" under the content list; does nothing while the window is busy.
void clearContent(CommandContext &ctx);
