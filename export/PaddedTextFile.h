#pragma once

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Utf8Text.h"
#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <QStringEncoder>
#include <QStringView>

#include <string_view>

#include <algorithm>
#include <cstring>
#include <map>

class Progress;

// The pieces that the saves of text files share, and the padded file's lines.

// A save that the system refused, naming the file and the system's reason:
// "Permission denied: /srv/x.txt".
Failure saveFailure(const QString &path, const QString &reason);

// Texts encoded to UTF-8 straight into one reused buffer, which goes to the
// file whenever it holds a good chunk. Every text is encoded on its own: a
// lone surrogate at either end of one becomes U+FFFD in its place and never
// pairs with one at an end of the next. A row longer than a chunk (a line of
// hundreds of megabytes) goes to the file chunk by chunk, yielding to bar in
// between, so that neither the buffer nor the wait grows with it.
class ChunkedTextWriter
{
public:
    static constexpr qsizetype ChunkBytes = 1 << 20;

    explicit ChunkedTextWriter(QSaveFile &file, Progress *bar = nullptr)
        : m_encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless), m_file(file),
          m_buffer(ChunkBytes, Qt::Uninitialized), m_bar(bar)
    {
    }

    // Throws the file's error; after a failure nothing more is written. The
    // file is unbuffered, so that a disk that fills up shows here: a short
    // write is followed by one more, which then names the error.
    void flush()
    {
        writeAll(m_buffer.constData(), m_used);
        m_used = 0;
    }

    // Writes bytes made elsewhere after what the buffer holds.
    void writeThrough(const char *bytes, qsizetype size)
    {
        flush();
        writeAll(bytes, size);
    }

    bool failed() const { return m_failed; }
    void discard()
    {
        m_failed = true;
        m_used = 0;
    }

protected:
    // Where the next bytes go, with room for at least that many.
    char *room(qsizetype bytes)
    {
        if (m_buffer.size() - m_used < bytes)
            m_buffer.resize(m_used + std::max(bytes, ChunkBytes));
        return m_buffer.data() + m_used;
    }
    // The buffer now holds everything before end.
    void filledTo(const char *end) { m_used = end - m_buffer.constData(); }
    void flushWhenFull()
    {
        if (m_used >= ChunkBytes)
            flush();
    }

    // A row's UTF-8 bytes, as they are but for a lone surrogate, which
    // becomes U+FFFD; cut only between characters.
    void appendBytes(std::string_view bytes)
    {
        while (qsizetype(bytes.size()) > ChunkBytes) {
            std::size_t cut = ChunkBytes;
            while (cut > 1 && Utf8::isContinuation(static_cast<unsigned char>(bytes[cut])))
                --cut;
            filledTo(Utf8::copyReplacingSurrogates(bytes.substr(0, cut), room(qsizetype(cut))));
            flushAndYield();
            bytes.remove_prefix(cut);
        }
        filledTo(Utf8::copyReplacingSurrogates(bytes, room(qsizetype(bytes.size()))));
    }

    void appendSpaces(qsizetype count)
    {
        while (count > 0) {
            const qsizetype now = std::min(count, ChunkBytes);
            char *out = room(now);
            std::memset(out, ' ', std::size_t(now));
            filledTo(out + now);
            count -= now;
            if (count > 0)
                flushAndYield();
        }
    }

    void flushAndYield()
    {
        flush();
        if (m_bar)
            m_bar->yield();
    }

    QStringEncoder m_encoder;

private:
    void writeAll(const char *bytes, qsizetype size)
    {
        qsizetype done = 0;
        while (done < size) {
            const qint64 written = m_file.write(bytes + done, size - done);
            if (written <= 0) {
                discard();
                throw saveFailure(m_file.fileName(), m_file.errorString());
            }
            done += written;
        }
    }

    QSaveFile &m_file;
    QByteArray m_buffer;
    Progress *m_bar;
    qsizetype m_used = 0;
    bool m_failed = false;
};

// The lines of a padded text file: UTF-8 without a byte-order mark, every
// cell padded with spaces to its column's width and followed by a TAB, CR LF
// after every line. Lengths count UTF-16 code units.
class PaddedTextWriter final : public ChunkedTextWriter
{
public:
    using ChunkedTextWriter::ChunkedTextWriter;

