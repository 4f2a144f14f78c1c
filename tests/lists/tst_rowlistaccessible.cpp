#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QLineEdit>
#include <QMetaEnum>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString Header = u"Content To Sort"_s;

// What happens to the list: its rows, or the model it shows.
using Change = std::function<void(RowModel &rows, RowListView *view, RowModel &other)>;

// A list that names its rows instead of storing them and counts how often it
// is asked for one: walking every row shows in the count.
class NumberedRows final : public QAbstractListModel
{
public:
    explicit NumberedRows(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_rows;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        ++lookups;
        return role == Qt::DisplayRole ? QVariant(u"row %1"_s.arg(index.row())) : QVariant();
    }
    mutable qint64 lookups = 0;

private:
    int m_rows;
};

// What the lists told assistive technology, as "Focus 3": the focus went to
// the table's child 3.
QStringList told;

void record(QAccessibleEvent *event)
{
    const QAccessible::Event type = event->type();
    const QList<QAccessible::Event> kept{QAccessible::Focus, QAccessible::Selection,
                                         QAccessible::SelectionAdd, QAccessible::SelectionRemove,
                                         QAccessible::StateChanged};
    if (!qobject_cast<RowListView *>(event->object()) || !kept.contains(type))
        return;
    if (type != QAccessible::StateChanged ||
        static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked) {
        told.append(
            QString::fromLatin1(QMetaEnum::fromType<QAccessible::Event>().valueToKey(type)) + u' ' +
            QString::number(event->child()));
    }
}

QString nameOf(QAccessibleInterface *iface)
{
    return iface ? iface->text(QAccessible::Name) : u"(none)"_s;
}

} // namespace

class tst_RowListAccessible : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readsRows_data();
    void readsRows();
    void answersForNewRows_data();
    void answersForNewRows();
    void tenMillionRows();
    void tellsFocusAndSelection_data();
    void tellsFocusAndSelection();

private:
    QAccessibleInterface *table() const { return QAccessible::queryAccessibleInterface(m_view); }
    void show(QAbstractItemModel *model);

    std::unique_ptr<QWidget> m_window;
    RowListView *m_view = nullptr;
    QLineEdit *m_otherFocus = nullptr;
};

void tst_RowListAccessible::initTestCase()
{
    QAccessible::installUpdateHandler(&record);
    // Under AT-SPI the client's bus answers after the start; the events are
    // only sent once it has.
    if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 15000);
}

void tst_RowListAccessible::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_otherFocus = new QLineEdit;
    m_view = new RowListView;
    layout->addWidget(m_otherFocus);
    layout->addWidget(m_view);
    m_window->resize(300, 300);
    told.clear();
}

void tst_RowListAccessible::cleanup()
{
    m_window.reset();
}

void tst_RowListAccessible::show(QAbstractItemModel *model)
{
    m_view->setModel(model);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_RowListAccessible::readsRows_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("headerHidden");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("cleared");

    QTest::newRow("content list") << false << false << QStringList{u"pear"_s, u"apple"_s, u"fig"_s}
                                  << QList<int>();
    QTest::newRow("results list, second box cleared")
        << true << false << QStringList{u"b"_s, u"a"_s, u"c"_s} << QList<int>{1};
    QTest::newRow("header hidden") << false << true << QStringList{u"x"_s, u"y"_s} << QList<int>();
}

void tst_RowListAccessible::readsRows()
{
    QFETCH(bool, checkable);
    QFETCH(bool, headerHidden);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, cleared);

    RowModel model(checkable);
    model.setHeader(Header);
    model.append(texts);
    for (const int row : cleared)
        model.setChecked(row, false);
    m_view->setHeaderHidden(headerHidden);
    show(&model);

    QAccessibleInterface *list = table();
    QVERIFY(list && list->tableInterface());
    QCOMPARE(list->role(), QAccessible::Table);
    QCOMPARE(list->text(QAccessible::Name), Header);
    QAccessibleTableInterface *rows = list->tableInterface();
    QCOMPARE(rows->rowCount(), texts.size());
    QCOMPARE(rows->columnCount(), 1);
    QCOMPARE(rows->columnDescription(0), Header);
    const int first = headerHidden ? 0 : 1;
    QCOMPARE(list->childCount(), texts.size() + first);
    if (!headerHidden) {
        QCOMPARE(list->child(0)->role(), QAccessible::ColumnHeader);
        QCOMPARE(nameOf(list->child(0)), Header);
        QCOMPARE(list->indexOfChild(list->child(0)), 0);
    }
    for (int row = 0; row < texts.size(); ++row) {
        QAccessibleInterface *cell = rows->cellAt(row, 0);
        QCOMPARE(nameOf(cell), texts[row]);
        QCOMPARE(cell->role(), checkable ? QAccessible::CheckBox : QAccessible::Cell);
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
        QCOMPARE(cell->parent(), list);
        QCOMPARE(list->child(row + first), cell);
        QCOMPARE(list->indexOfChild(cell), row + first);
        QCOMPARE(list->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
        QCOMPARE(bool(cell->state().checkable), checkable);
        QCOMPARE(bool(cell->state().checked), checkable && !cleared.contains(row));
        // The check box toggles through the cell's action.
        QAccessibleActionInterface *action = cell->actionInterface();
        QCOMPARE(action != nullptr, checkable);
        if (!action)
            continue;
        QCOMPARE(action->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
        action->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(model.isChecked(row), cleared.contains(row));
        QCOMPARE(bool(cell->state().checked), cleared.contains(row));
        if (QAccessible::isActive())
            QCOMPARE(told.takeLast(), u"StateChanged %1"_s.arg(row + first));
    }
    QVERIFY(!rows->cellAt(int(texts.size()), 0));
    QVERIFY(!rows->cellAt(0, 1));
}

void tst_RowListAccessible::answersForNewRows_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("first row removed")
        << Change([](RowModel &rows, auto, auto &) { rows.removeAt(0); })
        << QStringList{u"b"_s, u"c"_s};
    QTest::newRow("list cleared") << Change([](RowModel &rows, auto, auto &) { rows.clear(); })
                                  << QStringList();
    QTest::newRow("row appended") << Change([](RowModel &rows, auto, auto &) {
        rows.append(u"d"_s);
    }) << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("other list shown")
        << Change([](auto &, RowListView *view, RowModel &other) { view->setRowModel(&other); })
        << QStringList{u"z"_s};
}

