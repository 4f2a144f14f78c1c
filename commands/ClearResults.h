#pragma once

struct CommandContext;

enum class ClearResultsStep { Clear = 100 };

// "Clear List" under the results list; acts also while the window is busy.
void clearResults(CommandContext &ctx);
