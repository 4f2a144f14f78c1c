#pragma once

#include "export/SpreadsheetAutomation.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The spreadsheet application of this desktop, reached through a file: the
// workbook is written with XlsxWorkbook into a new private folder under
// tempRoot, and "make visible" starts the application on it. The folder stays
// after the command ends, since the application reads the file later.
class XlsxSpreadsheet final : public SpreadsheetAutomation
{
public:
    struct Launch
    {
        QString program;
        QStringList arguments; // the file's path is appended
    };
    // The application that opens the workbook, or nothing when none is found.
    using Locate = std::function<std::optional<Launch>()>;
    // Starts program detached; false when it cannot be started.
    using Start = std::function<bool(const QString &program, const QStringList &arguments)>;

    XlsxSpreadsheet(Locate locate, Start start, QString tempRoot);

    std::unique_ptr<SpreadsheetApplication> createApplication() override;

    // LibreOffice on PATH (the file opens as an untitled document made from
    // it), else xdg-open when the desktop has a default application for xlsx.
    static std::optional<Launch> locateOnThisDesktop();
    static bool startDetached(const QString &program, const QStringList &arguments);

    // The spreadsheet application of this desktop, workbooks under the
    // system's temporary folder.
    static std::unique_ptr<SpreadsheetAutomation> forThisDesktop();

private:
    Locate m_locate;
    Start m_start;
    QString m_tempRoot;
};
