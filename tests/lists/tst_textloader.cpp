#include "core/Failure.h"
#include "lists/RowModel.h"
#include "lists/TextDecoding.h"
#include "lists/TextLoader.h"
#include "support/LoaderRows.h"
#include "support/RecordingProgress.h"
#include "support/ReferenceLoader.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1}
                           : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return bytes;
}

// The rows of a loaded text, each a text of its own.
QStringList rowsOf(const LoadedText &loaded)
{
    RowModel list(false);
    list.append(loaded.block, loaded.spans);
    return rowTexts(list);
}

// The bytes piped in from a second thread, as a shell pipe would bring them.
QStringList rowsThroughPipe(const QByteArray &bytes, Progress *progress)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {u"<no pipe>"_s};
    std::thread writer([&] {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t wrote =
                ::write(ends[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (wrote <= 0)
                break;
            done += wrote;
        }
        ::close(ends[1]);
    });
    QStringList rows = rowsOf(loadStream(ends[0], u"standard input"_s, progress));
    writer.join();
    ::close(ends[0]);
    return rows;
}

// Uses the reason text as it stands in the error box.
QString failureText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Failure &f) {
        return f.description();
    }
    return {};
}

} // namespace

class tst_TextLoader : public QObject
{
    Q_OBJECT

private slots:
    void sizeDiffersFromContent_data();
    void sizeDiffersFromContent();
    void rowsOfBytes_data();
    void rowsOfBytes();
    void decoding_data();
    void decoding();
    void endOfUtf8_data();
    void endOfUtf8();
    void windows1252CoversEveryByte();
    void randomBytesAgreeWithQt();
    void manyLines();
    void checkedWhileRead_data();
    void checkedWhileRead();
    void longLineYields();

    void missingFile();
    void emptyFile();
    void fileWithoutReportedSize();
    void unreadable_data();
    void unreadable();
    void noPermission();
    void tooLargeForMemory();
    void endlessInputRunsOutOfMemory();

private:
    QTemporaryDir m_dir;
};

