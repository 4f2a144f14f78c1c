#include "app/SortKeyListModel.h"

#include "app/SortKeyCaptions.h"
#include "sort/BoundedPattern.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <utility>

using namespace Qt::StringLiterals;

SortKeyListModel::SortKeyListModel(const QList<ChosenKey> &keys, QObject *parent)
    : QAbstractListModel(parent),
      m_warning(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning))
{
    m_keys.reserve(std::size_t(keys.size()));
    for (const ChosenKey &key : keys) {
        Entry &entry = m_keys.emplace_back();
        entry.key = key;
        check(entry);
    }
}

SortKeyListModel::~SortKeyListModel() = default;

int SortKeyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

QVariant SortKeyListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const Entry &entry = m_keys[std::size_t(row)];
    QStringList reasons;
    for (const KeyProblem &problem : entry.problems)
        reasons << problem.reason;
    switch (role) {
    case Qt::DisplayRole:
        return u"%1. %2"_s.arg(row + 1).arg(entry.summary);
    case Qt::DecorationRole:
        return reasons.isEmpty() ? swatch(row) : m_warning;
    case Qt::ToolTipRole:
        return reasons.join(u'\n');
    case Qt::AccessibleDescriptionRole:
        return reasons.isEmpty() ? QString() : u"Invalid: "_s + reasons.join(u' ');
    default:
        return {};
    }
}

QList<ChosenKey> SortKeyListModel::keys() const
{
    QList<ChosenKey> keys;
    keys.reserve(qsizetype(m_keys.size()));
    for (const Entry &entry : m_keys)
        keys.append(entry.key);
    return keys;
}

QList<qsizetype> SortKeyListModel::invalidKeys() const
{
    QList<qsizetype> numbers;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (!m_keys[i].problems.isEmpty())
            numbers.append(qsizetype(i) + 1);
    }
    return numbers;
}

void SortKeyListModel::setKey(int row, const ChosenKey &key)
{
    Entry &entry = m_keys[std::size_t(row)];
    if (entry.key == key)
        return;
    entry.key = key;
    check(entry);
    rowsChanged(row, row);
}

void SortKeyListModel::appendKey(const ChosenKey &key)
{
    const int row = int(m_keys.size());
    beginInsertRows(QModelIndex(), row, row);
    Entry &entry = m_keys.emplace_back();
    entry.key = key;
    check(entry);
    endInsertRows();
}

void SortKeyListModel::removeKey(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_keys.erase(m_keys.begin() + row);
    endRemoveRows();
    // The keys after it move up a number and take the colour of their place.
    if (row < int(m_keys.size()))
        rowsChanged(row, int(m_keys.size()) - 1);
}

void SortKeyListModel::swapKeys(int row, int other)
{
    std::swap(m_keys[std::size_t(row)], m_keys[std::size_t(other)]);
    rowsChanged(std::min(row, other), std::max(row, other));
}

void SortKeyListModel::check(Entry &entry)
{
    const ChosenKey &key = entry.key;
    if (key.part != KeyPart::Pattern) {
        entry.pattern.reset();
    } else if (!entry.pattern || entry.compiled != key.pattern) {
        entry.pattern = std::make_unique<BoundedPattern>(key.pattern);
        entry.compiled = key.pattern;
    }
    entry.problems = keyProblems(key, entry.pattern.get());
    entry.summary = keySummary(key);
}

void SortKeyListModel::rowsChanged(int first, int last)
{
    emit dataChanged(index(first), index(last));
}

QIcon SortKeyListModel::swatch(int row) const
{
    const QColor colour = sortKeyColour(row);
    QIcon &icon = m_swatches[colour.rgb()];
    if (icon.isNull()) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.setBrush(colour);
        painter.drawRect(1, 1, 13, 13);
        painter.end();
        icon = QIcon(pixmap);
    }
    return icon;
}
