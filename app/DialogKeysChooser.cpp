#include "app/DialogKeysChooser.h"

#include "app/Settings.h"
#include "app/SortKeysDialog.h"
#include "commands/ExternalNames.h"
#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyProblems.h"

#include <QWidget>

void DialogKeysChooser::setParentWindow(QWidget *parent)
{
    m_parent = parent;
}

ChosenKeySet DialogKeysChooser::lastKeys()
{
    const QString stored = SettingsStore::value(sortKeysSettingsKey(), QString());
    if (stored.isEmpty())
        return {};
    const std::optional<ChosenKeySet> keys = fromJson(stored.toUtf8());
    if (!keys || !isValid(*keys))
        return {};
    return *keys;
}

std::optional<ChosenKeySet> DialogKeysChooser::chooseKeys(const QStringList &previewLines,
                                                          qsizetype shortenedLines)
{
    // On the heap: should the window go while the dialog is open, it takes
    // the dialog with it.
    const QPointer<SortKeysDialog> dialog =
        new SortKeysDialog(lastKeys(), previewLines, m_parent, shortenedLines);
    dialog->setClipboard(&m_clipboard);
    const int answer = dialog->exec();
    if (!dialog)
        return std::nullopt;
    const ChosenKeySet keys = dialog->keys();
    delete dialog.data();
    if (answer != QDialog::Accepted || !isValid(keys))
        return std::nullopt;
    SettingsStore::setValue(sortKeysSettingsKey(), QString::fromUtf8(toJson(keys)));
    return keys;
}