void tst_RowListAccessible::answersForNewRows()
{
    QFETCH(Change, change);
    QFETCH(QStringList, texts);

    RowModel model(false);
    model.append(QStringList{u"a"_s, u"b"_s, u"c"_s});
    RowModel other(false);
    other.append(u"z"_s);
    show(&model);
    QAccessibleTableInterface *rows = table()->tableInterface();
    QList<QAccessible::Id> before;
    for (int row = 0; row < 3; ++row)
        before.append(QAccessible::uniqueId(rows->cellAt(row, 0)));

    told.clear();
    change(model, m_view, other);

    QCOMPARE(rows->rowCount(), texts.size());
    for (int row = 0; row < texts.size(); ++row)
        QCOMPARE(nameOf(rows->cellAt(row, 0)), texts[row]);
    QVERIFY(!rows->cellAt(int(texts.size()), 0));
    // A cell asked for before the change answers for its row's new text or
    // not at all; with a client listening, every one of them is gone.
    for (int row = 0; row < 3; ++row) {
        QAccessibleInterface *old = QAccessible::accessibleInterface(before[row]);
        if (QAccessible::isActive()) {
            QVERIFY(!old);
        } else if (old) {
            QCOMPARE(old->isValid(), row < texts.size());
            QCOMPARE(nameOf(old), texts.value(row));
        }
    }
}

void tst_RowListAccessible::tenMillionRows()
{
    const int rows = 10'000'000;
    NumberedRows model(rows);
    show(&model);
    const qint64 lookupsBefore = model.lookups;

    QAccessibleInterface *list = table();
    QAccessibleTableInterface *cells = list->tableInterface();
    QCOMPARE(cells->rowCount(), rows);
    QCOMPARE(list->childCount(), rows + 1);
    const int middle = rows / 2;
    QAccessibleInterface *cell = cells->cellAt(middle, 0);
    QCOMPARE(nameOf(cell), u"row %1"_s.arg(middle));
    QCOMPARE(list->indexOfChild(cell), middle + 1);
    QCOMPARE(nameOf(list->child(rows)), u"row %1"_s.arg(rows - 1));
    QVERIFY(cells->selectRow(middle));
    QCOMPARE(cells->selectedRows(), QList<int>{middle});
    QVERIFY(cell->state().selected);
    // A handful of rows were read, not ten million.
    QCOMPARE_LT(model.lookups - lookupsBefore, 100);
}

void tst_RowListAccessible::tellsFocusAndSelection_data()
{
    QTest::addColumn<bool>("headerHidden");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("expected");

    // The header's cell is child 0 while it is shown.
    QTest::newRow("first row made current")
        << false << true << -1 << 0 << QStringList{u"Selection 1"_s, u"Focus 1"_s};
    QTest::newRow("two rows down")
        << false << true << 0 << 2
        << QStringList{u"SelectionRemove 1"_s, u"Selection 3"_s, u"Focus 3"_s};
    QTest::newRow("header hidden")
        << true << true << 1 << 0
        << QStringList{u"SelectionRemove 1"_s, u"Selection 0"_s, u"Focus 0"_s};
    // Then the list takes the focus: itself first, then its current row, which
    // is what a screen reader reads.
    QTest::newRow("list without the focus, then with it")
        << false << false << 0 << 1
        << QStringList{u"SelectionRemove 1"_s, u"Selection 2"_s, u"Focus -1"_s, u"Focus 2"_s};
}

void tst_RowListAccessible::tellsFocusAndSelection()
{
    if (!QAccessible::isActive())
        QSKIP("Only a listening client is told; run under AT-SPI (tst_rowlistaccessible_atspi)");
    QFETCH(bool, headerHidden);
    QFETCH(bool, focused);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, expected);

    RowModel model(false);
    model.append(QStringList{u"a"_s, u"b"_s, u"c"_s});
    m_view->setHeaderHidden(headerHidden);
    show(&model);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QWidget *focus = focused ? static_cast<QWidget *>(m_view) : m_otherFocus;
    focus->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focus);
    const auto select = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    if (from >= 0)
        m_view->selectionModel()->setCurrentIndex(model.index(from), select);
    else
        m_view->selectionModel()->clear();
    QCoreApplication::processEvents();

    told.clear();
    m_view->selectionModel()->setCurrentIndex(model.index(to), select);
    m_view->setFocus();
    QTRY_COMPARE(told, expected);
    QAccessibleInterface *current = table()->tableInterface()->cellAt(to, 0);
    QCOMPARE(table()->focusChild(), current);
    QVERIFY(current->state().focused);
}

QTEST_MAIN(tst_RowListAccessible)
#include "tst_rowlistaccessible.moc"
