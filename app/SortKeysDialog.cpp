#include "app/SortKeysDialog.h"

#include "sort/KeyedSort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The largest entries the spin boxes take, far beyond any real line.
constexpr int MaxFieldNumber = 999'999;
constexpr int MaxCharacterPosition = 99'999'999;
constexpr int MaxPatternGroup = 999;

// How much of each line the preview shows; a longer line ends in an ellipsis.
constexpr qsizetype PreviewLineUnits = 500;

// After this long without a result the note says the preview is on its way.
constexpr int SlowPreviewMs = 300;

// Each key's colour, in the preview and as its swatch in the list, by the
// key's place; light ones, with black text on them whatever the palette.
const QColor KeyColours[] = {
    QColor(0xff, 0xe0, 0x82), // yellow
    QColor(0xa8, 0xd8, 0xff), // blue
    QColor(0xb9, 0xef, 0xb0), // green
    QColor(0xff, 0xc4, 0xd0), // pink
    QColor(0xd9, 0xc9, 0xff), // lavender
    QColor(0xff, 0xd2, 0xa6), // orange
};

// The rows of the delimiter box; after them comes the row that takes the
// character typed beside the box.
struct DelimiterChoice
{
    QString caption;
    QString delimiter;
};
const DelimiterChoice DelimiterChoices[] = {
    {u"Tab"_s, u"\t"_s},
    {u"Comma (,)"_s, u","_s},
    {u"Semicolon (;)"_s, u";"_s},
    {u"|"_s, u"|"_s},
    {u"spaces"_s, SpacesDelimiter.toString()},
};
const QString OtherDelimiterCaption = u"Other character:"_s;
constexpr int OtherDelimiterRow = int(std::size(DelimiterChoices));

const std::pair<KeyPart, QString> PartChoices[] = {
    {KeyPart::Line, u"Whole line"_s},
    {KeyPart::Field, u"Field"_s},
    {KeyPart::Characters, u"Characters"_s},
    {KeyPart::Pattern, u"Pattern"_s},
};

const std::pair<KeyCompare, QString> CompareChoices[] = {
    {KeyCompare::Text, u"Text, by character code"_s},
    {KeyCompare::IgnoringCase, u"Text, ignoring case"_s},
    {KeyCompare::Dictionary, u"Dictionary order"_s},
    {KeyCompare::Natural, u"Natural (numbers in the text by value)"_s},
    {KeyCompare::Number, u"Number"_s},
    {KeyCompare::Length, u"Length"_s},
};

// The part and comparison boxes keep their enum values as numbers.
template <typename Enum> void selectEnum(QComboBox *box, Enum value)
{
    box->setCurrentIndex(std::max(box->findData(int(value)), 0));
}

template <typename Enum> Enum currentEnum(const QComboBox *box)
{
    return Enum(box->currentData().toInt());
}

// The first units of text, at most units of them, without splitting a
// surrogate pair.
QStringView leftWhole(QStringView text, qsizetype units)
{
    if (text.size() <= units)
        return text;
    if (units > 0 && text[units - 1].isHighSurrogate())
        --units;
    return text.first(units);
}

// The text as the preview shows it: line and paragraph breaks and other
// control characters become their visible symbols (one unit for one, so
// that the keys' spans still fit), since the document would otherwise start
// a new block at some of them.
QString visibleText(QStringView text)
{
    QString shown = text.toString();
    for (QChar &c : shown) {
        if (c.unicode() < 0x20 && c != u'\t')
            c = QChar(0x2400 + c.unicode());
        else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QChar(0x2424);
    }
    return shown;
}

// "2", "1 and 3", "1, 2 and 4".
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

// "German (de)", "Chinese, Traditional Han (zh_Hant)", "German, Austria (de_AT)".
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

QString delimiterCaption(const QString &delimiter)
{
    return delimiter == u"\t"_s ? u"Tab"_s : delimiter;
}

// The summary the key list shows: "Field 3 (,) as number, descending".
QString keySummary(const SortKeySpec &key)
{
    QString where;
    switch (key.part) {
    case KeyPart::Line:
        where = u"Whole line"_s;
        break;
    case KeyPart::Field:
        where =
            u"Field %1 (%2%3)"_s.arg(QString::number(key.field), delimiterCaption(key.delimiter),
                                     key.quotes ? u", quoted"_s : QString());
        break;
    case KeyPart::Characters:
        where = key.to == 0 ? u"Characters %1 to the end"_s.arg(key.from)
                            : u"Characters %1 to %2"_s.arg(key.from).arg(key.to);
        break;
    case KeyPart::Pattern: {
        constexpr qsizetype ShownPatternUnits = 24;
        QString pattern = leftWhole(key.pattern, ShownPatternUnits).toString();
        if (pattern.size() < key.pattern.size())
            pattern += u'…';
        where = key.group == 0
                    ? u"Pattern \u201c%1\u201d"_s.arg(pattern)
                    : u"Pattern \u201c%1\u201d group %2"_s.arg(pattern, QString::number(key.group));
        break;
    }
    }

    QString how;
    switch (key.compare) {
    case KeyCompare::Text:
        how = u"as text"_s;
        break;
    case KeyCompare::IgnoringCase:
        how = u"ignoring case"_s;
        break;
    case KeyCompare::Dictionary:
        how = u"in dictionary order"_s;
        if (!key.locale.isEmpty())
            how += u" (%1)"_s.arg(key.locale);
        if (key.numbers)
            how += u" with numbers by value"_s;
        break;
    case KeyCompare::Natural:
        how = u"naturally"_s;
        break;
    case KeyCompare::Number:
        how = key.decimal == u',' ? u"as number (decimal comma)"_s : u"as number"_s;
        break;
    case KeyCompare::Length:
        how = u"by length"_s;
        break;
    }

    QString summary = where + u' ' + how;
    if (key.descending)
        summary += u", descending"_s;
    if (key.missingFirst)
        summary += u", lines without it first"_s;
    return summary;
}

