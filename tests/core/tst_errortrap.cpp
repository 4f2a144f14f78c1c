#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "support/ScriptedDialogs.h"

#include <QTest>

#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The statements of a trapped procedure of this test.
enum class Step { First = 100, Second = 102, Third = 104, Condition = 106, Guard = 108 };

} // namespace

class tst_ErrorTrap : public QObject
{
    Q_OBJECT

private slots:
    void text();
    void description_data();
    void description();
    void failingStatementDoesNotStopTheProcedure();
    void failedConditionCountsAsPassed();
    void closingIsNeverTrapped();
};

void tst_ErrorTrap::text()
{
    const QString expected =
        u"Overflow\r\nin Tarnveil2021/08/31.Form1.PushButton17_Click at line 136"
        u"\r\rPlease email screenshot of this message to "
        u"support@hallowmere.example"_s;
    QCOMPARE(errorDialogText(u"Overflow"_s, Location{u"Form1"_s, u"PushButton17_Click"_s}, 136),
             expected);
}

void tst_ErrorTrap::description_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("description");

    QTest::newRow("failure") << std::make_exception_ptr(Failure::invalidArgument())
                             << u"Invalid procedure call or argument"_s;
    QTest::newRow("bad_alloc") << std::make_exception_ptr(std::bad_alloc()) << u"Out of memory"_s;
    QTest::newRow("runtime_error")
        << std::make_exception_ptr(std::runtime_error("Disk full")) << u"Disk full"_s;
}

void tst_ErrorTrap::description()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, description);
    QCOMPARE(failureDescription(failure), description);
}

void tst_ErrorTrap::failingStatementDoesNotStopTheProcedure()
{
    ScriptedDialogs dialogs;
    const Location location{u"Main"_s, u"SaveListviewProperlySpaced"_s};
    ErrorTrap trap(dialogs, location);
    QStringList done;
    trap.run(Step::First, [&] { done << u"100"_s; });
    trap.run(Step::Second, [&] {
        done << u"102"_s;
        throw Failure::overflow();
    });
    trap.run(Step::Third, [&] { done << u"104"_s; });

    QCOMPARE(done, (QStringList{u"100"_s, u"102"_s, u"104"_s}));
    QCOMPARE(dialogs.shown.size(), size_t(1));
    const auto &box = dialogs.shown.front();
    QCOMPARE(box.caption, u"Application Error"_s);
    QCOMPARE(box.icon, UserDialogs::Icon::Warning);
    QCOMPARE(box.text, errorDialogText(u"Overflow"_s, location, 102));
}

void tst_ErrorTrap::failedConditionCountsAsPassed()
{
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, Location{u"Form1"_s, u"Form_Load"_s});
    QVERIFY(trap.test(Step::Condition, []() -> bool { throw Failure(u"Type mismatch"_s); }));
    QVERIFY(!trap.test(Step::Guard, [] { return false; }));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().front().contains(u"at line 106\r\r"_s));
}

void tst_ErrorTrap::closingIsNeverTrapped()
{
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, Location{u"Form1"_s, u"PushButton17_Click"_s});
    QVERIFY_THROWS_EXCEPTION(CommandAborted, trap.run(Step::First, [] { throw CommandAborted{}; }));
    QVERIFY(dialogs.shown.empty());
}

QTEST_GUILESS_MAIN(tst_ErrorTrap)
#include "tst_errortrap.moc"
