#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The modal boxes and file dialogs that commands show. The program uses Qt's
// (app/QtDialogs); tests and the benchmark script them.
class UserDialogs
{
public:
    enum class Icon { None, Warning };

    // What a save dialog gave: the full path, empty when cancelled, and the
    // filter chosen with it, counted from 0 in the order they were offered.
    struct SaveChoice
    {
        QString path;
        int filter = 0;
    };

    virtual ~UserDialogs() = default;

    // A modal message box with an OK button only.
    virtual void message(const QString &text, const QString &caption, Icon icon) = 0;

    // A modal input box with OK and Cancel and an empty initial text.
    // Cancel gives std::nullopt.
    virtual std::optional<QString> input(const QString &prompt, const QString &caption) = 0;

    // Open dialog allowing several files; full paths in the dialog's order,
    // empty when cancelled. Filters are Qt name filters, the first one shown first.
    virtual QStringList openFiles(const QString &title, const QStringList &filters) = 0;

    // Save dialog. The dialog asks before an existing file is replaced.
    virtual SaveChoice saveFile(const QString &title, const QStringList &filters) = 0;
};
