#include "app/FindBar.h"

#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QToolButton>

#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Typing more within this pause counts once, for the whole text.
constexpr int TypingPauseMs = 150;

QString listName(const RowListView *list)
{
    return list->model()->headerData(0, Qt::Horizontal).toString();
}

} // namespace

// The result takes the room the controls leave, however long it is: a text
// too long for it is cut with an ellipsis, and its whole is the label's
// tool tip and what screen readers read.
class ResultLabel final : public QLabel
{
public:
    explicit ResultLabel(QWidget *parent) : QLabel(parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }

    const QString &result() const { return m_result; }
    void setResult(const QString &result)
    {
        m_result = result;
        setToolTip(result);
        setAccessibleName(result);
        showResult();
    }

    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        showResult();
    }

private:
    void showResult()
    {
        setText(
            fontMetrics().elidedText(m_result, Qt::ElideRight, contentsRect().width() - indent()));
    }

    QString m_result;
};

FindBar::FindBar(QWidget *window, RowListView *content, RowListView *results)
    : QToolBar(window),
      m_window(window), m_lists{content, results}, m_searches{
                                                       new RowSearch(*content->rowModel(), this),
                                                       new RowSearch(*results->rowModel(), this)}
{
    setObjectName(u"FindBar"_s);
    setMovable(false);
    setFloatable(false);
    setAutoFillBackground(true);
    // Small enough to leave the list most of its rows.
    setIconSize(QSize(16, 16));
    layout()->setContentsMargins(2, 2, 2, 2);
    // The button for controls that do not fit, which the bar never needs,
    // still reaches screen readers.
    if (auto *more = findChild<QToolButton *>(u"qt_toolbar_ext_button"_s))
        more->setAccessibleName(u"More"_s);
    buildControls();
    hide();

    m_typing.setSingleShot(true);
    m_typing.setInterval(TypingPauseMs);
    connect(&m_typing, &QTimer::timeout, this, &FindBar::typed);
    connect(m_edit, &QLineEdit::textChanged, &m_typing, qOverload<>(&QTimer::start));
    connect(m_matchCase, &QCheckBox::toggled, &m_typing, qOverload<>(&QTimer::start));
    connect(m_previousButton, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_nextButton, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_closeButton, &QToolButton::clicked, this, &FindBar::dismiss);

    m_findAction = new QAction(u"Find..."_s, this);
    QList<QKeySequence> findKeys = QKeySequence::keyBindings(QKeySequence::Find);
    if (!findKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_F)))
        findKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findAction->setShortcuts(findKeys);
    m_nextAction = new QAction(u"Find Next"_s, this);
    m_nextAction->setShortcut(QKeySequence(Qt::Key_F3));
    m_previousAction = new QAction(u"Find Previous"_s, this);
    m_previousAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    for (QAction *action : {m_findAction, m_nextAction, m_previousAction}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        window->addAction(action);
    }
    connect(m_findAction, &QAction::triggered, this, &FindBar::open);
    connect(m_nextAction, &QAction::triggered, this, &FindBar::findNext);
    connect(m_previousAction, &QAction::triggered, this, &FindBar::findPrevious);

    for (int k = 0; k < 2; ++k) {
        connect(m_searches[k], &RowSearch::changed, this, [this, k] { searchChanged(k); });
        connect(m_lists[k]->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, k](const QModelIndex &current) { currentChanged(k, current); });
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now == m_lists[0] || now == m_lists[1])
            m_lastFocused = now == m_lists[1];
    });
}

void FindBar::buildControls()
{
    m_edit = new QLineEdit(this);
    m_edit->setAccessibleName(u"Find text"_s);
    m_edit->setClearButtonEnabled(true);
    m_edit->setFixedWidth(fontMetrics().averageCharWidth() * 20);
    addWidget(m_edit);

    m_matchCase = new QCheckBox(u"Match &case"_s, this); // off at first
    addWidget(m_matchCase);

    const auto makeButton = [this](const QString &name, const QString &tip) {
        auto *button = new QToolButton(this);
        button->setAccessibleName(name);
        button->setToolTip(tip);
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoRaise(true);
        addWidget(button);
        return button;
    };
    m_previousButton =
        makeButton(u"Previous"_s, u"The previous row that holds the text (Shift+F3)"_s);
    m_previousButton->setArrowType(Qt::UpArrow);
    m_nextButton = makeButton(u"Next"_s, u"The next row that holds the text (F3)"_s);
    m_nextButton->setArrowType(Qt::DownArrow);

    m_result = new ResultLabel(this);
    m_result->setIndent(fontMetrics().averageCharWidth());
    addWidget(m_result);

    m_closeButton = makeButton(u"Close"_s, u"Close the find bar (Esc)"_s);
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
}

QString FindBar::text() const
{
    return m_edit->text();
}

bool FindBar::matchCase() const
{
    return m_matchCase->isChecked();
}

QString FindBar::resultText() const
{
    return m_result->result();
}

void FindBar::find(RowListView *list, const QString &text, bool matchCase)
{
    openOn(list == m_lists[1] ? 1 : 0);
    m_edit->setText(text);
    m_matchCase->setChecked(matchCase);
    typed();
}

void FindBar::open()
{
    const bool inBar = isVisible() && isAncestorOf(QApplication::focusWidget());
    openOn(inBar ? m_active : m_lastFocused);
}

