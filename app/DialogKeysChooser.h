#pragma once

#include "commands/SortKeysChooser.h"

#include <QPointer>

class Clipboard;
class QWidget;

// The real "Sort Keys" dialog, over the main window once it is set. It starts
// from the keys last chosen (kept in the settings as their JSON) and keeps
// the keys of every OK there.
class DialogKeysChooser final : public SortKeysChooser
{
public:
    // "Copy As Command" in the dialog puts its command on clipboard.
    explicit DialogKeysChooser(Clipboard &clipboard) : m_clipboard(clipboard) {}

    void setParentWindow(QWidget *parent);

    std::optional<ChosenKeySet> chooseKeys(const QStringList &previewLines,
                                           qsizetype shortenedLines) override;

    // The keys last chosen; the default keys when none are stored or what is
    // stored cannot be read or is not valid.
    static ChosenKeySet lastKeys();

private:
    Clipboard &m_clipboard;
    QPointer<QWidget> m_parent;
};
