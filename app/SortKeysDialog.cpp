#include "app/SortKeysDialog.h"

#include "app/SortCommand.h"
#include "app/SortKeyEditor.h"
#include "app/SortKeyListModel.h"
#include "app/SortKeyPreview.h"
#include "export/Clipboard.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using C = SortKeyControl;

QList<ChosenKey> startingKeys(const ChosenKeySet &start)
{
    QList<ChosenKey> keys;
    for (const ChosenKey &key : start.keys)
        keys.append(withUnusedMembersCleared(key));
    if (keys.isEmpty())
        keys.append(ChosenKey{});
    return keys;
}

// The key added after selected: its next field, as the next key usually is;
// otherwise the whole line.
ChosenKey keyAfter(const ChosenKey &selected)
{
    ChosenKey key;
    if (selected.part == KeyPart::Field && selected.field < SortKeyEditor::MaxFieldNumber) {
        key.part = KeyPart::Field;
        key.field = std::max(selected.field, 0) + 1;
        key.delimiter = selected.delimiter;
        key.quotes = selected.quotes;
    }
    return key;
}

} // namespace

SortKeysDialog::SortKeysDialog(const ChosenKeySet &start, const QStringList &previewLines,
                               QWidget *parent, qsizetype shortenedLines)
    : QDialog(parent), m_model(new SortKeyListModel(startingKeys(start), this))
{
    setWindowTitle(u"Sort Keys"_s);
    setModal(true);
    setSizeGripEnabled(true);

    buildControls(previewLines, shortenedLines);
    setTabOrderOfControls();
    m_headerBox->setChecked(start.header);
    m_uniqueBox->setChecked(start.unique);
    connectControls();

    selectKey(0);
    keysChanged();
    // The dialog opens with its preview at once.
    m_preview->sortWithoutPause();
    m_keyList->setFocus();
}

SortKeysDialog::~SortKeysDialog() = default;

ChosenKeySet SortKeysDialog::keys() const
{
    ChosenKeySet set;
    set.keys = m_model->keys();
    set.header = m_headerBox->isChecked();
    set.unique = m_uniqueBox->isChecked();
    return set;
}

void SortKeysDialog::buildControls(const QStringList &previewLines, qsizetype shortenedLines)
{
    // The keys and the choices for the whole sort.
    m_keyList = newControl<QListView>(C::KeyList);
    m_keyList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_keyList->setUniformItemSizes(true);
    m_keyList->setIconSize(QSize(16, 16));
    m_keyList->setModel(m_model);
    m_addButton = newControl<QPushButton>(C::AddKeyButton);
    m_removeButton = newControl<QPushButton>(C::RemoveKeyButton);
    m_moveUpButton = newControl<QPushButton>(C::MoveUpButton);
    m_moveDownButton = newControl<QPushButton>(C::MoveDownButton);
    m_headerBox = newControl<QCheckBox>(C::HeaderBox);
    m_uniqueBox = newControl<QCheckBox>(C::UniqueBox);

    auto *keyButtons = new QGridLayout;
    keyButtons->addWidget(m_addButton, 0, 0);
    keyButtons->addWidget(m_removeButton, 0, 1);
    keyButtons->addWidget(m_moveUpButton, 1, 0);
    keyButtons->addWidget(m_moveDownButton, 1, 1);

    auto *keysColumn = new QVBoxLayout;
    keysColumn->addWidget(labelFor(m_keyList, C::KeyList));
    keysColumn->addWidget(m_keyList, 1);
    keysColumn->addLayout(keyButtons);
    keysColumn->addWidget(m_headerBox);
    keysColumn->addWidget(m_uniqueBox);

    m_editor = new SortKeyEditor;
    auto *top = new QHBoxLayout;
    top->addLayout(keysColumn, 2);
    top->addWidget(m_editor, 3);

    // The preview and the buttons.
    m_preview = new SortKeyPreview(previewLines, shortenedLines);
    m_previewNote = newControl<QLabel>(C::PreviewNote);
    m_previewNote->setTextFormat(Qt::PlainText);
    m_previewNote->setWordWrap(true);

    m_validityNote = new QLabel;
    m_validityNote->setTextFormat(Qt::PlainText);
    QPalette warning = m_validityNote->palette();
    warning.setColor(QPalette::WindowText, WarningColour);
    m_validityNote->setPalette(warning);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    applyTexts(m_buttons, C::Buttons);
    m_copyCommandButton = newControl<QPushButton>(C::CopyCommandButton);
    m_copyCommandButton->setAutoDefault(false);
    m_buttons->addButton(m_copyCommandButton, QDialogButtonBox::ActionRole);
    m_copyCommandButton->hide(); // until there is a clipboard to copy to
    m_copyNote = newControl<QLabel>(C::CopyNote);
    m_copyNote->setTextFormat(Qt::PlainText);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_validityNote, 1);
    bottom->addWidget(m_copyNote);
    bottom->addWidget(m_buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(labelFor(m_preview, C::Preview));
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_previewNote);
    layout->addLayout(bottom);
    // Once the button is in the dialog, so that the dialog takes it as its default.
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    resize(820, 680);
}