void tst_TextLoader::rowsOfBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    const QStringList abc{u"alpha"_s, u"beta"_s, u"gamma"_s};
    QTest::newRow("crlf") << "alpha\r\nbeta\r\ngamma"_ba << abc;
    QTest::newRow("bare lf") << "alpha\nbeta\ngamma"_ba << abc;
    QTest::newRow("crlf with final break") << "alpha\r\nbeta\r\ngamma\r\n"_ba << abc;
    QTest::newRow("lf with final break") << "alpha\nbeta\ngamma\n"_ba << abc;
    QTest::newRow("cr only runs together")
        << "alpha\rbeta\rgamma\r"_ba << QStringList{u"alphabetagamma"_s};
    QTest::newRow("cr inside a line is deleted")
        << "al\rpha\nbe\r\rta"_ba << QStringList{u"alpha"_s, u"beta"_s};
    QTest::newRow("blank and space-only lines skipped")
        << "\n   \nalpha\n\n \r\nbeta\n      \n"_ba << QStringList{u"alpha"_s, u"beta"_s};
    QTest::newRow("tab-only line kept")
        << "\t\n \t \nalpha"_ba << QStringList{u"\t"_s, u" \t "_s, u"alpha"_s};
    QTest::newRow("spaces around text kept")
        << "  alpha  \r\n\tbeta\t\n"_ba << QStringList{u"  alpha  "_s, u"\tbeta\t"_s};
    QTest::newRow("duplicates kept")
        << "same\nsame\nsame\n"_ba << QStringList{u"same"_s, u"same"_s, u"same"_s};
    QTest::newRow("no line break") << "single"_ba << QStringList{u"single"_s};
    QTest::newRow("0 bytes") << QByteArray() << QStringList();
    QTest::newRow("only line breaks") << "\r\n\n\r\n\r\r\n"_ba << QStringList();
    QTest::newRow("only spaces") << "      "_ba << QStringList();
    QTest::newRow("nul bytes are not blank")
        << QByteArray("a\0b\n\0\n  \n", 9) << QStringList{u"a\0b"_s, QString(QChar(0))};
    QTest::newRow("non-breaking space is not blank")
        << "\xC2\xA0\n"_ba << QStringList{QString(QChar(0xA0))};

    QTest::newRow("utf-16 le with mark")
        << QByteArray("\xFF\xFE") + utf16(u"alpha\r\n\r\n  \r\nbeta\r\n"_s, false)
        << QStringList{u"alpha"_s, u"beta"_s};
    QTest::newRow("utf-16 le with mark, first line blank")
        << QByteArray("\xFF\xFE") + utf16(u"\r\nalpha"_s, false) << QStringList{u"alpha"_s};
    QTest::newRow("utf-16 be with mark")
        << QByteArray("\xFE\xFF") + utf16(u"\u00E9t\u00E9\n\u20AC 5\n"_s, true)
        << QStringList{u"\u00E9t\u00E9"_s, u"\u20AC 5"_s};
    QTest::newRow("utf-16 le without mark, first byte ff")
        << utf16(u"\u00FFx\ny"_s, false) << QStringList{u"\u00FFx"_s, u"y"_s};
    QTest::newRow("utf-16 le without mark, first byte fe")
        << utf16(u"\u00FEx\ny"_s, false) << QStringList{u"\u00FEx"_s, u"y"_s};
    QTest::newRow("utf-16 odd length")
        << QByteArray("\xFF\xFE") + utf16(u"ab\ncd"_s, false) + "e"_ba
        << QStringList{u"ab"_s, u"cd\uFFFD"_s};
    QTest::newRow("utf-16 single byte") << "\xFF"_ba << QStringList{u"\uFFFD"_s};
    QTest::newRow("utf-16 mark only") << "\xFF\xFE"_ba << QStringList();
    QTest::newRow("utf-16 surrogate pair")
        << QByteArray("\xFF\xFE") + utf16(u"\U0001F600"_s, false) << QStringList{u"\U0001F600"_s};

    QTest::newRow("utf-8 without mark") << "Gr\xC3\xBC\xC3\x9F"
                                           "e\n\xE2\x82\xAC 5"_ba
                                        << QStringList{u"Gr\u00FC\u00DFe"_s, u"\u20AC 5"_s};
    QTest::newRow("utf-8 with mark")
        << "\xEF\xBB\xBFline\nnext"_ba << QStringList{u"line"_s, u"next"_s};
    QTest::newRow("utf-8 four-byte sequence")
        << "\xF0\x9F\x98\x80"_ba << QStringList{u"\U0001F600"_s};
    QTest::newRow("invalid utf-8 is windows-1252")
        << "\x80 and caf\xE9\n"_ba << QStringList{u"\u20AC and caf\u00E9"_s};
    QTest::newRow("windows-1252 with crlf")
        << "caf\xE9\r\n\r\nna\xEFve\r\n"_ba << QStringList{u"caf\u00E9"_s, u"na\u00EFve"_s};
    QTest::newRow("utf-8 mixed with a stray byte is windows-1252 throughout")
        << "\xC3\xA9\n\x80"_ba << QStringList{u"\u00C3\u00A9"_s, u"\u20AC"_s};
    QTest::newRow("truncated utf-8 sequence at the end")
        << "abc\xC3"_ba << QStringList{u"abc\u00C3"_s};
    QTest::newRow("encoded surrogate is not utf-8")
        << "\xED\xA0\x80"_ba << QStringList{u"\u00ED\u00A0\u20AC"_s};
    QTest::newRow("overlong encoding is not utf-8")
        << "\xC0\xAF"_ba << QStringList{u"\u00C0\u00AF"_s};
    QTest::newRow("undefined windows-1252 bytes keep their value")
        << "\x81\x8D\x8F\x90\x9D"_ba << QStringList{u"\u0081\u008D\u008F\u0090\u009D"_s};

    QByteArray large;
    QStringList largeRows;
    for (int i = 0; large.size() < 20'000'000; ++i) {
        largeRows.append(u"line "_s + QString::number(i) + u" \u00E9t\u00E9"_s);
        large += largeRows.back().toUtf8() + (i % 3 ? "\n" : "\r\n \n");
    }
    QTest::newRow("20 MB") << large << largeRows;

    // A large text's second half is checked apart: a stray byte in either
    // half makes all of it Windows-1252.
    for (const bool inFirstHalf : {true, false}) {
        QByteArray bytes;
        QStringList rows;
        for (int i = 0; bytes.size() < 2'000'000; ++i) {
            const bool stray = i == (inFirstHalf ? 10 : 190'000);
            bytes += "l" + QByteArray::number(i) + (stray ? " \x80\r\n" : " \xC3\xA9\n");
            rows << u"l%1 "_s.arg(i) + (stray ? u"\u20AC"_s : u"\u00C3\u00A9"_s);
        }
        QTest::addRow("2 MB, a stray byte in the %s half", inFirstHalf ? "first" : "second")
            << bytes << rows;
    }

    // Lines of megabytes are worked on a megabyte at a time: characters,
    // carriage returns, a stray byte and surrogate pairs where the pieces meet.
    QByteArray piecesMeet = "a\r\n";
    for (int piece = 1; piece <= 3; ++piece) {
        piecesMeet += QByteArray((1 << 20) * piece - piecesMeet.size() - 1, 'x');
        piecesMeet += "\xc3\xa9\r\xe2\x82\xac"; // é, CR, € across the piece's end
    }
    QTest::newRow("a line of megabytes, characters across its pieces")
        << piecesMeet + "\n  \nend" << rowsFromText(textFromFileBytes(piecesMeet + "\n  \nend"));
    QByteArray strayLate = QByteArray(3 << 20, 'y');
    strayLate[(1 << 20) + 5] = '\xe9';
    QTest::newRow("a line of megabytes, a stray byte after its first piece")
        << strayLate << QStringList{QString::fromLatin1(strayLate)};
    QString pairs = QString((1 << 20) - 1, u'p') + u"\U0001F600"_s + QString((1 << 20) - 2, u'q') +
                    QChar(0xD83D) + u'\r' + QChar(0xDE00) + u"z"_s;
    QTest::newRow("16-bit, pairs across pieces, one with a CR inside")
        << "\xff\xfe"_ba + utf16(pairs, false) << rowsFromText(pairs);

    // Lines are found 64 bytes at a time: line feeds, characters of two
    // bytes, lines of spaces and, after them, carriage returns at every
    // place of a block; after a mark, and with a stray byte at the end.
    QByteArray blocks;
    for (const QByteArray &odd : {"\xC3\xA9"_ba, " "_ba, "\r"_ba}) {
        for (int length = 0; length < 140; ++length)
            blocks += (length % 3 ? QByteArray(length, 'a') + odd : QByteArray(length, ' ')) +
                      QByteArray(length % 5, 'b') + '\n';
    }
    for (const QByteArray &bytes : {blocks, "\xEF\xBB\xBF"_ba + blocks, blocks + "\xE9"_ba})
        QTest::addRow("block ends, %d bytes", int(bytes.size()))
            << bytes << rowsFromText(textFromFileBytes(bytes));
    // The fault of a sequence cut off by a line feed lies in its line.
    QByteArray cutOff;
    for (int i = 0; i < 200'000; ++i)
        cutOff += i == 150'000 ? "cut off \xE2\x82\n"_ba : "\xC3\xA9 line\n"_ba;
    QTest::newRow("1.8 MB, a sequence cut off by a line feed in the second half")
        << cutOff << rowsFromText(textFromFileBytes(cutOff));
}

void tst_TextLoader::rowsOfBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QCOMPARE(rowsFromBytes(bytes), rows);
    QCOMPARE(rowsFromText(textFromFileBytes(bytes)), rows);
    // Pasted or dropped, the text the bytes decode to; piped, the bytes.
    QCOMPARE(rowsOf(loadText(textFromFileBytes(bytes), u"Clipboard"_s)), rows);
    RecordingProgress progress;
    QCOMPARE(rowsThroughPipe(bytes, &progress), rows);
    QCOMPARE(progress.texts.value(0), u"Loading: standard input"_s);
    QCOMPARE(rowsThroughPipe(bytes, nullptr), rows);

    // The same bytes through a file and the list give the same rows, in order.
    const QString path = m_dir.filePath(u"rows.txt"_s);
    QVERIFY(writeFile(path, bytes));
    RowModel list(false);
    list.append(u"earlier row"_s);
    ScriptedDialogs dialogs;
    appendTextFile(list, path, dialogs, u"Short"_s);
    QVERIFY(dialogs.shown.empty());
    QCOMPARE(list.count(), 1 + rows.size());
    QCOMPARE(list.text(0), u"earlier row"_s);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(list.text(i + 1), rows.at(i));
}