    // text, spaces up to width, TAB; a text longer than its width gets no spaces.
    void appendCell(QStringView text, qsizetype width)
    {
        const qsizetype spaces = std::max(width - text.size(), qsizetype(0));
        filledTo(m_encoder.appendToBuffer(room(m_encoder.requiredSpace(text.size())), text));
        appendSpaces(spaces);
        char *out = room(1);
        *out++ = '\t';
        filledTo(out);
    }

    // The same for a row's UTF-8 bytes, written as they are but for a lone
    // surrogate, which becomes U+FFFD.
    void appendCell(std::string_view bytes, qsizetype width)
    {
        const qsizetype spaces = std::max(width - Utf8::utf16Size(bytes), qsizetype(0));
        appendBytes(bytes);
        appendSpaces(spaces);
        char *out = room(1);
        *out++ = '\t';
        filledTo(out);
    }

    void endLine()
    {
        char *out = room(2);
        *out++ = '\r';
        *out++ = '\n';
        filledTo(out);
        flushWhenFull();
    }
};

// Saves of one file can overlap: a second save may start, and end, while an
// earlier one yields. The file keeps what the save started last wrote; an
// earlier save that ends after it leaves the file alone.
class SaveOrder
{
public:
    explicit SaveOrder(const QString &path)
        : m_path(QFileInfo(path).absoluteFilePath()), m_ticket(++s_started)
    {
    }

    bool overtaken() const
    {
        const auto it = s_committed.find(m_path);
        return it != s_committed.end() && it->second > m_ticket;
    }
    void committed() const { s_committed[m_path] = m_ticket; }

private:
    QString m_path;
    quint64 m_ticket;
    static inline quint64 s_started = 0;
    static inline std::map<QString, quint64> s_committed;
};

// Writes the file's data through to the disk (for a large file that takes a
// good while) on a thread of its own, yielding meanwhile, so that the commit
// that follows on this thread has little left to do. The rename that makes
// the file visible stays on this thread, after the check of the save order.
// A window closed meanwhile is passed on once the thread ended.
void syncWhileYielding(QSaveFile &file, Progress *bar);

// The file that a save is about to replace, held open across the commit. When
// the rename drops the last name of a large file, the system frees its disk
// space on the spot, which can hold the window for a good while; held open,
// the old file's space is freed only when letGoWhileYielding() closes it, on
// a thread of its own. Without progress, or when nothing is there to
// replace, it holds nothing.
class ReplacedFile
{
public:
    ReplacedFile(const QString &path, Progress *bar);
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile &) = delete;
    ReplacedFile &operator=(const ReplacedFile &) = delete;

    // A window closed meanwhile is passed on once the file was let go of.
    void letGoWhileYielding(Progress *bar);

private:
    int m_fd = -1;
};

// One save of a text file. It is written next to its place through QSaveFile
// and renamed over it once complete, so that a failed save leaves the old
// file as it was; of overlapping saves of one file the one started last wins
// (SaveOrder). With progress, the slow parts of the commit yield.
class TextFileSave
{
public:
    TextFileSave(const QString &path, Progress *bar);

    QSaveFile &file() { return m_file; }

    // Creates the file; throws the reason when it cannot, and out then
    // writes nothing.
    void open(ChunkedTextWriter &out);

    // Writes the rest of out and puts the file in its place. After a failure
    // of out (reported already) the old file stays and nothing is left behind.
    void commit(ChunkedTextWriter &out);

private:
    QString m_path;
    Progress *m_bar;
    SaveOrder m_order;
    QSaveFile m_file;
};

// What a text file save shows on the progress bar, when there is one:
// "Writing file: " and the file's name, then the count of rows every
// thousand rows, "Done." and at last "Progress Bar".
class WritingStatus
{
public:
    WritingStatus(Progress *bar, const QString &path);

    // "Writing file: " at position, with a yield before and after.
    void show(double position) const;
    // After the row of that index was written, of rowCount rows.
    void showRow(int row, int rowCount) const;
    void showDone() const;
    void restore() const;

private:
    Progress *m_bar;
    QString m_writing;
};
