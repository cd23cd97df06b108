#include "timesheets/TForm27.h"
#include "widgets/MonthClosingView.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "widgets/LookupCombo.h"
#include "journal/TForm1.h"
#include "widgets/ExcelExporter.h"
#include "widgets/MonthControls.h"
#include "ledger/TimesheetSql.h"
#include "timesheets/TimesheetExport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultNameWidth = 208;
constexpr int kNightWidth = 30;
constexpr int kDayWidth = 20;
constexpr int kTotalWidth = 66;

struct Variant {
    TForm27::Mode mode;
    const char* caption;
    int nameWidth;
    bool night;
    bool average;
};

const Variant kVariants[] = {
    {TForm27::Piece, "Табель сделка (27)", 238, false, true},
    {TForm27::Maintenance, "Табель хоз. работы (27)", 208, true, true},
    {TForm27::Average, "Табель ср. сдельная (27)", 208, true, true},
    {TForm27::Total, "Общий табель (27)", 304, false, false},
};

const Variant& variant(TForm27::Mode mode)
{
    for (const Variant& v : kVariants)
        if (v.mode == mode)
            return v;
    return kVariants[0];
}

bool isTotal(const QString& field)
{
    return field == QLatin1String("f_price") || field == QLatin1String("i_time") || field == QLatin1String("average_price");
}

} // namespace

TForm27::TForm27(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent),
      H_Tabel0(dm.ADO_DB, QStringLiteral("H_Tabel0")),
      H_Tabel7777(dm.ADO_DB, QStringLiteral("H_Tabel7777")),
      H_Tabel7778(dm.ADO_DB, QStringLiteral("H_Tabel7778")),
      H_Tabel_all(dm.ADO_DB, QStringLiteral("H_Tabel_all")),
      price(dm.ADO_DB, QStringLiteral("price")),
      price7(dm.ADO_DB, QStringLiteral("price7")),
      price8(dm.ADO_DB, QStringLiteral("price8")),
      all_price(dm.ADO_DB, QStringLiteral("all_price")),
      q_year(dm.ADO_DB, QStringLiteral("q_year")),
      m_ctx(context),
      m_dm(dm),
      m_query(&H_Tabel0)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint
                   & ~Qt::WindowMinMaxButtonsHint);
    H_Tabel0.setSql(TimesheetSql::hTabel0());
    H_Tabel7777.setSql(TimesheetSql::hTabelTyped(7777));
    H_Tabel7778.setSql(TimesheetSql::hTabelTyped(7778));
    H_Tabel_all.setSql(TimesheetSql::hTabelAll());
    price.setSql(TimesheetSql::price());
    price7.setSql(TimesheetSql::priceTyped(7777));
    price8.setSql(TimesheetSql::priceTyped(7778));
    all_price.setSql(TimesheetSql::allPrice());
    q_year.setSql(TimesheetSql::qYear());
    m_looks = dayColumnLooks(MonthRange(2007, 1));

    auto* layout = new QVBoxLayout(this);
    const auto choice = MonthControls::addMonthChoice(this, layout, "ComboBox1", "cb_year");
    ComboBox1 = choice.month;
    cb_year = choice.year;
    LabelClosed = choice.closed;

    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid"));
    DBGrid1->setAccessibleName(QStringLiteral("Табель"));
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->horizontalHeader()->setMinimumSectionSize(kDayWidth);
    DBGrid1->setTextElideMode(Qt::ElideNone);   // "ноч." in its narrow column
    DBGrid1->setDataset(m_query);
    DBGrid1->setCellRule([this](int row, const GridColumn& column, CellStyle& style) {
        if (isTotal(column.field)) {
            style.background = DayColours::totals();
            return;
        }
        const int day = dayOfField(column.field);
        if (day > 0)
            style.foreground = m_looks.at(day - 1).text;
        Q_UNUSED(row);
    });
    layout->addWidget(DBGrid1, 1);

    auto* footer = new QGridLayout;
    QLabel** captions[] = {&Label1, &Label2, &Label3, &Label4};
    QLabel** values[] = {&DBText1, &DBText2, &DBText3, &DBText4};
    const char* texts[] = {"Ср. сдел.:", "Хоз. работы:", "Сделка:", "Итого:"};
    for (int i = 0; i < 4; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(texts[i]), this);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        WindowUtil::setBold(caption, true);
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("DBText%1").arg(i + 1));
        value->setMinimumWidth(110);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        caption->setBuddy(value);
        WindowUtil::showFigure(caption, value, QString());
        footer->addWidget(caption, 0, 2 * i);
        footer->addWidget(value, 0, 2 * i + 1);
        *captions[i] = caption;
        *values[i] = value;
    }
    footer->setColumnStretch(8, 1);
    layout->addLayout(footer);

    auto* bottom = new QHBoxLayout;
    Button3 = WindowUtil::addButton(this, bottom, "Button3", QStringLiteral("Перестроить"));
    PB = MonthControls::addRebuildProgress(this, bottom);
    bottom->addStretch();
    Button2 = WindowUtil::addButton(this, bottom, "Button2", QStringLiteral("Excel"));
    Button5 = WindowUtil::addButton(this, bottom, "Button5", QStringLiteral("Обновить"));
    Button1 = WindowUtil::addButton(this, bottom, "Button1", QStringLiteral("Выход"));
    layout->addLayout(bottom);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(cb_year, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button1, &QPushButton::clicked, this, &TForm27::reject);

    setLayoutFor(Maintenance);
    // Every variant's columns add up to the same width: the name column
    // takes what the night and pay-per-hour columns leave.
    setFixedSize(kDefaultNameWidth + kNightWidth + 31 * kDayWidth + 3 * kTotalWidth + 50, 600);
}