// The key with the members that its part and comparison do not use at their
// defaults, so that equal choices give equal keys.
SortKeySpec withUnusedMembersCleared(const SortKeySpec &key)
{
    SortKeySpec kept;
    kept.part = key.part;
    kept.compare = key.compare;
    kept.descending = key.descending;
    kept.missingFirst = key.missingFirst;
    switch (key.part) {
    case KeyPart::Line:
        break;
    case KeyPart::Field:
        kept.field = key.field;
        kept.delimiter = key.delimiter;
        kept.quotes = key.quotes;
        break;
    case KeyPart::Characters:
        kept.from = key.from;
        kept.to = key.to;
        break;
    case KeyPart::Pattern:
        kept.pattern = key.pattern;
        kept.group = key.group;
        break;
    }
    if (key.compare == KeyCompare::Dictionary) {
        kept.locale = key.locale;
        kept.numbers = key.numbers;
    }
    if (key.compare == KeyCompare::Number)
        kept.decimal = key.decimal;
    return kept;
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(colour);
    painter.drawRect(1, 1, 13, 13);
    return QIcon(pixmap);
}

// Enables a control together with the labels that name it.
void setEnabledWithLabel(QWidget *control, bool enabled)
{
    control->setEnabled(enabled);
    for (QLabel *label : control->window()->findChildren<QLabel *>()) {
        if (label->buddy() == control)
            label->setEnabled(enabled);
    }
}

QLabel *labelFor(QWidget *control, const QString &caption)
{
    auto *label = new QLabel(caption);
    label->setBuddy(control);
    return label;
}

} // namespace

// The preview lines in the order of the keys, each with the span of every
// key (none for the header), for the keys as they stood at changeCount.
struct SortKeysDialog::PreviewResult
{
    struct Line
    {
        qsizetype index = 0;
        bool header = false;
        QList<std::optional<KeySpan>> spans;
    };

    quint64 changeCount = 0;
    QList<Line> lines;
    qsizetype removed = 0; // by unique
    qsizetype gaveUp = 0;  // lines a pattern gave up on
    QString failure;       // why there is no preview
};

// Sorts the preview lines on a thread of its own, the newest request only:
// a request that a newer one replaced before its turn is never sorted, and a
// result is sent to the dialog (queued, so that it arrives on the dialog's
// thread) only while no newer request waits.
class SortKeysDialog::PreviewWorker
{
public:
    PreviewWorker(const QStringList &lines, SortKeysDialog *receiver)
        : m_shared(std::make_shared<Shared>(lines, receiver))
    {
        m_thread = std::thread(&PreviewWorker::run, m_shared);
    }

    ~PreviewWorker()
    {
        bool busy = false;
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->stopped = true;
            m_shared->receiver = nullptr;
            busy = m_shared->busy;
        }
        m_shared->wake.notify_one();
        // An idle thread ends at once. One still sorting (a slow pattern)
        // would hold the closing dialog: it ends on its own instead, and its
        // result goes nowhere.
        if (busy)
            m_thread.detach();
        else
            m_thread.join();
    }

    PreviewWorker(const PreviewWorker &) = delete;
    PreviewWorker &operator=(const PreviewWorker &) = delete;

    void request(const SortKeySet &keys, quint64 changeCount)
    {
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->pending = Request{keys, changeCount};
        }
        m_shared->wake.notify_one();
    }

private:
    struct Request
    {
        SortKeySet keys;
        quint64 changeCount = 0;
    };

    struct Shared
    {
        Shared(const QStringList &lines, SortKeysDialog *receiver)
            : lines(lines), receiver(receiver)
        {
        }

        const QStringList lines;
        std::mutex mutex;
        std::condition_variable wake;
        std::optional<Request> pending;
        bool busy = false;
        bool stopped = false;
        SortKeysDialog *receiver; // null once the dialog goes
    };

    static void run(const std::shared_ptr<Shared> &shared)
    {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return shared->stopped || shared->pending; });
            if (shared->stopped)
                return;
            const Request request = std::move(*shared->pending);
            shared->pending.reset();
            shared->busy = true;
            lock.unlock();

            PreviewResult result = sortLines(shared->lines, request);

            lock.lock();
            shared->busy = false;
            // Posted under the lock: the dialog clears receiver under it
            // before it goes, and its events still queued go with it.
            if (SortKeysDialog *receiver = shared->receiver; receiver && !shared->pending) {
                QMetaObject::invokeMethod(
                    receiver,
                    [receiver, result = std::move(result)] { receiver->showPreview(result); },
                    Qt::QueuedConnection);
            }
        }
    }

    static PreviewResult sortLines(const QStringList &lines, const Request &request)
    {
        PreviewResult result;
        result.changeCount = request.changeCount;
        try {
            const QList<qsizetype> order = orderByKeys(lines, request.keys);
            std::vector<std::unique_ptr<KeyFinder>> finders;
            for (const SortKeySpec &key : request.keys.keys)
                finders.push_back(std::make_unique<KeyFinder>(key));
            result.lines.reserve(order.size());
            for (qsizetype index : order) {
                PreviewResult::Line line;
                line.index = index;
                line.header = request.keys.header && result.lines.isEmpty() && index == 0;
                bool lineGaveUp = false;
                if (!line.header) {
                    for (const std::unique_ptr<KeyFinder> &finder : finders) {
                        bool gaveUp = false;
                        line.spans.append(finder->find(lines[index], &gaveUp));
                        lineGaveUp = lineGaveUp || gaveUp;
                    }
                }
                result.gaveUp += lineGaveUp ? 1 : 0;
                result.lines.append(std::move(line));
            }
            result.removed = lines.size() - order.size();
        } catch (const std::exception &failure) {
            result.lines.clear();
            result.failure = QString::fromLocal8Bit(failure.what());
        } catch (...) {
            result.lines.clear();
            result.failure = u"the lines could not be sorted"_s;
        }
        return result;
    }

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

