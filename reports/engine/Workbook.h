#pragma once
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <vector>
#include <stdexcept>

// A workbook held in memory: sheets of cells, each a text or a number with
// its own format (text format "@", bold). Nothing reaches a file until
// save(), which writes the whole workbook at once as .xlsx. Rows and columns
// are counted from 0 here, as the file format's writer counts them.

class WorkbookError : public std::runtime_error {
public:
    explicit WorkbookError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

struct Cell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    bool textFormat = false;   // number format "@": the value is kept as text
    bool bold = false;
};

class Sheet {
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxTextLength = 32767;
    static constexpr double DefaultColumnWidth = 8.43;

    explicit Sheet(QString name) : m_name(std::move(name)) {}

    const QString& name() const { return m_name; }

    static bool validCell(int row, int column) { return row >= 0 && row < MaxRows && column >= 0 && column < MaxColumns; }

    // The value setters keep the cell's format, as a spreadsheet does when a
    // value is typed over. They throw WorkbookError for a cell outside the
    // sheet, a text over 32767 characters or a number that is not finite.
    void setText(int row, int column, const QString& text);
    void setNumber(int row, int column, double number);
    void setTextFormat(int row, int column, bool on);
    void setBold(int row, int column, bool on);

    // The cell, or nullptr when nothing was ever set there.
    const Cell* cell(int row, int column) const;
    int cellCount() const { return int(m_cells.size()); }

    // Marks a column to be as wide as its longest content when saved.
    void fitColumn(int column);
    bool isFitted(int column) const { return m_fitted.count(column) > 0; }
    // The width (in characters of the default font) that fits the column's
    // content now; DefaultColumnWidth when the column is empty.
    double fittedWidth(int column) const;

    // Approximate width of a text in characters of the default font: the
    // file format has no "fit" of its own, so the width is estimated.
    static double estimateWidth(const QString& shownText, bool bold);
    // The text a number shows in the general format.
    static QString generalText(double number);

    template <typename Fn> void forEachCell(Fn fn) const
    {
        for (const auto& [key, cell] : m_cells)
            fn(int(key >> 32), int(key & 0xffffffffu), cell);
    }
    const std::set<int>& fittedColumns() const { return m_fitted; }

private:
    static quint64 key(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }
    Cell& at(int row, int column);

    QString m_name;
    std::map<quint64, Cell> m_cells;   // ordered by row, then column
    std::set<int> m_fitted;
};

class Workbook {
public:
    // A new workbook has one sheet, "Лист1", as a new book in a spreadsheet
    // program has.
    Workbook();

    int sheetCount() const { return int(m_sheets.size()); }
    // The sheet by its index from 0, or nullptr when there is none.
    Sheet* sheet(int index);
    const Sheet* sheet(int index) const;
    Sheet& addSheet(const QString& name);

    // Writes the workbook as .xlsx into `path` (replacing that file). Throws
    // WorkbookError with the writer's reason when anything fails.
    void save(const QString& path) const;

private:
    std::vector<std::unique_ptr<Sheet>> m_sheets;
};
