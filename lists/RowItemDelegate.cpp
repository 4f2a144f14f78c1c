#include "lists/RowItemDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The accented capitals of the Western European code page the lists read
// 8-bit files in, and the letters that reach lowest.
const QString TallAndDeep = u"ÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÑÒÓÔÕÖÙÚÛÜÝŠŽŸgjpqy"_s;

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

RowItemDelegate::RowItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int RowItemDelegate::textRowHeight(const QFont &font) const
{
    const QString key = font.key();
    if (const auto known = m_textRowHeights.constFind(key); known != m_textRowHeights.constEnd())
        return *known;
    // The text is centred in its row, so what reaches past the ascent (with
    // a blank pixel row above it) or the descent needs room on both sides.
    const QFontMetrics metrics(font);
    const QRect ink = metrics.tightBoundingRect(TallAndDeep);
    const int over =
        std::max({0, 1 - ink.top() - metrics.ascent(), ink.bottom() + 1 - metrics.descent()});
    const int height = std::max(metrics.lineSpacing(), metrics.height()) + 2 * over;
    m_textRowHeights.insert(key, height);
    return height;
}

QSize RowItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), textRowHeight(option.font)));
    return size;
}

void RowItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QStyle *style = styleOf(item);
    const Qt::LayoutDirection own = item.text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    if (own == item.direction || item.text.isEmpty()) {
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        return;
    }
    // The row as the list lays it out (check box, selection, focus), without
    // its text; then the text in its own direction, where the list puts text.
    QStyleOptionViewItem text = item;
    text.rect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    text.direction = own;
    text.features &=
        ~(QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration);
    text.icon = QIcon();
    text.backgroundBrush = Qt::NoBrush;
    text.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (text.state & QStyle::State_Selected) {
        // The selection is painted already; the text keeps its colour on it.
        text.state &= ~QStyle::State_Selected;
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            text.palette.setColor(group, QPalette::Text,
                                  text.palette.color(group, QPalette::HighlightedText));
        }
    }
    style->drawControl(QStyle::CE_ItemViewItem, &text, painter, item.widget);
}
