#include "app/MainWindow.h"

#include "app/ClosingDialogs.h"
#include "app/FindBar.h"
#include "app/PointerRules.h"
#include "app/ProductInfo.h"
#include "app/Settings.h"
#include "app/Skin.h"
#include "app/StatusLine.h"
#include "app/StatusLineView.h"
#include "commands/ClearContent.h"
#include "commands/ClearResults.h"
#include "commands/CommandContext.h"
#include "commands/CopyToClipboard.h"
#include "commands/ExternalNames.h"
#include "commands/LoadSample.h"
#include "commands/LoadTextFiles.h"
#include "commands/PasteLines.h"
#include "commands/ResultsMenu.h"
#include "commands/SaveSpreadsheet.h"
#include "commands/SaveTextFile.h"
#include "commands/ShowHelp.h"
#include "commands/StartSorting.h"
#include "commands/StartUp.h"
#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "core/Files.h"
#include "core/NumberText.h"
#include "lists/RowHistory.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "sort/SortOptions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
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

} // namespace

namespace {

// The row of the option list that a stored text names: a whole number of a
// row that is there. Anything else (a value written by hand, or by a version
// with more rows) names none.
std::optional<int> storedRow(const QString &text, int rows)
{
    const std::optional<double> number = parseNumber(text);
    if (!number || *number != std::floor(*number) || *number < 0 || *number >= rows)
        return std::nullopt;
    return int(*number);
}

} // namespace