void tst_TextLoader::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("utf-16 le mark removed") << "\xFF\xFEh\0i\0"_ba << u"hi"_s;
    QTest::newRow("utf-16 be mark removed") << "\xFE\xFF\0h\0i"_ba << u"hi"_s;
    QTest::newRow("utf-16 le without mark keeps first unit") << "\xFFh\0i"_ba << u"\u68FF\u6900"_s;
    QTest::newRow("only the first mark goes") << "\xFF\xFE\xFF\xFEx\0"_ba << u"\uFEFFx"_s;
    QTest::newRow("utf-8 mark removed") << "\xEF\xBB\xBFok"_ba << u"ok"_s;
    QTest::newRow("utf-8 mark alone") << "\xEF\xBB\xBF"_ba << QString();
    QTest::newRow("ascii") << "plain text\r\n"_ba << u"plain text\r\n"_s;
    QTest::newRow("windows-1252 0x80") << "\x80"_ba << u"\u20AC"_s;
    QTest::newRow("windows-1252 quotes") << "\x93quoted\x94"_ba << u"\u201Cquoted\u201D"_s;
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << u"a\0b"_s;
}

void tst_TextLoader::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(textFromFileBytes(bytes), text);
}

// Where UTF-8 stops is where the faulty sequence starts: after runs of
// characters of one, two and three bytes, at every place of the 16 bytes
// checked at a time, at the end or before more lines.
void tst_TextLoader::endOfUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("end");

    const QByteArray faults[] = {"\x80"_ba,
                                 "\xC3("_ba,
                                 "\xE0\x80\x80"_ba,
                                 "\xED\xA0\x80"_ba,
                                 "\xF0\x8F\xBF\xBF"_ba,
                                 "\xF4\x90\x80\x80"_ba,
                                 "\xF5"_ba,
                                 "\xC1\xBF"_ba,
                                 "\xE2\x82"_ba};
    for (const QByteArray &fault : faults) {
        for (const QByteArray &character : {"a"_ba, "\xC3\xA9"_ba, "\xE2\x82\xAC"_ba}) {
            for (int count = 0; count < 12; ++count) {
                const QByteArray before = character.repeated(count);
                for (const QByteArray &after : {QByteArray(), "\nmore lines \xF0\x9F\x98\x80"_ba})
                    QTest::addRow("%s after %d x %s%s", fault.toHex().constData(), count,
                                  character.toHex().constData(), after.isEmpty() ? "" : ", more")
                        << before + fault + after << int(before.size());
            }
        }
    }
    const QByteArray valid = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF"_ba;
    for (int count = 1; count < 6; ++count)
        QTest::addRow("valid, %d bytes", int(valid.size()) * count)
            << valid.repeated(count) << int(valid.size()) * count;
}

