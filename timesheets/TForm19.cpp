#include "timesheets/TForm19.h"
#include "widgets/MonthClosingView.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "journal/TForm1.h"
#include "widgets/ReportPreview.h"
#include "widgets/MonthControls.h"
#include "ledger/TimesheetSql.h"
#include "timesheets/TimesheetExport.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNameWidth = 210;
constexpr int kDayWidth = 26;
constexpr int kTotalWidth = 52;

QVector<GridColumn> shiftColumns(const QVector<DayColumnLook>& looks)
{
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;
    QVector<GridColumn> columns;
    columns.append(GridColumn{QStringLiteral("fio"), QStringLiteral("Фамилия И. О."), kNameWidth});
    for (int d = 1; d <= 31; ++d) {
        GridColumn day{QStringLiteral("d%1").arg(d), QString::number(d), kDayWidth, centre};
        if (d <= looks.size())
            day.titleColor = looks.at(d - 1).title;
        columns.append(day);
    }
    columns.append(GridColumn{QStringLiteral("summ"), QStringLiteral("Итого"), kTotalWidth, centre});
    return columns;
}

} // namespace

TForm19::TForm19(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent), Form15(dm.ADO_DB), m_ctx(context), m_dm(dm), m_excel(context.dialogs, this)
{
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Табель по времени"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_looks = dayColumnLooks(MonthRange(2007, 1));

    auto* layout = new QVBoxLayout(this);
    const auto choice = MonthControls::addMonthChoice(this, layout, "ComboBox1", "ComboBox2");
    ComboBox1 = choice.month;
    ComboBox2 = choice.year;
    LabelClosed = choice.closed;
    fillYears(today().year());

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    QWidget** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3};
    DBGrid** grids[] = {&DBGrid1, &DBGrid2, &DBGrid3};
    for (int n = 1; n <= 3; ++n) {
        QWidget* sheet = new QWidget(PageControl1);
        sheet->setObjectName(QStringLiteral("TabSheet%1").arg(n));
        auto* sheetLayout = new QVBoxLayout(sheet);
        DBGrid* g = new DBGrid(sheet);
        g->setObjectName(QStringLiteral("DBGrid%1").arg(n));
        g->setAccessibleName(QStringLiteral("Смена №%1").arg(n));
        g->setDataset(&m_dm.H_Tabel(n));
        g->setColumns(shiftColumns(m_looks));
        g->horizontalHeader()->setStretchLastSection(false);
        g->horizontalHeader()->setMinimumSectionSize(kDayWidth);
        DBGrid* self = g;
        g->setCellRule([this, self](int row, const GridColumn& column, CellStyle& style) {
            if (column.field == QLatin1String("summ")) {
                style.bold = true;
                style.background = DayColours::totals();
                return;
            }
            const int day = dayOfField(column.field);
            if (day == 0 || !self->dataset())
                return;
            style = DBGrid1DrawColumnCell(m_looks.at(day - 1), self->dataset()->valueAt(row, column.field));
        });
        sheetLayout->addWidget(g);
        if (n == 1) {
            auto* row = new QHBoxLayout;
            Button1 = WindowUtil::addButton(sheet, row, "Button1", QStringLiteral("Перестроить"));
            PB = MonthControls::addRebuildProgress(sheet, row);
            row->addStretch();
            Button2 = WindowUtil::addButton(sheet, row, "Button2", QStringLiteral("Excel"));
            sheetLayout->addLayout(row);
        }
        PageControl1->addTab(sheet, QStringLiteral("Смена №%1").arg(n));
        *sheets[n - 1] = sheet;
        *grids[n - 1] = g;
    }
    PageControl1->setCurrentIndex(0);
    layout->addWidget(PageControl1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    Button5 = WindowUtil::addButton(this, bottom, "Button5", QStringLiteral("Обновить"));
    Button6 = WindowUtil::addButton(this, bottom, "Button6", QStringLiteral("Печать"));
    Button4 = WindowUtil::addButton(this, bottom, "Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button4, &QPushButton::clicked, this, &TForm19::reject);

    setFixedSize(kNameWidth + 31 * kDayWidth + kTotalWidth + 70, 640);
}

TForm19::~TForm19() = default;

DBGrid* TForm19::grid(int shift) const
{
    return shift == 1 ? DBGrid1 : shift == 2 ? DBGrid2 : DBGrid3;
}

void TForm19::fillYears(int year)
{
    MonthControls::fillYears(ComboBox2, year, today().year());
}

void TForm19::prepare(const QDate& date)
{
    {
        const QSignalBlocker blockMonth(ComboBox1);
        const QSignalBlocker blockYear(ComboBox2);
        ComboBox1->setCurrentIndex(date.month() - 1);
        fillYears(date.year());
        ComboBox2->setCurrentIndex(ComboBox2->findText(QString::number(date.year())));
    }
    ComboBox1Change();
}

void TForm19::openFrom(TForm1& journal)
{
    prepare(journal.DateT->date());
    journal.showChild(*this);
    finish();
}

void TForm19::finish()
{
    closeShifts();
}

MonthRange TForm19::selectedMonth() const
{
    return MonthRange(ComboBox2->currentText().toInt(), ComboBox1->currentIndex() + 1);
}

CellStyle TForm19::DBGrid1DrawColumnCell(const DayColumnLook& look, const QVariant& value)
{
    CellStyle style;
    QColor text = look.text;
    const bool red = text == DayColours::red();
    const int hours = value.isNull() ? 0 : value.toInt();
    if (hours == 0) {
        if (!red)
            text = DayColours::silver();
        if (look.pastEnd)
            text = DayColours::windowBackground();
    } else if (hours == 8) {
        style.bold = true;
        if (!red)
            text = DayColours::windowText();
    } else if (hours > 8) {
        style.bold = true;
        style.background = DayColours::moneyGreen();
    }
    style.foreground = text;
    return style;
}

void TForm19::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm19::FormActivate()
{
    Button2->setText(QStringLiteral("Excel"));
}

void TForm19::closeShifts()
{
    for (int n = 1; n <= 3; ++n)
        m_dm.H_Tabel(n).close();
}

void TForm19::openShifts()
{
    for (int n = 1; n <= 3; ++n)
        m_dm.H_Tabel(n).open();
}

void TForm19::applyLooks()
{
    m_looks = dayColumnLooks(selectedMonth());
    for (int n = 1; n <= 3; ++n)
        grid(n)->setColumns(shiftColumns(m_looks));
}

void TForm19::ComboBox1Change()
{
    const MonthRange month = selectedMonth();
    m_ctx.dialogs.guarded(this, [&] {
        for (int n = 1; n <= 3; ++n) {
            Dataset& q = m_dm.H_Tabel(n);
            q.close();
            q.setParam(QStringLiteral("mnth"), month.month);
            q.setParam(QStringLiteral("yea"), month.year);
            q.setParam(QStringLiteral("date1"), month.first());
            q.setParam(QStringLiteral("date2"), month.next());
            q.open();
        }
        MonthClosingView::show(m_dm, month.year, month.month, LabelClosed, {Button1});
    });
    applyLooks();
}

void TForm19::Button5Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        closeShifts();
        openShifts();
    });
}

