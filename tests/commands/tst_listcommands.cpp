#include "commands/ClearContent.h"
#include "commands/ClearResults.h"
#include "commands/LoadSample.h"
#include "commands/LoadTextFiles.h"
#include "commands/PasteLines.h"
#include "commands/ResultsMenu.h"
#include "support/CommandFixture.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <QSignalSpy>

#include <algorithm>
#include <optional>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Shape = WindowPointer::Shape;

const QStringList Sample{
    u"Watch your cash."_s,
    u"Pick founders carefully."_s,
    u"Hire generalists early."_s,
    u"Hire specialists later."_s,
    u"Invest in culture."_s,
    u"Avoid tempting distractions."_s,
    u"Support customers maniacally."_s,
    u"Avoid business plans."_s,
    u"Write a blog."_s,
    u"Never fudge numbers."_s,
    u"Encourage diverse thinking."_s,
    u"Guard your time."_s,
};

} // namespace

class tst_ListCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clearButtons_data();
    void clearButtons();
    void sample_data();
    void sample();
    void cancelledDialog();
    void loadWhileAlreadyBusy();
    void droppedFiles();
    void loadingShowsItsProgress();
    void closedWhileLoading();
    void noPermission();
    void pasteAndDrop_data();
    void pasteAndDrop();
    void standardInputAmongFiles();
    void resultsMenu_data();
    void resultsMenu();
    void copyLineToABusyClipboard();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void tst_ListCommands::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(path(u"a.txt"_s), "a1\na2\n"_ba));
    QVERIFY(writeFile(path(u"b.txt"_s), "  \r\nb1\r\n"_ba));
    QVERIFY(QDir(m_dir.path()).mkdir(u"folder.txt"_s));
}

void tst_ListCommands::clearButtons_data()
{
    QTest::addColumn<bool>("contentList"); // or else the results list's button
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("contentLeft");
    QTest::addColumn<int>("resultsLeft");
    QTest::newRow("content list, idle") << true << false << 0 << 2;
    QTest::newRow("content list, busy") << true << true << 3 << 2;
    QTest::newRow("results list, idle") << false << false << 3 << 0;
    QTest::newRow("results list, busy") << false << true << 3 << 0;
}

void tst_ListCommands::clearButtons()
{
    QFETCH(bool, contentList);
    QFETCH(bool, busy);
    QFETCH(int, contentLeft);
    QFETCH(int, resultsLeft);

    CommandFixture c;
    c.content.append(QStringList{u"x"_s, u"y"_s, u"x"_s});
    c.results.append(QStringList{u"x"_s, u"x"_s});
    c.pointer.set(busy ? Shape::Hourglass : Shape::Custom);
    c.pointerShapes.clear();

    (contentList ? clearContent : clearResults)(c.ctx);

    QCOMPARE(c.content.count(), contentLeft);
    QCOMPARE(c.results.count(), resultsLeft);
    QVERIFY(c.pointerShapes.empty());
    QVERIFY(c.dialogs.shown.empty());
}

void tst_ListCommands::sample_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("busy");
    QTest::newRow("empty list") << QStringList() << false;
    QTest::newRow("behind loaded rows")
        << QStringList{u"from a file"_s, u"Watch your cash."_s} << false;
    QTest::newRow("while busy") << QStringList{u"row"_s} << true;
}

void tst_ListCommands::sample()
{
    QFETCH(QStringList, before);
    QFETCH(bool, busy);

    CommandFixture c;
    c.content.append(before);
    c.pointer.set(busy ? Shape::Hourglass : Shape::Default);
    c.pointerShapes.clear();

    loadSample(c.ctx);
    QCOMPARE(rowTexts(c.content), before + Sample);
    loadSample(c.ctx);
    QCOMPARE(rowTexts(c.content), before + Sample + Sample);

    QCOMPARE(c.results.count(), 0);
    QVERIFY(c.pointerShapes.empty());
    QVERIFY(c.dialogs.shown.empty());
}

