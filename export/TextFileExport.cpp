#include "export/TextFileExport.h"

#include "app/ErrorDialog.h"
#include "export/ExportList.h"
#include "sort/Failure.h"
#include "sort/Progress.h"
#include "sort/SortOptions.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Lines are encoded to UTF-8 straight into one reused buffer, which goes to
// the file whenever it holds a good chunk.
class ChunkedWriter
{
public:
    static constexpr qsizetype ChunkBytes = 1 << 20;

    explicit ChunkedWriter(QSaveFile &file)
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
void syncWhileYielding(QSaveFile &file, Progress *bar)
{
    const int fd = int(file.handle());
    if (!bar || fd < 0)
        return;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::optional<std::thread> syncing;
    try {
        syncing.emplace([&] {
            ::fdatasync(fd); // a failure shows again in the commit
            const std::lock_guard lock(mutex);
            done = true;
            ended.notify_one();
        });
    } catch (const std::system_error &) {
        return; // no thread to be had: the commit syncs
    }
    try {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(2), [&] { return done; })) {
            lock.unlock();
            bar->yield();
            lock.lock();
        }
    } catch (...) {
        syncing->join();
        throw;
    }
    syncing->join();
}

template <typename List>
void writeSpaced(const List &list, const QString &path, Progress *bar, UserDialogs &dialogs)
{
    ErrorTrap trap(dialogs, u"Main"_s, u"SaveListviewProperlySpaced"_s);
    const QString fileName = FileNameFromPath(path);
    ExportList::Yielder yield(bar);
    const auto writingStatus = [&](double position) {
        if (!bar)
            return;
        bar->yield();
        bar->setPosition(position);
        bar->setText(u"Writing file: "_s + fileName);
        bar->yield();
    };

    trap.run(100, [&] { writingStatus(1); });

    const SaveOrder order(path);
    QSaveFile file(path);
    ChunkedWriter out(file);

    // Column widths: the longest text of each column, header and every row,
    // checked or not. Rows that vanish while this yields end the save after
    // one report: the file would hold a list that was never there.
    std::vector<qsizetype> widths;
    int columns = 0;
    trap.run(110, [&] { columns = list.columnCount(); });
    for (int c = 0; c < columns; ++c) {
        qsizetype w = 0;
        trap.run(116, [&] { w = std::max(w, list.header(c).size()); });
        int rows = 0;
        trap.run(120, [&] { rows = list.rowCount(); });
        for (int r = 0; r < rows; ++r) {
            trap.run(122, [&] { yield(); });
            bool gone = false;
            trap.run(124, [&] {
                gone = !list.has(r);
                w = std::max(w, list.cell(r, c).size());
            });
            if (gone) {
                out.discard();
                break;
            }
        }
        widths.push_back(w);
        if (out.failed())
            break;
    }

    trap.run(142, [&] { writingStatus(10); });

    if (!out.failed()) {
        trap.run(156, [&] {
            // Buffered, a write that the disk refuses at the end would only
            // show in the commit, which does not report it.
            if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                out.discard();
                throw Failure(file.errorString());
            }
        });
    }

    if (!out.failed()) {
        trap.run(158, [&] {
            for (int c = 0; c < columns; ++c) {
                yield();
                out.appendCell(list.header(c), widths[size_t(c)]);
            }
        });
        trap.run(170, [&] { out.endLine(); });
        trap.run(172, [&] { writingStatus(20); });

        int rows = 0;
        trap.run(182, [&] { rows = list.rowCount(); });
        for (int r = 0; r < rows && !out.failed(); ++r) {
            trap.run(184, [&] { yield(); });
            bool checked = false;
            bool gone = false;
            trap.run(188, [&] {
                gone = !list.has(r);
                checked = list.checked(r);
            });
            if (gone) {
                out.discard();
                break;
            }
            if (!checked)
                continue;
            for (int c = 0; c < columns; ++c) {
                trap.run(192, [&] { yield(); });
                trap.run(c == 0 ? 196 : 202, [&] {
                    gone = !list.has(r);
                    out.appendCell(list.cell(r, c), widths[size_t(c)]);
                });
                if (gone) {
                    out.discard();
                    break;
                }
            }
            if (gone)
                break;
            if (bar) {
                trap.run(214, [&] {
                    const int now = std::max(list.rowCount(), 1);
                    bar->setPosition((double(r + 1) + now / 2000) / now * 100);
                    if ((r + 1) % 1000 == 0)
                        bar->setText(u"Writing file: "_s + fileName + u" ("_s +
                                     QString::number(r + 1) + u')');
                });
            }
            trap.run(222, [&] { out.endLine(); });
        }
    }

    if (bar) {
        trap.run(226, [&] {
            bar->setPosition(100);
            bar->setText(u"Done."_s);
        });
    }

    // An earlier failure has been reported already; the old file stays.
    trap.run(232, [&] {
        if (out.failed()) {
            if (file.isOpen())
                file.cancelWriting();
            return;
        }
        out.flush();
        syncWhileYielding(file, bar);
        if (order.overtaken()) {
            file.cancelWriting();
            return;
        }
        if (!file.commit())
            throw Failure(file.errorString());
        order.committed();
    });

    if (bar) {
        trap.run(238, [&] {
            bar->setPosition(0);
            bar->setText(u"Progress Bar"_s);
        });
    }
}

} // namespace

void SaveListviewProperlySpaced(const QAbstractItemModel &list, const QString &path, Progress *bar,
                                UserDialogs &dialogs)
{
    ExportList::visit(list, [&](const auto &reader) { writeSpaced(reader, path, bar, dialogs); });
}
