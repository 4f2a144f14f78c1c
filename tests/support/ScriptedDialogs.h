#pragma once

#include "core/UserDialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Records every dialog and answers from queues filled beforehand. An empty
// queue answers like a cancelled dialog.
class ScriptedDialogs final : public UserDialogs
{
public:
    struct Shown
    {
        enum class Kind { Message, Input, OpenFiles, SaveFile };
        Kind kind;
        QString text; // message text, input prompt or dialog title
        QString caption;
        Icon icon = Icon::None;
        QStringList filters;

        bool operator==(const Shown &) const = default;
    };

    std::vector<Shown> shown;
    std::vector<std::optional<QString>> inputAnswers;
    std::vector<QStringList> openAnswers;
    std::vector<QString> saveAnswers;
    // The filter chosen with each save answer; the first one once it is empty.
    std::vector<int> saveFilterAnswers;

    // Called after a dialog was recorded and before it answers, as if the user
    // did something while the modal box was up.
    std::function<void(const Shown &)> onShown;

    void message(const QString &text, const QString &caption, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &caption) override;
    QStringList openFiles(const QString &title, const QStringList &filters) override;
    SaveChoice saveFile(const QString &title, const QStringList &filters) override;

    // The texts of the message boxes shown so far, in order.
    QStringList messages() const;
};
