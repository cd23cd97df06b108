#pragma once
#include "widgets/AppContext.h"
#include "ledger/LoginCodes.h"

#include <QDialog>
#include <QDate>
#include <QStringList>
#include <functional>

class DBGrid;
class LegacyImportHost;
class Dataset;
class QAction;
class QCheckBox;
class QDateEdit;
class QMenu;
class QMenuBar;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;
class TDataModule6;
class TForm11;
class TForm18;
class TForm26;
class TForm3;
class TForm4;
class TForm5;
class TForm8;

// The journal window ("Табель"): the shift records of one day and shift.
class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(const AppContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the data module and opens the connection from the command
    // line (database, server). Answers false when that fails; the message
    // has then been shown and the program asked to end.
    bool FormCreate(const QStringList& arguments);
    TDataModule6* dataModule() const { return m_dm; }

    // Peers the window owner hands over.
    void setLoginTimer(QTimer* timer) { m_loginTimer = timer; }
    // The catalogs of the menu "Справочники"; their items are enabled here.
    void setCatalogWindows(TForm5* workers, TForm3* products, TForm8* kinds, TForm26* groups);
    // The summary reports of the menu "Отчеты"; its item is enabled here.
    void setReportsWindow(TForm18* reports);
    // The shift record editor of "Добавить" and "Изменить"; they are enabled here.
    void setRecordEditor(TForm11* editor);
    // The operations list of the menu item "Цены"; it is enabled here.
    void setPriceList(TForm4* prices);
    // The maintenance works journal of "Ср.сд./хоз. работы"; `prepare` hands
    // it the journal date before it is shown. The button is enabled here.
    void setMaintenanceJournal(QDialog* journal, std::function<void(const QDate&)> prepare);
    // What the items of the menu "Табель" open; an item with an opener is
    // enabled here.
    struct TimesheetOpeners {
        std::function<void()> piece, shifts, maintenance, average, total;
        std::function<void()> monthCheck;   // "Проверка месяца"
    };
    void setTimesheetOpeners(const TimesheetOpeners& openers);

    // Window state other windows read and the login sets.
    int currentShift = 1;
    Dataset* currentShiftQuery = nullptr;
    QString userRole;
    LoginRole role = LoginRole::None;
    int buildDate = 0;
    int buildTime = 0;
    // Today's date as activation reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QDateEdit* DateT;
    QCheckBox* CBox1;
    QLabel* LabelClosed;    // "Месяц закрыт …" while the date's month is closed
    DBGrid* DBGrid2;
    QPushButton* Button1;   // Добавить
    QPushButton* Button2;   // Изменить
    QPushButton* Button3;   // Удалить
    QPushButton* Button8;   // Обновить
    QPushButton* Button5;   // Ср.сд./хоз. работы
    QPushButton* Button4;   // Выход
    QTimer* Timer1;

    QMenuBar* MainMenu;
    QMenu* MenuCatalogs;      // Справочники
    QMenu* MenuTimesheets;    // Табель
    QMenu* MenuReports;       // Отчеты
    QAction* ActWorkers;
    QAction* ActProducts;
    QAction* ActPrices;
    QAction* ActOperations;
    QAction* ActGroups;
    QAction* ActPieceTimesheet;
    QAction* ActShiftTimesheet;
    QAction* ActMaintenanceTimesheet;
    QAction* ActAvgTimesheet;
    QAction* ActTotalTimesheet;
    QAction* ActMonthCheck;
    QAction* ActSummaryReports;
    QAction* ActExit;
    QAction* ActImport;
    QAction* ActDbStructure;
    // The hidden items' import, its connections and its label Label1;
    // made when the connection is open.
    LegacyImportHost* LegacyImport = nullptr;

    // Handlers.
    void FormActivate();
    void DateTChange();
    void RadioButtonClick(int shift);
    void CBox1Click();
    void Button8Click();
    void Button3Click();
    void DBGrid2DblClick();
    void VersionCheck();
    // The shift's journal query (a number other than 2, 3, 4 gives shift 1).
    Dataset& shiftQuery(int shift) const;

    // Shows a window opened from the journal; the journal re-reads today
    // when it is active again.
    int showChild(QDialog& child);
    // Moves the journal to a day and shift and makes record `id` current;
    // tells when it is not among the shown records.
    void showRecord(const QDate& date, int shift, qlonglong id);
    // Shows whether the date's month is closed (the label, the buttons' tips).
    void showMonthState();

    // Menu "Справочники": each list opened as the catalog.
    void ActWorkersExecute();
    void ActProductsExecute();
    void ActOperationsExecute();
    void ActGroupsExecute();
    // Menu "Отчеты", "Сводные отчеты": the previous month, then the window.
    void ActSummaryReportsExecute();
    // "Добавить" and "Изменить": the record editor prepared and shown.
    void Button1Click();
    void Button2Click();
    // Menu "Справочники", "Цены": the operations list as the catalog.
    void ActPricesExecute();
    // "Ср.сд./хоз. работы": the maintenance works journal on the journal date.
    void Button5Click();
    // Hidden items "Импорт" and "Структура БД".
    void N12Click();
    void N16Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void reopenShifts();
    void tickWeekend(const QDate& date, bool untickOnWorkday);
    // Tells the user when the date's month is closed; answers true then.
    bool refuseClosedMonth();

    AppContext m_ctx;
    TDataModule6* m_dm = nullptr;
    QTimer* m_loginTimer = nullptr;
    TForm5* m_workers = nullptr;
    TForm3* m_products = nullptr;
    TForm8* m_kinds = nullptr;
    TForm26* m_groups = nullptr;
    TForm18* m_reports = nullptr;
    TForm11* m_editor = nullptr;
    TForm4* m_prices = nullptr;
    QDialog* m_maintenance = nullptr;
    std::function<void(const QDate&)> m_prepareMaintenance;
    bool m_activated = false;
};
