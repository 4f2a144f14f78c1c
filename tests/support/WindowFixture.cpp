#include "support/WindowFixture.h"

#include "app/StatusLine.h"

#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QThread>

WindowFixture::WindowFixture()
{
    useTemporarySettings();
}

MainWindow &WindowFixture::makeWindow()
{
    return makeWindow(Services{});
}

MainWindow &WindowFixture::makeWindow(const Services &replaced)
{
    Q_ASSERT(!m_window);
    m_window = std::make_unique<MainWindow>(
        MainWindowServices{dialogs, replaced.clipboard ? *replaced.clipboard : clipboard,
                           replaced.spreadsheet ? *replaced.spreadsheet : spreadsheet, keysChooser,
                           filterChooser, m_programFolder.path()});
    return *m_window;
}

void WindowFixture::useTemporarySettings()
{
    static const QTemporaryDir settings;
    if (!settings.isValid())
        qFatal("no temporary folder for the settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
}

void click(const MainWindow &window, Element element)
{
    auto *button = control<QPushButton>(window, element);
    QVERIFY2(button, qPrintable(objectNameOf(element)));
    button->click();
}

void waitForTimeSlice(const StatusLine &status)
{
    while (status.msSinceLastRun() <= StatusLine::SliceMs)
        QThread::msleep(1);
}