void tst_TextLoader::endOfUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, end);
    const auto *first = reinterpret_cast<const uchar *>(bytes.constData());
    QCOMPARE(int(TextDecoding::endOfUtf8(first, first + bytes.size()) - first), end);
}

// Every byte of a file that is not UTF-8 gives exactly one character.
void tst_TextLoader::windows1252CoversEveryByte()
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        bytes.append(char(b));
    const QString text = textFromFileBytes(bytes);
    QCOMPARE(text.size(), bytes.size());
    QCOMPARE(text.at(0x41 - 1), u'A');
    QCOMPARE(text.at(0x80 - 1), QChar(0x20AC));
    QCOMPARE(text.at(0x9F - 1), QChar(0x0178));
    QCOMPARE(text.at(0xA0 - 1), QChar(0xA0));
    QCOMPARE(text.at(0xFF - 1), QChar(0xFF));
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
}

// Random bytes, biased to line breaks, spaces and the bytes of multi-byte
// sequences: splitting the bytes line by line must give what splitting the
// whole decoded text gives, and the text must be what Qt's own UTF-8 decoder
// makes of valid UTF-8.
void tst_TextLoader::randomBytesAgreeWithQt()
{
    static const char pieces[] = {'\r',   '\n',   ' ',    ' ',    'a',    '\t',   '\0',   '\x80',
                                  '\xC3', '\xA9', '\xE2', '\x82', '\xAC', '\xF0', '\x9F', '\x98',
                                  '\xED', '\xA0', '\xEF', '\xBB', '\xBF', '\xFE', '\xFF', '\xC0',
                                  '\xE0', '\xF4', '\x90', '\xC2', '\xF5'};
    QRandomGenerator random(20210831);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int size = random.bounded(40);
        for (int i = 0; i < size; ++i)
            bytes.append(pieces[random.bounded(int(sizeof pieces))]);

        const QString text = textFromFileBytes(bytes);
        QCOMPARE(rowsFromBytes(bytes), rowsFromText(text));

        if (bytes.isEmpty() || bytes.startsWith('\xFE') || bytes.startsWith('\xFF'))
            continue;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString qtText = utf8.decode(bytes);
        if (!utf8.hasError())
            QCOMPARE(text, qtText);
        else
            QCOMPARE(text.size(), bytes.size()); // one character a byte
    }
}

