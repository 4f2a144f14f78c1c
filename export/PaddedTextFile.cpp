#include "export/PaddedTextFile.h"

#include "core/Yielding.h"

#include <QFile>

#include <utility>

#include <fcntl.h>
#include <unistd.h>

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
