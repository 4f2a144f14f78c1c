#include "export/TextFileExport.h"

#include "app/ErrorDialog.h"
#include "export/ExportList.h"
#include "sort/Failure.h"
#include "sort/Progress.h"
#include "sort/SortOptions.h"

#include <QSaveFile>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Lines are gathered as text and handed to the file in large UTF-8 chunks.
class ChunkedWriter
{
public:
    static constexpr qsizetype ChunkChars = 1 << 20;

    explicit ChunkedWriter(QSaveFile &file) : m_file(file) { m_pending.reserve(ChunkChars + 4096); }

    QString &line() { return m_pending; }

    void endLine()
    {
        m_pending.append(u"\r\n");
        if (m_pending.size() >= ChunkChars)
            flush();
    }

    // Throws the file's error; after a failure nothing more is written.
    void flush()
    {
        if (m_pending.isEmpty())
            return;
        const QByteArray bytes = m_pending.toUtf8();
        m_pending.resize(0);
        if (m_file.write(bytes) != bytes.size()) {
            m_failed = true;
            throw Failure(m_file.errorString());
        }
    }

    bool failed() const { return m_failed; }
    void discard()
    {
        m_failed = true;
        m_pending.resize(0);
    }

private:
    QSaveFile &m_file;
    QString m_pending;
    bool m_failed = false;
};

class Padding
{
public:
    explicit Padding(qsizetype widest) : m_spaces(widest, u' ') {}

    // text, spaces up to width, TAB; a text longer than its width gets no spaces.
    void appendCell(QString &line, QStringView text, qsizetype width) const
    {
        line.append(text);
        if (width > text.size())
            line.append(QStringView(m_spaces).left(std::min(width - text.size(), m_spaces.size())));
        line.append(u'\t');
    }

private:
    QString m_spaces;
};

template <typename List>
void writeSpaced(const List &list, const QString &path, Progress *bar, UserDialogs &dialogs)
{
    ErrorTrap trap(dialogs, u"Main"_s, u"SaveListviewProperlySpaced"_s);
    const QString fileName = FileNameFromPath(path);
    const auto yield = [bar] {
        if (bar)
            bar->yield();
    };
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
            trap.run(122, yield);
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
    const Padding padding(widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end()));

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
                padding.appendCell(out.line(), list.header(c), widths[size_t(c)]);
            }
        });
        trap.run(170, [&] { out.endLine(); });
        trap.run(172, [&] { writingStatus(20); });

        int rows = 0;
        trap.run(182, [&] { rows = list.rowCount(); });
        for (int r = 0; r < rows && !out.failed(); ++r) {
            trap.run(184, yield);
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
                trap.run(192, yield);
                trap.run(c == 0 ? 196 : 202, [&] {
                    padding.appendCell(out.line(), list.cell(r, c), widths[size_t(c)]);
                });
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
        if (!file.commit())
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