void tst_TextLoader::manyLines()
{
    QStringList expected;
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i) {
        const QString line = (i % 7 == 0) ? u"  "_s : u"line %1 \u00E9"_s.arg(i);
        bytes += line.toUtf8() + (i % 2 ? "\r\n"_ba : "\n"_ba);
        if (i % 7 != 0)
            expected.append(line);
    }
    QCOMPARE(rowsFromBytes(bytes), expected);
}

void tst_TextLoader::checkedWhileRead_data()
{
    QTest::addColumn<qsizetype>("faultAt"); // a lone 0xE9 there; -1 for none

    QTest::newRow("UTF-8 throughout") << qsizetype(-1);
    QTest::newRow("a Windows-1252 byte in the first chunk") << qsizetype(3 << 20);
    QTest::newRow("a Windows-1252 byte near the end") << qsizetype((19 << 20) / 2);
}

// A file of several chunks, checked while it is read (characters of two to
// four bytes lying across every boundary), gives the rows of its bytes.
void tst_TextLoader::checkedWhileRead()
{
    QFETCH(qsizetype, faultAt);

    QByteArray bytes;
    const QList<QByteArray> characters{"\xC3\xA9"_ba, "t"_ba, "\xE2\x82\xAC"_ba,
                                       "\xF0\x9F\x98\x80"_ba, " "_ba};
    for (int k = 0; bytes.size() < (10 << 20); ++k) {
        for (int j = 0; j <= k % 37; ++j)
            bytes += characters[(k + j) % characters.size()];
        bytes += '\n';
    }
    if (faultAt >= 0)
        bytes[faultAt] = '\xE9';
    const QString path = m_dir.filePath(u"chunks.txt"_s);
    QVERIFY(writeFile(path, bytes));
    RecordingProgress progress;
    QCOMPARE(rowsFromTextFile(path, &progress), rowsFromBytes(bytes));
}

// A file of one long line keeps the window alive while it is split.
void tst_TextLoader::longLineYields()
{
    const QString path = m_dir.filePath(u"long.txt"_s);
    QVERIFY(writeFile(path, QByteArray(16 << 20, 'x') + "\r"));
    RecordingProgress progress;
    const LoadedText loaded = loadTextFile(path, &progress);
    QCOMPARE(loaded.spans.size(), std::size_t(1));
    QCOMPARE(loaded.spans.front().size, qsizetype(16 << 20));
    // Reading takes two yields; splitting one more for each piece.
    QVERIFY2(progress.yields >= 16, qPrintable(QString::number(progress.yields)));
}

void tst_TextLoader::missingFile()
{
    const QString path = m_dir.filePath(u"no such file.txt"_s);
    QCOMPARE(readWholeTextFile(path), QString());

    RowModel list(false);
    ScriptedDialogs dialogs;
    appendTextFile(list, path, dialogs, u"Tarnveil"_s);
    QCOMPARE(list.count(), 0);
    QCOMPARE(dialogs.shown.size(), size_t(1));
    const ScriptedDialogs::Shown expected{ScriptedDialogs::Shown::Kind::Message,
                                          u"File not found: "_s + path,
                                          u"Tarnveil"_s,
                                          UserDialogs::Icon::None,
                                          {}};
    QCOMPARE(dialogs.shown.front(), expected);
}

