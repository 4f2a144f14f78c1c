#include "core/ErrorTrap.h"

#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

QString Support::address()
{
    return u"support@hallowmere.example"_s;
}

QString Support::contactPage()
{
    return u"https://hallowmere.example/contact"_s;
}

QString errorDialogText(const QString &description, const Location &location, int step)
{
    return description + u"\r\n"_s + u"in Tarnveil2021/08/31."_s + location.module + u'.' +
           location.procedure + u' ' + u"at line "_s + QString::number(step) + u"\r\r"_s +
           u"Please email screenshot of this message to "_s + Support::address();
}

QString failureDescription(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Failure &f) {
        return f.description();
    } catch (const std::bad_alloc &) {
        return u"Out of memory"_s;
    } catch (const std::length_error &) {
        return u"Out of memory"_s;
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return u"Unknown error"_s;
    }
}

void ErrorTrap::report(int step, std::exception_ptr failure)
{
    m_dialogs.message(errorDialogText(failureDescription(failure), m_location, step),
                      u"Application Error"_s, UserDialogs::Icon::Warning);
}
