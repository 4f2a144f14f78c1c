#pragma once

#include <QHash>
#include <QStyledItemDelegate>

// Paints and measures the rows of a RowListView, from the texts the model
// shows (a RowModel's rows are cut to ShownText::MaxUnits). A row is as
// high as the font's line spacing and the tallest accented capitals need, so
// that the ring of "Å" is not cut off. Each row is painted in its own text
// direction: a Hebrew or Arabic row aligned right within its column, an
// English one left, while the check box stays where the list puts it.
class RowItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit RowItemDelegate(QObject *parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    int textRowHeight(const QFont &font) const;

    // By QFont::key(): measuring the accents is worth doing once a font.
    mutable QHash<QString, int> m_textRowHeights;
};
