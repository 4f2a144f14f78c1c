#pragma once

#include "sort/SortKeySet.h"

#include <QColor>
#include <QDialog>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTextEdit;
class QTimer;

// The "Sort Keys" dialog. It edits one SortKeySet: the list on the left holds
// the keys (compared first to last), the editor beside it the selected key,
// and two check boxes the header and duplicates choices. Data flow:
//   editor controls -> m_keys -> problems() -> list marks, reasons, OK button
//                              -> (after a short pause) preview worker thread
//                                 (orderByKeys, KeyFinder) -> preview text
// OK is enabled only while every key is valid, so keys() after OK is always
// a valid set. The preview lines are sorted on a thread of their own, so that
// a slow pattern never holds the dialog; a result for keys that have changed
// since is dropped.
class SortKeysDialog final : public QDialog
{
    Q_OBJECT

public:
    // shortenedLines of the preview lines hold only the start of their line.
    SortKeysDialog(const SortKeySet &start, const QStringList &previewLines,
                   QWidget *parent = nullptr, qsizetype shortenedLines = 0);
    ~SortKeysDialog() override;

    // The keys as they stand. Members that the chosen part and comparison do
    // not use have their defaults.
    SortKeySet keys() const { return m_keys; }

    // The controls, by the object names tests and style sheets find them by.
    enum class Control {
        KeyList,
        AddKeyButton,
        RemoveKeyButton,
        MoveUpButton,
        MoveDownButton,
        PartBox,
        FieldBox,
        DelimiterBox,
        DelimiterCharacterEdit,
        QuotesBox,
        FromBox,
        ToBox,
        PatternEdit,
        PatternGroupBox,
        CompareBox,
        LanguageBox,
        NumbersByValueBox,
        DecimalBox,
        AscendingButton,
        DescendingButton,
        MissingLastButton,
        MissingFirstButton,
        HeaderBox,
        UniqueBox,
        ProblemsLabel,
        Preview,     // each text block's user state is the index of its preview line
        PreviewNote, // what the preview shows, or why it waits
        Buttons,
    };
    static QString objectNameOf(Control control);

    // The colour of the key at index key (from 0): its part's background in
    // the preview and its swatch in the list.
    static QColor keyColour(qsizetype key);

    // How long the preview waits after a change before it sorts again.
    static constexpr int PreviewPauseMs = 50;

private:
    struct PreviewResult;
    class PreviewWorker;

    void buildControls();
    void setTabOrderOfControls();
    void connectControls();

    void loadEditor();
    void editorChanged();
    SortKeySpec keyFromEditor() const;
    void updateEnabledControls();

    void selectKey(int row);
    void addKey();
    void removeKey();
    void moveKey(int by);
    void refreshKeyList();

    void keysChanged();
    void showValidity();
    void sortPreview();
    void showPreview(const PreviewResult &result);

    SortKeySet m_keys;
    const QStringList m_previewLines;
    const qsizetype m_shortenedLines;
    int m_current = 0;
    bool m_loadingEditor = false;
    quint64 m_changeCount = 0;

    QListWidget *m_keyList = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_moveUpButton = nullptr;
    QPushButton *m_moveDownButton = nullptr;
    QCheckBox *m_headerBox = nullptr;
    QCheckBox *m_uniqueBox = nullptr;

    QGroupBox *m_editor = nullptr;
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
    QRadioButton *m_ascendingButton = nullptr;
    QRadioButton *m_descendingButton = nullptr;
    QRadioButton *m_missingLastButton = nullptr;
    QRadioButton *m_missingFirstButton = nullptr;
    QLabel *m_problemsLabel = nullptr;

    QTextEdit *m_preview = nullptr;
    QLabel *m_previewNote = nullptr;
    QLabel *m_validityNote = nullptr;
    QDialogButtonBox *m_buttons = nullptr;

    QTimer *m_previewPause = nullptr;
    QTimer *m_slowPreviewNotice = nullptr;
    std::unique_ptr<PreviewWorker> m_worker;
};
