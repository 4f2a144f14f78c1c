#include "app/SortKeyEditor.h"

#include "app/SortKeyCaptions.h"
#include "sort/DictionaryOrder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

using C = SortKeyControl;

constexpr int OtherDelimiterRow = int(std::size(DelimiterChoices));

// The part and comparison boxes keep their enum values as numbers.
template <typename Enum> void selectEnum(QComboBox *box, Enum value)
{
    box->setCurrentIndex(std::max(box->findData(int(value)), 0));
}

template <typename Enum> Enum currentEnum(const QComboBox *box)
{
    return Enum(box->currentData().toInt());
}

// Two radio buttons in a widget of their own, so that they are a group of
// their own.
QWidget *buttonPair(QRadioButton *first, QRadioButton *second)
{
    auto *pair = new QWidget;
    auto *row = new QHBoxLayout(pair);
    row->setContentsMargins(QMargins());
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch();
    return pair;
}

} // namespace

SortKeyEditor::SortKeyEditor(QWidget *parent) : QGroupBox(parent)
{
    buildControls();
    connectControls();
}

QLabel *SortKeyEditor::label(QWidget *control, SortKeyControl which)
{
    QLabel *label = labelFor(control, which);
    m_labels.insert(control, label);
    return label;
}

void SortKeyEditor::buildControls()
{
    auto *form = new QFormLayout(this);

    m_partBox = newControl<QComboBox>(C::PartBox);
    for (const auto &choice : PartChoices)
        m_partBox->addItem(choice.caption.toString(), int(choice.value));
    form->addRow(label(m_partBox, C::PartBox), m_partBox);

    m_fieldBox = newControl<QSpinBox>(C::FieldBox);
    // 0 is let in, so that the reason shows rather than the entry failing silently.
    m_fieldBox->setRange(0, MaxFieldNumber);
    form->addRow(label(m_fieldBox, C::FieldBox), m_fieldBox);

    m_delimiterBox = newControl<QComboBox>(C::DelimiterBox);
    for (const auto &choice : DelimiterChoices) {
        m_delimiterBox->addItem(choice.caption.toString(), choice.value.toString());
        if (!choice.toolTip.isEmpty())
            m_delimiterBox->setItemData(m_delimiterBox->count() - 1, choice.toolTip.toString(),
                                        Qt::ToolTipRole);
    }
    m_delimiterBox->addItem(OtherDelimiterCaption.toString());
    m_delimiterCharacterEdit = newControl<QLineEdit>(C::DelimiterCharacterEdit);
    m_delimiterCharacterEdit->setMaximumWidth(
        m_delimiterCharacterEdit->fontMetrics().horizontalAdvance(
            m_delimiterCharacterEdit->placeholderText() + u"__"_s));
    auto *delimiterRow = new QHBoxLayout;
    delimiterRow->addWidget(m_delimiterBox, 1);
    delimiterRow->addWidget(m_delimiterCharacterEdit);
    form->addRow(label(m_delimiterBox, C::DelimiterBox), delimiterRow);

    m_quotesBox = newControl<QCheckBox>(C::QuotesBox);
    form->addRow(QString(), m_quotesBox);

    m_fromBox = newControl<QSpinBox>(C::FromBox);
    m_fromBox->setRange(0, MaxCharacterPosition);
    m_toBox = newControl<QSpinBox>(C::ToBox);
    m_toBox->setRange(0, MaxCharacterPosition);
    auto *charactersRow = new QHBoxLayout;
    charactersRow->addWidget(m_fromBox, 1);
    charactersRow->addWidget(label(m_toBox, C::ToBox));
    charactersRow->addWidget(m_toBox, 1);
    form->addRow(label(m_fromBox, C::FromBox), charactersRow);

    m_patternEdit = newControl<QLineEdit>(C::PatternEdit);
    m_patternEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    form->addRow(label(m_patternEdit, C::PatternEdit), m_patternEdit);

    m_patternGroupBox = newControl<QSpinBox>(C::PatternGroupBox);
    m_patternGroupBox->setRange(0, MaxPatternGroup);
    form->addRow(label(m_patternGroupBox, C::PatternGroupBox), m_patternGroupBox);

    m_compareBox = newControl<QComboBox>(C::CompareBox);
    for (const auto &choice : CompareChoices)
        m_compareBox->addItem(choice.caption.toString(), int(choice.value));
    form->addRow(label(m_compareBox, C::CompareBox), m_compareBox);

    m_languageBox = newControl<QComboBox>(C::LanguageBox);
    addLanguages();
    form->addRow(label(m_languageBox, C::LanguageBox), m_languageBox);

    m_numbersByValueBox = newControl<QCheckBox>(C::NumbersByValueBox);
    form->addRow(QString(), m_numbersByValueBox);

    m_decimalBox = newControl<QComboBox>(C::DecimalBox);
    for (const auto &choice : DecimalChoices)
        m_decimalBox->addItem(choice.caption.toString(), QChar(choice.value));
    form->addRow(label(m_decimalBox, C::DecimalBox), m_decimalBox);

    m_dateFormatEdit = newControl<QLineEdit>(C::DateFormatEdit);
    m_dateFormatEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    form->addRow(label(m_dateFormatEdit, C::DateFormatEdit), m_dateFormatEdit);

    m_ascendingButton = newControl<QRadioButton>(C::AscendingButton);
    m_descendingButton = newControl<QRadioButton>(C::DescendingButton);
    form->addRow(OrderRowLabel.toString(), buttonPair(m_ascendingButton, m_descendingButton));
    m_missingLastButton = newControl<QRadioButton>(C::MissingLastButton);
    m_missingFirstButton = newControl<QRadioButton>(C::MissingFirstButton);
    form->addRow(MissingRowLabel.toString(), buttonPair(m_missingLastButton, m_missingFirstButton));

    m_problemsLabel = newControl<QLabel>(C::ProblemsLabel);
    m_problemsLabel->setWordWrap(true);
    m_problemsLabel->setTextFormat(Qt::PlainText);
    QPalette warning = m_problemsLabel->palette();
    warning.setColor(QPalette::WindowText, WarningColour);
    m_problemsLabel->setPalette(warning);
    form->addRow(m_problemsLabel);
}