SortKeysDialog::SortKeysDialog(const SortKeySet &start, const QStringList &previewLines,
                               QWidget *parent, qsizetype shortenedLines)
    : QDialog(parent), m_previewLines(previewLines), m_shortenedLines(shortenedLines)
{
    m_keys.header = start.header;
    m_keys.unique = start.unique;
    m_keys.keys.clear();
    for (const SortKeySpec &key : start.keys)
        m_keys.keys.append(withUnusedMembersCleared(key));
    if (m_keys.keys.isEmpty())
        m_keys.keys.append(SortKeySpec{});

    setWindowTitle(u"Sort Keys"_s);
    setModal(true);
    setSizeGripEnabled(true);

    buildControls();
    setTabOrderOfControls();
    m_headerBox->setChecked(m_keys.header);
    m_uniqueBox->setChecked(m_keys.unique);
    connectControls();

    m_worker = std::make_unique<PreviewWorker>(m_previewLines, this);
    selectKey(0);
    keysChanged();
    // The dialog opens with its preview at once.
    if (m_previewPause->isActive()) {
        m_previewPause->stop();
        sortPreview();
    }
    m_keyList->setFocus();
}

SortKeysDialog::~SortKeysDialog() = default;

QColor SortKeysDialog::keyColour(qsizetype key)
{
    return KeyColours[std::size_t(key) % std::size(KeyColours)];
}

QString SortKeysDialog::objectNameOf(Control control)
{
    switch (control) {
    case Control::KeyList:
        return u"keyList"_s;
    case Control::AddKeyButton:
        return u"addKeyButton"_s;
    case Control::RemoveKeyButton:
        return u"removeKeyButton"_s;
    case Control::MoveUpButton:
        return u"moveUpButton"_s;
    case Control::MoveDownButton:
        return u"moveDownButton"_s;
    case Control::PartBox:
        return u"partBox"_s;
    case Control::FieldBox:
        return u"fieldBox"_s;
    case Control::DelimiterBox:
        return u"delimiterBox"_s;
    case Control::DelimiterCharacterEdit:
        return u"delimiterCharacterEdit"_s;
    case Control::QuotesBox:
        return u"quotesBox"_s;
    case Control::FromBox:
        return u"fromBox"_s;
    case Control::ToBox:
        return u"toBox"_s;
    case Control::PatternEdit:
        return u"patternEdit"_s;
    case Control::PatternGroupBox:
        return u"patternGroupBox"_s;
    case Control::CompareBox:
        return u"compareBox"_s;
    case Control::LanguageBox:
        return u"languageBox"_s;
    case Control::NumbersByValueBox:
        return u"numbersByValueBox"_s;
    case Control::DecimalBox:
        return u"decimalBox"_s;
    case Control::AscendingButton:
        return u"ascendingButton"_s;
    case Control::DescendingButton:
        return u"descendingButton"_s;
    case Control::MissingLastButton:
        return u"missingLastButton"_s;
    case Control::MissingFirstButton:
        return u"missingFirstButton"_s;
    case Control::HeaderBox:
        return u"headerBox"_s;
    case Control::UniqueBox:
        return u"uniqueBox"_s;
    case Control::ProblemsLabel:
        return u"problemsLabel"_s;
    case Control::Preview:
        return u"preview"_s;
    case Control::PreviewNote:
        return u"previewNote"_s;
    case Control::Buttons:
        return u"buttons"_s;
    }
    return {};
}

