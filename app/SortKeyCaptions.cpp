#include "app/SortKeyCaptions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

using C = SortKeyControl;

// In the order of SortKeyControl.
constexpr SortKeyControlTexts ControlTexts[] = {
    {C::KeyList,
     u"keyList",
     {},
     u"&Keys, the first compared first:",
     {},
     // A list view's accessible name is its own, never its label's.
     u"Keys, the first compared first"},
    {C::AddKeyButton, u"addKeyButton", u"&Add Key"},
    {C::RemoveKeyButton, u"removeKeyButton", u"&Remove Key"},
    {C::MoveUpButton, u"moveUpButton", u"Move &Up"},
    {C::MoveDownButton, u"moveDownButton", u"Move Do&wn"},
    {C::PartBox, u"partBox", {}, u"&Part of the line:"},
    {C::FieldBox, u"fieldBox", {}, u"&Field:"},
    {C::DelimiterBox, u"delimiterBox", {}, u"Deli&miter:"},
    {C::DelimiterCharacterEdit,
     u"delimiterCharacterEdit",
     u"one character",
     {},
     {},
     u"Delimiter character"},
    {C::QuotesBox,
     u"quotesBox",
     u"Honour double &quotes (CSV)",
     {},
     u"A field that starts with a double quote runs to its closing quote, delimiters inside "
     u"included; \"\" inside stands for one quote."},
    {C::FromBox, u"fromBox", {}, u"Characters fr&om:"},
    {C::ToBox, u"toBox", u"the end", u"&to:", u"0 for the end of the line"},
    {C::PatternEdit,
     u"patternEdit",
     {},
     u"Patter&n:",
     u"A regular expression; its first match in the line is the key."},
    {C::PatternGroupBox, u"patternGroupBox", u"the whole match", u"&Group:"},
    {C::CompareBox, u"compareBox", {}, u"&Compare as:"},
    {C::LanguageBox, u"languageBox", {}, u"&Language:"},
    {C::NumbersByValueBox, u"numbersByValueBox", u"Numbers by &value"},
    {C::DecimalBox, u"decimalBox", {}, u"Decimal &separator:"},
    {C::DateFormatEdit, u"dateFormatEdit", u"ISO 8601 (2024-03-31T14:05)", u"Date format:",
     u"The date's fields in Unicode's letters: dd.MM.yyyy, MM/dd/yyyy HH:mm, d MMM yyyy. Empty "
     u"for ISO 8601 dates and times."},
    {C::AscendingButton, u"ascendingButton", u"Ascend&ing"},
    {C::DescendingButton, u"descendingButton", u"&Descending"},
    {C::MissingLastButton, u"missingLastButton", u"after the ot&hers"},
    {C::MissingFirstButton, u"missingFirstButton", u"&before them"},
    {C::HeaderBox, u"headerBox", u"K&eep the first line in place"},
    {C::UniqueBox, u"uniqueBox", u"Remove lines whose ke&ys equal an earlier line's"},
    {C::ProblemsLabel, u"problemsLabel"},
    {C::Preview, u"preview", {}, u"Preview:", {}, u"Preview"},
    {C::PreviewNote, u"previewNote"},
    {C::CopyCommandButton,
     u"copyCommandButton",
     u"Copy As Command",
     {},
     u"Puts the command that sorts by these keys in a shell on the clipboard."},
    {C::CopyNote, u"copyNote"},
    {C::Buttons, u"buttons"},
};
constexpr bool eachInItsPlace()
{
    for (std::size_t i = 0; i < std::size(ControlTexts); ++i) {
        if (std::size_t(ControlTexts[i].control) != i)
            return false;
    }
    return std::size(ControlTexts) == std::size_t(C::Buttons) + 1;
}
static_assert(eachInItsPlace(), "one entry per control, in their order");

const QColor KeyColours[] = {
    QColor(0xff, 0xe0, 0x82), // yellow
    QColor(0xa8, 0xd8, 0xff), // blue
    QColor(0xb9, 0xef, 0xb0), // green
    QColor(0xff, 0xc4, 0xd0), // pink
    QColor(0xd9, 0xc9, 0xff), // lavender
    QColor(0xff, 0xd2, 0xa6), // orange
};

QString delimiterCaption(const QString &delimiter)
{
    return delimiter == u"\t"_s ? u"Tab"_s : delimiter;
}

