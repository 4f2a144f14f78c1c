#include "commands/ExternalNames.h"

#include <QStringView>

#include <algorithm>
#include <iterator>

namespace {

struct Names
{
    Element element;
    QStringView objectName; // empty for a procedure without a control
    QStringView module;     // empty for a control without a trapped handler
    QStringView procedure;
};

// clang-format off
constexpr Names Table[] = {
    {Element::Window,                u"Form1",        u"Form1", u"Form_Load"},
    {Element::ContentList,           u"ListView1",    u"Form1", u"ListView1_OLEDragDrop"},
    {Element::ResultsList,           u"ListView2",    {},       {}},
    {Element::LoadFilesButton,       u"PushButton3",  u"Form1", u"PushButton3_Click"},
    {Element::ClearContentButton,    u"PushButton1",  u"Form1", u"PushButton1_Click"},
    {Element::HelpButton,            u"PushButton6",  u"Form1", u"PushButton6_Click"},
    {Element::SampleButton,          u"PushButton7",  u"Form1", u"PushButton7_Click"},
    {Element::SortOptionsFrame,      u"Frame1",       {},       {}},
    {Element::SortOptionList,        u"Combo1",       u"Form1", u"Combo1_Click"},
    {Element::StartSortingButton,    u"PushButton17", u"Form1", u"PushButton17_Click"},
    {Element::SaveTextFileButton,    u"PushButton4",  u"Form1", u"PushButton4_Click"},
    {Element::SaveSpreadsheetButton, u"PushButton13", u"Form1", u"PushButton13_Click"},
    {Element::CopyButton,            u"PushButton5",  u"Form1", u"PushButton5_Click"},
    {Element::ClearResultsButton,    u"PushButton2",  u"Form1", u"PushButton2_Click"},
    {Element::StatusBar,             u"ProgressBar1", {},       {}},
    {Element::TextFileWriter,        {},              u"Main",  u"SaveListviewProperlySpaced"},
    {Element::LinesFileWriter,       {},              u"Main",  u"SaveListviewLinesOnly"},
    {Element::PasteLines,            {},              u"Form1", u"ListView1_Paste"},
    {Element::CopyLine,              {},              u"Form1", u"ListView_CopyLine"},
    {Element::ResultsMenu,           {},              u"Form1", u"ListView2_ContextMenu"},
};
// clang-format on

const Names &namesOf(Element element)
{
    const auto it = std::find_if(std::begin(Table), std::end(Table), [element](const Names &names) {
        return names.element == element;
    });
    Q_ASSERT(it != std::end(Table));
    return *it;
}

} // namespace

QString objectNameOf(Element element)
{
    return namesOf(element).objectName.toString();
}

Location locationOf(Element element)
{
    const Names &names = namesOf(element);
    return Location{names.module.toString(), names.procedure.toString()};
}

QString sortOptionSettingsKey()
{
    return QStringLiteral("Combo1");
}

QString sortKeysSettingsKey()
{
    return QStringLiteral("SortKeys");
}

QString saveFileTypeSettingsKey()
{
    return QStringLiteral("SaveFileType");
}
