#include "journal/TForm1.h"
#include "widgets/AppLifetime.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/VersionCheck.h"
#include "widgets/WindowUtil.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm5.h"
#include "catalogs/TForm8.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "journal/JournalGrid.h"
#include "widgets/MonthClosingView.h"
#include "ledger/RecordEntry.h"
#include "journal/TForm11.h"
#include "migration/LegacyImportHost.h"
#include "catalogs/TForm4.h"
#include "reports/TForm18.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Enter in the date picker applies the date, as closing its calendar does.
class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> onEnter) : QObject(parent), m_onEnter(std::move(onEnter)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_onEnter();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
};

} // namespace

TForm1::TForm1(const AppContext& context, QWidget* parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Табель"));
    buildControls();
}

TForm1::~TForm1() = default;

void TForm1::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(MainMenu);
    auto action = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    MenuCatalogs = MainMenu->addMenu(QStringLiteral("Справочники"));
    MenuCatalogs->setObjectName(QStringLiteral("MenuCatalogs"));
    ActWorkers = action(MenuCatalogs, "ActWorkers", QStringLiteral("Рабочие"));
    ActProducts = action(MenuCatalogs, "ActProducts", QStringLiteral("Изделия"));
    ActPrices = action(MenuCatalogs, "ActPrices", QStringLiteral("Цены"));
    ActOperations = action(MenuCatalogs, "ActOperations", QStringLiteral("Операции"));
    ActGroups = action(MenuCatalogs, "ActGroups", QStringLiteral("Ном. группы"));
    MenuTimesheets = MainMenu->addMenu(QStringLiteral("Табель"));
    MenuTimesheets->setObjectName(QStringLiteral("MenuTimesheets"));
    ActPieceTimesheet = action(MenuTimesheets, "ActPieceTimesheet", QStringLiteral("Табель сделка"));
    ActShiftTimesheet = action(MenuTimesheets, "ActShiftTimesheet", QStringLiteral("Табель по сменам"));
    ActMaintenanceTimesheet = action(MenuTimesheets, "ActMaintenanceTimesheet", QStringLiteral("Табель хоз. работ"));
    ActAvgTimesheet = action(MenuTimesheets, "ActAvgTimesheet", QStringLiteral("Табель ср. сдельная"));
    ActTotalTimesheet = action(MenuTimesheets, "ActTotalTimesheet", QStringLiteral("Общий табель"));
    MenuTimesheets->addSeparator();
    ActMonthCheck = action(MenuTimesheets, "ActMonthCheck", QStringLiteral("Проверка месяца"));
    MenuReports = MainMenu->addMenu(QStringLiteral("Отчеты"));
    MenuReports->setObjectName(QStringLiteral("MenuReports"));
    ActSummaryReports = action(MenuReports, "ActSummaryReports", QStringLiteral("Сводные отчеты"));
    ActExit = MainMenu->addAction(QStringLiteral("Выход"));
    ActExit->setObjectName(QStringLiteral("ActExit"));
    ActImport = MainMenu->addAction(QStringLiteral("Импорт"));
    ActImport->setObjectName(QStringLiteral("ActImport"));
    ActImport->setVisible(false);
    ActDbStructure = MainMenu->addAction(QStringLiteral("Структура БД"));
    ActDbStructure->setObjectName(QStringLiteral("ActDbStructure"));
    ActDbStructure->setVisible(false);
    // Windows of later stages are wired when they exist; until then their
    // items stay disabled.
    for (QAction* a : {ActWorkers, ActProducts, ActPrices, ActOperations, ActGroups, ActPieceTimesheet,
                       ActShiftTimesheet, ActMaintenanceTimesheet, ActAvgTimesheet, ActTotalTimesheet, ActMonthCheck, ActSummaryReports})
        a->setEnabled(false);
    connect(ActExit, &QAction::triggered, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    RadioButton1 = new QRadioButton(QStringLiteral("Смена №1"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("Смена №2"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("Смена №3"), this);
    RadioButton4 = new QRadioButton(QStringLiteral("Переработка"), this);
    QRadioButton* radios[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    for (int i = 0; i < 4; ++i) {
        radios[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        top->addWidget(radios[i]);
        const int shift = i + 1;
        connect(radios[i], &QRadioButton::toggled, this, [this, shift](bool on) {
            if (on)
                RadioButtonClick(shift);
        });
    }
    top->addSpacing(16);
    DateT = new QDateEdit(QDate::currentDate(), this);
    DateT->setObjectName(QStringLiteral("DateT"));
    DateT->setAccessibleName(QStringLiteral("Дата"));
    DateT->setCalendarPopup(true);
    DateT->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DateT->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    top->addWidget(DateT);
    CBox1 = new QCheckBox(QStringLiteral("Выходной"), this);
    CBox1->setObjectName(QStringLiteral("CBox1"));
    top->addWidget(CBox1);
    top->addSpacing(12);
    LabelClosed = MonthClosingView::makeLabel(this);
    top->addWidget(LabelClosed);
    top->addStretch(1);
    layout->addLayout(top);

    DBGrid2 = new DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Смены"));
    layout->addWidget(DBGrid2, 1);

    auto* bottom = new QHBoxLayout;
    auto button = [this, bottom](const char* name, const QString& text) {
        return WindowUtil::addButton(this, bottom, name, text);
    };
    Button1 = button("Button1", QStringLiteral("Добавить"));
    Button2 = button("Button2", QStringLiteral("Изменить"));
    Button3 = button("Button3", QStringLiteral("Удалить"));
    Button8 = button("Button8", QStringLiteral("Обновить"));
    Button5 = button("Button5", QStringLiteral("Ср.сд./хоз. работы"));
    bottom->addStretch(1);
    Button4 = button("Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);
    // The record editor and the maintenance journal are wired when they exist.
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button5->setEnabled(false);

    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, [this] { DBGrid2DblClick(); });
    connect(CBox1, &QCheckBox::toggled, this, [this] { CBox1Click(); });
    connect(DateT->calendarWidget(), &QCalendarWidget::clicked, this, [this] { DateTChange(); });
    connect(DateT->calendarWidget(), &QCalendarWidget::activated, this, [this] { DateTChange(); });
    DateT->installEventFilter(new EnterFilter(this, [this] { DateTChange(); }));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    connect(Timer1, &QTimer::timeout, this, [this] { VersionCheck(); });

    resize(1100, 620);
}

bool TForm1::FormCreate(const QStringList& arguments)
{
    m_dm = new TDataModule6(m_ctx.dialogs, this);
    const QString database = arguments.value(0);
    const QString server = arguments.value(1);
    try {
        m_dm->openConnection(connectionTextForArguments(database, server));
    } catch (const std::exception&) {
        m_ctx.dialogs.error(this, QStringLiteral("Подключение к БД отсутсвует!!!"), QStringLiteral("Ошибка!"));
        m_ctx.lifetime.requestTerminate();
        close();
        return false;
    }
    DBGrid2->setDataset(&m_dm->Smena1);
    DBGrid2->setColumns(JournalGrid::columns());
    DBGrid2->setCellRule([this](int row, const GridColumn& column, CellStyle& style) {
        if (column.field != QLatin1String("ok"))
            return;
        const QString mark = DBGrid2->dataset()->valueAt(row, QStringLiteral("ok")).toString();
        style.foreground = RecordEntry::isAccepted(mark) ? JournalGrid::kGreen : JournalGrid::kRed;
        style.bold = true;
    });
    RadioButton1->setChecked(true);
    RadioButtonClick(1);
    currentShiftQuery = &m_dm->Smena1;
    if (!LegacyImport)
        LegacyImport = new LegacyImportHost(m_dm->ADO_DB, m_ctx.dialogs, this);
    connect(ActImport, &QAction::triggered, this, &TForm1::N12Click, Qt::UniqueConnection);
    connect(ActDbStructure, &QAction::triggered, this, &TForm1::N16Click, Qt::UniqueConnection);
    Timer1->start();
    return true;
}

void TForm1::N12Click()
{
    // No version check (and its box) while the import's transaction is open.
    const bool checking = Timer1->isActive();
    Timer1->stop();
    LegacyImport->N12Click();
    if (checking)
        Timer1->start();
}

void TForm1::N16Click()
{
    LegacyImport->N16Click();
}

Dataset& TForm1::shiftQuery(int shift) const
{
    return m_dm->Smena(shift == 2 || shift == 3 || shift == 4 ? shift : 1);
}

void TForm1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The journal becomes active when the login shows it. The window
    // system's own show (a restore from the task bar) is no activation: it
    // would take the journal back to today and re-read it.
    if (event->spontaneous())
        return;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            m_ctx.dialogs.guarded(this, [this] { FormActivate(); });
    });
}

int TForm1::showChild(QDialog& child)
{
    const int result = m_ctx.dialogs.showModal(child);
    m_ctx.dialogs.guarded(this, [this] { FormActivate(); });
    return result;
}

void TForm1::tickWeekend(const QDate& date, bool untickOnWorkday)
{
    if (WindowUtil::isWeekend(date))
        CBox1->setChecked(true);
    else if (untickOnWorkday)
        CBox1->setChecked(false);
}

void TForm1::FormActivate()
{
    const QDate day = today();
    // Moved to another day (or shown for the first time), the day-off box
    // follows the day; on the same day it keeps what the user set.
    const bool moved = !m_activated || DateT->date() != day;
    m_activated = true;
    DateT->setDate(day);
    if (moved)
        tickWeekend(day, true);
    for (int shift = 1; shift <= 4; ++shift) {
        m_dm->Smena(shift).close();
        m_dm->Smena(shift).setFiltered(false);
    }
    for (int shift = 1; shift <= 4; ++shift) {
        m_dm->Smena(shift).setParam(QStringLiteral("data"), day);
        m_dm->Smena(shift).open();
    }
    showMonthState();
}

void TForm1::showMonthState()
{
    const QDate date = DateT->date();
    MonthClosingView::show(*m_dm, date.year(), date.month(), LabelClosed, {Button1, Button2, Button3});
}

bool TForm1::refuseClosedMonth()
{
    const QDate date = DateT->date();
    return MonthClosingView::refuse(*m_dm, date.year(), date.month(), m_ctx.dialogs, this);
}

void TForm1::showRecord(const QDate& date, int shift, qlonglong id)
{
    DateT->setDate(date);
    DateTChange();
    QRadioButton* radios[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    const int chosen = shift >= 1 && shift <= 4 ? shift : 1;
    radios[chosen - 1]->setChecked(true);
    RadioButtonClick(chosen);
    currentShiftQuery = &shiftQuery(chosen);
    if (id <= 0)
        return;
    bool found = false;
    if (!m_ctx.dialogs.guarded(this, [&] { found = currentShiftQuery->locate(QStringLiteral("id"), id); }))
        return;
    // Changed or deleted since it was found: say so rather than leave
    // another record current without a word.
    if (!found)
        m_ctx.dialogs.message(this, MessageKind::Information, windowTitle(),
                              QStringLiteral("Записи № %1 в журнале за %2 (%3) нет: её изменили или удалили.")
                                  .arg(id)
                                  .arg(date.toString(QStringLiteral("dd.MM.yyyy")),
                                       chosen == 4 ? QStringLiteral("переработка")
                                                   : QStringLiteral("смена %1").arg(chosen)));
}

void TForm1::DateTChange()
{
    m_ctx.dialogs.guarded(this, [this] {
        {
            WindowUtil::WaitCursor wait;
            for (int shift = 1; shift <= 4; ++shift)
                m_dm->Smena(shift).close();
            for (int shift = 1; shift <= 4; ++shift) {
                m_dm->Smena(shift).setParam(QStringLiteral("data"), DateT->date());
                m_dm->Smena(shift).open();
            }
            tickWeekend(DateT->date(), true);
            showMonthState();
        }
        DBGrid2->setFocus();
    });
}

void TForm1::RadioButtonClick(int shift)
{
    QRadioButton* radios[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    DBGrid2->setDataset(&shiftQuery(shift));
    for (int i = 0; i < 4; ++i) {
        const bool chosen = i + 1 == shift;
        WindowUtil::setBackground(radios[i], chosen ? JournalGrid::kGreen : QColor());
        WindowUtil::setBold(radios[i], chosen);
    }
    currentShift = shift;
}

void TForm1::CBox1Click()
{
    WindowUtil::showDayOff(CBox1, CBox1->isChecked());
}

void TForm1::Button8Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        WindowUtil::WaitCursor wait;
        for (int shift = 1; shift <= 4; ++shift)
            m_dm->Smena(shift).close();
        for (int shift = 1; shift <= 4; ++shift)
            m_dm->Smena(shift).open();
        showMonthState();
    });
}

