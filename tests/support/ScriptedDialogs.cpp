#include "support/ScriptedDialogs.h"

#include <algorithm>

namespace {

template <typename T> T takeFirst(std::vector<T> &queue, T whenEmpty)
{
    if (queue.empty())
        return whenEmpty;
    std::rotate(queue.begin(), queue.begin() + 1, queue.end());
    T answer = std::move(queue.back());
    queue.pop_back();
    return answer;
}

} // namespace

void ScriptedDialogs::message(const QString &text, const QString &caption, Icon icon)
{
    shown.push_back({Shown::Kind::Message, text, caption, icon, {}});
    if (onShown)
        onShown(shown.back());
}

std::optional<QString> ScriptedDialogs::input(const QString &prompt, const QString &caption)
{
    shown.push_back({Shown::Kind::Input, prompt, caption, Icon::None, {}});
    if (onShown)
        onShown(shown.back());
    return takeFirst<std::optional<QString>>(inputAnswers, std::nullopt);
}

QStringList ScriptedDialogs::openFiles(const QString &title, const QStringList &filters)
{
    shown.push_back({Shown::Kind::OpenFiles, title, QString(), Icon::None, filters});
    if (onShown)
        onShown(shown.back());
    return takeFirst<QStringList>(openAnswers, {});
}

UserDialogs::SaveChoice ScriptedDialogs::saveFile(const QString &title, const QStringList &filters)
{
    shown.push_back({Shown::Kind::SaveFile, title, QString(), Icon::None, filters});
    if (onShown)
        onShown(shown.back());
    SaveChoice choice;
    choice.path = takeFirst<QString>(saveAnswers, {});
    choice.filter = takeFirst<int>(saveFilterAnswers, 0);
    return choice;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : shown) {
        if (s.kind == Shown::Kind::Message)
            texts.append(s.text);
    }
    return texts;
}