void SortKeysDialog::buildControls()
{
    // The keys and the choices for the whole sort.
    m_keyList = new QListWidget;
    m_keyList->setObjectName(objectNameOf(Control::KeyList));
    m_keyList->setUniformItemSizes(true);
    m_keyList->setIconSize(QSize(16, 16));
    // A list view's accessible name is its own, never its label's.
    m_keyList->setAccessibleName(u"Keys, the first compared first"_s);
    m_addButton = new QPushButton(u"&Add Key"_s);
    m_addButton->setObjectName(objectNameOf(Control::AddKeyButton));
    m_removeButton = new QPushButton(u"&Remove Key"_s);
    m_removeButton->setObjectName(objectNameOf(Control::RemoveKeyButton));
    m_moveUpButton = new QPushButton(u"Move &Up"_s);
    m_moveUpButton->setObjectName(objectNameOf(Control::MoveUpButton));
    m_moveDownButton = new QPushButton(u"Move Do&wn"_s);
    m_moveDownButton->setObjectName(objectNameOf(Control::MoveDownButton));
    m_headerBox = new QCheckBox(u"K&eep the first line in place"_s);
    m_headerBox->setObjectName(objectNameOf(Control::HeaderBox));
    m_uniqueBox = new QCheckBox(u"Remove lines whose ke&ys equal an earlier line's"_s);
    m_uniqueBox->setObjectName(objectNameOf(Control::UniqueBox));

    auto *keyButtons = new QGridLayout;
    keyButtons->addWidget(m_addButton, 0, 0);
    keyButtons->addWidget(m_removeButton, 0, 1);
    keyButtons->addWidget(m_moveUpButton, 1, 0);
    keyButtons->addWidget(m_moveDownButton, 1, 1);

    auto *keysColumn = new QVBoxLayout;
    keysColumn->addWidget(labelFor(m_keyList, u"&Keys, the first compared first:"_s));
    keysColumn->addWidget(m_keyList, 1);
    keysColumn->addLayout(keyButtons);
    keysColumn->addWidget(m_headerBox);
    keysColumn->addWidget(m_uniqueBox);

    // The editor of the selected key.
    m_editor = new QGroupBox;
    auto *form = new QFormLayout(m_editor);

    m_partBox = new QComboBox;
    m_partBox->setObjectName(objectNameOf(Control::PartBox));
    for (const auto &[part, caption] : PartChoices)
        m_partBox->addItem(caption, int(part));
    form->addRow(labelFor(m_partBox, u"&Part of the line:"_s), m_partBox);

    m_fieldBox = new QSpinBox;
    m_fieldBox->setObjectName(objectNameOf(Control::FieldBox));
    // 0 is let in, so that the reason shows rather than the entry failing silently.
    m_fieldBox->setRange(0, MaxFieldNumber);
    form->addRow(labelFor(m_fieldBox, u"&Field:"_s), m_fieldBox);

    m_delimiterBox = new QComboBox;
    m_delimiterBox->setObjectName(objectNameOf(Control::DelimiterBox));
    for (const DelimiterChoice &choice : DelimiterChoices)
        m_delimiterBox->addItem(choice.caption, choice.delimiter);
    m_delimiterBox->setItemData(m_delimiterBox->findData(SpacesDelimiter.toString()),
                                u"Runs of spaces and tabs separate the fields; those at the start "
                                u"and end of the line are skipped."_s,
                                Qt::ToolTipRole);
    m_delimiterBox->addItem(OtherDelimiterCaption);
    m_delimiterCharacterEdit = new QLineEdit;
    m_delimiterCharacterEdit->setObjectName(objectNameOf(Control::DelimiterCharacterEdit));
    m_delimiterCharacterEdit->setAccessibleName(u"Delimiter character"_s);
    m_delimiterCharacterEdit->setPlaceholderText(u"one character"_s);
    m_delimiterCharacterEdit->setMaximumWidth(
        m_delimiterCharacterEdit->fontMetrics().horizontalAdvance(u"one character__"_s));
    auto *delimiterRow = new QHBoxLayout;
    delimiterRow->addWidget(m_delimiterBox, 1);
    delimiterRow->addWidget(m_delimiterCharacterEdit);
    form->addRow(labelFor(m_delimiterBox, u"Deli&miter:"_s), delimiterRow);

    m_quotesBox = new QCheckBox(u"Honour double &quotes (CSV)"_s);
    m_quotesBox->setObjectName(objectNameOf(Control::QuotesBox));
    m_quotesBox->setToolTip(u"A field that starts with a double quote runs to its closing quote, "
                            u"delimiters inside included; \"\" inside stands for one quote."_s);
    form->addRow(QString(), m_quotesBox);

    m_fromBox = new QSpinBox;
    m_fromBox->setObjectName(objectNameOf(Control::FromBox));
    m_fromBox->setRange(0, MaxCharacterPosition);
    m_toBox = new QSpinBox;
    m_toBox->setObjectName(objectNameOf(Control::ToBox));
    m_toBox->setRange(0, MaxCharacterPosition);
    m_toBox->setSpecialValueText(u"the end"_s);
    m_toBox->setToolTip(u"0 for the end of the line"_s);
    auto *charactersRow = new QHBoxLayout;
    charactersRow->addWidget(m_fromBox, 1);
    charactersRow->addWidget(labelFor(m_toBox, u"&to:"_s));
    charactersRow->addWidget(m_toBox, 1);
    form->addRow(labelFor(m_fromBox, u"Characters fr&om:"_s), charactersRow);

    m_patternEdit = new QLineEdit;
    m_patternEdit->setObjectName(objectNameOf(Control::PatternEdit));
    m_patternEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_patternEdit->setToolTip(u"A regular expression; its first match in the line is the key."_s);
    form->addRow(labelFor(m_patternEdit, u"Patter&n:"_s), m_patternEdit);

    m_patternGroupBox = new QSpinBox;
    m_patternGroupBox->setObjectName(objectNameOf(Control::PatternGroupBox));
    m_patternGroupBox->setRange(0, MaxPatternGroup);
    m_patternGroupBox->setSpecialValueText(u"the whole match"_s);
    form->addRow(labelFor(m_patternGroupBox, u"&Group:"_s), m_patternGroupBox);

    m_compareBox = new QComboBox;
    m_compareBox->setObjectName(objectNameOf(Control::CompareBox));
    for (const auto &[compare, caption] : CompareChoices)
        m_compareBox->addItem(caption, int(compare));
    form->addRow(labelFor(m_compareBox, u"&Compare as:"_s), m_compareBox);

    m_languageBox = new QComboBox;
    m_languageBox->setObjectName(objectNameOf(Control::LanguageBox));
    const QString userLanguage = userDictionaryLanguage();
    m_languageBox->addItem(userLanguage.isEmpty()
                               ? u"Your language (none set: general rules)"_s
                               : u"Your language: %1"_s.arg(languageCaption(userLanguage)),
                           QString());
    QList<std::pair<QString, QString>> languages; // caption, name
    for (const QString &name : dictionaryLanguages()) {
        if (!name.isEmpty())
            languages.append({languageCaption(name), name});
    }
    std::sort(languages.begin(), languages.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.first, b.first) < 0;
    });
    for (const auto &[caption, name] : languages)
        m_languageBox->addItem(caption, name);
    form->addRow(labelFor(m_languageBox, u"&Language:"_s), m_languageBox);

    m_numbersByValueBox = new QCheckBox(u"Numbers by &value"_s);
    m_numbersByValueBox->setObjectName(objectNameOf(Control::NumbersByValueBox));
    form->addRow(QString(), m_numbersByValueBox);

    m_decimalBox = new QComboBox;
    m_decimalBox->setObjectName(objectNameOf(Control::DecimalBox));
    m_decimalBox->addItem(u"Point (.)"_s, QChar(u'.'));
    m_decimalBox->addItem(u"Comma (,)"_s, QChar(u','));
    form->addRow(labelFor(m_decimalBox, u"Decimal &separator:"_s), m_decimalBox);

    // Each pair in a widget of its own, so that each is a group of its own.
    auto *orderButtons = new QWidget;
    m_ascendingButton = new QRadioButton(u"Ascend&ing"_s);
    m_ascendingButton->setObjectName(objectNameOf(Control::AscendingButton));
    m_descendingButton = new QRadioButton(u"&Descending"_s);
    m_descendingButton->setObjectName(objectNameOf(Control::DescendingButton));
    auto *orderRow = new QHBoxLayout(orderButtons);
    orderRow->setContentsMargins(QMargins());
    orderRow->addWidget(m_ascendingButton);
    orderRow->addWidget(m_descendingButton);
    orderRow->addStretch();
    form->addRow(u"Order:"_s, orderButtons);

    auto *missingButtons = new QWidget;
    m_missingLastButton = new QRadioButton(u"after the ot&hers"_s);
    m_missingLastButton->setObjectName(objectNameOf(Control::MissingLastButton));
    m_missingFirstButton = new QRadioButton(u"&before them"_s);
    m_missingFirstButton->setObjectName(objectNameOf(Control::MissingFirstButton));
    auto *missingRow = new QHBoxLayout(missingButtons);
    missingRow->setContentsMargins(QMargins());
    missingRow->addWidget(m_missingLastButton);
    missingRow->addWidget(m_missingFirstButton);
    missingRow->addStretch();
    form->addRow(u"Lines without this key go:"_s, missingButtons);

    m_problemsLabel = new QLabel;
    m_problemsLabel->setObjectName(objectNameOf(Control::ProblemsLabel));
    m_problemsLabel->setWordWrap(true);
    m_problemsLabel->setTextFormat(Qt::PlainText);
    QPalette warning = m_problemsLabel->palette();
    warning.setColor(QPalette::WindowText, QColor(0xd3, 0x2f, 0x2f));
    m_problemsLabel->setPalette(warning);
    form->addRow(m_problemsLabel);

    auto *top = new QHBoxLayout;
    top->addLayout(keysColumn, 2);
    top->addWidget(m_editor, 3);

    // The preview and the buttons.
    m_preview = new QTextEdit;
    m_preview->setObjectName(objectNameOf(Control::Preview));
    m_preview->setReadOnly(true);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_preview->setTabChangesFocus(true);
    m_preview->setUndoRedoEnabled(false);
    m_preview->setLineWrapMode(QTextEdit::NoWrap);
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_preview->setAccessibleName(u"Preview"_s);
    m_previewNote = new QLabel;
    m_previewNote->setObjectName(objectNameOf(Control::PreviewNote));
    m_previewNote->setTextFormat(Qt::PlainText);
    m_previewNote->setWordWrap(true);

    m_validityNote = new QLabel;
    m_validityNote->setTextFormat(Qt::PlainText);
    m_validityNote->setPalette(warning);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->setObjectName(objectNameOf(Control::Buttons));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_validityNote, 1);
    bottom->addWidget(m_buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(labelFor(m_preview, u"Preview:"_s));
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_previewNote);
    layout->addLayout(bottom);
    // Once the button is in the dialog, so that the dialog takes it as its default.
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    m_previewPause = new QTimer(this);
    m_previewPause->setSingleShot(true);
    m_previewPause->setInterval(PreviewPauseMs);
    m_slowPreviewNotice = new QTimer(this);
    m_slowPreviewNotice->setSingleShot(true);
    m_slowPreviewNotice->setInterval(SlowPreviewMs);

    resize(820, 680);
}

