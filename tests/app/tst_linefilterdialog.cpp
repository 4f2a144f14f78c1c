#include "app/LineFilterDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Plays keys as a user does, steps apart by "; ": "Alt+C" presses a
// mnemonic, "Return", "Escape", "End" and "Backspace" press the key,
// anything else is typed into the focused control.
void play(const QString &script)
{
    static const QHash<QString, Qt::Key> NamedKeys{{u"Return"_s, Qt::Key_Return},
                                                   {u"Escape"_s, Qt::Key_Escape},
                                                   {u"End"_s, Qt::Key_End},
                                                   {u"Backspace"_s, Qt::Key_Backspace}};
    for (const QString &step : script.split(u"; "_s, Qt::SkipEmptyParts)) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        if (NamedKeys.contains(step)) {
            QTest::keyClick(focus, NamedKeys[step]);
        } else if (step.startsWith(u"Alt+")) {
            const auto key = Qt::Key(Qt::Key_A + (step[4].unicode() - u'A'));
            QWidget *window = focus->window();
            QTest::keyClick(focus, key, Qt::AltModifier);
            // A mnemonic clicks a button a moment after it presses it.
            for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
                QTRY_VERIFY(!button->isDown());
        } else {
            QTest::keyClicks(focus, step);
        }
    }
}

// Answers the dialog that is about to open: keeps what it opened with, then
// plays the script on it.
void answerDialog(const QString &script, LineFilter *opened, QString *title)
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<LineFilterDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (!QTest::qWaitForWindowActive(dialog)) {
            dialog->reject();
            QFAIL("the dialog never became active");
        }
        *opened = dialog->filter();
        *title = dialog->windowTitle();
        play(script);
        if (dialog->isVisible())
            dialog->reject(); // so that a failed step cannot hold the test
    });
}

} // namespace

class tst_LineFilterDialog : public QObject
{
    Q_OBJECT

private slots:
    void byKeyboard_data();
    void byKeyboard();
    void startsFromTheLastFilter();
};

void tst_LineFilterDialog::byKeyboard_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<LineFilter>("filter");
    QTest::addColumn<QString>("reason"); // shown at the end; empty: none, OK enabled

    const QString unclosed =
        u"The pattern does not compile: missing closing parenthesis (at character 3)."_s;
    QTest::newRow("typed, Enter is OK")
        << u"ERROR; Return"_s << true << LineFilter{u"ERROR"_s, true, false} << QString();
    QTest::newRow("Alt+C unticks the case")
        << u"error; Alt+C; Return"_s << true << LineFilter{u"error"_s, false, false} << QString();
    QTest::newRow("Alt+R ticks the pattern")
        << u"^E; Alt+R; Return"_s << true << LineFilter{u"^E"_s, true, true} << QString();
    // Reached by its mnemonic, the text is selected: typing replaces it.
    QTest::newRow("Alt+T goes back to the text")
        << u"a; Alt+R; Alt+T; b; Return"_s << true << LineFilter{u"b"_s, true, true} << QString();
    QTest::newRow("Esc is Cancel")
        << u"abc; Escape"_s << false << LineFilter{u"abc"_s} << QString();
    QTest::newRow("Enter waits while the pattern is invalid")
        << u"a(; Alt+R; Return"_s << false << LineFilter{u"a("_s, true, true} << unclosed;
    QTest::newRow("the mended pattern goes")
        << u"a(; Alt+R; Return; Alt+T; End; Backspace; Return"_s << true
        << LineFilter{u"a"_s, true, true} << QString();
    QTest::newRow("an unticked pattern is a plain text again")
        << u"a(; Alt+R; Alt+R"_s << false << LineFilter{u"a("_s} << QString();
}

// The text has the focus at first, "Match case" is ticked, "Regular
// expression" is not; every control is reached by its mnemonic. A pattern
// that does not compile shows its reason under the text, which is also the
// text's accessible description, and OK waits.
void tst_LineFilterDialog::byKeyboard()
{
    QFETCH(QString, script);
    QFETCH(bool, accepted);
    QFETCH(LineFilter, filter);
    QFETCH(QString, reason);

    LineFilterDialog dialog(u"Keep Lines Containing..."_s, LineFilter{});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.textEdit());
    play(script);

    QCOMPARE(dialog.result(), accepted ? QDialog::Accepted : QDialog::Rejected);
    QCOMPARE(dialog.filter(), filter);
    if (accepted || script.endsWith(u"Escape"))
        QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.problemLabel()->isVisible(), !reason.isEmpty() && dialog.isVisible());
    QCOMPARE(dialog.problemLabel()->text(), reason);
    QCOMPARE(dialog.textEdit()->accessibleDescription(), reason);
    QCOMPARE(dialog.okButton()->isEnabled(), reason.isEmpty());
}

// The chooser asks under the option's caption, starting from the last
// filter given, its text selected so that typing replaces it; Cancel gives
// nothing and is not remembered.
void tst_LineFilterDialog::startsFromTheLastFilter()
{
    DialogFilterChooser chooser;
    LineFilter opened;
    QString title;

    answerDialog(u"Kelvin; Alt+C; Return"_s, &opened, &title);
    QCOMPARE(chooser.chooseFilter(u"Keep Lines Containing..."_s),
             std::optional(LineFilter{u"Kelvin"_s, false, false}));
    QCOMPARE(opened, LineFilter{});
    QCOMPARE(title, u"Keep Lines Containing..."_s);

    answerDialog(u"Escape"_s, &opened, &title);
    QCOMPARE(chooser.chooseFilter(u"Remove Lines Containing..."_s), std::nullopt);
    QCOMPARE(opened, (LineFilter{u"Kelvin"_s, false, false}));
    QCOMPARE(title, u"Remove Lines Containing..."_s);

    answerDialog(u"k; Return"_s, &opened, &title);
    QCOMPARE(chooser.chooseFilter(u"Keep Lines Containing..."_s),
             std::optional(LineFilter{u"k"_s, false, false}));
    QCOMPARE(opened, (LineFilter{u"Kelvin"_s, false, false}));
}

QTEST_MAIN(tst_LineFilterDialog)
#include "tst_linefilterdialog.moc"
