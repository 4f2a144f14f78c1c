#include "app/SortKeyPreview.h"

#include "app/SortKeyCaptions.h"
#include "app/SortKeyPreviewWorker.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// How much of each line the preview shows; a longer line ends in an ellipsis.
constexpr qsizetype PreviewLineUnits = 500;

// After this long without a result the note says the preview is on its way.
constexpr int SlowPreviewMs = 300;

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

QTimer *singleShotTimer(QObject *parent, int ms)
{
    auto *timer = new QTimer(parent);
    timer->setSingleShot(true);
    timer->setInterval(ms);
    return timer;
}

} // namespace

SortKeyPreview::SortKeyPreview(const QStringList &lines, qsizetype shortenedLines, QWidget *parent)
    : QTextEdit(parent), m_lines(lines), m_shortenedLines(shortenedLines),
      m_pause(singleShotTimer(this, PauseMs)), m_slowNotice(singleShotTimer(this, SlowPreviewMs))
{
    applyTexts(this, SortKeyControl::Preview);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    connect(m_pause, &QTimer::timeout, this, &SortKeyPreview::sort);
    connect(m_slowNotice, &QTimer::timeout, this,
            [this] { emit noteChanged(u"Sorting the preview\u2026"_s); });
    m_worker = std::make_unique<SortKeyPreviewWorker>(
        m_lines, this, [this](const SortKeyPreviewResult &result) { showResult(result); });
}

SortKeyPreview::~SortKeyPreview() = default;

void SortKeyPreview::setKeys(const ChosenKeySet &keys, bool valid)
{
    ++m_changeCount;
    m_keys = keys;
    if (valid) {
        m_pause->start();
    } else {
        m_pause->stop();
        m_slowNotice->stop();
        emit noteChanged(u"The preview waits until every key is valid."_s);
    }
}

void SortKeyPreview::sortWithoutPause()
{
    if (m_pause->isActive()) {
        m_pause->stop();
        sort();
    }
}

void SortKeyPreview::sort()
{
    m_worker->request(m_keys, m_changeCount);
    m_slowNotice->start();
}

void SortKeyPreview::showResult(const SortKeyPreviewResult &result)
{
    if (result.changeCount != m_changeCount)
        return; // for keys that have changed since
    m_slowNotice->stop();

    clear();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (qsizetype row = 0; row < result.lines.size(); ++row) {
        if (row > 0)
            cursor.insertBlock();
        showLine(cursor, m_lines[result.lines[row].index], result, row);
    }
    cursor.endEditBlock();
    moveCursor(QTextCursor::Start);
    emit noteChanged(summary(result));
}

void SortKeyPreview::showLine(QTextCursor &cursor, const QString &text,
                              const SortKeyPreviewResult &result, qsizetype row)
{
    const SortKeyPreviewResult::Line &line = result.lines[row];
    const QTextCharFormat plain;
    QTextCharFormat note;
    // The dialog's colour for notes, which the palette of text fields may not share.
    note.setForeground(window()->palette().color(QPalette::PlaceholderText));
    note.setFontItalic(true);
    QTextCharFormat header;
    header.setFontWeight(QFont::Bold);

    cursor.block().setUserState(int(line.index));
    const QString shown = visibleText(leftWhole(text, PreviewLineUnits));
    // Each line in its own direction, which neither the notes after it nor
    // its cut may change.
    QTextBlockFormat direction;
    direction.setLayoutDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    cursor.setBlockFormat(direction);
    // Where keys overlap, the earlier key's colour shows.
    std::vector<qsizetype> owner(std::size_t(shown.size()), -1);
    for (qsizetype key = line.spans.size() - 1; key >= 0; --key) {
        if (const std::optional<PartSpan> &span = line.spans[key]) {
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
            format.setBackground(sortKeyColour(key));
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

QString SortKeyPreview::summary(const SortKeyPreviewResult &result) const
{
    QString summary;
    if (!result.failure.isEmpty())
        summary = u"No preview: %1."_s.arg(result.failure);
    else if (m_lines.isEmpty())
        summary = u"There are no lines to preview."_s;
    else if (m_lines.size() == 1)
        summary = u"1 line, sorted by the keys as they stand."_s;
    else
        summary = u"%1 lines, sorted by the keys as they stand."_s.arg(m_lines.size());
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
    return summary;
}
