#include "reports/engine/CellWriter.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <functional>

namespace WorkbookCells {

namespace {

// The plain text write: a number when the text reads as one and the cell
// is not formatted as text, else the text.
void setTextOrNumber(Sheet& sheet, int row, int column, const QString& text)
{
    const Cell* existing = sheet.cell(row, column);
    const bool keptAsText = existing && existing->textFormat;
    const std::optional<double> number = keptAsText ? std::nullopt : numberInText(text);
    if (number)
        sheet.setNumber(row, column, *number);
    else
        sheet.setText(row, column, text);
}

Outcome put(Workbook* book, int sheet, int column, int row, const Format& format, bool valueFits,
            const std::function<void(Sheet&, int, int)>& setValue)
{
    Sheet* target = book ? book->sheet(sheet - 1) : nullptr;
    if (!target)
        return Outcome::NoSheet;
    const int r = row - 1;
    const int c = column - 1;
    // A cell outside the sheet, a text too long for a cell or a number the
    // file cannot hold is refused before anything is changed.
    if (!Sheet::validCell(r, c) || !valueFits)
        return Outcome::Refused;
    // The steps in the order a spreadsheet takes them: the text format
    // before the value, so that the value is kept as text.
    if (format.apply && format.asText)
        target->setTextFormat(r, c, true);
    setValue(*target, r, c);
    if (format.apply && format.autofit)
        target->fitColumn(c);
    if (format.apply)
        target->setBold(r, c, format.bold);
    return Outcome::Written;
}

} // namespace

std::optional<double> numberInText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^-?(0|[1-9][0-9]*)([.,][0-9]+)?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    int digits = 0;
    for (QChar ch : text)
        digits += ch.isDigit() ? 1 : 0;
    if (digits > 15)
        return std::nullopt;
    QString plain = text;
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString numberText(double number)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', 15);
}

Outcome write(Workbook* book, int sheet, int column, int row, const Format& format, const QString& text)
{
    if (text.isEmpty())
        return Outcome::Unchanged;
    return put(book, sheet, column, row, format, text.size() <= Sheet::MaxTextLength, [&](Sheet& s, int r, int c) {
        if (format.apply && format.asText)
            s.setText(r, c, text);
        else
            setTextOrNumber(s, r, c, text);
    });
}

Outcome write(Workbook* book, int sheet, int column, int row, const Format& format, double number)
{
    return put(book, sheet, column, row, format, std::isfinite(number), [&](Sheet& s, int r, int c) {
        if (format.apply && format.asText)
            s.setText(r, c, numberText(number));
        else
            s.setNumber(r, c, number);
    });
}

} // namespace WorkbookCells

int CellWriter::WriteCell(int sheet, int column, int row, const QString& text)
{
    return written(WorkbookCells::write(book(), sheet, column, row, {}, text), sheet, column, row);
}

int CellWriter::WriteCell(int sheet, int column, int row, double number)
{
    return written(WorkbookCells::write(book(), sheet, column, row, {}, number), sheet, column, row);
}

int CellWriter::WriteCellFormatted(int sheet, int column, int row, const QString& text, bool asText, bool autofit,
                                   bool bold)
{
    return written(WorkbookCells::write(book(), sheet, column, row, {true, asText, autofit, bold}, text), sheet,
                   column, row);
}

int CellWriter::WriteCellFormatted(int sheet, int column, int row, double number, bool asText, bool autofit,
                                   bool bold)
{
    return written(WorkbookCells::write(book(), sheet, column, row, {true, asText, autofit, bold}, number), sheet,
                   column, row);
}

int WorkbookWriter::written(WorkbookCells::Outcome outcome, int sheet, int column, int row)
{
    switch (outcome) {
    case WorkbookCells::Outcome::NoSheet:
        throw WorkbookError(QStringLiteral("нет листа %1").arg(sheet));
    case WorkbookCells::Outcome::Refused:
        throw WorkbookError(QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row));
    default:
        return 1;
    }
}
