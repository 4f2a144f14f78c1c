#pragma once

#include "core/Failure.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <algorithm>
#include <cstring>
#include <map>

class Progress;

// The pieces of a padded text file: UTF-8 without a byte-order mark, every
// cell padded with spaces to its column's width and followed by a TAB, CR LF
// after every line. Lengths count UTF-16 code units.

// Lines are encoded to UTF-8 straight into one reused buffer, which goes to
// the file whenever it holds a good chunk.
class PaddedTextWriter
{
public:
    static constexpr qsizetype ChunkBytes = 1 << 20;

    explicit PaddedTextWriter(QSaveFile &file)
        : m_file(file), m_encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless),
          m_buffer(ChunkBytes, Qt::Uninitialized)
    {
    }

    // text, spaces up to width, TAB; a text longer than its width gets no spaces.
    void appendCell(QStringView text, qsizetype width)
    {
        const qsizetype spaces = std::max(width - text.size(), qsizetype(0));
        reserve(m_encoder.requiredSpace(text.size()) + spaces + 1);
        char *out = m_encoder.appendToBuffer(m_buffer.data() + m_used, text);
        std::memset(out, ' ', size_t(spaces));
        out += spaces;
        *out++ = '\t';
        m_used = out - m_buffer.data();
    }

    void endLine()
    {
        reserve(2);
        m_buffer[m_used++] = '\r';
        m_buffer[m_used++] = '\n';
        if (m_used >= ChunkBytes)
            flush();
    }

    // Throws the file's error; after a failure nothing more is written. The
    // file is unbuffered, so that a disk that fills up shows here: a short
    // write is followed by one more, which then names the error.
    void flush()
    {
        qsizetype done = 0;
        while (done < m_used) {
            const qint64 written = m_file.write(m_buffer.constData() + done, m_used - done);
            if (written <= 0) {
                discard();
                throw Failure(m_file.errorString());
            }
            done += written;
        }
        m_used = 0;
    }

    bool failed() const { return m_failed; }
    void discard()
    {
        m_failed = true;
        m_used = 0;
    }

private:
    void reserve(qsizetype bytes)
    {
        if (m_buffer.size() - m_used < bytes)
            m_buffer.resize(m_used + std::max(bytes, ChunkBytes));
    }

    QSaveFile &m_file;
    QStringEncoder m_encoder;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_failed = false;
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