TForm27::~TForm27() = default;

int TForm27::column(const QString& field) const
{
    const auto& cols = DBGrid1->datasetModel()->columns();
    for (int c = 0; c < cols.size(); ++c)
        if (cols.at(c).field == field)
            return c;
    return -1;
}

void TForm27::setLayoutFor(Mode mode)
{
    const Variant& v = variant(mode);
    m_nameWidth = v.nameWidth;
    auto cols = DBGrid1->datasetModel()->columns();
    if (cols.isEmpty()) {
        const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;
        cols.append(GridColumn{QStringLiteral("fio"), QStringLiteral("Фамилия И. О."), kDefaultNameWidth});
        cols.append(GridColumn{QStringLiteral("s_night"), QString(), kNightWidth});
        for (int d = 1; d <= 31; ++d)
            cols.append(GridColumn{QStringLiteral("d%1").arg(d), QString::number(d), kDayWidth, centre});
        cols.append(GridColumn{QStringLiteral("f_price"), QStringLiteral("Итого (р.)"), kTotalWidth,
                               Qt::AlignRight | Qt::AlignVCenter});
        cols.append(GridColumn{QStringLiteral("i_time"), QStringLiteral("Итого (ч.)"), kTotalWidth, centre});
        cols.append(GridColumn{QStringLiteral("average_price"), QStringLiteral("Час (р.)"), kTotalWidth, centre});
    }
    for (GridColumn& c : cols) {
        if (c.field == QLatin1String("fio"))
            c.width = m_nameWidth;
        else if (c.field == QLatin1String("s_night"))
            c.visible = v.night;
        else if (c.field == QLatin1String("average_price"))
            c.visible = v.average;
    }
    DBGrid1->setColumns(cols);
}

void TForm27::prepare(Mode mode)
{
    setLayoutFor(mode);
    m_mode = mode;
    setWindowTitle(QString::fromUtf8(variant(mode).caption));
    switch (mode) {
    case Piece: m_query = &H_Tabel0; break;
    case Maintenance: m_query = &H_Tabel7777; break;
    case Average: m_query = &H_Tabel7778; break;
    case Total: m_query = &H_Tabel_all; break;
    }
    DBGrid1->setDataset(m_query);
    const QDate now = today();
    {
        const QSignalBlocker blockMonth(ComboBox1);
        const QSignalBlocker blockYear(cb_year);
        ComboBox1->setCurrentIndex(now.month() - 1);
        m_ctx.dialogs.guarded(this, [this] {
            q_year.close();
            q_year.open();
        });
        cb_year->clear();
        if (q_year.isOpen())
            LookupCombo::fill(cb_year, q_year, QStringLiteral("year"), QStringLiteral("year"));
        if (!LookupCombo::selectKey(cb_year, now.year()))
            cb_year->setCurrentIndex(-1);
        m_yearKey = now.year();
    }
    ComboBox1Change();
}

void TForm27::openVariant(Mode mode, TForm1& journal)
{
    prepare(mode);
    journal.showChild(*this);
    finish();
}

void TForm27::finish()
{
    setLayoutFor(Maintenance);
    m_query->close();
    q_year.close();
}

MonthRange TForm27::selectedMonth() const
{
    const int year = cb_year->currentIndex() >= 0 ? int(LookupCombo::key(cb_year)) : m_yearKey;
    return MonthRange(year, ComboBox1->currentIndex() + 1);
}