void TForm1::DBGrid2DblClick()
{
    if (role == LoginRole::ShiftMaster)
        return;
    m_ctx.dialogs.guarded(this, [this] {
        currentShiftQuery = &shiftQuery(currentShift);
        Dataset& query = *currentShiftQuery;
        if (query.isEmpty())
            return;
        const QString mark = RecordEntry::toggledMark(query.field(QStringLiteral("ok")).asString());
        RecordEntry::setAcceptance(*m_dm, query.field(QStringLiteral("id")).asInt(), mark);
        const int row = query.recNo();
        query.close();
        query.open();
        query.setRecNo(row);
    });
}

void TForm1::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        currentShiftQuery = &shiftQuery(currentShift);
        Dataset& query = *currentShiftQuery;
        if (query.field(QStringLiteral("id")).asString().isEmpty())
            return;
        if (refuseClosedMonth())
            return;
        const bool yes = m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"));
        // The delete and the re-posting of the day the record stood on (not
        // the date shown, which may have been changed since the grid was
        // read) commit together.
        if (yes)
            RecordEntry::deleteRecord(*m_dm, query.field(QStringLiteral("id")).asInt());
        query.close();
        query.open();
    });
}

void TForm1::VersionCheck()
{
    buildDate = m_ctx.build.date;
    buildTime = m_ctx.build.time;
    runVersionCheck(*m_dm, m_ctx, this, m_loginTimer);
}

