#pragma once

#include "core/UserDialogs.h"

class QWidget;

// The real boxes and file dialogs, over the main window once it is set.
class QtDialogs final : public UserDialogs
{
public:
    QtDialogs() = default;

    void setParentWindow(QWidget *parent);

    void message(const QString &text, const QString &caption, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &caption) override;
    QStringList openFiles(const QString &title, const QStringList &filters) override;
    SaveChoice saveFile(const QString &title, const QStringList &filters) override;

private:
    QWidget *m_parent = nullptr;
};
