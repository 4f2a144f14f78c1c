#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "lists/ShownText.h"

#include <QAccessible>
#include <QIdentityProxyModel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Hands a list's rows on and keeps the longest text that the view or a
// screen reader took from them.
class RecordingRows final : public QIdentityProxyModel
{
public:
    explicit RecordingRows(QAbstractItemModel *rows) { setSourceModel(rows); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const QVariant value = QIdentityProxyModel::data(index, role);
        longest = std::max(longest, value.toString().size());
        return value;
    }
    mutable qsizetype longest = 0;
};

// Where two pictures differ within an area: the ink of what one has drawn.
QRect inkBetween(const QImage &drawn, const QImage &blank, const QRect &area)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (drawn.pixel(x, y) != blank.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Shows the rows in the view and gives a picture of them.
QImage shoot(RowListView &view, QAbstractItemModel *rows)
{
    view.setFocusPolicy(Qt::NoFocus); // no row is selected or framed
    view.resize(400, 200);
    view.setModel(rows);
    view.show();
    QCoreApplication::processEvents(); // the rows are laid out
    return view.viewport()->grab().toImage();
}

} // namespace

class tst_RowPainting : public QObject
{
    Q_OBJECT

private slots:
    void longRowCostsAScreenful();
    void rowsArePaintedWhole_data();
    void rowsArePaintedWhole();

private:
    RowListView m_view;
};

// A row of tens of megabytes is measured, painted and read out from its
// start: nothing longer leaves the list, and the cut falls between two
// characters (here it meets one of two units).
void tst_RowPainting::longRowCostsAScreenful()
{
    const QString line = u"x語\U0001F600"_s.repeated(5'000'000);
    RowModel rows(false), blank(false);
    rows.append(QStringList{line, u"short"_s});
    RecordingRows recorded(&rows);
    const QImage empty = shoot(m_view, &blank);
    const QImage shot = shoot(m_view, &recorded);
    m_view.sizeHintForColumn(0); // measured as for a double-click on the edge
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&m_view);
    const QString name = list->tableInterface()->cellAt(0, 0)->text(QAccessible::Name);
    QCOMPARE_LE(recorded.longest, ShownText::MaxUnits);
    QCOMPARE_GT(inkBetween(shot, empty, m_view.visualRect(recorded.index(0, 0))).width(),
                shot.width() / 2);
    QVERIFY(name.endsWith(ShownText::Ellipsis) && line.startsWith(name.chopped(1)) &&
            !name.chopped(1).back().isHighSurrogate());
}

void tst_RowPainting::rowsArePaintedWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Qt::LayoutDirection>("listDirection");
    QTest::newRow("accented capitals") << u"ÅÉ"_s << Qt::LeftToRight;
    QTest::newRow("Hebrew") << u"שלום עולם"_s << Qt::LeftToRight;
    QTest::newRow("English, list right to left") << u"hello"_s << Qt::RightToLeft;
}

// The second row of the results list holds all the ink of its text's glyphs,
// below a blank pixel row, next to the side the text starts from; the check
// box is where it is in a row without text.
void tst_RowPainting::rowsArePaintedWhole()
{
    QFETCH(QString, text);
    QFETCH(Qt::LayoutDirection, listDirection);
    m_view.setFont(QFont(u"Arial"_s, 9, QFont::Bold));
    m_view.setLayoutDirection(listDirection);
    RowModel rows(true), blank(true);
    rows.append(QStringList{u"x"_s, text});
    blank.append(QStringList{u"x"_s, QString()});
    const QImage empty = shoot(m_view, &blank);
    const QRect row = m_view.visualRect(blank.index(1));
    const QRect shown = inkBetween(shoot(m_view, &rows), empty, row);

    QCOMPARE_GT(shown.top(), row.top());
    QCOMPARE(shown.height(), m_view.fontMetrics().tightBoundingRect(text).height());
    const int left = shown.left() - row.left(), right = row.right() - shown.right();
    QVERIFY(std::max(left, right) > 250 && (left < right) != text.isRightToLeft());
}

QTEST_MAIN(tst_RowPainting)
#include "tst_rowpainting.moc"
