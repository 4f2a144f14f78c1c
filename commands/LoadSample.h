#pragma once

struct CommandContext;

// "Load Sample/Example Text": appends the sample's twelve lines to the content
// list, each on a step of its own (100, 102, ... 122): a row that fails to go
// in is reported and the others still follow.
enum class LoadSampleStep {
    AppendRow1 = 100,
    AppendRow2 = 102,
    AppendRow3 = 104,
    AppendRow4 = 106,
    AppendRow5 = 108,
    AppendRow6 = 110,
    AppendRow7 = 112,
    AppendRow8 = 114,
    AppendRow9 = 116,
    AppendRow10 = 118,
    AppendRow11 = 120,
    AppendRow12 = 122,
};

void loadSample(CommandContext &ctx);
