#pragma once

#include <QString>
#include <QStringView>

#include <map>

struct lxw_workbook;
struct lxw_worksheet;

// A one-sheet xlsx workbook written with libxlsxwriter. Every value is stored
// as a text value. The library cannot measure text, so fitting a column sets
// its width from the widest text written to it so far.
class XlsxWorkbook final
{
public:
    // Throws Failure when the workbook cannot be started. Temporary files of
    // the library go to tempFolder (the system's when empty).
    explicit XlsxWorkbook(const QString &path, const QString &tempFolder = QString());
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook &) = delete;
    XlsxWorkbook &operator=(const XlsxWorkbook &) = delete;

    // Rows and columns from 1. Throws Failure when the sheet refuses the text
    // (outside the sheet, longer than 32767 characters).
    void setText(int row, int column, const QString &text);
    void fitColumn(int column);
    void fitAllColumns();

    // Writes the file; throws Failure when that fails. Only once.
    void save();

    // The width of a column that shows text of that many character cells.
    static double columnWidthFor(double characterCells);
    // Character cells that a text takes in its longest line: East Asian wide
    // characters take two.
    static double characterCells(QStringView text);

private:
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    QString m_path;
    std::map<int, double> m_widest; // column -> character cells of its widest text
    std::map<int, double> m_fitted; // column -> width set by fitting
};