// The user's language first, then every language dictionary order offers,
// by their captions.
void SortKeyEditor::addLanguages()
{
    const QString userLanguage = userDictionaryLanguage();
    m_languageBox->addItem(userLanguage.isEmpty()
                               ? u"Your language (none set: general rules)"_s
                               : u"Your language: %1"_s.arg(languageCaption(userLanguage)),
                           QString());
    QList<std::pair<QString, QString>> languages; // caption, name
    for (const QString &name : dictionaryLanguages()) {
        if (!name.isEmpty())
            languages.append({languageCaption(name), name});
    }
    std::sort(languages.begin(), languages.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.first, b.first) < 0;
    });
    for (const auto &[caption, name] : languages)
        m_languageBox->addItem(caption, name);
}

void SortKeyEditor::connectControls()
{
    for (QComboBox *box : {m_partBox, m_delimiterBox, m_compareBox, m_languageBox, m_decimalBox})
        connect(box, &QComboBox::currentIndexChanged, this, &SortKeyEditor::edited);
    for (QSpinBox *box : {m_fieldBox, m_fromBox, m_toBox, m_patternGroupBox})
        connect(box, &QSpinBox::valueChanged, this, &SortKeyEditor::edited);
    for (QLineEdit *edit : {m_delimiterCharacterEdit, m_patternEdit, m_dateFormatEdit})
        connect(edit, &QLineEdit::textChanged, this, &SortKeyEditor::edited);
    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{
             m_quotesBox, m_numbersByValueBox, m_descendingButton, m_missingFirstButton})
        connect(button, &QAbstractButton::toggled, this, &SortKeyEditor::edited);
}

QList<QWidget *> SortKeyEditor::controlsInTabOrder() const
{
    return {m_partBox,
            m_fieldBox,
            m_delimiterBox,
            m_delimiterCharacterEdit,
            m_quotesBox,
            m_fromBox,
            m_toBox,
            m_patternEdit,
            m_patternGroupBox,
            m_compareBox,
            m_languageBox,
            m_numbersByValueBox,
            m_decimalBox,
            m_dateFormatEdit,
            m_ascendingButton,
            m_descendingButton,
            m_missingLastButton,
            m_missingFirstButton};
}

void SortKeyEditor::showKey(int number, const ChosenKey &key)
{
    m_loading = true;
    selectEnum(m_partBox, key.part);
    m_fieldBox->setValue(key.field);
    const auto choice = std::find_if(std::begin(DelimiterChoices), std::end(DelimiterChoices),
                                     [&](const auto &c) { return c.value == key.delimiter; });
    if (choice != std::end(DelimiterChoices)) {
        m_delimiterBox->setCurrentIndex(int(choice - std::begin(DelimiterChoices)));
        m_delimiterCharacterEdit->clear();
    } else {
        m_delimiterBox->setCurrentIndex(OtherDelimiterRow);
        m_delimiterCharacterEdit->setText(key.delimiter);
    }
    m_quotesBox->setChecked(key.quotes);
    m_fromBox->setValue(key.from);
    m_toBox->setValue(key.to);
    m_patternEdit->setText(key.pattern);
    m_patternGroupBox->setValue(key.group);
    selectEnum(m_compareBox, key.compare);
    if (m_languageBox->findData(key.locale) < 0) // kept from elsewhere; its problem names it
        m_languageBox->addItem(u"%1 (not offered)"_s.arg(key.locale), key.locale);
    m_languageBox->setCurrentIndex(m_languageBox->findData(key.locale));
    m_numbersByValueBox->setChecked(key.numbers);
    m_decimalBox->setCurrentIndex(std::max(m_decimalBox->findData(key.decimal), 0));
    m_dateFormatEdit->setText(key.format);
    (key.descending ? m_descendingButton : m_ascendingButton)->setChecked(true);
    (key.missingFirst ? m_missingFirstButton : m_missingLastButton)->setChecked(true);
    m_loading = false;

    setTitle(u"Key %1"_s.arg(number));
    enableControlsInUse();
}

