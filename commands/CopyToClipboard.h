#pragma once

struct CommandContext;

enum class CopyToClipboardStep { Copy = 106, Confirm = 108 };

// "Copy Results To Clipboard": places the checked results rows on the
// clipboard as text.
void copyResultsToClipboard(CommandContext &ctx);
