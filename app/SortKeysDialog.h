#pragma once

#include "app/SortKeyCaptions.h"
#include "sort/ChosenKey.h"

#include <QDialog>
#include <QStringList>

class Clipboard;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QListView;
class QPushButton;
class SortKeyEditor;
class SortKeyListModel;
class SortKeyPreview;

// The "Sort Keys" dialog. It edits one ChosenKeySet and only wires its pieces:
// the key list (SortKeyListModel in a list view, compared first to last)
// with its buttons and the header and duplicates choices, the editor of the
// selected key (SortKeyEditor) and the preview (SortKeyPreview). Data flow:
//   editor -> keyChanged -> list model (checks that key) -> list, reasons, OK
//                                                       -> preview (a worker)
// OK is enabled only while every key is valid, so keys() after OK is always
// a valid set.
class SortKeysDialog final : public QDialog
{
    Q_OBJECT

public:
    // shortenedLines of the preview lines hold only the start of their line.
    SortKeysDialog(const ChosenKeySet &start, const QStringList &previewLines,
                   QWidget *parent = nullptr, qsizetype shortenedLines = 0);
    ~SortKeysDialog() override;

    // The keys as they stand. Members that the chosen part and comparison do
    // not use have their defaults.
    ChosenKeySet keys() const;

    // Where "Copy As Command" puts the command for the keys; without one the
    // button is hidden.
    void setClipboard(Clipboard *clipboard);

private:
    void buildControls(const QStringList &previewLines, qsizetype shortenedLines);
    void setTabOrderOfControls();
    void connectControls();

    void selectKey(int row);
    void addKey();
    void removeKey();
    void moveKey(int by);
    void keyEdited(const ChosenKey &key);
    void keysChanged();
    void showValidity();
    void copyAsCommand();

    SortKeyListModel *m_model = nullptr;
    int m_current = 0;
    bool m_movingKeys = false; // the list's current row follows m_current

    QListView *m_keyList = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_moveUpButton = nullptr;
    QPushButton *m_moveDownButton = nullptr;
    QCheckBox *m_headerBox = nullptr;
    QCheckBox *m_uniqueBox = nullptr;
    SortKeyEditor *m_editor = nullptr;
    SortKeyPreview *m_preview = nullptr;
    QLabel *m_previewNote = nullptr;
    QLabel *m_validityNote = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QPushButton *m_copyCommandButton = nullptr;
    QLabel *m_copyNote = nullptr;
    Clipboard *m_clipboard = nullptr;
};
