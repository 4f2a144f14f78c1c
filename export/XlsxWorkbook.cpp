#include "export/XlsxWorkbook.h"

#include "core/Failure.h"

#include <QByteArray>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

Failure libraryFailure(lxw_error error)
{
    return Failure(QString::fromUtf8(lxw_strerror(error)));
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A text such as "_x0041_" would be read back as the character it encodes;
// its underscore is written as "_x005F_" so that the text arrives unchanged.
QString protectEscapes(const QString &text)
{
    if (!text.contains(u"_x"))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' &&
            isHexDigit(text[i + 2]) && isHexDigit(text[i + 3]) && isHexDigit(text[i + 4]) &&
            isHexDigit(text[i + 5]) && text[i + 6] == u'_') {
            out.append(u"_x005F_");
            continue;
        }
        out.append(text[i]);
    }
    return out;
}

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString &path, const QString &tempFolder) : m_path(path)
{
    const QByteArray file = QFile::encodeName(path);
    QByteArray temp = QFile::encodeName(tempFolder);
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = tempFolder.isEmpty() ? nullptr : temp.data();
    options.use_zip64 = LXW_FALSE;
    m_workbook = workbook_new_opt(file.constData(), &options);
    if (m_workbook)
        m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    if (!m_sheet) {
        if (m_workbook)
            lxw_workbook_free(m_workbook);
        m_workbook = nullptr;
        throw Failure::outOfMemory();
    }
}

XlsxWorkbook::~XlsxWorkbook()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
}

void XlsxWorkbook::setText(int row, int column, const QString &text)
{
    if (!m_workbook)
        throw Failure::invalidArgument();
    if (row < 1 || column < 1 || row > LXW_ROW_MAX || column > LXW_COL_MAX)
        throw libraryFailure(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    const QByteArray utf8 = protectEscapes(text).toUtf8();
    const lxw_error error = worksheet_write_string(
        m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), utf8.constData(), nullptr);
    if (error != LXW_NO_ERROR)
        throw libraryFailure(error);
    double &widest = m_widest[column];
    widest = std::max(widest, characterCells(text));
}

void XlsxWorkbook::fitColumn(int column)
{
    const auto found = m_widest.find(column);
    if (found != m_widest.end() && found->second > 0)
        m_fitted[column] = columnWidthFor(found->second);
}

void XlsxWorkbook::fitAllColumns()
{
    for (const auto &[column, widest] : m_widest) {
        if (widest > 0)
            m_fitted[column] = columnWidthFor(widest);
    }
}

void XlsxWorkbook::save()
{
    if (!m_workbook)
        throw Failure::invalidArgument();
    for (const auto &[column, width] : m_fitted)
        worksheet_set_column(m_sheet, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr);
    // workbook_close() frees the workbook whatever it answers.
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (error != LXW_NO_ERROR) {
        QFile::remove(m_path);
        throw Failure(libraryFailure(error).description() + u": "_s + m_path);
    }
}

double XlsxWorkbook::columnWidthFor(double characterCells)
{
    // Roughly the default font's average character plus a little margin;
    // 255 is the widest column a sheet allows.
    return std::min(255.0, characterCells * 1.1 + 1.0);
}

double XlsxWorkbook::characterCells(QStringView text)
{
    double widest = 0;
    double line = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c == u'\n' || c == u'\r') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        line += isWide(c) ? 2 : 1;
    }
    return std::max(widest, line);
}
