// Drives random sequences of operations on both lists of the window, the
// content list and the checkable results list, and compares them after every
// step with a plain model of each: appending one row or a batch (copied or
// moved), removing a row (also at positions that do not exist), clearing,
// ticking and unticking results rows (directly and through setData, as the
// view does), and "Start Sorting" with any row of the sort option list and a
// scripted answer to its prompt. After a sort the plain model appends the
// content rows, all checked, in the order of a plain stable sort by the row's
// key (or reversed, shuffled in any order, or only the first of identical
// rows), and the boxes shown must be the prompt, the error box where the answer
// makes the sort fail, and "Done.". The model's own interface (rowCount, data,
// flags) must agree with its accessors, every change must be announced by the
// right signals, and a sort must leave the content list as it was.
#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/StartSorting.h"
#include "core/ErrorTrap.h"
#include "core/Utf8Text.h"
#include "lists/RowModel.h"
#include "lists/ShownText.h"
#include "sort/SortOptions.h"
#include "support/CommandFixture.h"
#include "support/ReferenceOrders.h"
#include "support/TestLists.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Bounds that keep one run to milliseconds.
constexpr int MaxOperations = 300;
constexpr int MaxRows = 3000; // per list
// Lists up to this size are read through data() in full after every step;
// longer ones at their ends and around the rows just changed.
constexpr int FullReadRows = 256;

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "fuzz_lists: %s\n", why);
    std::abort();
}

void require(bool condition, const char *why)
{
    if (!condition)
        fail(why);
}

// The bytes of the input, read from the front; zeros once they run out.
class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_size == 0; }
    uint8_t byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    char16_t unit() { return char16_t(byte() << 8 | byte()); }

private:
    const uint8_t *m_data;
    size_t m_size;
};

// The code units texts are mostly made of: few enough that keys tie often,
// with the spaces the word keys count, the letters and digits the filters
// drop or keep, NUL, lone surrogates and the last code units.
constexpr char16_t Units[] = {
    u'a',  u'b',    u'c',    u'A',    u'B',    u'Z',    u'0',    u'1',    u'9',
    u' ',  u' ',    u' ',    u'\t',   u'=',    u'-',    u'\\',   u'/',    u'.',
    u'\0', 0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0xFFFEu, 0xFFFFu, 0x00E9u, 0x7Fu,
};

class TextSource
{
public:
    explicit TextSource(Input &input) : m_input(input) {}

    QString next()
    {
        const uint8_t how = m_input.byte();
        QString text;
        if ((how & 0xC0) == 0xC0 && !m_recent.empty()) {
            // An earlier text, cut or continued: long shared beginnings make
            // keys tie beyond their first eight units.
            const QString &earlier = m_recent[m_input.byte() % m_recent.size()];
            text = earlier.left(earlier.size() - (how & 3));
            appendUnits(text, (how >> 2) & 7);
        } else {
            int size = how & 15;
            if (how & 0x80)
                size += m_input.byte() % 48;
            appendUnits(text, size);
        }
        if (m_recent.size() < 16)
            m_recent.push_back(text);
        else
            m_recent[how % m_recent.size()] = text;
        return text;
    }

private:
    void appendUnits(QString &text, int size)
    {
        for (int i = 0; i < size; ++i) {
            const uint8_t b = m_input.byte();
            if (b < 0xF0)
                text.append(QChar(Units[b % std::size(Units)]));
            else
                text.append(QChar(m_input.unit()));
        }
    }

    Input &m_input;
    std::vector<QString> m_recent;
};

// The plain model of one list: its rows in order, a text and a check mark each.
using PlainList = std::vector<std::pair<QString, bool>>;