void TForm19::Button1Click()
{
    if (m_busy)
        return;
    const MonthRange month = selectedMonth();
    // A closed month is told before the grids are emptied for the rebuild;
    // the rebuild itself refuses it too, inside its transaction.
    if (MonthClosingView::refuse(m_dm, month.year, month.month, m_ctx.dialogs, this))
        return;
    m_busy = true;
    closeShifts();
    MonthControls::runRebuild(&MonthRebuild::shiftRows, m_dm, month, PB, m_ctx.dialogs, this);
    // The month is shown again whether the rebuild went through or not.
    m_ctx.dialogs.guarded(this, [this] { openShifts(); });
    m_busy = false;
}

void TForm19::openPrintQuery()
{
    const MonthRange month = selectedMonth();
    Form15.H_Tabel.close();
    TimesheetSql::bindPrintMonth(Form15.H_Tabel, month);
    Form15.H_Tabel.open();
}

void TForm19::Button6Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        {
            WindowUtil::WaitCursor wait;
            openPrintQuery();
            Form15.setPeriodText(ComboBox1->currentText() + QStringLiteral(" ") + ComboBox2->currentText()
                                 + QStringLiteral(" г."));
            Form15.Prepare();
        }
        Form15.H_Tabel.close();
        report::PreviewServices services;
        services.showModal = [this](QDialog& dialog) { return m_ctx.dialogs.showModal(dialog); };
        if (askPdfFileName)
            services.askPdfFileName = askPdfFileName;
        services.showError = [this](QWidget* parent, const QString& text) { m_ctx.dialogs.error(parent, text); };
        report::showPreview(Form15.pages(), services, this);
    });
    Form15.H_Tabel.close();
}

void TForm19::Button2Click()
{
    if (m_busy)
        return;
    m_busy = true;
    {
        const MonthControls::DisabledWhile disabled{ComboBox1, ComboBox2, Button1, Button5, Button6, Button4};
        m_ctx.dialogs.guarded(this, [this] { exportMonth(); });
    }
    Form15.H_Tabel.close();
    m_busy = false;
}

void TForm19::exportMonth()
{
    WindowUtil::WaitCursor wait;
    openPrintQuery();
    if (m_excel.Open(QString(), QStringLiteral("Табель по времени")) == -1)
        return;
    m_excel.SetVisible(false);
    const Dataset& q = Form15.H_Tabel;
    Button2->setText(QStringLiteral("Excel (0 из %1)").arg(q.recordCount()));
    TimesheetExport::writeShiftSummary(q, ComboBox1->currentText() + QStringLiteral(" ") + ComboBox2->currentText(),
                                       m_excel, [this](int written, int lines) {
        Button2->setText(QStringLiteral("Excel (%1 из %2)").arg(written).arg(lines));
        QApplication::processEvents();
    });
    m_excel.SetVisible(true);
}

void TForm19::reject()
{
    // An export or rebuild runs inside this window's event loop; it finishes first.
    if (m_busy)
        return;
    QDialog::reject();
}
