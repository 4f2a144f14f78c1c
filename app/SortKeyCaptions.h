#pragma once

#include "sort/ChosenKey.h"

#include <QColor>
#include <QStringView>

class QLabel;
class QWidget;

// What the "Sort Keys" dialog says and shows: the object names and texts of
// its controls, the choices of its boxes, each key's summary and colour.

// The controls, by the object names tests and style sheets find them by.
enum class SortKeyControl {
    KeyList,
    AddKeyButton,
    RemoveKeyButton,
    MoveUpButton,
    MoveDownButton,
    PartBox,
    FieldBox,
    DelimiterBox,
    DelimiterCharacterEdit,
    QuotesBox,
    FromBox,
    ToBox,
    PatternEdit,
    PatternGroupBox,
    CompareBox,
    LanguageBox,
    NumbersByValueBox,
    DecimalBox,
    DateFormatEdit,
    AscendingButton,
    DescendingButton,
    MissingLastButton,
    MissingFirstButton,
    HeaderBox,
    UniqueBox,
    ProblemsLabel,
    Preview,     // each text block's user state is the index of its preview line
    PreviewNote, // what the preview shows, or why it waits
    CopyCommandButton,
    CopyNote, // whether the command reached the clipboard
    Buttons,
};

// A control's texts; empty ones it does not have. caption is the text the
// control shows itself: a button's, a spin box's at its lowest value, a line
// edit's while it is empty. label is the text of the label that names it,
// whose mnemonic reaches it; accessibleName is for a control no label names.
struct SortKeyControlTexts
{
    SortKeyControl control;
    QStringView objectName;
    QStringView caption = {};
    QStringView label = {};
    QStringView toolTip = {};
    QStringView accessibleName = {};
};
const SortKeyControlTexts &textsOf(SortKeyControl control);

// Gives control its object name, caption, tool tip and accessible name.
void applyTexts(QWidget *control, SortKeyControl which);
// The label of control, its buddy.
QLabel *labelFor(QWidget *control, SortKeyControl which);

template <typename Widget> Widget *newControl(SortKeyControl which)
{
    auto *widget = new Widget;
    applyTexts(widget, which);
    return widget;
}

// The labels of the rows that hold two radio buttons each.
inline constexpr QStringView OrderRowLabel = u"Order:";
inline constexpr QStringView MissingRowLabel = u"Lines without this key go:";

template <typename Value> struct SortKeyChoice
{
    Value value;
    QStringView caption;
    QStringView toolTip = {};
};

inline constexpr SortKeyChoice<KeyPart> PartChoices[] = {
    {KeyPart::Line, u"Whole line"},
    {KeyPart::Field, u"Field"},
    {KeyPart::Characters, u"Characters"},
    {KeyPart::Pattern, u"Pattern"},
};

inline constexpr SortKeyChoice<KeyCompare> CompareChoices[] = {
    {KeyCompare::Text, u"Text, by character code"},
    {KeyCompare::IgnoringCase, u"Text, ignoring case"},
    {KeyCompare::Dictionary, u"Dictionary order"},
    {KeyCompare::Natural, u"Natural (numbers in the text by value)"},
    {KeyCompare::Number, u"Number"},
    {KeyCompare::Length, u"Length"},
    {KeyCompare::Size, u"Size (4.2G, 10 MiB, 512 kB)"},
    {KeyCompare::General, u"Number in any notation (1e-3, 0x1F, 1,000.5)"},
    {KeyCompare::Version, u"Version (1.10.2 after 1.9)"},
    {KeyCompare::Month, u"Month name"},
    {KeyCompare::Date, u"Date and time"},
    {KeyCompare::Address, u"IP address"},
};

// The rows of the delimiter box; after them comes the row that takes the
// character typed beside the box.
inline constexpr SortKeyChoice<QStringView> DelimiterChoices[] = {
    {u"\t", u"Tab"},
    {u",", u"Comma (,)"},
    {u";", u"Semicolon (;)"},
    {u"|", u"|"},
    {SpacesDelimiter, u"spaces",
     u"Runs of spaces and tabs separate the fields; those at the start and end of the line are "
     u"skipped."},
};
inline constexpr QStringView OtherDelimiterCaption = u"Other character:";

inline constexpr SortKeyChoice<char16_t> DecimalChoices[] = {
    {u'.', u"Point (.)"},
    {u',', u"Comma (,)"},
};

// The summary the key list shows: "Field 3 (,) as number, descending".
QString keySummary(const ChosenKey &key);

// "German (de)", "Chinese, Traditional Han (zh_Hant)", "German, Austria (de_AT)".
QString languageCaption(const QString &name);

// "2", "1 and 3", "1, 2 and 4".
QString numberList(const QList<qsizetype> &numbers);

// The first units of text, at most units of them, without splitting a
// surrogate pair.
QStringView leftWhole(QStringView text, qsizetype units);

// The colour of the key at index key (from 0): its part's background in the
// preview and its swatch in the list. Light ones, with black text on them
// whatever the palette.
QColor sortKeyColour(qsizetype key);

// The colour of the reasons why a key cannot be used.
inline constexpr QColor WarningColour{0xd3, 0x2f, 0x2f};