void TForm1::setCatalogWindows(TForm5* workers, TForm3* products, TForm8* kinds, TForm26* groups)
{
    m_workers = workers;
    m_products = products;
    m_kinds = kinds;
    m_groups = groups;
    const struct {
        QAction* action;
        bool wired;
        void (TForm1::*handler)();
    } items[] = {
        {ActWorkers, workers != nullptr, &TForm1::ActWorkersExecute},
        {ActProducts, products != nullptr, &TForm1::ActProductsExecute},
        {ActOperations, kinds != nullptr, &TForm1::ActOperationsExecute},
        {ActGroups, groups != nullptr, &TForm1::ActGroupsExecute},
    };
    for (const auto& item : items) {
        item.action->setEnabled(item.wired);
        connect(item.action, &QAction::triggered, this, item.handler, Qt::UniqueConnection);
    }
}

namespace {

// A catalog opened from the menu: prepared as its menu item says, shown,
// and its query closed afterwards.
template <class List>
void openCatalog(TForm1& journal, DialogService& dialogs, List* list)
{
    if (!list || !dialogs.guarded(&journal, [list] { list->prepareCatalog(); }))
        return;
    journal.showChild(*list);
    dialogs.guarded(&journal, [list] { list->finishCatalog(); });
}

} // namespace