void tst_ListCommands::cancelledDialog()
{
    CommandFixture c;
    c.content.append(u"kept"_s);
    c.pointer.set(Shape::Custom);
    c.pointerShapes.clear();

    loadTextFiles(c.ctx); // no answer scripted: the dialog is cancelled

    QCOMPARE(c.dialogs.shown.size(), size_t(1));
    const ScriptedDialogs::Shown expected{
        ScriptedDialogs::Shown::Kind::OpenFiles,
        u"Load List(s) - Hold Ctrl to select multiple list files"_s,
        QString(),
        UserDialogs::Icon::None,
        {u"Text Files (*.txt)"_s, u"All Files (*)"_s}};
    QCOMPARE(c.dialogs.shown.front(), expected);
    QCOMPARE(rowTexts(c.content), QStringList{u"kept"_s});
    QVERIFY(c.pointerShapes.empty());
}

// A load that starts while a sort yields leaves the busy state to the sort.
void tst_ListCommands::loadWhileAlreadyBusy()
{
    CommandFixture c;
    c.pointer.set(Shape::Hourglass);
    c.pointerShapes.clear();
    c.dialogs.openAnswers.push_back({path(u"a.txt"_s)});
    loadTextFiles(c.ctx);
    QCOMPARE(rowTexts(c.content), (QStringList{u"a1"_s, u"a2"_s}));
    QVERIFY(c.pointer.busy());
}

void tst_ListCommands::droppedFiles()
{
    CommandFixture c;
    loadDroppedFiles(c.ctx, {path(u"b.txt"_s), path(u"folder.txt"_s), path(u"a.txt"_s)});
    QCOMPARE(rowTexts(c.content), (QStringList{u"b1"_s, u"a1"_s, u"a2"_s}));
    // The hourglass from the start (again after every yield) until the end.
    QVERIFY(c.pointerShapes.size() >= 2);
    QCOMPARE(c.pointerShapes.back(), Shape::Default);
    QVERIFY(std::all_of(c.pointerShapes.begin(), c.pointerShapes.end() - 1,
                        [](Shape s) { return s == Shape::Hourglass; }));
    QCOMPARE(c.dialogs.messages().size(), 1);
    QVERIFY(c.dialogs.messages().front().contains(u"Form1.ListView1_OLEDragDrop at line 134"_s));

    // Nothing dropped, nothing done.
    c.pointerShapes.clear();
    loadDroppedFiles(c.ctx, {});
    QVERIFY(c.pointerShapes.empty());
}

// Each file names itself on the status line while it loads, its position
// grows, and the bar is back at rest at the end.
void tst_ListCommands::loadingShowsItsProgress()
{
    CommandFixture c;
    QString many;
    for (int i = 0; i < 40000; ++i)
        many += u"line "_s + QString::number(i) + u"\n"_s;
    QVERIFY(writeFile(path(u"many.txt"_s), many.toUtf8()));
    int rowsWhileYielding = -1;
    c.status.onYield = [&](int) { rowsWhileYielding = c.content.count(); };
    loadDroppedFiles(c.ctx, {path(u"a.txt"_s), path(u"many.txt"_s)});

    QCOMPARE(c.content.count(), 40002);
    QCOMPARE(c.status.texts,
             (QStringList{u"Loading: a.txt"_s, u"Loading: many.txt"_s, u"Progress Bar"_s}));
    // The big file yields while it is split, before its rows are in.
    QVERIFY(c.status.yields > 2);
    QCOMPARE(rowsWhileYielding, 2);
    QVERIFY(std::is_sorted(c.status.positions.begin() + 2, c.status.positions.end() - 1));
    QVERIFY(c.status.positions[c.status.positions.size() - 2] > 30);
    QCOMPARE(c.status.positions.back(), 0.0);
}

