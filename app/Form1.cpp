#include "app/Form1.h"

#include "app/AppInfo.h"
#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "app/Help.h"
#include "app/PointerRules.h"
#include "app/Settings.h"
#include "app/Skin.h"
#include "app/StatusLine.h"
#include "app/UserDialogs.h"
#include "export/Clipboard.h"
#include "export/ExportCommands.h"
#include "export/SpreadsheetAutomation.h"
#include "lists/ListCommands.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "sort/Failure.h"
#include "sort/SortOptions.h"
#include "sort/StartSorting.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The window was designed in twips; 15 twips are one pixel at 96 dpi. Qt
// scales these logical pixels with the screen's device pixel ratio.
constexpr int px(int twips)
{
    return (twips * 2 + 15) / 30;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

QFont arialBold(double points)
{
    QFont font(u"Arial"_s);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

const QString ListTooltip = u"Double-click item to remove it. Move | line to right and out of "
                            u"window to reveal full names."_s;

// The progress bar shows the status text as it stands: a format string would
// treat "%p" or "%v" in a row's text as placeholders.
class StatusBar final : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

    QString text() const override { return m_text; }
    void display(double percent, const QString &text)
    {
        const int value = static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0) * 100));
        const bool textChanged = m_text != text;
        m_text = text;
        if (value != this->value())
            setValue(value); // repaints
        else if (textChanged)
            update();
    }

private:
    QString m_text;
};

// The whole number that a stored text names, as an assignment of a text to a
// whole-number property converts it.
int storedWholeNumber(const QString &text)
{
    const std::optional<double> number = ParseNumber(text);
    if (!number)
        throw Failure(u"Type mismatch"_s);
    return RoundToInt32(*number);
}

// The boxes and file dialogs of the commands. A command that shows one after
// the window was closed, or while it was being closed, stops there as it would
// at its next yield: nothing appears once the window has gone, and the
// program's end is not held up by the rest of the command.
class ClosingDialogs final : public UserDialogs
{
public:
    ClosingDialogs(UserDialogs &dialogs, const StatusLine &status)
        : m_dialogs(dialogs), m_status(status)
    {
    }

    void message(const QString &text, const QString &caption, Icon icon) override
    {
        stopIfClosed();
        m_dialogs.message(text, caption, icon);
        stopIfClosed();
    }
    std::optional<QString> input(const QString &prompt, const QString &caption) override
    {
        stopIfClosed();
        std::optional<QString> answer = m_dialogs.input(prompt, caption);
        stopIfClosed();
        return answer;
    }
    QStringList openFiles(const QString &title, const QStringList &filters) override
    {
        stopIfClosed();
        QStringList paths = m_dialogs.openFiles(title, filters);
        stopIfClosed();
        return paths;
    }
    QString saveFile(const QString &title, const QStringList &filters) override
    {
        stopIfClosed();
        QString path = m_dialogs.saveFile(title, filters);
        stopIfClosed();
        return path;
    }

private:
    void stopIfClosed() const
    {
        if (m_status.aborted())
            throw CommandAborted{};
    }

    UserDialogs &m_dialogs;
    const StatusLine &m_status;
};

} // namespace

Form1::Form1(const Form1Services &services, QWidget *parent)
    : QWidget(parent), m_dialogs(services.dialogs), m_clipboard(services.clipboard),
      m_spreadsheet(services.spreadsheet),
      m_programFolder(services.programFolder.isEmpty() ? ProgramFolder() : services.programFolder),
      m_status(new StatusLine(this)), m_pointerRules(new PointerRules(m_pointer, this)),
      m_contentModel(new RowModel(false, this)), m_resultsModel(new RowModel(true, this))
{
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        m_dialogs = m_ownDialogs.get();
    }
    if (!m_clipboard) {
        m_ownClipboard = std::make_unique<SystemClipboard>();
        m_clipboard = m_ownClipboard.get();
    }
    if (!m_spreadsheet) {
        m_ownSpreadsheet = makeSystemSpreadsheet();
        m_spreadsheet = m_ownSpreadsheet.get();
    }
    // Only commands see these: their handlers let CommandAborted unwind them.
    m_commandDialogs = std::make_unique<ClosingDialogs>(*m_dialogs, *m_status);
    m_context.reset(new CommandContext{*m_commandDialogs, *m_status, m_pointer, *m_contentModel,
                                       *m_resultsModel, *m_clipboard, *m_spreadsheet,
                                       [this] { return m_combo1->currentText(); }, ProductName()});
    m_pointer.onChange = [this](WindowPointer::Shape shape) { showPointer(shape); };

    buildControls();
    Form_Load();

    // Centred on the screen when first shown.
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

