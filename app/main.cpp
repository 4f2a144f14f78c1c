#include "app/CommandLine.h"
#include "app/DialogKeysChooser.h"
#include "app/LineFilterDialog.h"
#include "app/MainWindow.h"
#include "app/ProductInfo.h"
#include "app/QtDialogs.h"
#include "app/SortCommand.h"
#include "app/SystemClipboard.h"
#include "export/XlsxSpreadsheet.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

// Reads the command line, then builds the real services (Qt's dialogs, the
// desktop's clipboard and spreadsheet application, the "Sort Keys" dialog)
// and hands them to the window. --help, --version, --list-sorts, --sort and
// mistakes need no display: they are answered before any application object
// exists.
int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line =
        readCommandLine(arguments, QStringLiteral(TARNVEIL_VERSION), QDir::currentPath());
    if (line.exitCode) {
        std::fputs(qPrintable(line.output), stdout);
        std::fputs(qPrintable(line.errorOutput), stderr);
        return *line.exitCode;
    }

    // Started with standard input closed, the program would find its first
    // own descriptor (the display's connection, a file it reads) where "-"
    // reads; an empty input stands in.
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0 && errno == EBADF)
        ::open("/dev/null", O_RDONLY);
    if (line.sort)
        return runSortCommand(*line.sort, line.files);

    QApplication app(argc, argv);
    QtDialogs dialogs;
    SystemClipboard clipboard;
    const std::unique_ptr<SpreadsheetAutomation> spreadsheet = XlsxSpreadsheet::forThisDesktop();
    DialogKeysChooser keysChooser(clipboard);
    DialogFilterChooser filterChooser;
    MainWindow window(
        {dialogs, clipboard, *spreadsheet, keysChooser, filterChooser, programFolder()});
    dialogs.setParentWindow(&window);
    keysChooser.setParentWindow(&window);
    filterChooser.setParentWindow(&window);
    window.show();
    // After start-up, as if the user had chosen the files in the open dialog.
    if (!line.files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files = line.files] { window.loadFiles(files); });
    return app.exec();
}
