#include "commands/SaveSpreadsheet.h"
#include "core/Failure.h"
#include "export/XlsxSpreadsheet.h"
#include "export/XlsxWorkbook.h"
#include "support/CommandFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Rows of a CSV text with "" quoting; fields may hold separators and line breaks.
std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field.append(u'"');
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field.append(c);
            }
            continue;
        }
        any = true;
        if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\n') {
            row.append(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else if (c != u'\r') {
            field.append(c);
        }
    }
    if (any) {
        row.append(field);
        rows.push_back(row);
    }
    return rows;
}

// LibreOffice reads the workbook and writes its first sheet as UTF-8 CSV,
// every text cell quoted.
QString convertToCsv(const QString &xlsx, const QString &workFolder, QString *problem)
{
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty()) {
        *problem = u"soffice is not installed (scripts/test installs libreoffice-calc-nogui)"_s;
        return {};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(soffice, {u"-env:UserInstallation=file://"_s + workFolder + u"/profile"_s,
                            u"--headless"_s, u"--norestore"_s, u"--convert-to"_s,
                            u"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true"_s, u"--outdir"_s,
                            workFolder + u"/csv"_s, xlsx});
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        *problem = u"soffice did not finish in time"_s;
        return {};
    }
    const QString output = QString::fromLocal8Bit(process.readAll());
    QFile csv(workFolder + u"/csv/"_s + QFileInfo(xlsx).completeBaseName() + u".csv"_s);
    if (!csv.open(QIODevice::ReadOnly)) {
        *problem = u"no CSV from soffice: "_s + output;
        return {};
    }
    return QString::fromUtf8(csv.readAll());
}

} // namespace

class tst_XlsxRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void exportedWorkbookReadsBack();
    void refusedTexts_data();
    void refusedTexts();
    void columnWidth_data();
    void columnWidth();
};

void tst_XlsxRoundTrip::exportedWorkbookReadsBack()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QStringList launched;
    XlsxSpreadsheet spreadsheet(
        [] {
            return std::optional(XlsxSpreadsheet::Launch{u"/opt/calc"_s, {u"--calc"_s, u"-n"_s}});
        },
        [&](const QString &program, const QStringList &arguments) {
            launched = QStringList{program} + arguments;
            return true;
        },
        temp.path());
    CommandFixture f(spreadsheet);
    const QStringList rows{u"pear"_s,
                           u"=1+2"_s,
                           u"   leading spaces"_s,
                           u"trailing spaces   "_s,
                           u"-not checked"_s,
                           u"Größe € Ørsted"_s,
                           u"日本語のテキスト"_s,
                           u"\U0001F600 emoji"_s,
                           u"0012"_s,
                           u"1e5"_s,
                           u"TRUE"_s,
                           u"2021-08-31"_s,
                           u"a,b \"quoted\""_s,
                           u"tab\there"_s,
                           u"_x0041_ stays"_s,
                           u"<tag> & 'apostrophe"_s,
                           u"-last unchecked"_s};
    f.addResults(rows);

    saveResultsAsSpreadsheet(f.ctx);

    QCOMPARE(f.dialogs.messages(), QStringList());
    QCOMPARE(launched.size(), 4);
    QCOMPARE(launched.mid(0, 3), (QStringList{u"/opt/calc"_s, u"--calc"_s, u"-n"_s}));
    const QString xlsx = launched[3];
    QVERIFY2(xlsx.startsWith(temp.path() + u"/tarnveil-"_s), qPrintable(xlsx));
    QVERIFY(xlsx.endsWith(u".xlsx"_s));
    QCOMPARE(QFileInfo(QFileInfo(xlsx).path()).permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFileDevice::Permissions());

    QString problem;
    const QString csv = convertToCsv(xlsx, temp.path(), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const std::vector<QStringList> sheet = parseCsv(csv);

    const auto cell = [&](size_t row) {
        return row < sheet.size() && !sheet[row].isEmpty() ? sheet[row].front() : QString();
    };
    QCOMPARE(cell(0), u"Sorted Content (Results)"_s);
    for (int r = 0; r < rows.size(); ++r) {
        const QString expected = rows[r].startsWith(u'-') ? QString() : rows[r];
        QCOMPARE(cell(size_t(r) + 1), expected);
    }
    for (const QStringList &row : sheet)
        QCOMPARE(row.size(), 1);
}

void tst_XlsxRoundTrip::refusedTexts_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("longest text a cell holds") << 1 << 1 << 32767 << true;
    QTest::newRow("one character too long") << 1 << 1 << 32768 << false;
    QTest::newRow("last row of the sheet") << 1048576 << 1 << 1 << true;
    QTest::newRow("below the sheet") << 1048577 << 1 << 1 << false;
    QTest::newRow("right of the sheet") << 1 << 16385 << 1 << false;
    QTest::newRow("row 0") << 0 << 1 << 1 << false;
}

void tst_XlsxRoundTrip::refusedTexts()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, length);
    QFETCH(bool, accepted);
    QTemporaryDir temp;
    XlsxWorkbook workbook(temp.filePath(u"w.xlsx"_s), temp.path());

    bool threw = false;
    try {
        workbook.setText(row, column, QString(length, u'x'));
    } catch (const Failure &failure) {
        threw = true;
        QVERIFY(!failure.description().isEmpty());
    }

    QCOMPARE(!threw, accepted);
    workbook.save();
    QVERIFY(QFileInfo(temp.filePath(u"w.xlsx"_s)).size() > 0);
}

void tst_XlsxRoundTrip::columnWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("cells");

    QTest::newRow("plain") << u"pear"_s << 4.0;
    QTest::newRow("longest line counts") << u"ab\nabcdef\r\nabc"_s << 6.0;
    QTest::newRow("wide characters take two") << u"日本a"_s << 5.0;
    QTest::newRow("a surrogate pair is one character") << u"\U0001D11Ex"_s << 2.0;
}

void tst_XlsxRoundTrip::columnWidth()
{
    QFETCH(QString, text);
    QFETCH(double, cells);
    QCOMPARE(XlsxWorkbook::characterCells(text), cells);
    QVERIFY(XlsxWorkbook::columnWidthFor(cells) > cells);
    QCOMPARE(XlsxWorkbook::columnWidthFor(100000), 255.0);
}

QTEST_GUILESS_MAIN(tst_XlsxRoundTrip)
#include "tst_xlsxroundtrip.moc"