// A window closed during a load ends it: the file being read adds nothing,
// the files done before it keep their rows.
void tst_ListCommands::closedWhileLoading()
{
    CommandFixture c;
    c.status.closeAt = 2; // while the second file is read
    QVERIFY_THROWS_EXCEPTION(CommandAborted,
                             loadDroppedFiles(c.ctx, {path(u"b.txt"_s), path(u"a.txt"_s)}));
    QCOMPARE(rowTexts(c.content), QStringList{u"b1"_s});
    QVERIFY(c.dialogs.shown.empty());
}

void tst_ListCommands::noPermission()
{
    QFile locked(path(u"locked.txt"_s));
    QVERIFY(writeFile(locked.fileName(), "secret\n"_ba));
    QVERIFY(locked.setPermissions(QFileDevice::WriteOwner));
    {
        QFile probe(locked.fileName());
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("this user may read any file");
    }

    CommandFixture c;
    c.dialogs.openAnswers.push_back({locked.fileName(), path(u"b.txt"_s)});
    loadTextFiles(c.ctx);
    QCOMPARE(rowTexts(c.content), QStringList{u"b1"_s});
    QCOMPARE(c.dialogs.messages().size(), 1);
    QVERIFY(c.dialogs.messages().front().startsWith(u"Cannot read \""_s + locked.fileName()));
    QVERIFY(c.dialogs.messages().front().contains(u"at line 134"_s));
}

void tst_ListCommands::pasteAndDrop_data()
{
    QTest::addColumn<bool>("drop"); // or else a paste
    QTest::addColumn<std::optional<QString>>("text");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("statuses");

    const std::optional<QString> lines = u"b\r\n  \n\nc"_s;
    const QStringList bc{u"b"_s, u"c"_s};
    QTest::newRow("paste") << false << lines << false << bc
                           << QStringList{u"Loading: Clipboard"_s, u"Progress Bar"_s};
    QTest::newRow("drop") << true << lines << false << bc
                          << QStringList{u"Loading: Dropped text"_s, u"Progress Bar"_s};
    QTest::newRow("paste while busy") << false << lines << true << QStringList() << QStringList();
    QTest::newRow("clipboard without text")
        << false << std::optional<QString>() << false << QStringList() << QStringList();
    QTest::newRow("clipboard with an empty text")
        << false << std::optional<QString>(QString()) << false << QStringList() << QStringList();
    QTest::newRow("only blank lines")
        << false << std::optional<QString>(u" \r\n\n"_s) << false << QStringList()
        << QStringList{u"Loading: Clipboard"_s, u"Progress Bar"_s};
}

void tst_ListCommands::pasteAndDrop()
{
    QFETCH(bool, drop);
    QFETCH(std::optional<QString>, text);
    QFETCH(bool, busy);
    QFETCH(QStringList, added);
    QFETCH(QStringList, statuses);

    CommandFixture c;
    c.content.append(u"kept"_s);
    c.clipboard.text = text;
    c.pointer.set(busy ? Shape::Hourglass : Shape::Default);
    c.pointerShapes.clear();
    QSignalSpy inserted(&c.content, &QAbstractItemModel::rowsInserted);

    if (drop)
        appendDroppedText(c.ctx, text.value_or(QString()));
    else
        pasteLines(c.ctx);

    QCOMPARE(rowTexts(c.content), QStringList{u"kept"_s} + added);
    QCOMPARE(inserted.size(), added.isEmpty() ? 0 : 1);
    QCOMPARE(c.status.texts, statuses);
    QVERIFY(c.dialogs.shown.empty());
    if (statuses.isEmpty()) {
        QVERIFY(c.pointerShapes.empty());
    } else {
        QCOMPARE(c.pointerShapes.front(), Shape::Hourglass);
        QCOMPARE(c.pointerShapes.back(), Shape::Default);
    }
}

