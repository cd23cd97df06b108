#include "timesheets/TForm25.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "widgets/EditorParts.h"
#include "widgets/MonthClosingView.h"
#include "ledger/MaintenanceJournal.h"
#include "timesheets/TForm24.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm25::TForm25(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      fatigue(dm.ADO_DB, QStringLiteral("fatigue")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form25"));
    setWindowTitle(QStringLiteral("Хоз. работы (25)"));
    fatigue.setSql(MaintenanceJournal::fatigueSql());

    auto* layout = new QVBoxLayout(this);
    // Above the list, where the fixed width leaves it room; hidden while the
    // month is open.
    LabelClosed = MonthClosingView::makeLabel(this);
    layout->addWidget(LabelClosed);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Хоз. работы"));
    DBGrid1->setDataset(&fatigue);
    DBGrid1->setColumns(MaintenanceJournal::columns());
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DBGrid1, 1);

    auto* bottom = new QHBoxLayout;
    auto button = [this, bottom](const char* name, const QString& text) {
        return WindowUtil::addButton(this, bottom, name, text);
    };
    Button5 = button("Button5", QStringLiteral("Добавить"));
    Button6 = button("Button6", QStringLiteral("Изменить"));
    Button7 = button("Button7", QStringLiteral("Удалить"));
    bottom->addSpacing(16);
    DTPcker1 = new QDateEdit(QDate::currentDate(), this);
    DTPcker1->setObjectName(QStringLiteral("DTPcker1"));
    DTPcker1->setAccessibleName(QStringLiteral("Дата"));
    DTPcker1->setCalendarPopup(true);
    DTPcker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTPcker1->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    bottom->addWidget(DTPcker1);
    Button1 = button("Button1", QStringLiteral("Расчитать ср.сд."));
    CBox1 = new QCheckBox(QStringLiteral("Выходной"), this);
    CBox1->setObjectName(QStringLiteral("CBox1"));
    bottom->addWidget(CBox1);
    bottom->addStretch(1);
    Button8 = button("Button8", QStringLiteral("Выход"));
    layout->addLayout(bottom);

    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button8, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Button6Click(); });
    connect(DTPcker1, &QDateEdit::dateChanged, this, [this] { DTPcker1Change(); });
    connect(CBox1, &QCheckBox::toggled, this, [this] { CBox1Click(); });

    // Nothing may be changed until a role is handed over.
    prepareOpen(QDate::currentDate(), LoginRole::None);
    setFixedSize(860, 520);
}

void TForm25::prepareOpen(const QDate& date, LoginRole role, qlonglong record)
{
    m_focusRecord = record;
    {
        const QSignalBlocker quiet(DTPcker1);
        DTPcker1->setDate(date);
    }
    const MaintenanceJournal::Rights rights = MaintenanceJournal::rightsFor(role);
    Button5->setEnabled(rights.add);
    Button6->setEnabled(rights.change);
    Button7->setEnabled(rights.remove);
    Button1->setEnabled(rights.calculate);
}

void TForm25::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
    m_ctx.dialogs.guarded(this, [this] { FormActivate(); });
    DBGrid1->setFocus();
}

void TForm25::FormActivate()
{
    // New records always get shift 1 (the editor writes it).
    reread();
}

void TForm25::reread()
{
    const int row = fatigue.recNo();
    fatigue.close();
    fatigue.setParam(QStringLiteral("d_date"), DTPcker1->date());
    fatigue.open();
    if (m_focusRecord > 0) {
        fatigue.locate(QStringLiteral("id"), m_focusRecord);
        m_focusRecord = 0;
    } else if (!fatigue.isEmpty() && row > 0) {
        fatigue.setRecNo(row);
    }
    showMonthState();
}

void TForm25::showMonthState()
{
    const QDate date = DTPcker1->date();
    MonthClosingView::show(m_dm, date.year(), date.month(), LabelClosed, {Button5, Button6, Button7, Button1});
}

bool TForm25::refuseClosedMonth()
{
    const QDate date = DTPcker1->date();
    return MonthClosingView::refuse(m_dm, date.year(), date.month(), m_ctx.dialogs, this);
}

void TForm25::DTPcker1Change()
{
    CBox1->setChecked(WindowUtil::isWeekend(DTPcker1->date()));
    m_ctx.dialogs.guarded(this, [this] {
        fatigue.close();
        fatigue.setParam(QStringLiteral("d_date"), DTPcker1->date());
        fatigue.open();
        showMonthState();
    });
}

void TForm25::CBox1Click()
{
    WindowUtil::showDayOff(CBox1, CBox1->isChecked());
}

void TForm25::runEditor(const std::function<void()>& prepare)
{
    if (!m_editor || !m_ctx.dialogs.guarded(this, prepare))
        return;
    m_ctx.dialogs.showModal(*m_editor);
    m_ctx.dialogs.guarded(this, [this] {
        m_editor->finish();
        // The journal is active again.
        FormActivate();
    });
}

void TForm25::Button5Click()
{
    if (!Button5->isEnabled() || refuseClosedMonth())
        return;
    runEditor([this] { m_editor->prepareNew(); });
}

void TForm25::Button6Click()
{
    if (!Button6->isEnabled() || !fatigue.isOpen() || fatigue.isEmpty() || refuseClosedMonth())
        return;
    runEditor([this] { m_editor->prepareChange(fatigue); });
}

void TForm25::Button7Click()
{
    if (!Button7->isEnabled() || !fatigue.isOpen() || fatigue.isEmpty() || refuseClosedMonth())
        return;
    if (!m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?")))
        return;
    m_ctx.dialogs.guarded(this, [this] {
        // One that another copy deleted meanwhile is gone from the list below.
        MaintenanceJournal::remove(m_dm, fatigue.field(QStringLiteral("id")).asInt());
        reread();
    });
}

void TForm25::Button1Click()
{
    if (!Button1->isEnabled() || refuseClosedMonth())
        return;
    MaintenanceJournal::RateOutcome outcome;
    const QDate date = DTPcker1->date();
    const bool done = m_ctx.dialogs.guarded(this, [&] {
        WindowUtil::WaitCursor wait;
        outcome = MaintenanceJournal::calculateAverageRates(m_dm, date);
        reread();
    });
    if (done)
        m_ctx.dialogs.message(this, MessageKind::Information, QStringLiteral("Расчет ср.сд."),
                              MaintenanceJournal::outcomeMessage(outcome, date));
}
