#pragma once

#include "app/StatusLine.h"
#include "core/UserDialogs.h"

// The boxes and file dialogs of the commands. A command that shows one after
// the window was closed, or while it was being closed, stops there as it would
// at its next yield: nothing appears once the window has gone, and the
// program's end is not held up by the rest of the command.
class ClosingDialogs final : public UserDialogs
{
public:
    ClosingDialogs(UserDialogs &dialogs, const StatusLine &status)
        : m_dialogs(dialogs), m_status(status)
    {
    }

    void message(const QString &text, const QString &caption, Icon icon) override
    {
        stopIfClosed();
        m_dialogs.message(text, caption, icon);
        stopIfClosed();
    }
    std::optional<QString> input(const QString &prompt, const QString &caption) override
    {
        stopIfClosed();
        std::optional<QString> answer = m_dialogs.input(prompt, caption);
        stopIfClosed();
        return answer;
    }
    QStringList openFiles(const QString &title, const QStringList &filters) override
    {
        stopIfClosed();
        QStringList paths = m_dialogs.openFiles(title, filters);
        stopIfClosed();
        return paths;
    }
    SaveChoice saveFile(const QString &title, const QStringList &filters) override
    {
        stopIfClosed();
        SaveChoice choice = m_dialogs.saveFile(title, filters);
        stopIfClosed();
        return choice;
    }

private:
    void stopIfClosed() const
    {
        if (m_status.aborted())
            throw CommandAborted{};
    }

    UserDialogs &m_dialogs;
    const StatusLine &m_status;
};