void SortKeysDialog::setTabOrderOfControls()
{
    const QList<QWidget *> order{
        m_keyList,
        m_addButton,
        m_removeButton,
        m_moveUpButton,
        m_moveDownButton,
        m_headerBox,
        m_uniqueBox,
        m_partBox,
        m_fieldBox,
        m_delimiterBox,
        m_delimiterCharacterEdit,
        m_quotesBox,
        m_fromBox,
        m_toBox,
        m_patternEdit,
        m_patternGroupBox,
        m_compareBox,
        m_languageBox,
        m_numbersByValueBox,
        m_decimalBox,
        m_ascendingButton,
        m_descendingButton,
        m_missingLastButton,
        m_missingFirstButton,
        m_preview,
        m_buttons->button(QDialogButtonBox::Ok),
        m_buttons->button(QDialogButtonBox::Cancel),
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SortKeysDialog::connectControls()
{
    connect(m_keyList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_current)
            selectKey(row);
    });
    connect(m_addButton, &QPushButton::clicked, this, &SortKeysDialog::addKey);
    connect(m_removeButton, &QPushButton::clicked, this, &SortKeysDialog::removeKey);
    connect(m_moveUpButton, &QPushButton::clicked, this, [this] { moveKey(-1); });
    connect(m_moveDownButton, &QPushButton::clicked, this, [this] { moveKey(1); });
    connect(m_headerBox, &QCheckBox::toggled, this, [this](bool checked) {
        m_keys.header = checked;
        keysChanged();
    });
    connect(m_uniqueBox, &QCheckBox::toggled, this, [this](bool checked) {
        m_keys.unique = checked;
        keysChanged();
    });

    for (QComboBox *box : {m_partBox, m_delimiterBox, m_compareBox, m_languageBox, m_decimalBox})
        connect(box, &QComboBox::currentIndexChanged, this, &SortKeysDialog::editorChanged);
    for (QSpinBox *box : {m_fieldBox, m_fromBox, m_toBox, m_patternGroupBox})
        connect(box, &QSpinBox::valueChanged, this, &SortKeysDialog::editorChanged);
    for (QLineEdit *edit : {m_delimiterCharacterEdit, m_patternEdit})
        connect(edit, &QLineEdit::textChanged, this, &SortKeysDialog::editorChanged);
    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{
             m_quotesBox, m_numbersByValueBox, m_descendingButton, m_missingFirstButton})
        connect(button, &QAbstractButton::toggled, this, &SortKeysDialog::editorChanged);

    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (isValid(m_keys))
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_previewPause, &QTimer::timeout, this, &SortKeysDialog::sortPreview);
    connect(m_slowPreviewNotice, &QTimer::timeout, this,
            [this] { m_previewNote->setText(u"Sorting the preview\u2026"_s); });
}

