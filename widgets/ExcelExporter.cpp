#include "widgets/ExcelExporter.h"

#include "widgets/DialogService.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <cmath>
#include <optional>

namespace {

const QString kOpenFailed = QStringLiteral("Ошибка открытия файла Microsoft Excel.");
const QString kBadSheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString kWriteCaption = QStringLiteral("Ошибка Microsoft Excel");
const QString kXlsxType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

QString failureText(int sheet, int column, int row)
{
    return QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row);
}

// A number written with the text format shows as the program shows numbers.
QString numberText(double number)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', 15);
}

bool fitsACell(const QString& text)
{
    return text.size() <= Sheet::MaxTextLength;
}

// A text that a spreadsheet would take as a number when typed: an optional
// minus, digits, and decimals after a comma (the Russian decimal sign) or a
// point (as the database gives decimals). A leading zero before more digits
// ("0042") marks a code, not a number, and stays text; so do group
// separators, units and anything a double cannot hold to the digit.
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

} // namespace

ExcelExporter::ExcelExporter(DialogService& dialogs, QWidget* parent)
    : m_dialogs(dialogs), m_parent(parent), m_opener(&ExcelExporter::openWithDesktop),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

ExcelExporter::~ExcelExporter() = default;

int ExcelExporter::Open(const QString& fileName, const QString& exportName)
{
    if (!fileName.isEmpty()) {
        m_dialogs.error(m_parent, kOpenFailed);
        return -1;
    }
    m_book = std::make_unique<Workbook>();
    m_name = exportName;
    m_changed = true;
    return 1;
}

int ExcelExporter::WriteCell(int sheet, int column, int row, const QString& text)
{
    if (text.isEmpty())
        return 1;
    return write(sheet, column, row, Format{}, fitsACell(text),
                 [&](Sheet& s, int r, int c) { setTextOrNumber(s, r, c, text); });
}

int ExcelExporter::WriteCell(int sheet, int column, int row, double number)
{
    return write(sheet, column, row, Format{}, std::isfinite(number),
                 [&](Sheet& s, int r, int c) { s.setNumber(r, c, number); });
}

int ExcelExporter::WriteCellFormatted(int sheet, int column, int row, const QString& text, bool asText, bool autofit,
                                      bool bold)
{
    if (text.isEmpty())
        return 1;
    return write(sheet, column, row, Format{true, asText, autofit, bold}, fitsACell(text),
                 [&](Sheet& s, int r, int c) {
        if (asText)
            s.setText(r, c, text);
        else
            setTextOrNumber(s, r, c, text);
    });
}

int ExcelExporter::WriteCellFormatted(int sheet, int column, int row, double number, bool asText, bool autofit,
                                      bool bold)
{
    return write(sheet, column, row, Format{true, asText, autofit, bold}, std::isfinite(number),
                 [&](Sheet& s, int r, int c) {
        if (asText)
            s.setText(r, c, numberText(number));
        else
            s.setNumber(r, c, number);
    });
}

int ExcelExporter::write(int sheet, int column, int row, const Format& format, bool valueFits,
                         const std::function<void(Sheet&, int, int)>& setValue)
{
    // The sheet is looked up in the workbook being filled; without one (no
    // successful Open) there is no sheet to write to.
    Sheet* target = m_book ? m_book->sheet(sheet - 1) : nullptr;
    if (!target) {
        m_dialogs.error(m_parent, failureText(sheet, column, row), kBadSheetCaption);
        return -1;
    }
    const int r = row - 1;
    const int c = column - 1;
    // A cell outside the sheet, a text too long for a cell or a number the
    // file cannot hold is refused before anything is changed.
    if (!Sheet::validCell(r, c) || !valueFits) {
        m_dialogs.error(m_parent, failureText(sheet, column, row), kWriteCaption);
        return -1;
    }
    m_changed = true;
    // The steps in the order a spreadsheet takes them: the text format
    // before the value, so that the value is kept as text.
    if (format.apply && format.asText)
        target->setTextFormat(r, c, true);
    setValue(*target, r, c);
    if (format.apply && format.autofit)
        target->fitColumn(c);
    if (format.apply)
        target->setBold(r, c, format.bold);
    return 1;
}

int ExcelExporter::SetVisible(bool visible)
{
    if (!m_book || !visible || !m_changed)
        return 1;
    QString path;
    try {
        path = writeNewFile();
    } catch (const WorkbookError& e) {
        m_dialogs.error(m_parent, QStringLiteral("Не удалось сохранить книгу Excel в папку %1:\n%2")
                                      .arg(QDir::toNativeSeparators(exportFolder()), e.text()),
                        kWriteCaption);
        return -1;
    }
    m_changed = false;
    m_lastFile = path;
    if (!m_opener || !m_opener(path))
        m_dialogs.message(m_parent, MessageKind::Information, QStringLiteral("Excel"),
                          QStringLiteral("Не найдена программа для открытия книг Excel.\nКнига сохранена в файл:\n%1")
                              .arg(QDir::toNativeSeparators(path)));
    return 1;
}

QString ExcelExporter::exportFolder() const
{
    if (!m_folder.isEmpty())
        return m_folder;
    const QString fromEnvironment = qEnvironmentVariable("PW_EXPORT_DIR");
    return fromEnvironment.isEmpty() ? defaultExportFolder() : fromEnvironment;
}

QString ExcelExporter::defaultExportFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("Экспорт"));
}

QString ExcelExporter::baseFileName(const QString& exportName, const QDateTime& time)
{
    QString name;
    for (const QChar ch : exportName.simplified()) {
        const bool unsafe = ch.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(ch);
        name += unsafe ? QChar(u'_') : ch;
    }
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    name = name.left(100).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Книга");
    return name + QLatin1Char(' ') + time.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

QString ExcelExporter::writeNewFile()
{
    const QString folder = exportFolder();
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        throw WorkbookError(QStringLiteral("папку не удалось создать"));
    const QString base = baseFileName(m_name, m_clock());
    // The name is taken by creating the file, so that no earlier export is
    // ever written over, not even one another copy of the program made at
    // the same second.
    for (int n = 1; n <= 10000; ++n) {
        const QString path =
            dir.filePath(n == 1 ? base + QStringLiteral(".xlsx") : QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
        QFile reserved(path);
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            reserved.close();
            try {
                m_book->save(path);
            } catch (...) {
                QFile::remove(path);
                throw;
            }
            return path;
        }
        if (!QFileInfo::exists(path))
            throw WorkbookError(reserved.errorString());
    }
    throw WorkbookError(QStringLiteral("нет свободного имени файла"));
}

bool ExcelExporter::openWithDesktop(const QString& filePath)
{
    // The desktop opener answers only whether it started, not whether any
    // application took the file; ask first whether one is registered.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), kXlsxType});
    if (query.waitForStarted(2000) && query.waitForFinished(5000) && query.exitStatus() == QProcess::NormalExit
        && query.readAllStandardOutput().trimmed().isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}
