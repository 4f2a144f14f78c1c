#include "export/PaddedTextFile.h"

#include "core/Files.h"
#include "core/Yielding.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

void syncWhileYielding(QSaveFile &file, Progress *bar)
{
    const int fd = int(file.handle());
    if (!bar || fd < 0)
        return;
    BackgroundWork syncing([fd] {
        ::fdatasync(fd); // a failure shows again in the commit
    });
    // Without a thread the commit syncs.
    syncing.waitWhileYielding(bar);
}

ReplacedFile::ReplacedFile(const QString &path, Progress *bar)
{
    if (bar)
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

ReplacedFile::~ReplacedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void ReplacedFile::letGoWhileYielding(Progress *bar)
{
    if (m_fd < 0)
        return;
    const int fd = std::exchange(m_fd, -1);
    BackgroundWork closing([fd] { ::close(fd); });
    if (!closing.started()) {
        ::close(fd);
        return;
    }
    closing.waitWhileYielding(bar);
}

TextFileSave::TextFileSave(const QString &path, Progress *bar)
    : m_path(path), m_bar(bar), m_order(path), m_file(path)
{
}

Failure saveFailure(const QString &path, const QString &reason)
{
    return Failure(reason + u": "_s + QDir::toNativeSeparators(path));
}

void TextFileSave::open(ChunkedTextWriter &out)
{
    // Buffered, a write that the disk refuses at the end would only show in
    // the commit, which does not report it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        out.discard();
        throw saveFailure(m_path, m_file.errorString());
    }
}

void TextFileSave::commit(ChunkedTextWriter &out)
{
    if (out.failed()) {
        if (m_file.isOpen())
            m_file.cancelWriting();
        return;
    }
    out.flush();
    syncWhileYielding(m_file, m_bar);
    if (m_order.overtaken()) {
        m_file.cancelWriting();
        return;
    }
    ReplacedFile replaced(m_path, m_bar);
    if (!m_file.commit())
        throw saveFailure(m_path, m_file.errorString());
    m_order.committed();
    replaced.letGoWhileYielding(m_bar);
}

WritingStatus::WritingStatus(Progress *bar, const QString &path)
    : m_bar(bar), m_writing(u"Writing file: "_s + fileNameFromPath(path))
{
}

void WritingStatus::show(double position) const
{
    if (!m_bar)
        return;
    m_bar->yield();
    m_bar->setPosition(position);
    m_bar->setText(m_writing);
    m_bar->yield();
}

void WritingStatus::showRow(int row, int rowCount) const
{
    if (!m_bar)
        return;
    const int now = std::max(rowCount, 1);
    m_bar->setPosition((double(row + 1) + now / 2000) / now * 100);
    if ((row + 1) % 1000 == 0)
        m_bar->setText(m_writing + u" ("_s + QString::number(row + 1) + u')');
}

void WritingStatus::showDone() const
{
    if (!m_bar)
        return;
    m_bar->setPosition(100);
    m_bar->setText(u"Done."_s);
}

void WritingStatus::restore() const
{
    if (!m_bar)
        return;
    m_bar->setPosition(0);
    m_bar->setText(u"Progress Bar"_s);
}
