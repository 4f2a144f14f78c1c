#pragma once

class ErrorTrap;
class Progress;
class QAbstractItemModel;
class SpreadsheetApplication;

// Writes a list into the active sheet of the application's new workbook: the
// column headers in row 1, list row r in sheet row r + 1 when it is checked
// (an unchecked row leaves its sheet row empty). The first column is handed
// over as it is, the others without their "=" characters; every value is a
// text value. Fits each column after the header row. Failures go to trap with
// the statement numbers of "Save Results As Excel File"; yields through status.
void WriteListToSheet(const QAbstractItemModel &list, SpreadsheetApplication &app, ErrorTrap &trap,
                      Progress &status);
