#include "app/QtDialogs.h"

#include "app/Settings.h"
#include "commands/ExternalNames.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The suffix that a name typed without one gets under a file type: the
// extension of the type's first pattern ("txt" for "Text Files (*.txt)"),
// none for "All Files (*)".
QString defaultSuffixOf(const QString &filter)
{
    static const QRegularExpression firstPattern(u"\\(\\s*\\*\\.([^\\s;)*?]+)"_s);
    return firstPattern.match(filter).captured(1);
}

} // namespace

void QtDialogs::setParentWindow(QWidget *parent)
{
    m_parent = parent;
}

void QtDialogs::message(const QString &text, const QString &caption, Icon icon)
{
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, m_parent);
    box.exec();
}

std::optional<QString> QtDialogs::input(const QString &prompt, const QString &caption)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

QStringList QtDialogs::openFiles(const QString &title, const QStringList &filters)
{
    QFileDialog dialog(m_parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

// The file type chosen last is chosen again, and a name typed without a
// suffix gets the chosen type's: "report" saved as text becomes "report.txt"
// (and the dialog asks before that file is replaced).
UserDialogs::SaveChoice QtDialogs::saveFile(const QString &title, const QStringList &filters)
{
    QFileDialog dialog(m_parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    const QString remembered = SettingsStore::value(saveFileTypeSettingsKey(), QString());
    if (filters.contains(remembered))
        dialog.selectNameFilter(remembered);
    dialog.setDefaultSuffix(defaultSuffixOf(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &filter) { dialog.setDefaultSuffix(defaultSuffixOf(filter)); });

    SaveChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    choice.path = dialog.selectedFiles().front();
    choice.filter = std::max(int(filters.indexOf(dialog.selectedNameFilter())), 0);
    SettingsStore::setValue(saveFileTypeSettingsKey(), filters.value(choice.filter));
    return choice;
}
