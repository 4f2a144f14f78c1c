#pragma once

#include "sort/ChosenKeyProblems.h"

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>

#include <memory>
#include <vector>

class BoundedPattern;

// The keys of the "Sort Keys" dialog, the first compared first, as its key
// list shows them: "N. summary", with the key's colour as a swatch, or a
// warning icon and the reasons (tool tip, accessible description "Invalid:
// ...") for a key that cannot be used. Each key's problems are kept and
// found again only for a key that changes; a pattern key keeps its pattern
// compiled, so that an edit of another member does not compile it again.
class SortKeyListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit SortKeyListModel(const QList<ChosenKey> &keys, QObject *parent = nullptr);
    ~SortKeyListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    QList<ChosenKey> keys() const;
    const ChosenKey &key(int row) const { return m_keys[std::size_t(row)].key; }
    const QList<KeyProblem> &problemsOf(int row) const { return m_keys[std::size_t(row)].problems; }
    // The numbers (from 1) of the keys that cannot be used.
    QList<qsizetype> invalidKeys() const;
    bool allValid() const { return invalidKeys().isEmpty(); }

    void setKey(int row, const ChosenKey &key);
    void appendKey(const ChosenKey &key);
    void removeKey(int row);
    void swapKeys(int row, int other);

private:
    struct Entry
    {
        ChosenKey key;
        QList<KeyProblem> problems;
        QString summary;
        std::unique_ptr<BoundedPattern> pattern; // key.pattern compiled, for a pattern key
        QString compiled;                        // what pattern was compiled from
    };

    static void check(Entry &entry);
    void rowsChanged(int first, int last);
    QIcon swatch(int row) const;

    std::vector<Entry> m_keys;
    mutable QHash<QRgb, QIcon> m_swatches; // by colour
    QIcon m_warning;
};
