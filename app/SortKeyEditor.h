#pragma once

#include "sort/ChosenKeyProblems.h"

#include <QGroupBox>
#include <QHash>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
enum class SortKeyControl;

// The form for one key of the "Sort Keys" dialog: which part of the line,
// how it compares, which way, and where lines without it go. Only the
// controls that the chosen part and comparison use are enabled, and each
// reason why the key cannot be used shows under the form and is the
// accessible description of the control it is about.
class SortKeyEditor final : public QGroupBox
{
    Q_OBJECT

public:
    explicit SortKeyEditor(QWidget *parent = nullptr);

    // Shows key, the number-th (from 1), without telling keyChanged().
    void showKey(int number, const ChosenKey &key);
    void showProblems(const QList<KeyProblem> &problems);

    // The controls, in the order Tab reaches them.
    QList<QWidget *> controlsInTabOrder() const;

    // The largest entries the spin boxes take, far beyond any real line.
    static constexpr int MaxFieldNumber = 999'999;
    static constexpr int MaxCharacterPosition = 99'999'999;
    static constexpr int MaxPatternGroup = 999;

signals:
    // The key as the user changed it, the members that its part and
    // comparison do not use at their defaults.
    void keyChanged(const ChosenKey &key);

private:
    void buildControls();
    void addLanguages();
    QLabel *label(QWidget *control, SortKeyControl which);
    void connectControls();
    void edited();
    ChosenKey key() const;
    void enableControlsInUse();
    void setEnabledWithLabel(QWidget *control, bool enabled);

    bool m_loading = false;
    QHash<QWidget *, QLabel *> m_labels; // each control's label, where it has one

    QComboBox *m_partBox = nullptr;
    QSpinBox *m_fieldBox = nullptr;
    QComboBox *m_delimiterBox = nullptr;
    QLineEdit *m_delimiterCharacterEdit = nullptr;
    QCheckBox *m_quotesBox = nullptr;
    QSpinBox *m_fromBox = nullptr;
    QSpinBox *m_toBox = nullptr;
    QLineEdit *m_patternEdit = nullptr;
    QSpinBox *m_patternGroupBox = nullptr;
    QComboBox *m_compareBox = nullptr;
    QComboBox *m_languageBox = nullptr;
    QCheckBox *m_numbersByValueBox = nullptr;
    QComboBox *m_decimalBox = nullptr;
    QLineEdit *m_dateFormatEdit = nullptr;
    QRadioButton *m_ascendingButton = nullptr;
    QRadioButton *m_descendingButton = nullptr;
    QRadioButton *m_missingLastButton = nullptr;
    QRadioButton *m_missingFirstButton = nullptr;
    QLabel *m_problemsLabel = nullptr;
};