void tst_TextLoader::emptyFile()
{
    const QString path = m_dir.filePath(u"empty.txt"_s);
    QVERIFY(writeFile(path, {}));
    RowModel list(false);
    ScriptedDialogs dialogs;
    appendTextFile(list, path, dialogs, u"Tarnveil"_s);
    QCOMPARE(list.count(), 0);
    QVERIFY(dialogs.shown.empty());
}

// Files of the kernel report a length of 0 and still have content.
void tst_TextLoader::fileWithoutReportedSize()
{
    const QString path = u"/proc/self/status"_s;
    if (!QFile::exists(path))
        QSKIP("no /proc on this system");
    QCOMPARE(QFileInfo(path).size(), 0);
    const QStringList rows = rowsFromTextFile(path);
    QVERIFY(!rows.isEmpty());
    QVERIFY(rows.front().startsWith(u"Name:"_s));
}

void tst_TextLoader::unreadable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("fifo") << u"fifo"_s;
}

void tst_TextLoader::unreadable()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(u"unreadable "_s + kind);
    if (kind == u"folder"_s)
        QVERIFY(QDir().mkpath(path));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    RowModel list(false);
    list.append(u"kept"_s);
    ScriptedDialogs dialogs;
    const QString description =
        failureText([&] { appendTextFile(list, path, dialogs, u"Tarnveil"_s); });
    QVERIFY2(description.startsWith(u"Cannot read \""_s + path + u"\": "_s),
             qPrintable(description));
    QCOMPARE(list.count(), 1);
    QVERIFY(dialogs.shown.empty());
}

void tst_TextLoader::noPermission()
{
    if (::geteuid() == 0)
        QSKIP("the superuser may read any file");
    const QString path = m_dir.filePath(u"locked.txt"_s);
    QVERIFY(writeFile(path, "secret\n"_ba));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const QString description = failureText([&] { rowsFromTextFile(path); });
    QVERIFY2(description.startsWith(u"Cannot read \""_s + path + u"\": "_s),
             qPrintable(description));
}

void tst_TextLoader::tooLargeForMemory()
{
    const QString path = m_dir.filePath(u"huge.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Sparse: takes no room on disk.
    if (!file.resize(qint64(1) << 43))
        QSKIP("the file system cannot hold a sparse file of 8 TiB");
    file.close();
    RowModel list(false);
    ScriptedDialogs dialogs;
    const QString description =
        failureText([&] { appendTextFile(list, path, dialogs, u"Tarnveil"_s); });
    QCOMPARE(description, u"Out of memory while loading \""_s + path + u'"');
    QCOMPARE(list.count(), 0);
}

void tst_TextLoader::endlessInputRunsOutOfMemory()
{
    const int zeros = ::open("/dev/zero", O_RDONLY);
    QVERIFY(zeros >= 0);
    RecordingProgress progress;
    const QString description =
        failureText([&] { loadStream(zeros, u"standard input"_s, &progress, qint64(64) << 20); });
    ::close(zeros);
    QCOMPARE(description, u"Out of memory while loading standard input"_s);
    QVERIFY(progress.yields > 0);
}

void tst_TextLoader::sizeDiffersFromContent_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("reports no size") << u"/proc/version"_s;
    QTest::newRow("reports more than it holds") << u"/sys/devices/system/cpu/online"_s;
}

// Files whose reported size is not what a read gives: exactly what the read
// gives is loaded, nothing more (no zero padding) and nothing less.
void tst_TextLoader::sizeDiffersFromContent()
{
    QFETCH(QString, path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("not available here");
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.isEmpty());
    QVERIFY(file.size() != bytes.size());

    QCOMPARE(rowsFromTextFile(path), rowsFromBytes(bytes));
}

QTEST_GUILESS_MAIN(tst_TextLoader)
#include "tst_textloader.moc"
