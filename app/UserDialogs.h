#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The modal boxes and file dialogs that commands show. The window uses the Qt
// implementation; tests and the benchmark use ScriptedDialogs, which records
// what the user would see and answers from a script.
class UserDialogs
{
public:
    enum class Icon { None, Warning };

    virtual ~UserDialogs() = default;

    // A modal message box with an OK button only.
    virtual void message(const QString &text, const QString &caption, Icon icon) = 0;

    // A modal input box with OK and Cancel and an empty initial text.
    // Cancel gives std::nullopt.
    virtual std::optional<QString> input(const QString &prompt, const QString &caption) = 0;

    // Open dialog allowing several files; full paths in the dialog's order,
    // empty when cancelled. Filters are Qt name filters, the first one shown first.
    virtual QStringList openFiles(const QString &title, const QStringList &filters) = 0;

    // Save dialog; the full path, or the empty text when cancelled. The dialog
    // asks before an existing file is replaced.
    virtual QString saveFile(const QString &title, const QStringList &filters) = 0;
};

class QWidget;

// The real dialogs, parented to the main window.
class QtDialogs final : public UserDialogs
{
public:
    explicit QtDialogs(QWidget *parent) : m_parent(parent) {}

    void message(const QString &text, const QString &caption, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &caption) override;
    QStringList openFiles(const QString &title, const QStringList &filters) override;
    QString saveFile(const QString &title, const QStringList &filters) override;

private:
    QWidget *m_parent;
};

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

    // Called after a dialog was recorded and before it answers, as if the user
    // did something while the modal box was up.
    std::function<void(const Shown &)> onShown;

    void message(const QString &text, const QString &caption, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &caption) override;
    QStringList openFiles(const QString &title, const QStringList &filters) override;
    QString saveFile(const QString &title, const QStringList &filters) override;

    // The texts of the message boxes shown so far, in order.
    QStringList messages() const;
};