void SortKeyEditor::showProblems(const QList<KeyProblem> &problems)
{
    QStringList reasons;
    for (const KeyProblem &problem : problems)
        reasons << problem.reason;
    m_problemsLabel->setText(reasons.join(u'\n'));
    m_problemsLabel->setVisible(!reasons.isEmpty());
    // Each reason is also the accessible description of the control that
    // holds what it is about, so that a screen reader tells it there.
    const std::pair<KeyMember, QWidget *> controls[] = {
        {KeyMember::Field, m_fieldBox},
        {KeyMember::Delimiter, m_delimiterBox},
        {KeyMember::Delimiter, m_delimiterCharacterEdit},
        {KeyMember::From, m_fromBox},
        {KeyMember::To, m_toBox},
        {KeyMember::Pattern, m_patternEdit},
        {KeyMember::Group, m_patternGroupBox},
        {KeyMember::Locale, m_languageBox},
        {KeyMember::Decimal, m_decimalBox},
        {KeyMember::Format, m_dateFormatEdit},
    };
    for (const auto &[member, control] : controls) {
        QStringList about;
        for (const KeyProblem &problem : problems) {
            if (problem.member == member)
                about << problem.reason;
        }
        control->setAccessibleDescription(about.join(u' '));
    }
}

void SortKeyEditor::edited()
{
    if (m_loading)
        return;
    enableControlsInUse();
    emit keyChanged(key());
}

ChosenKey SortKeyEditor::key() const
{
    ChosenKey key;
    key.part = currentEnum<KeyPart>(m_partBox);
    key.field = m_fieldBox->value();
    key.delimiter = m_delimiterBox->currentIndex() == OtherDelimiterRow
                        ? m_delimiterCharacterEdit->text()
                        : m_delimiterBox->currentData().toString();
    key.quotes = m_quotesBox->isChecked();
    key.from = m_fromBox->value();
    key.to = m_toBox->value();
    key.pattern = m_patternEdit->text();
    key.group = m_patternGroupBox->value();
    key.compare = currentEnum<KeyCompare>(m_compareBox);
    key.locale = m_languageBox->currentData().toString();
    key.numbers = m_numbersByValueBox->isChecked();
    key.decimal = m_decimalBox->currentData().toChar();
    key.format = m_dateFormatEdit->text();
    key.descending = m_descendingButton->isChecked();
    key.missingFirst = m_missingFirstButton->isChecked();
    return withUnusedMembersCleared(key);
}

void SortKeyEditor::enableControlsInUse()
{
    const KeyPart part = currentEnum<KeyPart>(m_partBox);
    const UsedMembers used = usedMembers(key());
    const bool field = part == KeyPart::Field;
    setEnabledWithLabel(m_fieldBox, field);
    setEnabledWithLabel(m_delimiterBox, field);
    setEnabledWithLabel(m_delimiterCharacterEdit,
                        field && m_delimiterBox->currentIndex() == OtherDelimiterRow);
    setEnabledWithLabel(m_quotesBox, field);
    setEnabledWithLabel(m_fromBox, part == KeyPart::Characters);
    setEnabledWithLabel(m_toBox, part == KeyPart::Characters);
    setEnabledWithLabel(m_patternEdit, part == KeyPart::Pattern);
    setEnabledWithLabel(m_patternGroupBox, part == KeyPart::Pattern);
    setEnabledWithLabel(m_languageBox, used.language);
    setEnabledWithLabel(m_numbersByValueBox, used.numbers);
    setEnabledWithLabel(m_decimalBox, used.decimal);
    // Only dates read a format: the row shows for them alone.
    m_dateFormatEdit->setVisible(used.format);
    if (QLabel *label = m_labels.value(m_dateFormatEdit))
        label->setVisible(used.format);
}

void SortKeyEditor::setEnabledWithLabel(QWidget *control, bool enabled)
{
    control->setEnabled(enabled);
    if (QLabel *label = m_labels.value(control))
        label->setEnabled(enabled);
}