// Follows a list through its signals alone, as a view does, and checks that
// every change is announced where it happens.
class SignalMirror
{
public:
    explicit SignalMirror(RowModel &model) : m_model(model), m_rows(model.count())
    {
        QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeInserted,
                         [this](const QModelIndex &parent, int first, int last) {
                             require(!parent.isValid(), "rows inserted under a row");
                             require(m_model.count() == m_rows, "rows inserted before announced");
                             require(first == m_rows && last >= first,
                                     "rows announced elsewhere than at the end");
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex &, int first, int last) {
                             m_rows += last - first + 1;
                             require(m_model.count() == m_rows, "rows inserted but not announced");
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved,
                         [this](const QModelIndex &parent, int first, int last) {
                             require(!parent.isValid(), "rows removed under a row");
                             require(m_model.count() == m_rows, "rows removed before announced");
                             require(0 <= first && first <= last && last < m_rows,
                                     "removal of rows that do not exist announced");
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                         [this](const QModelIndex &, int first, int last) {
                             m_rows -= last - first + 1;
                             require(m_model.count() == m_rows, "rows removed but not announced");
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset,
                         [this] { m_rows = m_model.count(); });
        QObject::connect(
            &model, &QAbstractItemModel::dataChanged,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                   const QList<int> &roles) {
                require(topLeft.isValid() && bottomRight.isValid(), "a change announced at no row");
                require(topLeft.row() <= bottomRight.row() && bottomRight.row() < m_model.count(),
                        "a change announced beyond the rows");
                if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) {
                    for (int r = topLeft.row(); r <= bottomRight.row(); ++r)
                        m_checkChanges.push_back(r);
                }
            });
        const auto neverMoves = [] { fail("rows moved or laid out anew"); };
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, neverMoves);
        QObject::connect(&model, &QAbstractItemModel::layoutChanged, neverMoves);
        QObject::connect(&model, &QAbstractItemModel::columnsInserted, neverMoves);
    }

    int rows() const { return m_rows; }
    std::vector<int> takeCheckChanges() { return std::exchange(m_checkChanges, {}); }

private:
    RowModel &m_model;
    int m_rows;
    std::vector<int> m_checkChanges;
};

// Compares one row through the accessors and through the item model.
void checkRow(const RowModel &model, const PlainList &plain, int i)
{
    const QString &expected = plain[size_t(i)].first;
    require(model.text(i) == expected, "a row's text differs");
    const QByteArray utf8 = Utf8::fromUtf16(expected);
    require(model.bytes(i) == std::string_view(utf8.constData(), size_t(utf8.size())),
            "bytes() are not the text's UTF-8");
    const QModelIndex at = model.index(i);
    require(at.isValid() && at.row() == i && at.column() == 0, "no index for a row");
    // A row is shown whole, or its start with an ellipsis when it is long.
    const QVariant shown = model.data(at, Qt::DisplayRole);
    const QString start = shown.toString();
    const bool cut = expected.size() > ShownText::MaxUnits && start.size() <= ShownText::MaxUnits &&
                     start.endsWith(ShownText::Ellipsis) && expected.startsWith(start.chopped(1));
    require(shown.typeId() == QMetaType::QString && (start == expected || cut),
            "data() shows another text than text()");
    const QVariant mark = model.data(at, Qt::CheckStateRole);
    const Qt::ItemFlags flags = model.flags(at);
    if (model.checkable()) {
        require(model.isChecked(i) == plain[size_t(i)].second, "a row's check mark differs");
        require(mark.isValid() && mark.value<Qt::CheckState>() ==
                                      (plain[size_t(i)].second ? Qt::Checked : Qt::Unchecked),
                "data() shows another check mark than isChecked()");
        require(flags.testFlag(Qt::ItemIsUserCheckable), "a results row without a check box");
    } else {
        require(!mark.isValid(), "a content row with a check mark");
        require(!flags.testFlag(Qt::ItemIsUserCheckable), "a content row with a check box");
    }
}

