#include "export/PaddedTextFile.h"

#include "core/Yielding.h"

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
