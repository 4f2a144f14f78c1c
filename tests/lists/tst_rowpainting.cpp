#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "lists/ShownText.h"

#include <QAccessible>
#include <QPainter>
#include <QProxyStyle>
#include <QStringListModel>
#include <QStyleOptionViewItem>
#include <QTest>

#include <climits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A style that keeps the longest text a row handed it to lay out or paint.
class RecordingStyle final : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        record(option);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        record(option);
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    void record(const QStyleOption *option) const
    {
        if (const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option))
            longest = std::max(longest, item->text.size());
    }
    mutable qsizetype longest = 0;
};

QFont arialBold(double points)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// Where pixels of a shot differ from the background, within an area.
struct Ink
{
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    int height() const { return bottom - top + 1; }
};

Ink inkIn(const QImage &shot, const QRect &area, QRgb background)
{
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shot.pixel(x, y) != background) {
                ink = {std::min(ink.top, y), std::max(ink.bottom, y), std::min(ink.left, x),
                       std::max(ink.right, x)};
            }
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
    void accentsAreWhole_data();
    void accentsAreWhole();
    void rowsInTheirOwnDirection_data();
    void rowsInTheirOwnDirection();

private:
    // Shows the model and gives a shot of the rows and the place of a row's text.
    QImage shoot(QAbstractItemModel *model, int row, QRect *text);

    RecordingStyle m_style;
    std::unique_ptr<RowListView> m_view;
};

void tst_RowPainting::init()
{
    m_view = std::make_unique<RowListView>();
    m_view->setStyle(&m_style);
    m_view->setFont(arialBold(9));
    // No current row: nothing is selected or framed.
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->resize(400, 200);
}

QImage tst_RowPainting::shoot(QAbstractItemModel *model, int row, QRect *text)
{
    m_view->setModel(model);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        return {};
    // The row's text is placed as the view places it.
    QStyleOptionViewItem option;
    option.initFrom(m_view.get());
    const QModelIndex index = model->index(row, 0);
    option.rect = m_view->visualRect(index);
    option.text = index.data().toString();
    option.showDecorationSelected = true;
    option.features = QStyleOptionViewItem::HasDisplay;
    if (index.flags() & Qt::ItemIsUserCheckable)
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
    *text = m_style.subElementRect(QStyle::SE_ItemViewItemText, &option, m_view.get());
    return m_view->viewport()->grab().toImage();
}

void tst_RowPainting::longRowCostsAScreenful_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("wholeTextModel");
    QTest::newRow("ASCII") << u"x"_s << false;
    QTest::newRow("three bytes a character") << u"語"_s << false;
    QTest::newRow("beyond the BMP") << u"\U0001F600"_s << false;
    QTest::newRow("a model that hands over the whole text") << u"y"_s << true;
}

// A row of tens of megabytes is measured, painted and read out from its
// start: nothing longer reaches the style or a screen reader.
void tst_RowPainting::longRowCostsAScreenful()
{
    QFETCH(QString, start);
    QFETCH(bool, wholeTextModel);
    const QString line = start.repeated(20'000'000 / start.size()) + u"end"_s;
    RowModel rows(true);
    QStringListModel whole;
    if (wholeTextModel)
        whole.setStringList({line, u"short"_s});
    else
        rows.append(QStringList{line, u"short"_s});
    QAbstractItemModel *model = wholeTextModel ? static_cast<QAbstractItemModel *>(&whole) : &rows;
    QRect text;
    const QImage shot = shoot(model, 0, &text);
    const int width = m_view->sizeHintForColumn(0);
    m_view->resizeColumnToContents(0);
    m_view->keyboardSearch(start + start);

    QCOMPARE_LE(m_style.longest, ShownText::MaxUnits);
    QCOMPARE(m_view->currentIndex(), model->index(0, 0));
    QCOMPARE(m_view->rowHeight(), m_view->sizeHintForRow(1));
    const QFontMetrics metrics(m_view->font());
    const qsizetype shown = ShownText::MaxUnits / start.size();
    QCOMPARE_GT(width, metrics.horizontalAdvance(start.repeated(shown - 8)));
    QCOMPARE_LT(width, metrics.horizontalAdvance(start.repeated(shown + 8)));
    const Ink ink = inkIn(shot, text, shot.pixel(text.bottomRight()));
    QCOMPARE_GT(ink.right - ink.left, text.width() / 2);
    const QString name = QAccessible::queryAccessibleInterface(m_view.get())
                             ->tableInterface()
                             ->cellAt(0, 0)
                             ->text(QAccessible::Name);
    QCOMPARE_LE(name.size(), ShownText::MaxUnits);
    QVERIFY(line.startsWith(name.chopped(1)) && name.endsWith(ShownText::Ellipsis));
    QVERIFY(!name.chopped(1).back().isHighSurrogate());
}