// Compares a list with its plain model. touched is a row near the last change
// (or -1), read in any case.
void checkList(const RowModel &model, const PlainList &plain, const SignalMirror &mirror,
               int touched)
{
    const int count = int(plain.size());
    require(model.count() == count, "the row count differs");
    require(model.rowCount() == count, "rowCount() differs from count()");
    require(mirror.rows() == count, "the signals announced another row count");
    require(!model.index(-1).isValid() && !model.index(count).isValid(),
            "an index beyond the rows");
    require(!model.data(model.index(count)).isValid(), "data() beyond the rows");
    if (count > 0)
        require(model.rowCount(model.index(0)) == 0, "a row with rows under it");
    // The texts in full, cheaply.
    for (int i = 0; i < count; ++i) {
        require(model.text(i) == plain[size_t(i)].first, "a row's text differs");
        if (model.checkable())
            require(model.isChecked(i) == plain[size_t(i)].second, "a row's check mark differs");
    }
    if (count <= FullReadRows) {
        for (int i = 0; i < count; ++i)
            checkRow(model, plain, i);
        return;
    }
    for (int i = 0; i < 16; ++i) {
        checkRow(model, plain, i);
        checkRow(model, plain, count - 1 - i);
    }
    if (touched >= 0 && touched < count) {
        for (int i = std::max(0, touched - 8); i < std::min(count, touched + 8); ++i)
            checkRow(model, plain, i);
    }
}

// A scripted answer to a number prompt and what it means.
struct NumberAnswer
{
    std::optional<QString> text; // nullopt: the box was cancelled
    enum class Outcome { Number, NotANumber, Overflow } outcome;
    qint32 number = 0;
};

const std::vector<NumberAnswer> &numberAnswers()
{
    using O = NumberAnswer::Outcome;
    static const std::vector<NumberAnswer> answers = {
        {u"1"_s, O::Number, 1},
        {u"2"_s, O::Number, 2},
        {u"3"_s, O::Number, 3},
        {u"4"_s, O::Number, 4},
        {u"7"_s, O::Number, 7},
        {u"0"_s, O::Number, 0},
        {u"-1"_s, O::Number, -1},
        {u"+5"_s, O::Number, 5},
        {u"2.5"_s, O::Number, 2},   // halves go to the even neighbour
        {u" 3.5 "_s, O::Number, 4}, // blanks around are trimmed
        {u"0.5"_s, O::Number, 0},
        {u"\t2e0"_s, O::Number, 2},
        {u"1.5"_s, O::Number, 2},
        {u"2147483647"_s, O::Number, 2147483647},
        {u"-2147483648"_s, O::Number, INT_MIN},
        {u"two"_s, O::NotANumber, 0},
        {u""_s, O::NotANumber, 0},
        {u"3x"_s, O::NotANumber, 0},
        {std::nullopt, O::NotANumber, 0},
        {u"2147483648"_s, O::Overflow, 0},
        {u"-3e9"_s, O::Overflow, 0},
        {u"1e999"_s, O::Overflow, 0},
    };
    return answers;
}

// Where the n-th space of a line is (0-based), or -1 when it has fewer.
qsizetype nthSpace(const QString &line, qint64 n)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u' ' && --n == 0)
            return i;
    }
    return -1;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

QString filtered(const QString &line, CharacterFilter filter)
{
    QString kept;
    for (QChar c : line) {
        const bool letter = isAsciiLetter(c.unicode());
        const bool digit = isAsciiDigit(c.unicode());
        bool keep = true;
        switch (filter) {
        case CharacterFilter::KeepEverything:
            break;
        case CharacterFilter::KeepLettersAndDigits:
            keep = letter || digit;
            break;
        case CharacterFilter::RemoveLetters:
            keep = !letter;
            break;
        case CharacterFilter::RemoveDigits:
            keep = !digit;
            break;
        case CharacterFilter::RemoveLettersAndDigits:
            keep = !letter && !digit;
            break;
        }
        if (keep)
            kept.append(c);
    }
    return kept;
}

std::u16string_view unitsOf(const QString &text)
{
    return {reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())};
}