void TForm1::ActWorkersExecute()
{
    openCatalog(*this, m_ctx.dialogs, m_workers);
}

void TForm1::ActProductsExecute()
{
    openCatalog(*this, m_ctx.dialogs, m_products);
}

void TForm1::ActOperationsExecute()
{
    openCatalog(*this, m_ctx.dialogs, m_kinds);
}

void TForm1::ActGroupsExecute()
{
    openCatalog(*this, m_ctx.dialogs, m_groups);
}

void TForm1::setReportsWindow(TForm18* reports)
{
    m_reports = reports;
    ActSummaryReports->setEnabled(reports != nullptr);
    connect(ActSummaryReports, &QAction::triggered, this, &TForm1::ActSummaryReportsExecute, Qt::UniqueConnection);
}

void TForm1::ActSummaryReportsExecute()
{
    if (!m_reports)
        return;
    m_reports->setPreviousMonth(today());
    showChild(*m_reports);
}

void TForm1::setRecordEditor(TForm11* editor)
{
    m_editor = editor;
    Button1->setEnabled(editor != nullptr);
    Button2->setEnabled(editor != nullptr);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click, Qt::UniqueConnection);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click, Qt::UniqueConnection);
}

void TForm1::setPriceList(TForm4* prices)
{
    m_prices = prices;
    ActPrices->setEnabled(prices != nullptr);
    connect(ActPrices, &QAction::triggered, this, &TForm1::ActPricesExecute, Qt::UniqueConnection);
}

