#pragma once

#include "commands/LineFilterChooser.h"

#include <QPointer>

class QWidget;

// The real question of "Keep Lines Containing..." and "Remove Lines
// Containing...", over the main window once it is set.
class DialogFilterChooser final : public LineFilterChooser
{
public:
    void setParentWindow(QWidget *parent) { m_parent = parent; }
    std::optional<LineFilter> chooseFilter(const QString &caption) override;

private:
    QPointer<QWidget> m_parent;
};
