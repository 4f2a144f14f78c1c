#pragma once

#include "sort/ChosenKey.h"

#include <QStringList>
#include <QTextEdit>

#include <memory>

class QTimer;
class SortKeyPreviewWorker;
struct SortKeyPreviewResult;

// The preview of the "Sort Keys" dialog: its lines in the order of the keys
// as they stand, each key's part in the key's colour, with notes of the
// header, of missing and empty keys and of a cut at the end of a long line;
// each line in its own direction. The lines are sorted on a worker thread a
// short pause after the last change, so that a slow pattern never holds the
// dialog; a result for keys that have changed since is dropped. note()
// tells what the preview shows, or why it waits. Each text block's user
// state is the index of its line.
class SortKeyPreview final : public QTextEdit
{
    Q_OBJECT

public:
    // shortenedLines of the lines hold only the start of their line.
    SortKeyPreview(const QStringList &lines, qsizetype shortenedLines, QWidget *parent = nullptr);
    ~SortKeyPreview() override;

    // The keys changed: sorts by them after the pause, or, while some key
    // cannot be used (valid false), waits.
    void setKeys(const ChosenKeySet &keys, bool valid);
    // Sorts by the keys set last without waiting for the pause (as the
    // dialog opens).
    void sortWithoutPause();

    // How long the preview waits after a change before it sorts again.
    static constexpr int PauseMs = 50;

signals:
    void noteChanged(const QString &note);

private:
    void sort();
    void showResult(const SortKeyPreviewResult &result);
    void showLine(QTextCursor &cursor, const QString &text, const SortKeyPreviewResult &result,
                  qsizetype row);
    QString summary(const SortKeyPreviewResult &result) const;

    const QStringList m_lines;
    const qsizetype m_shortenedLines;
    ChosenKeySet m_keys;
    quint64 m_changeCount = 0;
    QTimer *m_pause = nullptr;
    QTimer *m_slowNotice = nullptr;
    std::unique_ptr<SortKeyPreviewWorker> m_worker;
};
