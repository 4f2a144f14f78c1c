#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "lists/ShownText.h"

#include <QAccessible>
#include <QIdentityProxyModel>
#include <QTest>

#include <memory>

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
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (drawn.pixel(x, y) != blank.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

} // namespace

class tst_RowPainting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void longRowCostsAScreenful_data();
    void longRowCostsAScreenful();
    void rowsArePaintedWhole_data();
    void rowsArePaintedWhole();

private:
    QImage shoot(QAbstractItemModel *model);

    std::unique_ptr<RowListView> m_view;
};

void tst_RowPainting::init()
{
    m_view = std::make_unique<RowListView>();
    m_view->setFont(QFont(u"Arial"_s, 9, QFont::Bold));
    m_view->setFocusPolicy(Qt::NoFocus); // no row is selected or framed
    m_view->resize(400, 200);
}

QImage tst_RowPainting::shoot(QAbstractItemModel *model)
{
    m_view->setModel(model);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        return {};
    return m_view->viewport()->grab().toImage();
}

void tst_RowPainting::longRowCostsAScreenful_data()
{
    QTest::addColumn<QString>("start");
    QTest::newRow("ASCII") << u"x"_s;
    QTest::newRow("three bytes a character") << u"語"_s;
    QTest::newRow("beyond the BMP") << u"\U0001F600"_s;
}

// A row of tens of megabytes is measured, painted and read out from its
// start: nothing longer leaves the list.
void tst_RowPainting::longRowCostsAScreenful()
{
    QFETCH(QString, start);
    const QString line = start.repeated(20'000'000 / start.size()) + u"end"_s;
    RowModel rows(false);
    RowModel blank(false);
    rows.append(QStringList{line, u"short"_s});
    blank.append(QStringList{QString(), u"short"_s});
    RecordingRows recorded(&rows);
    const QImage empty = shoot(&blank);
    const QImage shot = shoot(&recorded);
    m_view->resizeColumnToContents(0);
    const QString name = QAccessible::queryAccessibleInterface(m_view.get())
                             ->tableInterface()
                             ->cellAt(0, 0)
                             ->text(QAccessible::Name);

    QCOMPARE_LE(recorded.longest, ShownText::MaxUnits);
    QCOMPARE_GT(inkBetween(shot, empty, m_view->visualRect(recorded.index(0, 0))).width(),
                shot.width() / 2);
    QVERIFY(name.endsWith(ShownText::Ellipsis) && line.startsWith(name.chopped(1)) &&
            !name.chopped(1).back().isHighSurrogate());
}

void tst_RowPainting::rowsArePaintedWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<int>("points");
    QTest::addColumn<Qt::LayoutDirection>("listDirection");
    QTest::newRow("accented capitals") << u"ÅÉ"_s << false << 9 << Qt::LeftToRight;
    QTest::newRow("accented capitals, larger") << u"ÅÉ"_s << false << 12 << Qt::LeftToRight;
    QTest::newRow("Arabic") << u"مرحبا بالعالم"_s << false << 9 << Qt::LeftToRight;
    QTest::newRow("Hebrew, results list") << u"שלום עולם"_s << true << 9 << Qt::LeftToRight;
    QTest::newRow("English, list right to left") << u"hello"_s << true << 9 << Qt::RightToLeft;
}

// The second row holds all the ink of its text's glyphs, below a blank pixel
// row, next to the side the text starts from; anything else of the row (the
// check box) is where it is in a row without text.
void tst_RowPainting::rowsArePaintedWhole()
{
    QFETCH(QString, text);
    QFETCH(bool, checkable);
    QFETCH(int, points);
    QFETCH(Qt::LayoutDirection, listDirection);
    const QFont font(u"Arial"_s, points, QFont::Bold);
    m_view->setFont(font);
    m_view->setLayoutDirection(listDirection);
    RowModel rows(checkable);
    RowModel blank(checkable);
    rows.append(QStringList{u"x"_s, text});
    blank.append(QStringList{u"x"_s, QString()});
    const QImage empty = shoot(&blank);
    const QRect row = m_view->visualRect(blank.index(1));
    const QRect shown = inkBetween(shoot(&rows), empty, row);

    QCOMPARE_GT(shown.top(), row.top());
    QCOMPARE(shown.height(), QFontMetrics(font).tightBoundingRect(text).height());
    const int left = shown.left() - row.left();
    const int right = row.right() - shown.right();
    QVERIFY2(std::max(left, right) > 250 && (left < right) != text.isRightToLeft(),
             qPrintable(u"%1 pixels on the left, %2 on the right"_s.arg(left).arg(right)));
}

QTEST_MAIN(tst_RowPainting)
#include "tst_rowpainting.moc"