void TForm1::setTimesheetOpeners(const TimesheetOpeners& openers)
{
    const std::pair<QAction*, std::function<void()>> items[] = {
        {ActPieceTimesheet, openers.piece},
        {ActShiftTimesheet, openers.shifts},
        {ActMaintenanceTimesheet, openers.maintenance},
        {ActAvgTimesheet, openers.average},
        {ActTotalTimesheet, openers.total},
        {ActMonthCheck, openers.monthCheck},
    };
    for (const auto& [action, open] : items) {
        action->setEnabled(bool(open));
        disconnect(action, nullptr, this, nullptr);
        if (open)
            connect(action, &QAction::triggered, this, [open] { open(); });
    }
}

void TForm1::Button1Click()
{
    if (!m_editor)
        return;
    bool ready = false;
    m_ctx.dialogs.guarded(this, [&] {
        if (refuseClosedMonth())
            return;
        currentShiftQuery = &shiftQuery(currentShift);
        m_editor->prepareNew(DateT->date());
        ready = true;
    });
    if (ready)
        showChild(*m_editor);
}

void TForm1::Button2Click()
{
    if (!m_editor)
        return;
    int row = 0;
    bool ready = false;
    m_ctx.dialogs.guarded(this, [&] {
        currentShiftQuery = &shiftQuery(currentShift);
        Dataset& query = *currentShiftQuery;
        row = query.recNo();
        if (query.isEmpty())
            return;
        if (refuseClosedMonth())
            return;
        m_editor->prepareChange(query);
        ready = true;
    });
    if (!ready)
        return;
    showChild(*m_editor);
    m_ctx.dialogs.guarded(this, [&] { currentShiftQuery->setRecNo(row); });
}

void TForm1::ActPricesExecute()
{
    openCatalog(*this, m_ctx.dialogs, m_prices);
}

void TForm1::setMaintenanceJournal(QDialog* journal, std::function<void(const QDate&)> prepare)
{
    m_maintenance = journal;
    m_prepareMaintenance = std::move(prepare);
    Button5->setEnabled(journal != nullptr);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click, Qt::UniqueConnection);
}

void TForm1::Button5Click()
{
    if (!m_maintenance)
        return;
    if (m_ctx.dialogs.guarded(this, [this] {
            if (m_prepareMaintenance)
                m_prepareMaintenance(DateT->date());
        }))
        showChild(*m_maintenance);
}