void FindBar::openOn(int list)
{
    if (list != m_active || !isVisible()) {
        if (isVisible())
            dismiss();
        m_active = list;
        place();
        m_typingFrom = m_lists[list]->currentIndex();
        m_wrappedAt = -1;
        m_edit->setPlaceholderText(u"Find in "_s + listName(m_lists[list]));
        setAccessibleName(u"Find in "_s + listName(m_lists[list]));
        if (!m_edit->text().isEmpty())
            search().setText(m_edit->text(), m_matchCase->isChecked());
        showResult();
    }
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void FindBar::place()
{
    RowListView *list = m_lists[m_active];
    m_listPlace = list->geometry();
    const int height = sizeHint().height();
    list->setGeometry(m_listPlace.adjusted(0, 0, 0, -height));
    const QPoint corner = list->parentWidget()->mapTo(m_window, m_listPlace.bottomLeft());
    setGeometry(corner.x(), corner.y() + 1 - height, m_listPlace.width(), height);
    show();
    raise();
    if (list->currentIndex().isValid())
        list->scrollTo(list->currentIndex());
}

void FindBar::unplace()
{
    m_lists[m_active]->setGeometry(m_listPlace);
    hide();
}

void FindBar::dismiss()
{
    if (!isVisible())
        return;
    m_typing.stop();
    m_pending = Step::None;
    search().stop();
    // The focus goes back before the bar hides, so that it does not wander.
    m_lists[m_active]->setFocus(Qt::OtherFocusReason);
    unplace();
}

void FindBar::typed()
{
    m_typing.stop();
    m_wrappedAt = -1;
    m_pending = m_edit->text().isEmpty() ? Step::None : Step::Typed;
    search().setText(m_edit->text(), m_matchCase->isChecked());
}

void FindBar::step(Step step)
{
    if (!isVisible())
        open();
    if (m_edit->text().isEmpty())
        return;
    if (m_typing.isActive()) { // the text typed last is found first
        typed();
        return;
    }
    if (search().text() != m_edit->text() || search().matchCase() != m_matchCase->isChecked())
        search().setText(m_edit->text(), m_matchCase->isChecked());
    m_pending = step;
    if (search().ready())
        answer();
    else
        showResult();
}

void FindBar::searchChanged(int list)
{
    if (list != m_active)
        return;
    if (search().ready()) {
        emit counted(search().holdingCount());
        if (m_pending != Step::None)
            answer();
    }
    showResult();
}

void FindBar::currentChanged(int list, const QModelIndex &current)
{
    if (list != m_active || m_moving)
        return;
    // The user went elsewhere: typing and steps go on from there.
    m_typingFrom = current;
    m_wrappedAt = -1;
    if (isVisible())
        showResult();
}

void FindBar::answer()
{
    const Step step = std::exchange(m_pending, Step::None);
    RowListView *list = m_lists[m_active];
    const QModelIndex current = list->currentIndex();
    RowSearch::Found found;
    switch (step) {
    case Step::None:
        return;
    case Step::Typed:
        found = search().next(m_typingFrom.isValid() ? m_typingFrom.row() : 0, true);
        break;
    case Step::Next:
        found = current.isValid() ? search().next(current.row(), false) : search().next(0, true);
        break;
    case Step::Previous:
        found = current.isValid() ? search().previous(current.row(), false)
                                  : search().previous(std::numeric_limits<int>::max(), true);
        break;
    }
    if (found.row >= 0) {
        const QModelIndex row = list->model()->index(found.row, 0);
        m_moving = true;
        list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
        m_moving = false;
        list->scrollTo(row);
        if (step != Step::Typed)
            m_typingFrom = row;
        m_wrappedAt = found.wrapped ? found.row : -1;
        m_wrappedUp = step == Step::Previous;
    }
    showResult();
    emit answered(found.row);
}

void FindBar::showResult()
{
    QString result;
    if (m_active < 0 || m_edit->text().isEmpty() || search().text().isEmpty()) {
        result.clear();
    } else if (!search().ready()) {
        result = u"Counting\u2026"_s;
    } else if (search().failed()) {
        result = u"Out of memory"_s;
    } else if (search().holdingCount() == 0) {
        result = u"Not found"_s;
    } else {
        const QLocale locale;
        const QModelIndex current = m_lists[m_active]->currentIndex();
        const RowSearch::Found at =
            current.isValid() ? search().next(current.row(), true) : RowSearch::Found{};
        const int count = search().holdingCount();
        if (at.row >= 0 && at.row == current.row()) {
            result = u"%1 of %2"_s.arg(locale.toString(at.place), locale.toString(count));
            if (at.row == m_wrappedAt)
                result +=
                    m_wrappedUp ? u", went on from the bottom"_s : u", went on from the top"_s;
        } else {
            result =
                count == 1 ? u"1 row matches"_s : u"%1 rows match"_s.arg(locale.toString(count));
        }
    }
    m_result->setResult(result);
    m_edit->setAccessibleDescription(result);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button takes Enter as a click; elsewhere it finds.
        if (auto *button = qobject_cast<QToolButton *>(QApplication::focusWidget());
            button && isAncestorOf(button)) {
            button->click();
        } else if (event->modifiers() & Qt::ShiftModifier) {
            findPrevious();
        } else {
            findNext();
        }
        return;
    case Qt::Key_Escape:
        dismiss();
        return;
    default:
        QToolBar::keyPressEvent(event);
    }
}
