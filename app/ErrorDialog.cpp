#include "app/ErrorDialog.h"

#include "sort/Failure.h"

#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

QString errorDialogText(const QString &description, const QString &module,
                        const QString &procedure, int line)
{
    return description + u"\r\n"_s + u"in Tarnveil2021/08/31."_s + module + u'.' + procedure +
           u' ' + u"at line "_s + QString::number(line) + u"\r\r"_s +
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

void ErrorTrap::report(int line, std::exception_ptr failure)
{
    m_dialogs.message(errorDialogText(failureDescription(failure), m_module, m_procedure, line),
                      u"Application Error"_s, UserDialogs::Icon::Warning);
}
