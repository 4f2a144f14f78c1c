#include "app/ErrorDialog.h"
#include "sort/Failure.h"

#include <QTest>

#include <new>

using namespace Qt::StringLiterals;

class tst_ErrorDialog : public QObject
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

void tst_ErrorDialog::text()
{
    const QString expected = u"Overflow\r\nin Tarnveil2021/08/31.Form1.PushButton17_Click at line 136"
                             u"\r\rPlease email screenshot of this message to "
                             u"support@hallowmere.example"_s;
    QCOMPARE(errorDialogText(u"Overflow"_s, u"Form1"_s, u"PushButton17_Click"_s, 136), expected);
}

void tst_ErrorDialog::description_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("description");

    QTest::newRow("failure") << std::make_exception_ptr(Failure::invalidArgument())
                             << u"Invalid procedure call or argument"_s;
    QTest::newRow("bad_alloc") << std::make_exception_ptr(std::bad_alloc()) << u"Out of memory"_s;
    QTest::newRow("runtime_error")
        << std::make_exception_ptr(std::runtime_error("Disk full")) << u"Disk full"_s;
}

void tst_ErrorDialog::description()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, description);
    QCOMPARE(failureDescription(failure), description);
}

void tst_ErrorDialog::failingStatementDoesNotStopTheProcedure()
{
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, u"Main"_s, u"SaveListviewProperlySpaced"_s);
    QStringList done;
    trap.run(100, [&] { done << u"100"_s; });
    trap.run(102, [&] {
        done << u"102"_s;
        throw Failure::overflow();
    });
    trap.run(104, [&] { done << u"104"_s; });

    QCOMPARE(done, (QStringList{u"100"_s, u"102"_s, u"104"_s}));
    QCOMPARE(dialogs.shown.size(), size_t(1));
    const auto &box = dialogs.shown.front();
    QCOMPARE(box.caption, u"Application Error"_s);
    QCOMPARE(box.icon, UserDialogs::Icon::Warning);
    QCOMPARE(box.text, errorDialogText(u"Overflow"_s, u"Main"_s, u"SaveListviewProperlySpaced"_s, 102));
}

void tst_ErrorDialog::failedConditionCountsAsPassed()
{
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, u"Form1"_s, u"Form_Load"_s);
    QVERIFY(trap.test(106, []() -> bool { throw Failure(u"Type mismatch"_s); }));
    QVERIFY(!trap.test(108, [] { return false; }));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().front().contains(u"at line 106\r\r"_s));
}

void tst_ErrorDialog::closingIsNeverTrapped()
{
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, u"Form1"_s, u"PushButton17_Click"_s);
    QVERIFY_THROWS_EXCEPTION(CommandAborted, trap.run(100, [] { throw CommandAborted{}; }));
    QVERIFY(dialogs.shown.empty());
}

QTEST_GUILESS_MAIN(tst_ErrorDialog)
#include "tst_errordialog.moc"
