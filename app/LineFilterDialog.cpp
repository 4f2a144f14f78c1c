#include "app/LineFilterDialog.h"

#include "sort/LineFilters.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

LineFilterDialog::LineFilterDialog(const QString &caption, const LineFilter &start, QWidget *parent)
    : QDialog(parent), m_textEdit(new QLineEdit(start.text)),
      m_matchCaseBox(new QCheckBox(u"Match &case"_s)),
      m_patternBox(new QCheckBox(u"&Regular expression"_s)), m_problemLabel(new QLabel),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setWindowTitle(caption);
    m_textEdit->selectAll();
    m_matchCaseBox->setChecked(start.matchCase);
    m_patternBox->setChecked(start.pattern);

    m_problemLabel->setWordWrap(true);
    m_problemLabel->setTextFormat(Qt::PlainText);
    m_problemLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warning = m_problemLabel->palette();
    warning.setColor(QPalette::WindowText, QColor(0xd3, 0x2f, 0x2f));
    m_problemLabel->setPalette(warning);

    auto *textLabel = new QLabel(u"&Text:"_s);
    textLabel->setBuddy(m_textEdit);
    auto *form = new QFormLayout;
    form->addRow(textLabel, m_textEdit);
    form->addRow(QString(), m_problemLabel);
    form->addRow(QString(), m_matchCaseBox);
    form->addRow(QString(), m_patternBox);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(m_buttons);
    // Once the button is in the dialog, so that the dialog takes it as its
    // default: Enter is OK, while it is enabled.
    okButton()->setDefault(true);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_textEdit, &QLineEdit::textChanged, this, &LineFilterDialog::checkFilter);
    connect(m_matchCaseBox, &QCheckBox::toggled, this, &LineFilterDialog::checkFilter);
    connect(m_patternBox, &QCheckBox::toggled, this, &LineFilterDialog::checkFilter);
    checkFilter();
    m_textEdit->setFocus();
    resize(std::max(sizeHint().width(), 440), sizeHint().height());
}

LineFilter LineFilterDialog::filter() const
{
    return LineFilter{m_textEdit->text(), m_matchCaseBox->isChecked(), m_patternBox->isChecked()};
}

QPushButton *LineFilterDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void LineFilterDialog::checkFilter()
{
    const QString problem = filterProblem(filter());
    m_problemLabel->setText(problem);
    m_problemLabel->setVisible(!problem.isEmpty());
    m_textEdit->setAccessibleDescription(problem);
    okButton()->setEnabled(problem.isEmpty());
}

std::optional<LineFilter> DialogFilterChooser::chooseFilter(const QString &caption)
{
    // On the heap: should the window go while the dialog is open, it takes
    // the dialog with it.
    const QPointer<LineFilterDialog> dialog = new LineFilterDialog(caption, m_last, m_parent);
    const int answer = dialog->exec();
    if (!dialog)
        return std::nullopt;
    const LineFilter filter = dialog->filter();
    delete dialog.data();
    if (answer != QDialog::Accepted || !filterProblem(filter).isEmpty())
        return std::nullopt;
    m_last = filter;
    return filter;
}