void SortKeysDialog::loadEditor()
{
    const SortKeySpec &key = m_keys.keys[m_current];
    m_loadingEditor = true;
    selectEnum(m_partBox, key.part);
    m_fieldBox->setValue(key.field);
    const auto choice =
        std::find_if(std::begin(DelimiterChoices), std::end(DelimiterChoices),
                     [&](const DelimiterChoice &c) { return c.delimiter == key.delimiter; });
    if (choice != std::end(DelimiterChoices)) {
        m_delimiterBox->setCurrentIndex(int(choice - std::begin(DelimiterChoices)));
        m_delimiterCharacterEdit->clear();
    } else {
        m_delimiterBox->setCurrentIndex(OtherDelimiterRow);
        m_delimiterCharacterEdit->setText(key.delimiter);
    }
    m_quotesBox->setChecked(key.quotes);
    m_fromBox->setValue(key.from);
    m_toBox->setValue(key.to);
    m_patternEdit->setText(key.pattern);
    m_patternGroupBox->setValue(key.group);
    selectEnum(m_compareBox, key.compare);
    if (m_languageBox->findData(key.locale) < 0) // kept from elsewhere; problems() names it
        m_languageBox->addItem(u"%1 (not offered)"_s.arg(key.locale), key.locale);
    m_languageBox->setCurrentIndex(m_languageBox->findData(key.locale));
    m_numbersByValueBox->setChecked(key.numbers);
    m_decimalBox->setCurrentIndex(std::max(m_decimalBox->findData(key.decimal), 0));
    (key.descending ? m_descendingButton : m_ascendingButton)->setChecked(true);
    (key.missingFirst ? m_missingFirstButton : m_missingLastButton)->setChecked(true);
    m_loadingEditor = false;

    m_editor->setTitle(u"Key %1"_s.arg(m_current + 1));
    updateEnabledControls();
}

SortKeySpec SortKeysDialog::keyFromEditor() const
{
    SortKeySpec key;
    key.part = currentEnum<KeyPart>(m_partBox);
    key.field = m_fieldBox->value();
    key.delimiter = m_delimiterBox->currentIndex() == OtherDelimiterRow
                        ? m_delimiterCharacterEdit->text()
                        : m_delimiterBox->currentData().toString();
    key.quotes = m_quotesBox->isChecked();
    key.from = m_fromBox->value();
    key.to = m_toBox->value();
    key.pattern = m_patternEdit->text();
    key.group = m_patternGroupBox->value();
    key.compare = currentEnum<KeyCompare>(m_compareBox);
    key.locale = m_languageBox->currentData().toString();
    key.numbers = m_numbersByValueBox->isChecked();
    key.decimal = m_decimalBox->currentData().toChar();
    key.descending = m_descendingButton->isChecked();
    key.missingFirst = m_missingFirstButton->isChecked();
    return withUnusedMembersCleared(key);
}

