#include "reports/engine/Workbook.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <xlsxwriter.h>

void Sheet::setText(int row, int column, const QString& text)
{
    if (text.size() > MaxTextLength)
        throw WorkbookError(QStringLiteral("текст длиннее %1 символов").arg(MaxTextLength));
    Cell& c = at(row, column);
    c.kind = Cell::Kind::Text;
    c.text = text;
    c.number = 0;
}

void Sheet::setNumber(int row, int column, double number)
{
    if (!std::isfinite(number))
        throw WorkbookError(QStringLiteral("число не конечно"));
    Cell& c = at(row, column);
    c.kind = Cell::Kind::Number;
    c.text.clear();
    c.number = number;
}

void Sheet::setTextFormat(int row, int column, bool on)
{
    at(row, column).textFormat = on;
}

void Sheet::setBold(int row, int column, bool on)
{
    at(row, column).bold = on;
}

const Cell* Sheet::cell(int row, int column) const
{
    if (!validCell(row, column))
        return nullptr;
    const auto it = m_cells.find(key(row, column));
    return it == m_cells.end() ? nullptr : &it->second;
}

Cell& Sheet::at(int row, int column)
{
    if (!validCell(row, column))
        throw WorkbookError(QStringLiteral("ячейка вне листа (строка %1, столбец %2)").arg(row + 1).arg(column + 1));
    return m_cells[key(row, column)];
}

void Sheet::fitColumn(int column)
{
    if (column < 0 || column >= MaxColumns)
        throw WorkbookError(QStringLiteral("столбец вне листа (%1)").arg(column + 1));
    m_fitted.insert(column);
}

QString Sheet::generalText(double number)
{
    return QString::number(number, 'g', 11);
}

double Sheet::estimateWidth(const QString& shownText, bool bold)
{
    static const QString narrow = QStringLiteral(" .,:;!|'`ilIjtfr()[]");
    static const QString wide = QStringLiteral("MWmwШЩЖЮФЫшщжюфыМм@%");
    double longest = 0;
    for (const QString& line : shownText.split(QLatin1Char('\n'))) {
        double width = 0;
        for (const QChar ch : line) {
            if (narrow.contains(ch))
                width += 0.55;
            else if (wide.contains(ch))
                width += 1.35;
            else if (ch.isUpper())
                width += 1.15;
            else
                width += 1.0;
        }
        longest = std::max(longest, width);
    }
    if (bold)
        longest *= 1.1;
    // A little room on both sides of the text, as a fitted column has.
    return std::min(255.0, std::ceil((longest + 1.0) * 100) / 100);
}

namespace {

QString shownText(const Cell& c)
{
    switch (c.kind) {
    case Cell::Kind::Text: return c.text;
    case Cell::Kind::Number: return Sheet::generalText(c.number);
    case Cell::Kind::Empty: break;
    }
    return QString();
}

} // namespace

double Sheet::fittedWidth(int column) const
{
    double width = -1;
    forEachCell([&](int, int col, const Cell& c) {
        if (col == column && c.kind != Cell::Kind::Empty)
            width = std::max(width, estimateWidth(shownText(c), c.bold));
    });
    return width < 0 ? DefaultColumnWidth : width;
}

Workbook::Workbook()
{
    addSheet(QStringLiteral("Лист1"));
}

Sheet* Workbook::sheet(int index)
{
    return index >= 0 && index < sheetCount() ? m_sheets[size_t(index)].get() : nullptr;
}

const Sheet* Workbook::sheet(int index) const
{
    return index >= 0 && index < sheetCount() ? m_sheets[size_t(index)].get() : nullptr;
}

Sheet& Workbook::addSheet(const QString& name)
{
    m_sheets.push_back(std::make_unique<Sheet>(name));
    return *m_sheets.back();
}