void tst_RowPainting::accentsAreWhole_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<double>("points");
    QTest::newRow("content list") << false << 9.0;
    QTest::newRow("results list") << true << 9.0;
    QTest::newRow("content list, larger font") << false << 12.0;
}

// The second of two rows of "ÅÉ" holds all the ink the text has unclipped,
// with its first pixel row left blank.
void tst_RowPainting::accentsAreWhole()
{
    QFETCH(bool, checkable);
    QFETCH(double, points);
    m_view->setFont(arialBold(points));
    RowModel rows(checkable);
    rows.append(QStringList{u"ÅÉ"_s, u"ÅÉ"_s});
    QRect text;
    const QImage shot = shoot(&rows, 1, &text);
    const QRgb background = shot.pixel(text.bottomRight());
    const Ink shown = inkIn(shot, text, background);

    QImage whole(100, 100, QImage::Format_RGB32);
    whole.fill(background);
    QPainter painter(&whole);
    painter.setFont(arialBold(points));
    painter.setPen(m_view->palette().color(QPalette::Text));
    painter.drawText(10, 50, u"ÅÉ"_s);
    painter.end();
    QCOMPARE_GT(shown.top, text.top());
    QCOMPARE(shown.height(), inkIn(whole, whole.rect(), background).height());
}

void tst_RowPainting::rowsInTheirOwnDirection_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<Qt::LayoutDirection>("listDirection");
    QTest::newRow("content list") << false << Qt::LeftToRight;
    QTest::newRow("results list") << true << Qt::LeftToRight;
    QTest::newRow("results list laid out right to left") << true << Qt::RightToLeft;
}

// Hebrew and Arabic rows hug the right edge of the text's place, English
// ones the left; the check box is where the list puts it in every row.
void tst_RowPainting::rowsInTheirOwnDirection()
{
    QFETCH(bool, checkable);
    QFETCH(Qt::LayoutDirection, listDirection);
    m_view->setLayoutDirection(listDirection);
    RowModel rows(checkable);
    const QStringList texts{u"שלום עולם"_s, u"hello world"_s, u"مرحبا بالعالم"_s};
    rows.append(texts);
    QRect text;
    const QImage shot = shoot(&rows, 0, &text);
    const int height = m_view->rowHeight();
    // Beside the text: the check box, or only a margin.
    const QRect row = m_view->visualRect(rows.index(0));
    const QRect box = listDirection == Qt::LeftToRight
                          ? QRect(row.topLeft(), QPoint(text.left() - 1, row.bottom()))
                          : QRect(QPoint(text.right() + 1, row.top()), row.bottomRight());
    for (int row = 0; row < texts.size(); ++row) {
        const QRect place = text.translated(0, row * height);
        const Ink ink = inkIn(shot, place, shot.pixel(place.bottomLeft()));
        const int gapLeft = ink.left - place.left(), gapRight = place.right() - ink.right;
        QVERIFY2(texts[row].isRightToLeft() ? gapRight < 10 && gapLeft > 100
                                            : gapLeft < 10 && gapRight > 100,
                 qPrintable(u"%1: %2 | %3"_s.arg(texts[row]).arg(gapLeft).arg(gapRight)));
        QCOMPARE(shot.copy(box.translated(0, row * height)), shot.copy(box));
    }
}

QTEST_MAIN(tst_RowPainting)
#include "tst_rowpainting.moc"