// The key of one line; a line without a key (too few words) stays in place.
std::optional<QString> plainKey(const SortOption &option, const QString &line, qint32 number,
                                const QString &marker)
{
    const qint64 position = option.asks == SortAnswer::Number ? number : option.position;
    switch (option.key) {
    case OptionKey::None:
    case OptionKey::WholeLine:
    case OptionKey::WholeLineDescending:
    case OptionKey::Length:
    case OptionKey::FoldedCase:
    case OptionKey::Natural:
    case OptionKey::LeadingNumber:
    case OptionKey::Dictionary:
    case OptionKey::ChosenKeys:
        return line;
    case OptionKey::FromCharacter:
        return line.mid(std::min<qint64>(position - 1, line.size()));
    case OptionKey::FromWord: {
        if (position == 1)
            return line;
        const qsizetype space = nthSpace(line, position - 1);
        if (space < 0)
            return std::nullopt;
        return line.mid(space);
    }
    case OptionKey::AfterMarker: {
        if (marker.isEmpty())
            return line;
        const qsizetype at = line.indexOf(marker, 0, Qt::CaseSensitive);
        return at < 0 ? line : line.mid(at);
    }
    case OptionKey::Filtered:
        return filtered(line, option.filter);
    }
    return line;
}

// The lines in the order the option puts them: a stable sort by key, by code
// unit or by length; lines without a key are walls that no line passes. The
// options that compare whole lines, and those that drop or reverse lines, as
// the reference puts them (a shuffle is any order).
QStringList plainSort(const QStringList &lines, const SortOption &option, qint32 number,
                      const QString &marker)
{
    if (option.operation == LineOperation::CountDuplicates)
        return countedLines(lines);
    if (hasReferenceArrangement(option)) {
        QStringList arranged;
        for (const qsizetype i : referenceArrangement(option, lines))
            arranged.append(lines[i]);
        return arranged;
    }
    std::vector<std::optional<QString>> keys;
    keys.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        keys.push_back(plainKey(option, line, number, marker));
    const auto less = [&](qsizetype a, qsizetype b) {
        if (option.key == OptionKey::Length)
            return lines[a].size() < lines[b].size();
        return unitsOf(*keys[size_t(a)]) < unitsOf(*keys[size_t(b)]);
    };
    std::vector<qsizetype> order(size_t(lines.size()));
    std::iota(order.begin(), order.end(), 0);
    auto begin = order.begin();
    while (begin != order.end()) {
        auto end = std::find_if(begin, order.end(), [&](qsizetype i) { return !keys[size_t(i)]; });
        std::stable_sort(begin, end, less);
        begin = end == order.end() ? end : end + 1;
    }
    QStringList sorted;
    for (qsizetype i : order)
        sorted.append(lines[i]);
    return sorted;
}

// A text for the failure report: printable ASCII as it is, every other unit
// (and the quote and backslash) as \x{hex}.
QString shown(const QString &text)
{
    QString out = u"\""_s;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\')
            out.append(c);
        else
            out.append(u"\\x{%1}"_s.arg(c.unicode(), 0, 16));
    }
    return out + u'"';
}

void printLines(const char *title, const QStringList &lines)
{
    fprintf(stderr, "%s (%lld):\n", title, static_cast<long long>(lines.size()));
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 24); ++i)
        fprintf(stderr, "  %s\n", qPrintable(shown(lines[i])));
}

// The statement of Start Sorting that sorts by an option that asks for a number.
StartSortingStep numberSortStep(const SortOption &option)
{
    return option.key == OptionKey::FromWord ? StartSortingStep::SortWordNumber
                                             : StartSortingStep::SortCharacterPosition;
}

using Shown = ScriptedDialogs::Shown;

Shown box(const QString &text)
{
    return {Shown::Kind::Message, text, u"Tarnveil"_s, UserDialogs::Icon::None, {}};
}

Shown errorBox(const QString &description, StartSortingStep step)
{
    return {Shown::Kind::Message,
            errorDialogText(description, locationOf(Element::StartSortingButton), int(step)),
            u"Application Error"_s,
            UserDialogs::Icon::Warning,
            {}};
}

Shown prompt(const SortOption &option)
{
    return {Shown::Kind::Input, option.prompt, u"Tarnveil"_s, UserDialogs::Icon::None, {}};
}

