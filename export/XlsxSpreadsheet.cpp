#include "export/XlsxSpreadsheet.h"

#include "core/Failure.h"
#include "export/XlsxWorkbook.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString XlsxMimeType = u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s;

const QString WorkbookName = u"Results.xlsx"_s;
// Beside the workbook: its size and modification time as written, so that a
// later export can tell whether the user changed it since.
const QString StampName = u".Results.xlsx.written"_s;

QByteArray stampOf(const QFileInfo &workbook)
{
    return QByteArray::number(workbook.size()) + ' ' +
           QByteArray::number(workbook.lastModified().toMSecsSinceEpoch());
}

void stampWorkbook(const QString &folder)
{
    QFile stamp(QDir(folder).filePath(StampName));
    if (stamp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        stamp.write(stampOf(QFileInfo(QDir(folder).filePath(WorkbookName))));
}

// A workbook is ours to delete only while it is exactly as it was written:
// a user who saved their edits into it keeps it.
bool unchangedSinceWritten(const QDir &folder)
{
    QFile stamp(folder.filePath(StampName));
    if (!stamp.open(QIODevice::ReadOnly))
        return false;
    const QFileInfo workbook(folder.filePath(WorkbookName));
    return workbook.isFile() && stamp.readAll() == stampOf(workbook);
}

// Workbooks of earlier exports that the application has long since read and
// nobody changed.
void removeOldWorkbookFolders(const QString &tempRoot)
{
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    const QFileInfoList folders =
        QDir(tempRoot).entryInfoList({u"tarnveil-??????"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &folder : folders) {
        if (folder.isSymLink() || !folder.isWritable() || folder.lastModified() > dayAgo)
            continue;
        QDir dir(folder.filePath());
        QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        entries.sort();
        if (entries.isEmpty() ||
            (entries == QStringList{StampName, WorkbookName} && unchangedSinceWritten(dir)))
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
            throw Failure(folder.errorString() + u": "_s + m_tempRoot);
        folder.setAutoRemove(false);
        m_folder = folder.path();
        m_file = QDir(m_folder).filePath(WorkbookName);
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
        stampWorkbook(m_folder);
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
