#pragma once
#include "reports/engine/CellWriter.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class DialogService;
class QWidget;

// The one component through which the program writes tables for a
// spreadsheet application. Open starts a new workbook in memory, the writes
// fill its cells (sheet, column and row counted from 1), and SetVisible(true)
// writes the workbook as a new .xlsx file into the export folder and hands
// it to the desktop's spreadsheet application. Results are 1 for success and
// -1 for failure; every failure has been shown to the user in a box by then.
// The cells take their values by the rules every CellWriter shares.
class ExcelExporter : public CellWriter {
public:
    // Opens a written workbook for the user; false when nothing could.
    using Opener = std::function<bool(const QString& filePath)>;
    using Clock = std::function<QDateTime()>;

    explicit ExcelExporter(DialogService& dialogs, QWidget* parent = nullptr);
    ~ExcelExporter();
    ExcelExporter(const ExcelExporter&) = delete;
    ExcelExporter& operator=(const ExcelExporter&) = delete;

    // Starts a new workbook, replacing the one held before. `exportName`
    // names the file written later ("Книга" when empty). Reading an existing
    // file is not supported: a non-empty file name is refused.
    int Open(const QString& fileName, const QString& exportName = QString());
    // true writes the workbook (when it changed since it was last written) as
    // a new file and opens it for the user. Nothing happens without a workbook
    // or with false. -1 only when the file could not be written.
    int SetVisible(bool visible);

    // The folder the files go to: the one set here, else the environment
    // variable PW_EXPORT_DIR, else "Экспорт" in the user's documents folder.
    // It is created when missing.
    void setExportFolder(const QString& folder) { m_folder = folder; }
    QString exportFolder() const;
    static QString defaultExportFolder();

    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The program's opener: the desktop's application for .xlsx files.
    static bool openWithDesktop(const QString& filePath);

    // The workbook being filled (nullptr before the first successful Open).
    const Workbook* workbook() const { return m_book.get(); }
    // The file written by the last SetVisible(true), if any.
    const QString& lastFile() const { return m_lastFile; }

    // The name a workbook gets without a counter: the export's name, made
    // safe for a file name, and the time.
    static QString baseFileName(const QString& exportName, const QDateTime& time);

protected:
    Workbook* book() override { return m_book.get(); }
    // Marks the workbook changed after a write, or shows why it was refused.
    int written(WorkbookCells::Outcome outcome, int sheet, int column, int row) override;

private:
    QString writeNewFile();

    DialogService& m_dialogs;
    QWidget* m_parent;
    std::unique_ptr<Workbook> m_book;
    QString m_name;
    bool m_changed = false;
    QString m_folder;
    QString m_lastFile;
    Opener m_opener;
    Clock m_clock;
};