MainWindow::MainWindow(const MainWindowServices &services, QWidget *parent)
    : QWidget(parent), m_dialogs(services.dialogs), m_programFolder(services.programFolder),
      m_status(new StatusLine(this)), m_pointerRules(new PointerRules(m_pointer, this)),
      m_contentModel(new RowModel(false, this)), m_resultsModel(new RowModel(true, this)),
      m_history(std::make_unique<RowHistory>())
{
    m_history->watch(*m_contentModel);
    m_history->watch(*m_resultsModel);
    // Only commands see these: their handlers let CommandAborted unwind them.
    m_commandDialogs = std::make_unique<ClosingDialogs>(m_dialogs, *m_status);
    m_context.reset(new CommandContext{
        *m_commandDialogs, *m_status, m_pointer, *m_contentModel, *m_resultsModel,
        services.clipboard, services.spreadsheet, services.keysChooser, services.filterChooser,
        [this] { return m_sortOptionList->currentIndex(); }, productName()});
    m_pointer.onChange = [this](WindowPointer::Shape shape) { showPointer(shape); };

    buildControls();
    startUp();

    // Centred on the screen when first shown.
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

MainWindow::~MainWindow()
{
    delete m_findBar;
    m_pointer.onChange = nullptr;
}

void MainWindow::buildControls()
{
    setObjectName(objectNameOf(Element::Window));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(px(8040), px(7875));
    setFont(arialBold(9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const auto makeList = [this](Element element, RowModel *model, const QRect &at) {
        auto *view = new RowListView(this);
        view->setObjectName(objectNameOf(element));
        view->setRowModel(model);
        view->setGeometry(at);
        view->setFont(arialBold(9));
        view->setToolTip(ListTooltip);
        // The column keeps its width; the user may drag it past the list's edge.
        view->header()->setStretchLastSection(false);
        return view;
    };
    const auto makeButton = [this](Element element, const QString &caption, const QRect &at) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(objectNameOf(element));
        button->setGeometry(at);
        button->setFont(arialBold(11.25));
        button->setAutoDefault(false);
        m_pointerRules->addHandTarget(button);
        return button;
    };

    m_contentView = makeList(Element::ContentList, m_contentModel, twipsRect(120, 120, 7800, 1815));
    m_loadFilesButton = makeButton(Element::LoadFilesButton, u"Load Text From File"_s,
                                   twipsRect(120, 2020, 3840, 400));
    m_clearContentButton =
        makeButton(Element::ClearContentButton, u"Clear List"_s, twipsRect(4080, 2020, 3840, 405));
    m_helpButton = makeButton(Element::HelpButton, u"Help"_s, twipsRect(120, 2530, 3840, 405));
    m_sampleButton = makeButton(Element::SampleButton, u"Load Sample/Example Text"_s,
                                twipsRect(4080, 2530, 3840, 405));

    m_sortOptionsFrame = new QGroupBox(u"Sort Options"_s, this);
    m_sortOptionsFrame->setObjectName(objectNameOf(Element::SortOptionsFrame));
    m_sortOptionsFrame->setGeometry(twipsRect(120, 3015, 7800, 800));
    m_sortOptionsFrame->setFocusPolicy(Qt::NoFocus);
    m_sortOptionList = new QComboBox(m_sortOptionsFrame);
    m_sortOptionList->setObjectName(objectNameOf(Element::SortOptionList));
    m_sortOptionList->setEditable(false);
    m_sortOptionList->setGeometry(twipsRect(240, 300, 7320, 345));

    m_sortButton = makeButton(Element::StartSortingButton, u"Start Sorting"_s,
                              twipsRect(120, 3915, 7800, 405));
    m_resultsView =
        makeList(Element::ResultsList, m_resultsModel, twipsRect(120, 4425, 7800, 1815));
    m_saveTextFileButton = makeButton(Element::SaveTextFileButton, u"Save Results As Text File"_s,
                                      twipsRect(120, 6330, 3840, 405));
    m_saveSpreadsheetButton =
        makeButton(Element::SaveSpreadsheetButton, u"Save Results As Excel File"_s,
                   twipsRect(4080, 6330, 3840, 405));
    m_copyButton = makeButton(Element::CopyButton, u"Copy Results To Clipboard"_s,
                              twipsRect(120, 6840, 3840, 405));
    m_clearResultsButton =
        makeButton(Element::ClearResultsButton, u"Clear List"_s, twipsRect(4080, 6840, 3840, 405));
    // Both buttons read "Clear List"; a screen reader tells them apart by
    // the list each one empties.
    m_clearContentButton->setAccessibleName(u"Clear List: Content To Sort"_s);
    m_clearContentButton->setAccessibleDescription(u"Removes every row of the content list"_s);
    m_clearResultsButton->setAccessibleName(u"Clear List: Sorted Content (Results)"_s);
    m_clearResultsButton->setAccessibleDescription(u"Removes every row of the results list"_s);

    m_statusBar = new StatusLineView(this);
    StatusLineView *bar = m_statusBar;
    bar->setObjectName(objectNameOf(Element::StatusBar));
    bar->setGeometry(twipsRect(120, 7350, 7800, 405));
    bar->setRange(0, 100 * 100);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setAccessibleName(u"Status"_s);
    bar->display(m_status->position(), m_status->text());
    connect(m_status, &StatusLine::changed, this, &MainWindow::showStatus);

    m_pointerRules->addDefaultTarget(this);
    m_pointerRules->addDefaultTarget(m_sortOptionsFrame);
    for (RowListView *list : {m_contentView, m_resultsView}) {
        m_pointerRules->addDefaultTarget(list->viewport());
        m_pointerRules->addDefaultTarget(list->header()->viewport());
    }

    // Tab order; the frame and the progress bar take no focus.
    const QWidget *const order[] = {m_contentView,        m_resultsView,    m_loadFilesButton,
                                    m_clearContentButton, m_sortButton,     m_saveTextFileButton,
                                    m_clearResultsButton, m_sortOptionList, m_saveSpreadsheetButton,
                                    m_copyButton,         m_helpButton,     m_sampleButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
    m_contentView->setFocus();

    // The lists remove rows (Delete key, double-click) only while the window is
    // not busy; files dropped on the content list load like chosen ones.
    for (RowListView *list : {m_contentView, m_resultsView})
        list->setBusyTest([this] { return m_pointer.busy(); });
    m_contentView->setAcceptFileDrops(true);
    connect(m_contentView, &RowListView::filesDropped, this, [this](const QStringList &paths) {
        runCommand(Element::ContentList, u"Drop Files"_s,
                   [&] { loadDroppedFiles(*m_context, paths); });
    });

    m_contentView->setAcceptTextDrops(true);
    connect(m_contentView, &RowListView::textDropped, this, [this](const QString &text) {
        runCommand(Element::ContentList, u"Drop Text"_s,
                   [&] { appendDroppedText(*m_context, text); });
    });
    m_findBar = new FindBar(this, m_contentView, m_resultsView);
    buildHistoryActions();
    buildListMenus();
    buildShortcuts();

    connectCommand(m_clearContentButton, Element::ClearContentButton, &clearContent);
    connectCommand(m_clearResultsButton, Element::ClearResultsButton, &clearResults);
    connectCommand(m_loadFilesButton, Element::LoadFilesButton, &loadTextFiles);
    connectCommand(m_saveTextFileButton, Element::SaveTextFileButton, &saveResultsAsTextFile);
    connectCommand(m_copyButton, Element::CopyButton, &copyResultsToClipboard);
    connectCommand(m_helpButton, Element::HelpButton, &showHelp);
    connectCommand(m_sampleButton, Element::SampleButton, &loadSample);
    connectCommand(m_saveSpreadsheetButton, Element::SaveSpreadsheetButton,
                   &saveResultsAsSpreadsheet);
    connectCommand(m_sortButton, Element::StartSortingButton, &startSorting);
}

void MainWindow::startUp()
{
    using Step = StartUpStep;
    ErrorTrap trap(m_dialogs, locationOf(Element::Window));

    trap.run(Step::ApplySkin, [&] { applySkin(*this, *m_sortOptionsFrame, m_programFolder); });
    trap.run(Step::SetTitle, [&] {
        setWindowTitle(productName());
        setWindowIcon(applicationIcon());
        m_context->shortTitle = shortTitle(productName());
    });
    const QString cursorPath = QDir(m_programFolder).filePath(u"HAND-M.CUR"_s);
    if (trap.test(Step::CheckHandPointer, [&] { return fileExists(cursorPath); }))
        trap.run(Step::LoadHandPointer, [&] { m_hand = loadCursorFile(cursorPath); });

    trap.run(Step::SetContentHeader, [&] { m_contentModel->setHeader(u"Content To Sort"_s); });
    trap.run(Step::SetContentColumnWidth, [&] { m_contentView->setColumnWidth(0, px(7000)); });
    trap.run(Step::SetResultsHeader,
             [&] { m_resultsModel->setHeader(u"Sorted Content (Results)"_s); });
    trap.run(Step::SetResultsColumnWidth, [&] { m_resultsView->setColumnWidth(0, px(7000)); });

    {
        // A drop-down list selects nothing until the remembered entry is chosen.
        const QSignalBlocker quiet(m_sortOptionList);
        const auto &options = sortOptions();
        for (int row = 0; row < int(options.size()); ++row) {
            trap.run(addOptionStep(row),
                     [&] { m_sortOptionList->addItem(options[size_t(row)].caption); });
        }
        m_sortOptionList->setCurrentIndex(-1);
    }
    connect(m_sortOptionList, &QComboBox::currentIndexChanged, this,
            &MainWindow::rememberSortOption);

    // A stored value that names no row is passed over: the first row is
    // chosen, and that choice replaces the value.
    trap.run(Step::RestoreSortOption, [&] {
        const QString stored = SettingsStore::value(sortOptionSettingsKey(), u"0"_s);
        m_sortOptionList->setCurrentIndex(storedRow(stored, m_sortOptionList->count()).value_or(0));
    });
}

void MainWindow::rememberSortOption()
{
    ErrorTrap trap(m_dialogs, locationOf(Element::SortOptionList));
    trap.run(RememberSortOptionStep::Store, [&] {
        if (m_sortOptionList->currentIndex() >= 0)
            SettingsStore::setValue(sortOptionSettingsKey(),
                                    QString::number(m_sortOptionList->currentIndex()));
    });
}

void MainWindow::loadFiles(const QStringList &paths)
{
    const QString name = paths == QStringList{standardInputArgument()} ? u"Load Standard Input"_s
                                                                       : m_loadFilesButton->text();
    runCommand(Element::LoadFilesButton, name, [&] { loadGivenFiles(*m_context, paths); });
}

void MainWindow::connectCommand(QPushButton *button, Element element,
                                void (*command)(CommandContext &))
{
    // The step is named for the button's caption.
    connect(button, &QPushButton::clicked, this, [this, element, command, name = button->text()] {
        runCommand(element, name, [&] { command(*m_context); });
    });
}

void MainWindow::runCommand(Element element, const QString &stepName,
                            const std::function<void()> &command)
{
    const RecordedStep step(m_history.get(), stepName);
    // Nothing may leave a handler into Qt's signal dispatch. Commands trap
    // their own failures; what escapes them anyway is told once here.
    try {
        command();
    } catch (const CommandAborted &) {
        // The window was closed while the command yielded: the program ends.
        QCoreApplication::quit();
    } catch (...) {
        if (!m_status->aborted())
            ErrorTrap(m_dialogs, locationOf(element)).reportUnnumbered(std::current_exception());
    }
}

void MainWindow::showPointer(WindowPointer::Shape shape)
{
    // A command sets the hourglass once per row; the cursor changes once.
    if (m_shownPointer == shape)
        return;
    m_shownPointer = shape;
    setCursor(cursorForShape(shape, m_hand));
}

void MainWindow::showStatus()
{
    m_statusBar->display(m_status->position(), m_status->text());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Ends the program at once: a command that is still yielding stops there.
    m_status->abort();
    event->accept();
    QCoreApplication::quit();
}
