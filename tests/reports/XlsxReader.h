#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// Reads an .xlsx file back the way a spreadsheet program would see it:
// the archive is unpacked with `unzip -p`, the sheet, shared strings and
// styles are parsed. Problems reading the file fail the running test.
struct XlsxCell {
    bool isText = false;   // a string cell; otherwise a number
    QString text;
    double number = 0;
    bool textFormat = false;   // number format "@"
    bool bold = false;
    bool blank = false;   // a cell with a format and no value
};

class XlsxReader {
public:
    explicit XlsxReader(const QString& path);

    bool ok() const { return m_ok; }
    const QStringList& sheetNames() const { return m_sheetNames; }
    // The cell at "B3" on the sheet counted from 1, when the file has it.
    std::optional<XlsxCell> cell(int sheet, const QString& ref) const;
    int cellCount(int sheet) const;
    // The width set for a column counted from 1, or nullopt when the column
    // keeps the default width.
    std::optional<double> columnWidth(int sheet, int column) const;

    static QByteArray entry(const QString& path, const QString& name, bool* found = nullptr);

private:
    struct Style {
        bool textFormat = false;
        bool bold = false;
    };
    struct SheetData {
        QHash<QString, XlsxCell> cells;
        QHash<int, double> widths;
    };
    void readStrings(const QByteArray& xml);
    void readStyles(const QByteArray& xml);
    void readSheet(const QByteArray& xml, SheetData& into);

    bool m_ok = true;
    QStringList m_sheetNames;
    QStringList m_strings;
    QVector<Style> m_styles;
    QVector<SheetData> m_sheets;
};

// A column width as the file stores it: whole pixels of the default font's
// 7-pixel digit, plus 5 pixels of padding, in steps of 1/256.
inline double storedWidth(double width)
{
    return (double(int(width * 7 + 0.5)) + 5) / 7;
}

// "A1" style reference of a cell, both counted from 1.
QString cellRef(int column, int row);
