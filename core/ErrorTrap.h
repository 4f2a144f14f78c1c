#pragma once

#include "core/Failure.h"
#include "core/UserDialogs.h"

#include <QString>

#include <exception>
#include <type_traits>
#include <utility>

// The maker's contact details, which the error box and Help name.
namespace Support {
QString address();
QString contactPage();
} // namespace Support

// Where a trapped procedure lives, as the "Application Error" box names it
// ("in Tarnveil2021/08/31." module "." procedure).
struct Location
{
    QString module;
    QString procedure;
};

// The text of the "Application Error" box for a failed statement.
QString errorDialogText(const QString &description, const Location &location, int step);

// The description that the box shows for an exception.
QString failureDescription(std::exception_ptr failure);

// A statement number of a trapped procedure: each procedure names its steps
// in an enum of its own.
template <typename Step>
concept StepNumber = std::is_enum_v<Step> && std::is_same_v < std::underlying_type_t<Step>,
int > ;

// Runs the numbered statements of one trapped procedure. A statement that
// throws is reported in the "Application Error" box with its step number, and
// the procedure goes on with its next statement. CommandAborted (the window
// is closing) is never trapped.
class ErrorTrap
{
public:
    ErrorTrap(UserDialogs &dialogs, Location location)
        : m_dialogs(dialogs), m_location(std::move(location))
    {
    }

    template <StepNumber Step, typename Statement> void run(Step step, Statement &&statement)
    {
        try {
            std::forward<Statement>(statement)();
        } catch (const CommandAborted &) {
            throw;
        } catch (...) {
            report(int(step), std::current_exception());
        }
    }

    // A condition whose test fails counts as passed: its guarded statements run.
    template <StepNumber Step, typename Condition> bool test(Step step, Condition &&condition)
    {
        try {
            return std::forward<Condition>(condition)();
        } catch (const CommandAborted &) {
            throw;
        } catch (...) {
            report(int(step), std::current_exception());
            return true;
        }
    }

    // Reports a failure that escaped the procedure's numbered statements
    // (step 0).
    void reportUnnumbered(std::exception_ptr failure) { report(0, failure); }

private:
    void report(int step, std::exception_ptr failure);

    UserDialogs &m_dialogs;
    Location m_location;
};