namespace {

// The file format reads "_xHHHH_" in a text as an escaped character (the
// writer uses it for control characters); a text holding those letters
// itself has its "_" escaped, so that it reads back as typed.
QByteArray fileText(const QString& text)
{
    static const QRegularExpression escapeLike(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x")))
        return text.toUtf8();
    QString escaped = text;
    escaped.replace(escapeLike, QStringLiteral("_x005F_\\1"));
    return escaped.toUtf8();
}

void check(lxw_error error, const QString& what)
{
    if (error != LXW_NO_ERROR)
        throw WorkbookError(what + QStringLiteral(": ") + QString::fromUtf8(lxw_strerror(error)));
}

// Frees the writer's workbook unless it has been handed to workbook_close.
struct WriterGuard {
    lxw_workbook* book;
    ~WriterGuard()
    {
        if (book)
            lxw_workbook_free(book);
    }
};

} // namespace

void Workbook::save(const QString& path) const
{
    const QByteArray fileName = QFile::encodeName(path);
    // Not the constant-memory mode: it drops cells written out of row order.
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.use_zip64 = LXW_FALSE;
    WriterGuard guard{workbook_new_opt(fileName.constData(), &options)};
    if (!guard.book)
        throw WorkbookError(QStringLiteral("не удалось создать книгу"));

    // One format for each combination of text format and bold; the plain
    // cell needs none.
    lxw_format* formats[4] = {nullptr, nullptr, nullptr, nullptr};
    auto formatFor = [&](const Cell& c) -> lxw_format* {
        const int index = (c.textFormat ? 1 : 0) | (c.bold ? 2 : 0);
        if (index == 0 || formats[index])
            return formats[index];
        lxw_format* f = workbook_add_format(guard.book);
        if (!f)
            throw WorkbookError(QStringLiteral("не удалось создать формат ячейки"));
        if (c.textFormat)
            format_set_num_format(f, "@");
        if (c.bold)
            format_set_bold(f);
        return formats[index] = f;
    };

    for (const auto& sheet : m_sheets) {
        const QByteArray sheetName = sheet->name().toUtf8();
        check(workbook_validate_sheet_name(guard.book, sheetName.constData()),
              QStringLiteral("лист \"%1\"").arg(sheet->name()));
        lxw_worksheet* ws = workbook_add_worksheet(guard.book, sheetName.constData());
        if (!ws)
            throw WorkbookError(QStringLiteral("не удалось добавить лист \"%1\"").arg(sheet->name()));

        std::map<int, double> widths;
        for (int column : sheet->fittedColumns())
            widths[column] = -1;
        lxw_error error = LXW_NO_ERROR;
        int errorRow = 0, errorColumn = 0;
        sheet->forEachCell([&](int row, int column, const Cell& c) {
            if (error != LXW_NO_ERROR)
                return;
            lxw_format* format = formatFor(c);
            switch (c.kind) {
            case Cell::Kind::Text:
                error = worksheet_write_string(ws, lxw_row_t(row), lxw_col_t(column), fileText(c.text).constData(),
                                               format);
                break;
            case Cell::Kind::Number:
                error = worksheet_write_number(ws, lxw_row_t(row), lxw_col_t(column), c.number, format);
                break;
            case Cell::Kind::Empty:
                if (format)
                    error = worksheet_write_blank(ws, lxw_row_t(row), lxw_col_t(column), format);
                break;
            }
            errorRow = row;
            errorColumn = column;
            if (c.kind != Cell::Kind::Empty) {
                const auto fitted = widths.find(column);
                if (fitted != widths.end())
                    fitted->second = std::max(fitted->second, Sheet::estimateWidth(shownText(c), c.bold));
            }
        });
        check(error, QStringLiteral("ячейка (строка %1, столбец %2)").arg(errorRow + 1).arg(errorColumn + 1));
        for (const auto& [column, width] : widths)
            check(worksheet_set_column(ws, lxw_col_t(column), lxw_col_t(column),
                                       width < 0 ? Sheet::DefaultColumnWidth : width, nullptr),
                  QStringLiteral("ширина столбца %1").arg(column + 1));
    }

    lxw_workbook* book = guard.book;
    guard.book = nullptr;   // workbook_close frees it, whatever it answers
    check(workbook_close(book), QStringLiteral("запись файла"));
}
