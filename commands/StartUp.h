#pragma once

#include "sort/SortOptions.h"

#include <array>
#include <type_traits>

// The statements of the window's start-up, as its error box numbers them.
enum class StartUpStep {
    ApplySkin = 100,
    SetTitle = 104,
    CheckHandPointer = 106,
    LoadHandPointer = 108,
    SetContentHeader = 128,
    SetContentColumnWidth = 130,
    SetResultsHeader = 132,
    SetResultsColumnWidth = 134,
    // Each entry of the sort option list goes in on a step of its own.
    AddOption1 = 136,
    AddOption2 = 138,
    AddOption3 = 140,
    AddOption4 = 142,
    AddOption5 = 144,
    AddOption6 = 146,
    AddOption7 = 148,
    AddOption8 = 150,
    AddOption9 = 152,
    AddOption10 = 154,
    AddOption11 = 156,
    AddOption12 = 158,
    AddOption13 = 160,
    AddOption14 = 162,
    AddOption15 = 164,
    AddOption16 = 166,
    AddOption17 = 168,
    RestoreSortOption = 170,
    // The entries below the list's last separator, numbered after the rest.
    AddOption18 = 200,
    AddOption19 = 202,
    AddOption20 = 204,
    AddOption21 = 206,
    AddOption22 = 208,
    AddOption23 = 210,
    AddOption24 = 212,
    AddOption25 = 214,
    AddOption26 = 216,
    AddOption27 = 218,
    AddOption28 = 220,
    AddOption29 = 222,
    AddOption30 = 224,
    AddOption31 = 226,
    AddOption32 = 228,
    AddOption33 = 230,
    AddOption34 = 232,
    AddOption35 = 234,
};

// The step on which the sort option list's entry of that row goes in.
constexpr StartUpStep addOptionStep(int row)
{
    constexpr std::array Steps = {
        StartUpStep::AddOption1,  StartUpStep::AddOption2,  StartUpStep::AddOption3,
        StartUpStep::AddOption4,  StartUpStep::AddOption5,  StartUpStep::AddOption6,
        StartUpStep::AddOption7,  StartUpStep::AddOption8,  StartUpStep::AddOption9,
        StartUpStep::AddOption10, StartUpStep::AddOption11, StartUpStep::AddOption12,
        StartUpStep::AddOption13, StartUpStep::AddOption14, StartUpStep::AddOption15,
        StartUpStep::AddOption16, StartUpStep::AddOption17, StartUpStep::AddOption18,
        StartUpStep::AddOption19, StartUpStep::AddOption20, StartUpStep::AddOption21,
        StartUpStep::AddOption22, StartUpStep::AddOption23, StartUpStep::AddOption24,
        StartUpStep::AddOption25, StartUpStep::AddOption26, StartUpStep::AddOption27,
        StartUpStep::AddOption28, StartUpStep::AddOption29, StartUpStep::AddOption30,
        StartUpStep::AddOption31, StartUpStep::AddOption32, StartUpStep::AddOption33,
        StartUpStep::AddOption34, StartUpStep::AddOption35,
    };
    static_assert(Steps.size() == std::tuple_size_v<std::remove_cvref_t<decltype(sortOptions())>>,
                  "one step per row of the sort option list");
    return Steps[std::size_t(row)];
}

// The one statement of remembering a newly chosen sort option.
enum class RememberSortOptionStep { Store = 100 };