// "-" among the files reads standard input in its place.
void tst_ListCommands::standardInputAmongFiles()
{
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    const int savedInput = ::dup(STDIN_FILENO);
    QVERIFY(::dup2(ends[0], STDIN_FILENO) >= 0);
    ::close(ends[0]);
    QVERIFY(::write(ends[1], "s1\r\n\ns2", 7) == 7);
    ::close(ends[1]);

    CommandFixture c;
    loadGivenFiles(c.ctx, {path(u"a.txt"_s), standardInputArgument(), path(u"b.txt"_s)});
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);

    QCOMPARE(rowTexts(c.content), (QStringList{u"a1"_s, u"a2"_s, u"s1"_s, u"s2"_s, u"b1"_s}));
    QCOMPARE(c.status.texts, (QStringList{u"Loading: a.txt"_s, u"Loading: standard input"_s,
                                          u"Loading: b.txt"_s, u"Progress Bar"_s}));
    QVERIFY(c.dialogs.shown.empty());
}

void tst_ListCommands::resultsMenu_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QStringList>("resultsAfter"); // "-" before an unchecked row
    QTest::addColumn<QStringList>("contentAfter");

    const QStringList before{u"-b"_s, u"a"_s, u"-c"_s, u"a"_s};
    const QStringList checked{u"b"_s, u"a"_s, u"c"_s, u"a"_s};
    const QStringList unchecked{u"-b"_s, u"-a"_s, u"-c"_s, u"-a"_s};
    const QStringList content{u"x"_s};
    QTest::newRow("check all") << u"check"_s << false << checked << content;
    QTest::newRow("uncheck all") << u"uncheck"_s << false << unchecked << content;
    QTest::newRow("invert") << u"invert"_s << false << QStringList{u"b"_s, u"-a"_s, u"c"_s, u"-a"_s}
                            << content;
    QTest::newRow("append checked")
        << u"append"_s << false << before << QStringList{u"x"_s, u"a"_s, u"a"_s};
    QTest::newRow("check all while busy") << u"check"_s << true << before << content;
    QTest::newRow("append while busy") << u"append"_s << true << before << content;
}

void tst_ListCommands::resultsMenu()
{
    QFETCH(QString, entry);
    QFETCH(bool, busy);
    QFETCH(QStringList, resultsAfter);
    QFETCH(QStringList, contentAfter);

    CommandFixture c;
    c.content.append(u"x"_s);
    c.addResults({u"-b"_s, u"a"_s, u"-c"_s, u"a"_s});
    c.pointer.set(busy ? Shape::Hourglass : Shape::Default);
    QSignalSpy changed(&c.results, &QAbstractItemModel::dataChanged);

    if (entry == u"check")
        checkAllResults(c.ctx);
    else if (entry == u"uncheck")
        uncheckAllResults(c.ctx);
    else if (entry == u"invert")
        invertResultChecks(c.ctx);
    else
        appendCheckedToContent(c.ctx);

    QStringList marked;
    for (int i = 0; i < c.results.count(); ++i)
        marked.append((c.results.isChecked(i) ? u""_s : u"-"_s) + c.results.text(i));
    QCOMPARE(marked, resultsAfter);
    QCOMPARE(rowTexts(c.content), contentAfter);
    const bool marksChange = !busy && entry != u"append";
    QCOMPARE(changed.size(), marksChange ? 1 : 0);
    if (marksChange) {
        QCOMPARE(changed.front().at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.front().at(1).toModelIndex().row(), 3);
    }
    // Appended rows point into the results' own text block.
    if (contentAfter.size() > 1)
        QCOMPARE(c.content.lineRef(1).bytes, c.results.lineRef(1).bytes);
    QVERIFY(c.dialogs.shown.empty());
}

// A clipboard that another program holds is told as the copy's failure.
void tst_ListCommands::copyLineToABusyClipboard()
{
    CommandFixture c;
    c.content.append(u"row"_s);
    c.clipboard.busyAttempts = 1000;
    copyLine(c.ctx, c.content, 0);
    QCOMPARE(c.dialogs.messages().size(), 1);
    QVERIFY(c.dialogs.messages().front().contains(u"Form1.ListView_CopyLine at line 100"_s));
}

QTEST_GUILESS_MAIN(tst_ListCommands)
#include "tst_listcommands.moc"