QString partSummary(const ChosenKey &key)
{
    switch (key.part) {
    case KeyPart::Line:
        return u"Whole line"_s;
    case KeyPart::Field:
        return u"Field %1 (%2%3)"_s.arg(QString::number(key.field), delimiterCaption(key.delimiter),
                                        key.quotes ? u", quoted"_s : QString());
    case KeyPart::Characters:
        return key.to == 0 ? u"Characters %1 to the end"_s.arg(key.from)
                           : u"Characters %1 to %2"_s.arg(key.from).arg(key.to);
    case KeyPart::Pattern: {
        constexpr qsizetype ShownPatternUnits = 24;
        QString pattern = leftWhole(key.pattern, ShownPatternUnits).toString();
        if (pattern.size() < key.pattern.size())
            pattern += u'…';
        return key.group == 0
                   ? u"Pattern \u201c%1\u201d"_s.arg(pattern)
                   : u"Pattern \u201c%1\u201d group %2"_s.arg(pattern, QString::number(key.group));
    }
    }
    return {};
}

QString compareSummary(const ChosenKey &key)
{
    switch (key.compare) {
    case KeyCompare::Text:
        return u"as text"_s;
    case KeyCompare::IgnoringCase:
        return u"ignoring case"_s;
    case KeyCompare::Dictionary: {
        QString how = u"in dictionary order"_s;
        if (!key.locale.isEmpty())
            how += u" (%1)"_s.arg(key.locale);
        if (key.numbers)
            how += u" with numbers by value"_s;
        return how;
    }
    case KeyCompare::Natural:
        return u"naturally"_s;
    case KeyCompare::Number:
        return key.decimal == u',' ? u"as number (decimal comma)"_s : u"as number"_s;
    case KeyCompare::Length:
        return u"by length"_s;
    case KeyCompare::Size:
        return key.decimal == u',' ? u"as size (decimal comma)"_s : u"as size"_s;
    case KeyCompare::General:
        return key.decimal == u',' ? u"as general number (decimal comma)"_s
                                   : u"as general number"_s;
    case KeyCompare::Version:
        return u"as version"_s;
    case KeyCompare::Month:
        return key.locale.isEmpty() ? u"as month"_s : u"as month (%1)"_s.arg(key.locale);
    case KeyCompare::Date:
        return key.format.isEmpty() ? u"as date"_s : u"as date (%1)"_s.arg(key.format);
    case KeyCompare::Address:
        return u"as address"_s;
    }
    return {};
}

} // namespace

const SortKeyControlTexts &textsOf(SortKeyControl control)
{
    return ControlTexts[std::size_t(control)];
}

void applyTexts(QWidget *control, SortKeyControl which)
{
    const SortKeyControlTexts &texts = textsOf(which);
    control->setObjectName(texts.objectName.toString());
    if (!texts.toolTip.isEmpty())
        control->setToolTip(texts.toolTip.toString());
    if (!texts.accessibleName.isEmpty())
        control->setAccessibleName(texts.accessibleName.toString());
    if (texts.caption.isEmpty())
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(texts.caption.toString());
    else if (auto *spinBox = qobject_cast<QSpinBox *>(control))
        spinBox->setSpecialValueText(texts.caption.toString());
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setPlaceholderText(texts.caption.toString());
}

QLabel *labelFor(QWidget *control, SortKeyControl which)
{
    auto *label = new QLabel(textsOf(which).label.toString());
    label->setBuddy(control);
    return label;
}

QString keySummary(const ChosenKey &key)
{
    QString summary = partSummary(key) + u' ' + compareSummary(key);
    if (key.descending)
        summary += u", descending"_s;
    if (key.missingFirst)
        summary += u", lines without it first"_s;
    return summary;
}

QString languageCaption(const QString &name)
{
    const QLocale locale(name);
    if (locale.language() == QLocale::C)
        return name;
    QStringList parts{QLocale::languageToString(locale.language())};
    const QStringList segments = name.split(u'_');
    for (const QString &segment : segments.mid(1)) {
        if (segment.size() == 4)
            parts << QLocale::scriptToString(locale.script());
        else if (segment.size() == 2 || segment.size() == 3)
            parts << QLocale::territoryToString(locale.territory());
    }
    return u"%1 (%2)"_s.arg(parts.join(u", "_s), name);
}

QString numberList(const QList<qsizetype> &numbers)
{
    QStringList texts;
    for (qsizetype number : numbers)
        texts << QString::number(number);
    if (texts.size() < 2)
        return texts.join(QString());
    const QString last = texts.takeLast();
    return u"%1 and %2"_s.arg(texts.join(u", "_s), last);
}

QStringView leftWhole(QStringView text, qsizetype units)
{
    if (text.size() <= units)
        return text;
    if (units > 0 && text[units - 1].isHighSurrogate())
        --units;
    return text.first(units);
}

QColor sortKeyColour(qsizetype key)
{
    return KeyColours[std::size_t(key) % std::size(KeyColours)];
}
