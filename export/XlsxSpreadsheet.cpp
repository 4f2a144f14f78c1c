#include "export/XlsxSpreadsheet.h"

#include "core/Failure.h"
#include "export/XlsxWorkbook.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString XlsxMimeType = u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s;

// Workbooks of earlier exports that the application has long since read.
void removeOldWorkbookFolders(const QString &tempRoot)
{
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    const QFileInfoList folders =
        QDir(tempRoot).entryInfoList({u"tarnveil-??????"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &folder : folders) {
        if (folder.isSymLink() || !folder.isWritable() || folder.lastModified() > dayAgo)
            continue;
        QDir dir(folder.filePath());
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        if (entries == QStringList{u"Results.xlsx"_s} || entries.isEmpty())
            dir.removeRecursively();
    }
}

Failure noWorkbook()
{
    return Failure(u"Object variable or With block variable not set"_s);
}

class FileSpreadsheetApplication final : public SpreadsheetApplication
{
public:
    FileSpreadsheetApplication(XlsxSpreadsheet::Launch launch, XlsxSpreadsheet::Start start,
                               QString tempRoot)
        : m_launch(std::move(launch)), m_start(std::move(start)), m_tempRoot(std::move(tempRoot))
    {
    }

    ~FileSpreadsheetApplication() override
    {
        m_workbook.reset();
        // A workbook that was never shown is of no use to anyone.
        if (!m_shown && !m_folder.isEmpty())
            QDir(m_folder).removeRecursively();
    }

    void addWorkbook() override
    {
        removeOldWorkbookFolders(m_tempRoot);
        QTemporaryDir folder(m_tempRoot + u"/tarnveil-XXXXXX"_s);
        if (!folder.isValid())
            throw Failure(folder.errorString());
        folder.setAutoRemove(false);
        m_folder = folder.path();
        m_file = m_folder + u"/Results.xlsx"_s;
        m_workbook = std::make_unique<XlsxWorkbook>(m_file, m_folder);
    }

    void setCell(int row, int column, const QString &text) override
    {
        workbook().setText(row, column, text);
    }
    void autoFitColumn(int column) override { workbook().fitColumn(column); }
    void autoFitAllColumns() override { workbook().fitAllColumns(); }

    void setVisible() override
    {
        workbook().save();
        m_workbook.reset();
        m_shown = true;
        if (!m_start(m_launch.program, m_launch.arguments + QStringList{m_file}))
            throw Failure(u"The spreadsheet application could not be started"_s);
    }

private:
    XlsxWorkbook &workbook()
    {
        if (!m_workbook)
            throw noWorkbook();
        return *m_workbook;
    }

    XlsxSpreadsheet::Launch m_launch;
    XlsxSpreadsheet::Start m_start;
    QString m_tempRoot;
    QString m_folder;
    QString m_file;
    std::unique_ptr<XlsxWorkbook> m_workbook;
    bool m_shown = false;
};

} // namespace

XlsxSpreadsheet::XlsxSpreadsheet(Locate locate, Start start, QString tempRoot)
    : m_locate(std::move(locate)), m_start(std::move(start)), m_tempRoot(std::move(tempRoot))
{
}

std::unique_ptr<SpreadsheetApplication> XlsxSpreadsheet::createApplication()
{
    std::optional<Launch> launch = m_locate();
    if (!launch)
        throw Failure(u"No spreadsheet application found"_s);
    return std::make_unique<FileSpreadsheetApplication>(std::move(*launch), m_start, m_tempRoot);
}

std::optional<XlsxSpreadsheet::Launch> XlsxSpreadsheet::locateOnThisDesktop()
{
    for (const QString &name : {u"soffice"_s, u"libreoffice"_s}) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty())
            return Launch{program, {u"--calc"_s, u"-n"_s}};
    }
    const QString open = QStandardPaths::findExecutable(u"xdg-open"_s);
    const QString mime = QStandardPaths::findExecutable(u"xdg-mime"_s);
    if (open.isEmpty() || mime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.start(mime, {u"query"_s, u"default"_s, XlsxMimeType});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0 ||
        query.readAllStandardOutput().trimmed().isEmpty())
        return std::nullopt;
    return Launch{open, {}};
}

bool XlsxSpreadsheet::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

std::unique_ptr<SpreadsheetAutomation> XlsxSpreadsheet::forThisDesktop()
{
    return std::make_unique<XlsxSpreadsheet>(&XlsxSpreadsheet::locateOnThisDesktop,
                                             &XlsxSpreadsheet::startDetached, QDir::tempPath());
}