class Session
{
public:
    explicit Session(Input &input)
        : m_input(input), m_texts(input), m_contentMirror(m_lists.content),
          m_resultsMirror(m_lists.results)
    {
    }

    void run()
    {
        for (int n = 0; n < MaxOperations && !m_input.empty(); ++n)
            step();
        checkList(m_lists.content, m_content, m_contentMirror, -1);
        checkList(m_lists.results, m_results, m_resultsMirror, -1);
    }

private:
    RowModel &list(bool results) { return results ? m_lists.results : m_lists.content; }
    PlainList &plain(bool results) { return results ? m_results : m_content; }
    SignalMirror &mirror(bool results) { return results ? m_resultsMirror : m_contentMirror; }

    void step()
    {
        const uint8_t op = m_input.byte();
        const bool results = op & 0x80;
        int touched = -1;
        switch (op % 9) {
        case 0:
        case 1:
            touched = appendOne(results);
            break;
        case 2:
            touched = appendBatch(results);
            break;
        case 3:
            touched = remove(results);
            break;
        case 4:
            if ((m_input.byte() & 7) == 0) // rarely, so that lists grow
                clear(results);
            break;
        case 5:
        case 6:
            touched = mark(results);
            break;
        case 7:
        case 8:
            sort();
            touched = int(m_results.size()) - 1;
            break;
        }
        checkList(m_lists.content, m_content, m_contentMirror, results ? -1 : touched);
        checkList(m_lists.results, m_results, m_resultsMirror, results ? touched : -1);
    }

    bool hasRoom(bool results, qsizetype more) { return plain(results).size() + more <= MaxRows; }

    int appendOne(bool results)
    {
        const QString text = m_texts.next();
        if (!hasRoom(results, 1))
            return -1;
        list(results).append(text);
        plain(results).emplace_back(text, results);
        return int(plain(results).size()) - 1;
    }

    int appendBatch(bool results)
    {
        const uint8_t how = m_input.byte();
        int size = how & 0x1F;
        if (how & 0x20)
            size *= 32; // long batches, of few distinct texts
        std::vector<QString> distinct;
        for (int i = 0, n = std::min(size, 1 + (m_input.byte() & 7)); i < n; ++i)
            distinct.push_back(m_texts.next());
        QStringList batch;
        for (int i = 0; i < size; ++i)
            batch.append(distinct[(m_input.byte() + size_t(i)) % distinct.size()]);
        if (!hasRoom(results, size))
            return -1;
        const int first = int(plain(results).size());
        for (const QString &text : batch)
            plain(results).emplace_back(text, results);
        if (how & 0x40) {
            list(results).append(std::move(batch));
        } else {
            list(results).append(batch);
        }
        return first;
    }

    int remove(bool results)
    {
        const uint8_t how = m_input.byte();
        const int count = int(plain(results).size());
        int index;
        switch (how & 7) {
        case 0:
            index = -1;
            break;
        case 1:
            index = count;
            break;
        case 2:
            index = count + 1 + m_input.byte();
            break;
        case 3:
            index = (how & 8) ? INT_MIN : INT_MAX;
            break;
        default:
            index = count == 0 ? 0 : int((m_input.byte() << 8 | m_input.byte()) % count);
            break;
        }
        list(results).removeAt(index);
        if (index >= 0 && index < count)
            plain(results).erase(plain(results).begin() + index);
        return std::min(index, int(plain(results).size()) - 1);
    }

    void clear(bool results)
    {
        list(results).clear();
        plain(results).clear();
    }

