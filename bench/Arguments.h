#pragma once

#include "bench/ExportRun.h"
#include "bench/WindowRun.h"
#include "sort/ChosenKey.h"
#include "sort/LineFilter.h"

#include <QString>
#include <QStringList>

#include <optional>

// What tarnveil-bench is asked to do (see main.cpp for the options).
struct Arguments
{
    int row = -1;
    std::optional<QString> answer;    // --arg
    std::optional<QString> locale;    // --locale, for dictionary order
    std::optional<ChosenKeySet> keys; // --keys, for the keys you choose
    bool ignoreCase = false;          // --ignore-case, for keeping or removing lines
    bool pattern = false;             // --pattern, the same
    Format format = Format::Lines;
    QString out;
    QStringList inputs;
    bool window = false;
    bool windowOnly = false; // no direct run beside the window's
    WindowAfterSort::Load load = WindowAfterSort::Load::Files;
    bool undoClear = false;      // --undo-clear
    bool undoSort = false;       // --undo-sort
    std::optional<QString> find; // --find
};

extern const char Usage[];

// What options 30 and 31 look for.
LineFilter filterOf(const Arguments &args);

// The arguments, or nothing (after a reason on stderr where there is more to
// say than the usage) when they do not make a run.
std::optional<Arguments> parseArguments(int argc, char **argv);
