#include "app/LineFilterDialog.h"

#include <QWidget>

std::optional<LineFilter> DialogFilterChooser::chooseFilter(const QString &caption)
{
    Q_UNUSED(caption);
    return std::nullopt;
}