    // Ticks or unticks a row, directly or as a view does, through setData with
    // the check state as a number or as the enum.
    int mark(bool results)
    {
        const uint8_t how = m_input.byte();
        RowModel &model = list(results);
        PlainList &rows = plain(results);
        const int count = int(rows.size());
        const int index =
            (how & 0x40) ? count + (how & 3) - 1 : (count == 0 ? 0 : (m_input.byte() % count));
        const bool tick = how & 1;
        const bool exists = index >= 0 && index < count;
        mirror(results).takeCheckChanges();
        const bool before = exists && rows[size_t(index)].second;
        switch ((how >> 1) & 3) {
        case 0:
            if (!exists || !results)
                return -1; // only the code calls it, on results rows that exist
            model.setChecked(index, tick);
            break;
        case 1:
            require(model.setData(model.index(index),
                                  QVariant::fromValue(tick ? Qt::Checked : Qt::Unchecked),
                                  Qt::CheckStateRole) == (exists && results),
                    "setData() of a check state answered wrongly");
            break;
        case 2:
            require(model.setData(model.index(index), QVariant(tick ? 2 : 0), Qt::CheckStateRole) ==
                        (exists && results),
                    "setData() of a check state number answered wrongly");
            break;
        case 3:
            require(!model.setData(model.index(index), u"edited"_s, Qt::EditRole),
                    "a row's text was edited through setData()");
            require(!model.setData(model.index(index), u"edited"_s, Qt::DisplayRole),
                    "a row's text was edited through setData()");
            return index;
        }
        if (exists && results)
            rows[size_t(index)].second = tick;
        const std::vector<int> changes = mirror(results).takeCheckChanges();
        if (exists && results && before != tick)
            require(std::find(changes.begin(), changes.end(), index) != changes.end(),
                    "a new check mark was not announced");
        if (!results)
            require(changes.empty(), "a check mark announced in the content list");
        return index;
    }