Form1::~Form1()
{
    m_pointer.onChange = nullptr;
}

void Form1::buildControls()
{
    setObjectName(u"Form1"_s);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(px(8040), px(7875));
    setFont(arialBold(9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const auto makeList = [this](const QString &name, RowModel *model, const QRect &at) {
        auto *view = new RowListView(this);
        view->setObjectName(name);
        view->setRowModel(model);
        view->setGeometry(at);
        view->setFont(arialBold(9));
        view->setToolTip(ListTooltip);
        // The column keeps its width; the user may drag it past the list's edge.
        view->header()->setStretchLastSection(false);
        return view;
    };
    const auto makeButton = [this](const QString &name, const QString &caption, const QRect &at) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setGeometry(at);
        button->setFont(arialBold(11.25));
        button->setAutoDefault(false);
        m_pointerRules->addHandTarget(button);
        return button;
    };

    m_listView1 = makeList(u"ListView1"_s, m_contentModel, twipsRect(120, 120, 7800, 1815));
    m_pushButton3 =
        makeButton(u"PushButton3"_s, u"Load Text From File"_s, twipsRect(120, 2020, 3840, 400));
    m_pushButton1 = makeButton(u"PushButton1"_s, u"Clear List"_s, twipsRect(4080, 2020, 3840, 405));
    m_pushButton6 = makeButton(u"PushButton6"_s, u"Help"_s, twipsRect(120, 2530, 3840, 405));
    m_pushButton7 = makeButton(u"PushButton7"_s, u"Load Sample/Example Text"_s,
                               twipsRect(4080, 2530, 3840, 405));

    m_frame1 = new QGroupBox(u"Sort Options"_s, this);
    m_frame1->setObjectName(u"Frame1"_s);
    m_frame1->setGeometry(twipsRect(120, 3015, 7800, 800));
    m_frame1->setFocusPolicy(Qt::NoFocus);
    m_combo1 = new QComboBox(m_frame1);
    m_combo1->setObjectName(u"Combo1"_s);
    m_combo1->setEditable(false);
    m_combo1->setGeometry(twipsRect(240, 300, 7320, 345));

    m_pushButton17 =
        makeButton(u"PushButton17"_s, u"Start Sorting"_s, twipsRect(120, 3915, 7800, 405));
    m_listView2 = makeList(u"ListView2"_s, m_resultsModel, twipsRect(120, 4425, 7800, 1815));
    m_pushButton4 = makeButton(u"PushButton4"_s, u"Save Results As Text File"_s,
                               twipsRect(120, 6330, 3840, 405));
    m_pushButton13 = makeButton(u"PushButton13"_s, u"Save Results As Excel File"_s,
                                twipsRect(4080, 6330, 3840, 405));
    m_pushButton5 = makeButton(u"PushButton5"_s, u"Copy Results To Clipboard"_s,
                               twipsRect(120, 6840, 3840, 405));
    m_pushButton2 = makeButton(u"PushButton2"_s, u"Clear List"_s, twipsRect(4080, 6840, 3840, 405));

    auto *bar = new StatusBar(this);
    m_progressBar1 = bar;
    bar->setObjectName(u"ProgressBar1"_s);
    bar->setGeometry(twipsRect(120, 7350, 7800, 405));
    bar->setRange(0, 100 * 100);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->display(m_status->position(), m_status->text());
    connect(m_status, &StatusLine::changed, this, &Form1::showStatus);

    m_pointerRules->addDefaultTarget(this);
    m_pointerRules->addDefaultTarget(m_frame1);
    for (RowListView *list : {m_listView1, m_listView2}) {
        m_pointerRules->addDefaultTarget(list->viewport());
        m_pointerRules->addDefaultTarget(list->header()->viewport());
    }

    // Tab order; the frame and the progress bar take no focus.
    const QWidget *const order[] = {m_listView1,    m_listView2,   m_pushButton3, m_pushButton1,
                                    m_pushButton17, m_pushButton4, m_pushButton2, m_combo1,
                                    m_pushButton13, m_pushButton5, m_pushButton6, m_pushButton7};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
    m_listView1->setFocus();

    // The lists remove rows (Delete key, double-click) only while the window is
    // not busy; files dropped on the content list load like chosen ones.
    for (RowListView *list : {m_listView1, m_listView2})
        list->setBusyTest([this] { return m_pointer.busy(); });
    m_listView1->setAcceptFileDrops(true);
    connect(m_listView1, &RowListView::filesDropped, this, [this](const QStringList &paths) {
        runCommand(u"ListView1_OLEDragDrop"_s, [&] { ListView1_OLEDragDrop(*m_context, paths); });
    });

    connectCommand(m_pushButton1, u"PushButton1_Click"_s, &PushButton1_Click);
    connectCommand(m_pushButton2, u"PushButton2_Click"_s, &PushButton2_Click);
    connectCommand(m_pushButton3, u"PushButton3_Click"_s, &PushButton3_Click);
    connectCommand(m_pushButton4, u"PushButton4_Click"_s, &PushButton4_Click);
    connectCommand(m_pushButton5, u"PushButton5_Click"_s, &PushButton5_Click);
    connectCommand(m_pushButton6, u"PushButton6_Click"_s, &PushButton6_Click);
    connectCommand(m_pushButton7, u"PushButton7_Click"_s, &PushButton7_Click);
    connectCommand(m_pushButton13, u"PushButton13_Click"_s, &PushButton13_Click);
    connectCommand(m_pushButton17, u"PushButton17_Click"_s, &PushButton17_Click);
}

void Form1::Form_Load()
{
    ErrorTrap trap(*m_dialogs, u"Form1"_s, u"Form_Load"_s);

    trap.run(100, [&] { ApplySkin(*this, *m_frame1, m_programFolder); });
    trap.run(104, [&] {
        setWindowTitle(ProductName());
        setWindowIcon(ApplicationIcon());
        m_context->shortTitle = ShortTitle(ProductName());
    });
    const QString cursorPath = QDir(m_programFolder).filePath(u"HAND-M.CUR"_s);
    if (trap.test(106, [&] { return FileExists(cursorPath); }))
        trap.run(108, [&] { m_hand = LoadCursorFile(cursorPath); });

    trap.run(128, [&] { m_contentModel->setHeader(u"Content To Sort"_s); });
    trap.run(130, [&] { m_listView1->setColumnWidth(0, px(7000)); });
    trap.run(132, [&] { m_resultsModel->setHeader(u"Sorted Content (Results)"_s); });
    trap.run(134, [&] { m_listView2->setColumnWidth(0, px(7000)); });

    {
        // A drop-down list selects nothing until the remembered entry is chosen.
        const QSignalBlocker quiet(m_combo1);
        int line = 136;
        for (const SortOption &option : SortOptionList()) {
            trap.run(line, [&] { m_combo1->addItem(option.caption); });
            line += 2;
        }
        m_combo1->setCurrentIndex(-1);
    }
    connect(m_combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);

    trap.run(170, [&] {
        const int index = storedWholeNumber(SettingsStore::value(u"Combo1"_s, u"0"_s));
        if (index < 0 || index >= m_combo1->count())
            throw Failure(u"Invalid property value"_s);
        m_combo1->setCurrentIndex(index);
    });
}

void Form1::Combo1_Click()
{
    ErrorTrap trap(*m_dialogs, u"Form1"_s, u"Combo1_Click"_s);
    trap.run(100, [&] {
        if (m_combo1->currentIndex() >= 0)
            SettingsStore::setValue(u"Combo1"_s, QString::number(m_combo1->currentIndex()));
    });
}

void Form1::connectCommand(QPushButton *button, const QString &handler,
                           void (*command)(CommandContext &))
{
    connect(button, &QPushButton::clicked, this,
            [this, handler, command] { runCommand(handler, [&] { command(*m_context); }); });
}

void Form1::runCommand(const QString &handler, const std::function<void()> &command)
{
    // Nothing may leave a handler into Qt's signal dispatch.
    try {
        command();
    } catch (const CommandAborted &) {
        // The window was closed while the command yielded: the program ends.
        QCoreApplication::quit();
    } catch (...) {
        if (!m_status->aborted())
            ErrorTrap(*m_dialogs, u"Form1"_s, handler).report(0, std::current_exception());
    }
}

void Form1::showPointer(WindowPointer::Shape shape)
{
    // A command sets the hourglass once per row; the cursor changes once.
    if (m_shownPointer == shape)
        return;
    m_shownPointer = shape;
    setCursor(CursorForShape(shape, m_hand));
}

void Form1::showStatus()
{
    static_cast<StatusBar *>(m_progressBar1)->display(m_status->position(), m_status->text());
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Ends the program at once: a command that is still yielding stops there.
    m_status->abort();
    event->accept();
    QCoreApplication::quit();
}
