#pragma once

#include "app/UserDialogs.h"
#include "sort/Progress.h"

#include <QString>

#include <exception>
#include <utility>

namespace Support {
inline const QString &address()
{
    static const QString a = QStringLiteral("support@hallowmere.example");
    return a;
}
inline const QString &contactPage()
{
    static const QString p = QStringLiteral("https://hallowmere.example/contact");
    return p;
}
} // namespace Support

// The text of the "Application Error" box for a failed statement.
QString errorDialogText(const QString &description, const QString &module,
                        const QString &procedure, int line);

// The description that the box shows for an exception.
QString failureDescription(std::exception_ptr failure);

// Runs the numbered statements of one trapped procedure. A statement that
// throws is reported in the "Application Error" box with its line number, and
// the procedure goes on with its next statement. CommandAborted (the window is
// closing) is never trapped.
class ErrorTrap
{
public:
    ErrorTrap(UserDialogs &dialogs, QString module, QString procedure)
        : m_dialogs(dialogs), m_module(std::move(module)), m_procedure(std::move(procedure))
    {
    }

    template <typename Statement> void run(int line, Statement &&statement)
    {
        try {
            std::forward<Statement>(statement)();
        } catch (const CommandAborted &) {
            throw;
        } catch (...) {
            report(line, std::current_exception());
        }
    }

    // A condition whose test fails counts as passed: its guarded statements run.
    template <typename Condition> bool test(int line, Condition &&condition)
    {
        try {
            return std::forward<Condition>(condition)();
        } catch (const CommandAborted &) {
            throw;
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    void report(int line, std::exception_ptr failure);

private:
    UserDialogs &m_dialogs;
    QString m_module;
    QString m_procedure;
};
