#include "reports/TForm18.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "reports/SummaryReports.h"
#include "widgets/ReportPreview.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The hourglass while a report is prepared or an export runs; the arrow
// Closes a report's query when its preview is done, also after an error.
class QueryCloser {
public:
    explicit QueryCloser(Dataset& query) : m_query(query) {}
    ~QueryCloser() { m_query.close(); }

private:
    Dataset& m_query;
};

} // namespace

TForm18::TForm18(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Form16(dm.ADO_DB),
      Form17(dm.ADO_DB),
      Form20(dm.ADO_DB),
      Form21(dm.ADO_DB),
      XLS_Rep(dm.ADO_DB, QStringLiteral("XLS_Rep")),
      m_ctx(context),
      m_dm(dm),
      m_excel(context.dialogs, this)
{
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Отчеты (8)"));

    XLS_Rep.setSql(SummaryReports::productionSql());

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    RadioGroup1 = new QGroupBox(QStringLiteral("Вид продукции"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* radios = new QVBoxLayout(RadioGroup1);
    auto radio = [this, radios](const char* name, const QString& text) {
        auto* r = new QRadioButton(text, RadioGroup1);
        r->setObjectName(QLatin1String(name));
        radios->addWidget(r);
        return r;
    };
    // In item order: the login finds the second item by position.
    RadioAll = radio("RadioAll", QStringLiteral("Все"));
    RadioFinished = radio("RadioFinished", QStringLiteral("Готовая продукция"));
    RadioBlanks = radio("RadioBlanks", QStringLiteral("Заготовки"));
    RadioAll->setChecked(true);
    layout->addWidget(RadioGroup1);

    GroupBox1 = new QGroupBox(QStringLiteral("Период отбора"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* period = new QGridLayout(GroupBox1);
    auto picker = [this, period](const char* name, const QString& caption, int row) {
        auto* label = new QLabel(caption, GroupBox1);
        auto* edit = new QDateEdit(GroupBox1);
        edit->setObjectName(QLatin1String(name));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        WindowUtil::setBuddy(label, edit);
        period->addWidget(label, row, 0);
        period->addWidget(edit, row, 1);
        return edit;
    };
    DTPicker1 = picker("DTPicker1", QStringLiteral("с"), 0);
    DTPicker2 = picker("DTPicker2", QStringLiteral("по"), 1);
    const QDate today = QDate::currentDate();
    DTPicker1->setDate(previousMonthStart(today));
    DTPicker2->setDate(currentMonthStart(today));
    layout->addWidget(GroupBox1);

    auto button = [this, layout](const char* name, const QString& text) {
        return WindowUtil::addButton(this, layout, name, text);
    };
    Button4 = button("Button4", QStringLiteral("Отчет по рабочим"));
    Button2 = button("Button2", QStringLiteral("Отчет по продукции"));
    Button1 = button("Button1", QStringLiteral("Детальный отчет по рабочим"));
    Button3 = button("Button3", QStringLiteral("Детальный отчет по продукции"));
    Button6 = button("Button6", QStringLiteral("Excel (0 из 0)"));
    Button5 = button("Button5", QStringLiteral("Выход"));

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button5, &QPushButton::clicked, this, &TForm18::reject);
    setMinimumWidth(300);
}

TForm18::~TForm18() = default;

int TForm18::productType() const
{
    if (RadioFinished->isChecked())
        return 1;
    if (RadioBlanks->isChecked())
        return 2;
    return 0;
}

void TForm18::setProductType(int index)
{
    (index == 1 ? RadioFinished : index == 2 ? RadioBlanks : RadioAll)->setChecked(true);
}

QDate TForm18::previousMonthStart(const QDate& today)
{
    return today.month() == 1 ? QDate(today.year() - 1, 12, 1) : QDate(today.year(), today.month() - 1, 1);
}

QDate TForm18::currentMonthStart(const QDate& today)
{
    return QDate(today.year(), today.month(), 1);
}

void TForm18::setPreviousMonth(const QDate& today)
{
    DTPicker1->setDate(previousMonthStart(today));
    DTPicker2->setDate(currentMonthStart(today));
}

void TForm18::reject()
{
    // The export writes from inside this window's event loop; it finishes first.
    if (m_exporting)
        return;
    QDialog::reject();
}

void TForm18::showReport(ReportLayout& layout, const QString& caption)
{
    if (m_exporting)
        return;
    m_ctx.dialogs.guarded(this, [&] {
        QueryCloser closer(layout.query());
        {
            WindowUtil::WaitCursor wait;
            SummaryReports::prepare(layout, caption, DTPicker1->date(), DTPicker2->date(), productType());
        }

        report::PreviewServices services;
        services.showModal = [this](QDialog& dialog) { return m_ctx.dialogs.showModal(dialog); };
        if (askPdfFileName)
            services.askPdfFileName = askPdfFileName;
        services.showError = [this](QWidget* parent, const QString& text) { m_ctx.dialogs.error(parent, text); };
        report::showPreview(layout.pages(), services, this);
    });
}

void TForm18::Button4Click()
{
    showReport(Form16, SummaryReports::workersCaption());
}

void TForm18::Button2Click()
{
    showReport(Form17, SummaryReports::productsCaption());
}

void TForm18::Button1Click()
{
    showReport(Form20, SummaryReports::workersDetailedCaption());
}

void TForm18::Button3Click()
{
    showReport(Form21, SummaryReports::productsDetailedCaption());
}

void TForm18::Button6Click()
{
    if (m_exporting)
        return;
    m_exporting = true;
    m_ctx.dialogs.guarded(this, [this] { exportProduction(); });
    m_exporting = false;
}

void TForm18::exportProduction()
{
    WindowUtil::WaitCursor wait;
    // Opened anew: a failed start of the exporter leaves it open.
    SummaryReports::openProduction(XLS_Rep, DTPicker1->date(), DTPicker2->date(), productType());
    if (m_excel.Open(QString(), SummaryReports::productionExportName()) == -1)
        return;

    const int count = XLS_Rep.recordCount();
    Button6->setText(QStringLiteral("Excel (0 из %1)").arg(count));
    QElapsedTimer sinceRedraw;
    sinceRedraw.start();
    SummaryReports::writeProduction(XLS_Rep, m_excel, [&](int row, int lines) {
        Button6->setText(QStringLiteral("Excel (%1 из %2)").arg(row).arg(lines));
        // The caption shows the progress and the window stays responsive.
        if (sinceRedraw.elapsed() >= 50) {
            QCoreApplication::processEvents();
            sinceRedraw.restart();
        }
    });
    m_excel.SetVisible(true);
    XLS_Rep.close();
}
