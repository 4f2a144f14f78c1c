#include "export/TextFileExport.h"

#include "app/ErrorDialog.h"
#include "export/ExportList.h"
#include "sort/Failure.h"
#include "sort/Progress.h"
#include "sort/SortOptions.h"

#include <QSaveFile>
#include <QStringEncoder>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
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

    // Throws the file's error; after a failure nothing more is written.
    void flush()
    {
        if (m_used == 0)
            return;
        const qint64 written = m_file.write(m_buffer.constData(), m_used);
        const bool complete = written == m_used;
        m_used = 0;
        if (!complete) {
            m_failed = true;
            throw Failure(m_file.errorString());
        }
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

// Commits the file (QSaveFile writes it through to the disk, which for a
// large file takes a good while) on a thread of its own, yielding meanwhile.
// A window closed meanwhile is passed on once the commit ended, so the file
// is complete or untouched either way.
bool commitWhileYielding(QSaveFile &file, Progress *bar)
{
    if (!bar)
        return file.commit();
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool committed = false;
    std::optional<std::thread> committing;
    try {
        committing.emplace([&] {
            const bool ok = file.commit();
            const std::lock_guard lock(mutex);
            committed = ok;
            done = true;
            ended.notify_one();
        });
    } catch (const std::system_error &) {
        return file.commit(); // no thread to be had
    }
    try {
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(2), [&] { return done; })) {
            lock.unlock();
            bar->yield();
            lock.lock();
        }
    } catch (...) {
        committing->join();
        throw;
    }
    committing->join();
    return committed;
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

    // Column widths: the longest text of each column, header and every row,
    // checked or not. Rows that vanish while this yields end the pass.
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
            if (gone)
                break;
        }
        widths.push_back(w);
    }

    trap.run(142, [&] { writingStatus(10); });

    QSaveFile file(path);
    ChunkedWriter out(file);
    trap.run(156, [&] {
        if (!file.open(QIODevice::WriteOnly)) {
            out.discard();
            throw Failure(file.errorString());
        }
    });

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
            if (gone)
                break;
            if (!checked)
                continue;
            for (int c = 0; c < columns; ++c) {
                trap.run(192, [&] { yield(); });
                trap.run(c == 0 ? 196 : 202,
                         [&] { out.appendCell(list.cell(r, c), widths[size_t(c)]); });
            }
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
            file.cancelWriting();
            return;
        }
        out.flush();
        if (!commitWhileYielding(file, bar))
            throw Failure(file.errorString());
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
