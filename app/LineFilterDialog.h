#pragma once

#include "commands/LineFilterChooser.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The small dialog of "Keep Lines Containing..." and "Remove Lines
// Containing...", titled with the option's caption: the text, "Match case"
// and "Regular expression". While the text is a pattern that does not
// compile, its reason stands under it (and is the field's accessible
// description) and OK waits. Enter is OK, Esc is Cancel.
class LineFilterDialog final : public QDialog
{
    Q_OBJECT

public:
    LineFilterDialog(const QString &caption, const LineFilter &start, QWidget *parent = nullptr);

    LineFilter filter() const;

    QLineEdit *textEdit() const { return m_textEdit; }
    QLabel *problemLabel() const { return m_problemLabel; }
    QPushButton *okButton() const;

private:
    void checkFilter();

    QLineEdit *m_textEdit;
    QCheckBox *m_matchCaseBox;
    QCheckBox *m_patternBox;
    QLabel *m_problemLabel;
    QDialogButtonBox *m_buttons;
};

// The real question, over the main window once it is set. Within a session
// it starts from the last filter given (its text selected, so that typing
// replaces it); nothing is kept between runs.
class DialogFilterChooser final : public LineFilterChooser
{
public:
    void setParentWindow(QWidget *parent) { m_parent = parent; }
    std::optional<LineFilter> chooseFilter(const QString &caption) override;

private:
    QPointer<QWidget> m_parent;
    LineFilter m_last;
};