void SortKeysDialog::editorChanged()
{
    if (m_loadingEditor)
        return;
    m_keys.keys[m_current] = keyFromEditor();
    updateEnabledControls();
    refreshKeyList();
    keysChanged();
}

void SortKeysDialog::updateEnabledControls()
{
    const KeyPart part = currentEnum<KeyPart>(m_partBox);
    const KeyCompare compare = currentEnum<KeyCompare>(m_compareBox);
    const bool field = part == KeyPart::Field;
    setEnabledWithLabel(m_fieldBox, field);
    setEnabledWithLabel(m_delimiterBox, field);
    setEnabledWithLabel(m_delimiterCharacterEdit,
                        field && m_delimiterBox->currentIndex() == OtherDelimiterRow);
    setEnabledWithLabel(m_quotesBox, field);
    setEnabledWithLabel(m_fromBox, part == KeyPart::Characters);
    setEnabledWithLabel(m_toBox, part == KeyPart::Characters);
    setEnabledWithLabel(m_patternEdit, part == KeyPart::Pattern);
    setEnabledWithLabel(m_patternGroupBox, part == KeyPart::Pattern);
    setEnabledWithLabel(m_languageBox, compare == KeyCompare::Dictionary);
    setEnabledWithLabel(m_numbersByValueBox, compare == KeyCompare::Dictionary);
    setEnabledWithLabel(m_decimalBox, compare == KeyCompare::Number);
}

void SortKeysDialog::selectKey(int row)
{
    m_current = std::clamp(row, 0, int(m_keys.keys.size()) - 1);
    refreshKeyList();
    loadEditor();
    showValidity();
}

void SortKeysDialog::addKey()
{
    // The next field of the selected key, as the next key usually is;
    // otherwise the whole line.
    const SortKeySpec &selected = m_keys.keys[m_current];
    SortKeySpec key;
    if (selected.part == KeyPart::Field && selected.field < MaxFieldNumber) {
        key.part = KeyPart::Field;
        key.field = std::max(selected.field, 0) + 1;
        key.delimiter = selected.delimiter;
        key.quotes = selected.quotes;
    }
    m_keys.keys.append(key);
    selectKey(int(m_keys.keys.size()) - 1);
    keysChanged();
}

void SortKeysDialog::removeKey()
{
    if (m_keys.keys.size() <= 1)
        return;
    m_keys.keys.removeAt(m_current);
    selectKey(m_current);
    keysChanged();
}

void SortKeysDialog::moveKey(int by)
{
    const int target = m_current + by;
    if (target < 0 || target >= m_keys.keys.size())
        return;
    m_keys.keys.swapItemsAt(m_current, target);
    selectKey(target);
    keysChanged();
}

void SortKeysDialog::refreshKeyList()
{
    const QSignalBlocker blocker(m_keyList);
    const int count = int(m_keys.keys.size());
    while (m_keyList->count() > count)
        delete m_keyList->takeItem(m_keyList->count() - 1);
    while (m_keyList->count() < count)
        m_keyList->addItem(new QListWidgetItem);
    for (int row = 0; row < count; ++row) {
        const SortKeySpec &key = m_keys.keys[row];
        QListWidgetItem *item = m_keyList->item(row);
        const QStringList reasons = problems(key);
        item->setText(u"%1. %2"_s.arg(row + 1).arg(keySummary(key)));
        item->setIcon(reasons.isEmpty() ? swatch(keyColour(row))
                                        : style()->standardIcon(QStyle::SP_MessageBoxWarning));
        item->setToolTip(reasons.join(u'\n'));
        item->setData(Qt::AccessibleDescriptionRole,
                      reasons.isEmpty() ? QString() : u"Invalid: "_s + reasons.join(u' '));
    }
    m_keyList->setCurrentRow(m_current);

    m_removeButton->setEnabled(count > 1);
    m_moveUpButton->setEnabled(m_current > 0);
    m_moveDownButton->setEnabled(m_current < count - 1);
}

void SortKeysDialog::keysChanged()
{
    ++m_changeCount;
    showValidity();
    if (isValid(m_keys)) {
        m_previewPause->start();
    } else {
        m_previewPause->stop();
        m_slowPreviewNotice->stop();
        m_previewNote->setText(u"The preview waits until every key is valid."_s);
    }
}

void SortKeysDialog::showValidity()
{
    const QStringList reasons = problems(m_keys.keys[m_current]);
    m_problemsLabel->setText(reasons.join(u'\n'));
    m_problemsLabel->setVisible(!reasons.isEmpty());
    // Each reason is also the accessible description of the control that
    // holds what it is about, so that a screen reader tells it there.
    const std::pair<KeyMember, QWidget *> controls[] = {
        {KeyMember::Field, m_fieldBox},
        {KeyMember::Delimiter, m_delimiterBox},
        {KeyMember::Delimiter, m_delimiterCharacterEdit},
        {KeyMember::From, m_fromBox},
        {KeyMember::To, m_toBox},
        {KeyMember::Pattern, m_patternEdit},
        {KeyMember::Group, m_patternGroupBox},
        {KeyMember::Locale, m_languageBox},
        {KeyMember::Decimal, m_decimalBox},
    };
    const QList<KeyProblem> found = keyProblems(m_keys.keys[m_current]);
    for (const auto &[member, control] : controls) {
        QStringList about;
        for (const KeyProblem &problem : found) {
            if (problem.member == member)
                about << problem.reason;
        }
        control->setAccessibleDescription(about.join(u' '));
    }

    QList<qsizetype> invalidKeys;
    for (qsizetype i = 0; i < m_keys.keys.size(); ++i) {
        if (!problems(m_keys.keys[i]).isEmpty())
            invalidKeys.append(i + 1);
    }
    if (invalidKeys.isEmpty())
        m_validityNote->clear();
    else if (invalidKeys.size() == 1)
        m_validityNote->setText(u"Key %1 needs a fix before OK."_s.arg(invalidKeys.front()));
    else
        m_validityNote->setText(u"Keys %1 need fixes before OK."_s.arg(numberList(invalidKeys)));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(invalidKeys.isEmpty());
}

