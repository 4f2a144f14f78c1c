#include "app/MainWindow.h"
#include "app/ProductInfo.h"
#include "app/QtDialogs.h"
#include "app/SystemClipboard.h"
#include "export/XlsxSpreadsheet.h"

#include <QApplication>

// Builds the real services (Qt's dialogs, the desktop's clipboard and
// spreadsheet application) and hands them to the window.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtDialogs dialogs;
    SystemClipboard clipboard;
    const std::unique_ptr<SpreadsheetAutomation> spreadsheet = XlsxSpreadsheet::forThisDesktop();
    MainWindow window({dialogs, clipboard, *spreadsheet, programFolder()});
    dialogs.setParentWindow(&window);
    window.show();
    return app.exec();
}