void TForm27::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm27::FormActivate()
{
    DBGrid1->setDataset(m_query);
}

void TForm27::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm27::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    FormClose();
}

void TForm27::FormClose()
{
    Button2->setText(QStringLiteral("Excel"));
}

void TForm27::reject()
{
    // An export or rebuild runs inside this window's event loop; it finishes first.
    if (m_busy)
        return;
    QDialog::reject();
}

void TForm27::openFooters(const MonthRange& month)
{
    struct Footer {
        Dataset* query;
        QLabel* caption;
        QLabel* value;
        int pairs;
    } footers[] = {{&price8, Label1, DBText1, 1},
                   {&price7, Label2, DBText2, 1},
                   {&price, Label3, DBText3, 1},
                   {&all_price, Label4, DBText4, 2}};
    for (const Footer& f : footers) {
        f.query->close();
        WindowUtil::showFigure(f.caption, f.value, QString());
    }
    for (const Footer& f : footers) {
        TimesheetSql::bindPayMonth(*f.query, month, f.pairs);
        f.query->open();
        WindowUtil::showFigure(f.caption, f.value, DatasetModel::defaultText(f.query->value(QStringLiteral("price")), true));
    }
}

void TForm27::applyDays(const MonthRange& month)
{
    m_looks = dayColumnLooks(month.year > 0 ? month : MonthRange(2007, month.month));
    auto cols = DBGrid1->datasetModel()->columns();
    int hidden = 0;
    for (GridColumn& c : cols) {
        const int day = dayOfField(c.field);
        if (day == 0)
            continue;
        const DayColumnLook& look = m_looks.at(day - 1);
        c.titleColor = look.title;
        c.visible = !look.pastEnd;
        if (look.pastEnd)
            ++hidden;
    }
    for (GridColumn& c : cols)
        if (c.field == QLatin1String("fio"))
            c.width = m_nameWidth + kDayWidth * hidden;
    DBGrid1->setColumns(cols);
}

void TForm27::ComboBox1Change()
{
    const MonthRange month = selectedMonth();
    m_ctx.dialogs.guarded(this, [&] {
        m_query->close();
        TimesheetSql::bindPayMonth(*m_query, month, 4);
        m_query->open();
        openFooters(month);
        MonthClosingView::show(m_dm, month.year, month.month, LabelClosed, {Button3});
    });
    applyDays(month);
}

void TForm27::Button5Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        m_query->close();
        m_query->open();
    });
}

void TForm27::Button3Click()
{
    if (m_busy)
        return;
    // The rebuild writes rows of the year the list shows; without one it
    // writes nothing.
    const MonthRange month = selectedMonth();
    if (cb_year->currentIndex() < 0 || month.year == 0) {
        m_ctx.dialogs.error(this, cb_year->count() == 0
                                      ? QStringLiteral("В табеле ещё нет ни одного года: перестраивать нечего.")
                                      : QStringLiteral("Выберите год."));
        return;
    }
    if (MonthClosingView::refuse(m_dm, month.year, month.month, m_ctx.dialogs, this))
        return;
    m_busy = true;
    m_query->close();
    MonthControls::runRebuild(&MonthRebuild::typedRows, m_dm, month, PB, m_ctx.dialogs, this);
    m_ctx.dialogs.guarded(this, [this] { m_query->open(); });
    m_busy = false;
}

void TForm27::Button2Click()
{
    if (m_busy)
        return;
    m_busy = true;
    {
        const MonthControls::DisabledWhile disabled{ComboBox1, cb_year, Button3, Button5, Button1};
        m_ctx.dialogs.guarded(this, [this] { exportLines(); });
    }
    m_busy = false;
}

void TForm27::exportLines()
{
    ExcelExporter excel(m_ctx.dialogs, this);
    if (prepareExporter)
        prepareExporter(excel);
    WindowUtil::WaitCursor wait;
    if (excel.Open(QString(), windowTitle()) == -1)
        return;
    excel.SetVisible(false);
    const bool typed = m_mode == Maintenance || m_mode == Average;
    const bool average = m_mode != Total;
    Button2->setText(QStringLiteral("Excel (0 из %1)").arg(m_query->recordCount()));
    TimesheetExport::writePayLines(*m_query, ComboBox1->currentText() + QStringLiteral(" ") + cb_year->currentText(),
                                   typed, average, excel, [this](int written, int lines) {
        Button2->setText(QStringLiteral("Excel (%1 из %2)").arg(written).arg(lines));
        QApplication::processEvents();
    });
    excel.SetVisible(true);
    m_lastFile = excel.lastFile();
}