    void sort()
    {
        const uint8_t how = m_input.byte();
        const auto &options = sortOptions();
        // Mostly a real row, sometimes none or one beyond the list.
        const int size = int(options.size());
        const int row = how < 0xF0 ? how % size : ((how & 1) ? -1 : size + (how & 7));
        m_lists.selectedOption = row;
        m_lists.dialogs.shown.clear();
        m_lists.dialogs.inputAnswers.clear();

        const SortOption *option =
            row >= 0 && row < int(options.size()) ? &options[size_t(row)] : nullptr;
        const NumberAnswer *number = nullptr;
        std::optional<QString> marker;
        if (option && option->asks == SortAnswer::Number) {
            number = &numberAnswers()[m_input.byte() % numberAnswers().size()];
            m_lists.dialogs.inputAnswers.push_back(number->text);
        } else if (option && option->asks == SortAnswer::Text) {
            if (m_input.byte() & 1)
                marker = m_texts.next();
            m_lists.dialogs.inputAnswers.push_back(marker);
        } else if (m_input.byte() & 1) {
            // An answer nobody asks for stays unused.
            m_lists.dialogs.inputAnswers.push_back(u"1"_s);
        }
        // The "Sort Keys" dialog: the whole line as text, or Cancel.
        m_lists.keysChooser.answers.clear();
        const bool keysChosen = m_input.byte() & 1;
        if (option && option->asks == SortAnswer::Keys && keysChosen)
            m_lists.keysChooser.answers.append(ChosenKeySet{});
        // The line filter dialog: a text, its case counting or not, or Cancel.
        m_lists.filterChooser.answers.clear();
        std::optional<LineFilter> filter;
        if (option && option->asks == SortAnswer::Filter && (m_input.byte() & 1))
            filter = LineFilter{m_texts.next(), bool(m_input.byte() & 1)};
        m_lists.filterChooser.answers.append(filter);
        if (!hasRoom(true, qsizetype(m_content.size())))
            return;

        QStringList lines;
        for (const auto &row : m_content)
            lines.append(row.first);
        const QStringList contentBefore = rowTexts(m_lists.content);
        const int contentSignalsBefore = m_contentMirror.rows();
        m_contentMirror.takeCheckChanges();

        std::vector<Shown> boxes;
        QStringList expected = lines;
        if (lines.isEmpty()) {
            boxes.push_back(box(u"List is empty."_s));
        } else {
            if (option && option->asks != SortAnswer::None && option->asks != SortAnswer::Keys &&
                option->asks != SortAnswer::Filter)
                boxes.push_back(prompt(*option));
            if (number) {
                using O = NumberAnswer::Outcome;
                if (number->outcome == O::Overflow) {
                    boxes.push_back(errorBox(u"Overflow"_s, numberSortStep(*option)));
                } else if (number->outcome == O::Number) {
                    if (number->number < 1 && lines.size() >= 2)
                        boxes.push_back(errorBox(u"Invalid procedure call or argument"_s,
                                                 numberSortStep(*option)));
                    else
                        expected = plainSort(lines, *option, number->number, {});
                }
            } else if (option && option->asks == SortAnswer::Keys) {
                if (keysChosen)
                    expected = plainSort(lines, sortOptions()[0], 0, {});
            } else if (option && option->asks == SortAnswer::Filter) {
                if (filter) // Cancel leaves the lines as they came
                    expected = referenceResult(*option, lines, *filter);
            } else if (option && !option->isSeparator() &&
                       option->operation != LineOperation::Shuffle) {
                expected = plainSort(lines, *option, 0, marker.value_or(QString()));
            }
            boxes.push_back(box(u"Done."_s));
        }

        startSorting(m_lists.ctx);

        require(m_lists.dialogs.shown == boxes, "Start Sorting showed other boxes");
        require(rowTexts(m_lists.content) == contentBefore &&
                    m_contentMirror.rows() == contentSignalsBefore,
                "a sort changed the content list");
        require(m_contentMirror.takeCheckChanges().empty(), "a sort changed a content row");
        const size_t first = m_results.size();
        // The rows appended are the content rows in another order, or those
        // of them that removing duplicates or a filter keeps, or the counts.
        QStringList appended = rowTexts(m_lists.results).mid(qsizetype(first));
        const bool dropsLines =
            option && (option->operation == LineOperation::SortRemovingDuplicates ||
                       option->operation == LineOperation::RemoveDuplicates ||
                       option->operation == LineOperation::KeepDuplicated ||
                       option->operation == LineOperation::KeepOccurringOnce ||
                       option->operation == LineOperation::CountDuplicates ||
                       option->asks == SortAnswer::Filter);
        QStringList sortedAppended = appended, sortedLines = dropsLines ? expected : lines;
        std::sort(sortedAppended.begin(), sortedAppended.end());
        std::sort(sortedLines.begin(), sortedLines.end());
        require(sortedAppended == sortedLines, "the rows sorted are not the content rows");
        // Any order of them: a shuffle, or ICU's order (which the sort key
        // tests check).
        if (option &&
            (option->operation == LineOperation::Shuffle || option->key == OptionKey::Dictionary))
            expected = appended;
        for (const QString &line : expected)
            m_results.emplace_back(line, true);
        if (appended != expected) {
            fprintf(stderr, "fuzz_lists: option row %d, answer %s\n", row,
                    number ? qPrintable(shown(number->text.value_or(u"(cancelled)"_s)))
                           : qPrintable(shown(marker.value_or(u"(none)"_s))));
            printLines("content", lines);
            printLines("expected", expected);
            printLines("sorted", appended);
            fail("the rows are not in the order of the option");
        }
        if (!lines.isEmpty()) {
            require(m_lists.pointer.shape() == WindowPointer::Shape::Default,
                    "the pointer stayed busy");
            require(!m_lists.status.positions.empty() && m_lists.status.positions.back() == 0,
                    "the progress bar was not reset");
            require(m_lists.status.texts.last() == u"Progress Bar"_s,
                    "the status text was not restored");
        }
        m_lists.status.positions.clear();
        m_lists.status.texts.clear();
        m_lists.status.events.clear();
        m_lists.pointerShapes.clear();
    }

    Input &m_input;
    TextSource m_texts;
    CommandFixture m_lists;
    SignalMirror m_contentMirror;
    SignalMirror m_resultsMirror;
    PlainList m_content;
    PlainList m_results;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Reading past the rows on purpose is answered with an invalid value;
    // the warning it also logs would only flood the output.
    QLoggingCategory::setFilterRules(u"qt.core.qabstractitemmodel.checkindex=false"_s);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    Session(input).run();
    return 0;
}