void SortKeysDialog::sortPreview()
{
    m_worker->request(m_keys, m_changeCount);
    m_slowPreviewNotice->start();
}

void SortKeysDialog::showPreview(const PreviewResult &result)
{
    if (result.changeCount != m_changeCount)
        return; // for keys that have changed since
    m_slowPreviewNotice->stop();

    m_preview->clear();
    QTextCursor cursor(m_preview->document());
    cursor.beginEditBlock();
    const QTextCharFormat plain;
    QTextCharFormat note;
    note.setForeground(palette().color(QPalette::PlaceholderText));
    note.setFontItalic(true);
    QTextCharFormat header;
    header.setFontWeight(QFont::Bold);

    for (qsizetype row = 0; row < result.lines.size(); ++row) {
        const PreviewResult::Line &line = result.lines[row];
        if (row > 0)
            cursor.insertBlock();
        cursor.block().setUserState(int(line.index));

        const QString &text = m_previewLines[line.index];
        const QString shown = visibleText(leftWhole(text, PreviewLineUnits));
        // Each line in its own direction, which neither the notes after it
        // nor its cut may change.
        QTextBlockFormat direction;
        direction.setLayoutDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        cursor.setBlockFormat(direction);
        // Where keys overlap, the earlier key's colour shows.
        std::vector<qsizetype> owner(std::size_t(shown.size()), -1);
        for (qsizetype key = line.spans.size() - 1; key >= 0; --key) {
            if (const std::optional<KeySpan> &span = line.spans[key]) {
                const qsizetype end = std::min(span->start + span->length, shown.size());
                for (qsizetype unit = std::max<qsizetype>(span->start, 0); unit < end; ++unit)
                    owner[std::size_t(unit)] = key;
            }
        }
        for (qsizetype start = 0; start < shown.size();) {
            const qsizetype key = owner[std::size_t(start)];
            qsizetype end = start + 1;
            while (end < shown.size() && owner[std::size_t(end)] == key)
                ++end;
            QTextCharFormat format = line.header ? header : plain;
            if (key >= 0) {
                format.setBackground(keyColour(key));
                format.setForeground(Qt::black);
            }
            cursor.insertText(shown.sliced(start, end - start), format);
            start = end;
        }
        if (shown.size() < text.size())
            cursor.insertText(u"\u2026"_s, note);

        if (line.header)
            cursor.insertText(u"  (header, stays first)"_s, note);
        QList<qsizetype> missing;
        QList<qsizetype> empty;
        for (qsizetype key = 0; key < line.spans.size(); ++key) {
            if (!line.spans[key])
                missing.append(key + 1);
            else if (line.spans[key]->length == 0)
                empty.append(key + 1);
        }
        if (!missing.isEmpty()) {
            cursor.insertText((missing.size() == 1 ? u"  (no key %1)"_s : u"  (no keys %1)"_s)
                                  .arg(numberList(missing)),
                              note);
        }
        if (!empty.isEmpty()) {
            cursor.insertText((empty.size() == 1 ? u"  (key %1 empty)"_s : u"  (keys %1 empty)"_s)
                                  .arg(numberList(empty)),
                              note);
        }
    }
    cursor.endEditBlock();
    m_preview->moveCursor(QTextCursor::Start);

    QString summary;
    if (!result.failure.isEmpty())
        summary = u"No preview: %1."_s.arg(result.failure);
    else if (m_previewLines.isEmpty())
        summary = u"There are no lines to preview."_s;
    else if (m_previewLines.size() == 1)
        summary = u"1 line, sorted by the keys as they stand."_s;
    else
        summary = u"%1 lines, sorted by the keys as they stand."_s.arg(m_previewLines.size());
    if (result.removed == 1)
        summary += u" 1 line removed: its keys equal an earlier line's."_s;
    else if (result.removed > 1)
        summary += u" %1 lines removed: their keys equal an earlier line's."_s.arg(result.removed);
    if (result.gaveUp == 1)
        summary += u" 1 line gave up on a pattern and counts as without the key."_s;
    else if (result.gaveUp > 1)
        summary +=
            u" %1 lines gave up on a pattern and count as without the key."_s.arg(result.gaveUp);
    if (m_shortenedLines == 1)
        summary += u" 1 line is previewed from its start only; the sort takes it whole."_s;
    else if (m_shortenedLines > 1)
        summary +=
            u" %1 lines are previewed from their start only; the sort takes them whole."_s.arg(
                m_shortenedLines);
    m_previewNote->setText(summary);
}
