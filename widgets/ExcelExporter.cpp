#include "widgets/ExcelExporter.h"

#include "widgets/DialogService.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString kOpenFailed = QStringLiteral("Ошибка открытия файла Microsoft Excel.");
const QString kBadSheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString kWriteCaption = QStringLiteral("Ошибка Microsoft Excel");
const QString kXlsxType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

QString failureText(int sheet, int column, int row)
{
    return QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row);
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

int ExcelExporter::written(WorkbookCells::Outcome outcome, int sheet, int column, int row)
{
    switch (outcome) {
    case WorkbookCells::Outcome::Written:
        m_changed = true;
        return 1;
    case WorkbookCells::Outcome::Unchanged:
        return 1;
    case WorkbookCells::Outcome::NoSheet:
        // The sheet is looked up in the workbook being filled; without one
        // (no successful Open) there is no sheet to write to.
        m_dialogs.error(m_parent, failureText(sheet, column, row), kBadSheetCaption);
        return -1;
    case WorkbookCells::Outcome::Refused:
        break;
    }
    m_dialogs.error(m_parent, failureText(sheet, column, row), kWriteCaption);
    return -1;
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
