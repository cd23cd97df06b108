#pragma once
#include "reports/engine/Workbook.h"

#include <QString>
#include <optional>

// How a written value becomes a cell of a workbook held in memory.
namespace WorkbookCells {

struct Format {
    bool apply = false;   // a formatted write: the three below are set as given
    bool asText = false;
    bool autofit = false;
    bool bold = false;
};

enum class Outcome {
    Written,
    Unchanged,   // an empty text: nothing to write
    NoSheet,     // no workbook, or no such sheet in it
    Refused,     // a cell outside the sheet, a text too long or a number that is not finite
};

// Writes into sheet `sheet` (from 1) of `book` at `column`, `row` (from 1);
// nothing is changed unless the answer is Written.
Outcome write(Workbook* book, int sheet, int column, int row, const Format& format, const QString& text);
Outcome write(Workbook* book, int sheet, int column, int row, const Format& format, double number);

// A text that a spreadsheet would take as a number when typed: an optional
// minus, digits, and decimals after a comma (the Russian decimal sign) or a
// point (as the database gives decimals). A leading zero before more digits
// ("0042") marks a code, not a number, and stays text; so do group
// separators, units and anything a double cannot hold to the digit.
std::optional<double> numberInText(const QString& text);

// The text of a number written into a cell of the text format, as the
// program shows numbers (the default locale, no group separators).
QString numberText(double number);

} // namespace WorkbookCells

// Where an export writes its cells: the windows' exporter (a workbook handed
// to the spreadsheet program, failures shown in boxes) or a workbook written
// to a named file (the command line). Sheet, column and row are counted
// from 1, as the exporter counts them; the answer is 1 written, -1 refused.
// Both writers put a value into a cell by the same rules (WorkbookCells);
// they differ in the workbook they fill and in what a refusal does.
class CellWriter {
public:
    virtual ~CellWriter() = default;

    // A number cell for a number, and for a text that reads as a number
    // ("12,5", "-3", "1.25"; not "0042", "1 000" or "12 кг") unless the cell
    // has the text format; any other text is a text cell. An empty text
    // leaves the cell as it was. The cell keeps its format.
    int WriteCell(int sheet, int column, int row, const QString& text);
    int WriteCell(int sheet, int column, int row, double number);
    // As WriteCell, and: asText gives the cell the text format "@" (a number
    // or a text that reads as one is then kept as text), autofit fits the
    // column's width to its content, and bold sets or clears bold.
    int WriteCellFormatted(int sheet, int column, int row, const QString& text, bool asText, bool autofit, bool bold);
    int WriteCellFormatted(int sheet, int column, int row, double number, bool asText, bool autofit, bool bold);

protected:
    // The workbook the cells go into (nullptr: none yet).
    virtual Workbook* book() = 0;
    // What a write came to: 1, or -1 once the refusal has been dealt with.
    virtual int written(WorkbookCells::Outcome outcome, int sheet, int column, int row) = 0;
};

// A workbook in memory filled through the writer's interface, saved to a
// named file at the end. A write it cannot make throws WorkbookError
// naming the cell: a command has no one to show a box to.
class WorkbookWriter : public CellWriter {
public:
    const Workbook& workbook() const { return m_book; }

    // Writes the workbook as .xlsx into `path` (see Workbook::save).
    void save(const QString& path) const { m_book.save(path); }

protected:
    Workbook* book() override { return &m_book; }
    int written(WorkbookCells::Outcome outcome, int sheet, int column, int row) override;

private:
    Workbook m_book;
};