void SortKeysDialog::setTabOrderOfControls()
{
    QList<QWidget *> order{m_keyList,        m_addButton, m_removeButton, m_moveUpButton,
                           m_moveDownButton, m_headerBox, m_uniqueBox};
    order << m_editor->controlsInTabOrder() << m_preview << m_copyCommandButton
          << m_buttons->button(QDialogButtonBox::Ok) << m_buttons->button(QDialogButtonBox::Cancel);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SortKeysDialog::connectControls()
{
    connect(m_keyList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_movingKeys && current.isValid() && current.row() != m_current)
                    selectKey(current.row());
            });
    connect(m_addButton, &QPushButton::clicked, this, &SortKeysDialog::addKey);
    connect(m_removeButton, &QPushButton::clicked, this, &SortKeysDialog::removeKey);
    connect(m_moveUpButton, &QPushButton::clicked, this, [this] { moveKey(-1); });
    connect(m_moveDownButton, &QPushButton::clicked, this, [this] { moveKey(1); });
    connect(m_headerBox, &QCheckBox::toggled, this, &SortKeysDialog::keysChanged);
    connect(m_uniqueBox, &QCheckBox::toggled, this, &SortKeysDialog::keysChanged);
    connect(m_editor, &SortKeyEditor::keyChanged, this, &SortKeysDialog::keyEdited);
    connect(m_preview, &SortKeyPreview::noteChanged, m_previewNote, &QLabel::setText);

    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model->allValid())
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_copyCommandButton, &QPushButton::clicked, this, &SortKeysDialog::copyAsCommand);
}

void SortKeysDialog::setClipboard(Clipboard *clipboard)
{
    m_clipboard = clipboard;
    m_copyCommandButton->setVisible(clipboard);
}

void SortKeysDialog::copyAsCommand()
{
    if (!m_clipboard || !m_model->allValid())
        return;
    m_copyNote->setText(m_clipboard->setText(sortCommandFor(keys()))
                            ? u"The command is on the clipboard."_s
                            : u"The clipboard is in use by another program."_s);
}

void SortKeysDialog::selectKey(int row)
{
    m_current = std::clamp(row, 0, m_model->rowCount() - 1);
    {
        const QScopedValueRollback moving(m_movingKeys, true);
        m_keyList->setCurrentIndex(m_model->index(m_current));
    }
    m_removeButton->setEnabled(m_model->rowCount() > 1);
    m_moveUpButton->setEnabled(m_current > 0);
    m_moveDownButton->setEnabled(m_current < m_model->rowCount() - 1);
    m_editor->showKey(m_current + 1, m_model->key(m_current));
    showValidity();
}

void SortKeysDialog::addKey()
{
    {
        const QScopedValueRollback moving(m_movingKeys, true);
        m_model->appendKey(keyAfter(m_model->key(m_current)));
    }
    selectKey(m_model->rowCount() - 1);
    keysChanged();
}

void SortKeysDialog::removeKey()
{
    if (m_model->rowCount() <= 1)
        return;
    {
        const QScopedValueRollback moving(m_movingKeys, true);
        m_model->removeKey(m_current);
    }
    selectKey(m_current);
    keysChanged();
}

void SortKeysDialog::moveKey(int by)
{
    const int target = m_current + by;
    if (target < 0 || target >= m_model->rowCount())
        return;
    m_model->swapKeys(m_current, target);
    selectKey(target);
    keysChanged();
}

void SortKeysDialog::keyEdited(const ChosenKey &key)
{
    m_model->setKey(m_current, key);
    keysChanged();
}

void SortKeysDialog::keysChanged()
{
    m_copyNote->clear();
    showValidity();
    m_preview->setKeys(keys(), m_model->allValid());
}

void SortKeysDialog::showValidity()
{
    m_editor->showProblems(m_model->problemsOf(m_current));
    const QList<qsizetype> invalidKeys = m_model->invalidKeys();
    if (invalidKeys.isEmpty())
        m_validityNote->clear();
    else if (invalidKeys.size() == 1)
        m_validityNote->setText(u"Key %1 needs a fix before OK."_s.arg(invalidKeys.front()));
    else
        m_validityNote->setText(u"Keys %1 need fixes before OK."_s.arg(numberList(invalidKeys)));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(invalidKeys.isEmpty());
    m_copyCommandButton->setEnabled(invalidKeys.isEmpty());
}
