#include "app/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <algorithm>

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
    return QFileDialog::getOpenFileNames(m_parent, title, QString(),
                                         filters.join(QStringLiteral(";;")));
}

UserDialogs::SaveChoice QtDialogs::saveFile(const QString &title, const QStringList &filters)
{
    QString chosenFilter;
    SaveChoice choice;
    choice.path = QFileDialog::getSaveFileName(m_parent, title, QString(),
                                               filters.join(QStringLiteral(";;")), &chosenFilter);
    choice.filter = std::max(int(filters.indexOf(chosenFilter)), 0);
    return choice;
}
