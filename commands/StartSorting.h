#pragma once

struct CommandContext;

// The statements of "Start Sorting", as its error box numbers them.
enum class StartSortingStep {
    NewLineArray = 100,
    CheckEmpty = 102,
    ShowHourglass = 104,
    CountRows = 106,
    ShowRowStatus = 108,
    ReadRow = 110,
    CopyRow = 112,
    ReadOption = 118,
    // Each option sorts on a step of its own; an option that asks for a
    // number asks, checks the answer and sorts, one that asks for characters
    // asks and sorts.
    SortWholeLine = 120,
    SortSecondCharacter = 124,
    SortThirdCharacter = 128,
    AskCharacterPosition = 132,
    CheckCharacterPosition = 134,
    SortCharacterPosition = 136,
    SortSecondWord = 140,
    SortThirdWord = 144,
    AskWordNumber = 148,
    CheckWordNumber = 150,
    SortWordNumber = 152,
    AskCharacters = 156,
    SortAfterCharacters = 158,
    SortAlphaOnly = 162,
    SortNumericOnly = 166,
    SortAlphanumericOnly = 170,
    SortNonAlphanumericOnly = 174,
    SortLength = 178,
    ShowLastPosition = 180,
    AppendResults = 184,
    RestoreStatusText = 188,
    RestorePosition = 190,
    RestorePointer = 192,
    ShowDone = 194,
    ShowEmpty = 196,
    // The options below the list's last separator, numbered after the rest.
    SortDescending = 240,
    SortIgnoringCase = 242,
    SortNaturally = 244,
    SortByLeadingNumber = 246,
    SortRemovingDuplicates = 248,
    RemoveDuplicates = 250,
    ReverseOrder = 252,
    Shuffle = 254,
    SortInDictionaryOrder = 258,
    AskSortKeys = 260,
    SortByChosenKeys = 262,
    AskLinesToKeep = 264,
    KeepLinesContaining = 266,
    AskLinesToRemove = 268,
    RemoveLinesContaining = 270,
    KeepDuplicatedLines = 272,
    KeepLinesOccurringOnce = 274,
    CountDuplicateLines = 276,
};

// "Start Sorting": sorts the content list into the results list with the
// chosen sort option.
void startSorting(CommandContext &ctx);
