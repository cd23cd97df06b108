#include "timesheets/MonthCheckWindow.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "ledger/MonthClosing.h"
#include "ledger/MonthCheckText.h"
#include "widgets/MonthClosingView.h"
#include "widgets/MonthControls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kFindingRole = Qt::UserRole + 1;
const QString kMendTip = QStringLiteral("Перепровести дни табеля, которые расходятся с записями");

} // namespace

MonthCheckWindow::MonthCheckWindow(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("MonthCheckWindow"));
    setWindowTitle(QStringLiteral("Проверка месяца"));

    auto* layout = new QVBoxLayout(this);
    const auto choice = MonthControls::addMonthChoice(this, layout, "ComboBox1", "ComboBox2");
    ComboBox1 = choice.month;
    ComboBox2 = choice.year;
    LabelClosed = choice.closed;
    MonthControls::fillYears(ComboBox2, today().year(), today().year());

    auto* summaryRow = new QHBoxLayout;
    LabelSummary = new QLabel(this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    summaryRow->addWidget(LabelSummary, 1);
    Button1 = WindowUtil::addButton(this, summaryRow, "Button1", QStringLiteral("Проверить"));
    layout->addLayout(summaryRow);

    Tree1 = new QTreeWidget(this);
    Tree1->setObjectName(QStringLiteral("Tree1"));
    Tree1->setAccessibleName(QStringLiteral("Замечания"));
    Tree1->setHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Где"), QStringLiteral("Работник"),
                            QStringLiteral("Замечание")});
    Tree1->setColumnWidth(0, 150);
    Tree1->setColumnWidth(1, 110);
    Tree1->setColumnWidth(2, 210);
    Tree1->header()->setStretchLastSection(true);
    Tree1->setUniformRowHeights(true);
    Tree1->setAlternatingRowColors(true);
    layout->addWidget(Tree1, 1);

    auto* bottom = new QHBoxLayout;
    Button2 = WindowUtil::addButton(this, bottom, "Button2", QStringLiteral("Исправить табель"));
    Button2->setToolTip(kMendTip);
    bottom->addSpacing(16);
    Button3 = WindowUtil::addButton(this, bottom, "Button3", QStringLiteral("Закрыть месяц"));
    Button4 = WindowUtil::addButton(this, bottom, "Button4", QStringLiteral("Открыть месяц"));
    bottom->addStretch(1);
    Button5 = WindowUtil::addButton(this, bottom, "Button5", QStringLiteral("Выход"));
    layout->addLayout(bottom);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { Button1Click(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { Button1Click(); });
    // A double click or Enter on a finding.
    connect(Tree1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { Tree1DblClick(item); });

    resize(1000, 620);
}

void MonthCheckWindow::prepare(const QDate& date, LoginRole role)
{
    m_role = role;
    pendingJournal.reset();
    {
        const QSignalBlocker blockMonth(ComboBox1);
        const QSignalBlocker blockYear(ComboBox2);
        ComboBox1->setCurrentIndex(date.month() - 1);
        MonthControls::fillYears(ComboBox2, date.year(), today().year());
        ComboBox2->setCurrentIndex(ComboBox2->findText(QString::number(date.year())));
    }
    Button1Click();
}

void MonthCheckWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Tree1->setFocus();
}

MonthRange MonthCheckWindow::selectedMonth() const
{
    return MonthRange(ComboBox2->currentText().toInt(), ComboBox1->currentIndex() + 1);
}

void MonthCheckWindow::Button1Click()
{
    const MonthRange month = selectedMonth();
    m_ctx.dialogs.guarded(this, [&] {
        WindowUtil::WaitCursor wait;
        m_result = MonthCheck::run(m_dm, month);
    });
    showResult();
}

void MonthCheckWindow::showResult()
{
    Tree1->clear();
    QList<QTreeWidgetItem*> groups;
    int at = 0;
    const int total = int(m_result.findings.size());
    for (int k = 0; k < MonthCheck::kKindCount; ++k) {
        const auto kind = MonthCheck::Kind(k);
        auto* group = new QTreeWidgetItem;
        QList<QTreeWidgetItem*> children;
        for (; at < total && m_result.findings.at(at).kind == kind; ++at) {
            const MonthCheck::Finding& f = m_result.findings.at(at);
            auto* item = new QTreeWidgetItem({f.date.toString(QStringLiteral("dd.MM.yyyy")), MonthCheck::placeText(f), f.worker, f.text});
            item->setData(0, kFindingRole, at);
            // The whole text where the column cuts it.
            item->setToolTip(3, f.text);
            children << item;
        }
        group->setText(0, QStringLiteral("%1: %2").arg(MonthCheck::title(kind)).arg(children.size()));
        QFont font = group->font(0);
        font.setBold(!children.isEmpty());
        group->setFont(0, font);
        if (children.isEmpty())
            group->setForeground(0, QColor(128, 128, 128));
        else if (MonthCheck::blocksClosing(kind))
            group->setForeground(0, QColor(192, 0, 0));
        group->setData(0, kFindingRole, -1);
        group->addChildren(children);
        groups << group;
    }
    Tree1->addTopLevelItems(groups);
    for (QTreeWidgetItem* g : groups)
        g->setFirstColumnSpanned(true);
    // The first group with findings is current: Right opens it, Enter on a
    // finding leads to its record.
    for (QTreeWidgetItem* g : groups)
        if (g->childCount() > 0) {
            Tree1->setCurrentItem(g);
            break;
        }
    if (!Tree1->currentItem() && !groups.isEmpty())
        Tree1->setCurrentItem(groups.first());

    LabelSummary->setText(MonthCheck::summaryText(m_result));
    showState();
}

void MonthCheckWindow::showState()
{
    const MonthRange month = selectedMonth();
    std::optional<MonthClosing::Closure> closure;
    m_ctx.dialogs.guarded(this, [&] { closure = MonthClosingView::show(m_dm, month.year, month.month, LabelClosed); });
    const bool closed = bool(closure);
    Button2->setToolTip(closed ? MonthClosing::refusalText(month.year, month.month, *closure) : kMendTip);
    const bool mayClose = MonthClosing::mayClose(m_role);
    Button2->setEnabled(m_result.timesheet() > 0);
    Button3->setEnabled(mayClose && !closed);
    Button4->setEnabled(mayClose && closed);
}

void MonthCheckWindow::Button2Click()
{
    const MonthRange month = m_result.month;
    if (MonthClosingView::refuse(m_dm, month.year, month.month, m_ctx.dialogs, this))
        return;
    MonthCheck::Mend mend;
    const bool done = m_ctx.dialogs.guarded(this, [&] {
        WindowUtil::WaitCursor wait;
        mend = MonthCheck::repostTimesheetDays(m_dm, m_result);
    });
    // The check runs again whether the re-posting went through or not.
    Button1Click();
    if (done) {
        QString told = QStringLiteral("Перепроведено дней табеля: %1. ").arg(mend.days);
        if (mend.removedRows > 0)
            told += QStringLiteral("Удалено лишних строк табеля: %1. ").arg(mend.removedRows);
        LabelSummary->setText(told + LabelSummary->text());
    }
}

bool MonthCheckWindow::mayChangeMonth(const MonthRange& month)
{
    if (month.year == 0)
        return false;
    if (!MonthClosing::mayClose(m_role)) {
        m_ctx.dialogs.error(this, MonthClosing::notAllowedText());
        return false;
    }
    return true;
}

void MonthCheckWindow::changeMonth(const QString& caption, const QString& question, MonthClosing::Outcome (*change)(TDataModule6&, int, int, LoginRole),
                          const QString& unchanged)
{
    const MonthRange month = selectedMonth();
    if (!m_ctx.dialogs.askYesNo(this, caption, question))
        return;
    MonthClosing::Outcome outcome = MonthClosing::Outcome::Done;
    const bool done = m_ctx.dialogs.guarded(this, [&] { outcome = change(m_dm, month.year, month.month, m_role); });
    showState();
    if (done && outcome == MonthClosing::Outcome::Unchanged)
        m_ctx.dialogs.message(this, MessageKind::Information, caption, unchanged);
}

void MonthCheckWindow::Button3Click()
{
    const MonthRange month = selectedMonth();
    if (!mayChangeMonth(month))
        return;
    // The findings as they are now, not as they were when last looked at.
    Button1Click();
    const QString name = MonthClosing::monthText(month.year, month.month);
    QString question;
    if (const int blocking = m_result.blocking(); blocking > 0)
        question = QStringLiteral("В месяце %1 есть замечания по табелю и ценам (%2): оплата по ним будет неверной.\n"
                                  "Всё равно закрыть месяц?")
                       .arg(name)
                       .arg(blocking);
    else
        question = QStringLiteral("Закрыть месяц %1?\nПосле закрытия его записи, табель и цены не изменяются.").arg(name);
    changeMonth(QStringLiteral("Закрытие месяца"), question, &MonthClosing::close,
                QStringLiteral("Месяц %1 уже закрыт.").arg(name));
}

void MonthCheckWindow::Button4Click()
{
    const MonthRange month = selectedMonth();
    if (!mayChangeMonth(month))
        return;
    const QString name = MonthClosing::monthText(month.year, month.month);
    changeMonth(QStringLiteral("Открытие месяца"),
                QStringLiteral("Открыть месяц %1?\nЕго записи, табель и цены снова можно будет изменять, "
                               "и оплата за него может измениться.")
                    .arg(name),
                &MonthClosing::open, QStringLiteral("Месяц %1 не закрыт.").arg(name));
}

void MonthCheckWindow::Tree1DblClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const int index = item->data(0, kFindingRole).toInt();
    if (index < 0 || index >= m_result.findings.size())
        return;
    const MonthCheck::Finding& f = m_result.findings.at(index);
    if (!f.hidden.isEmpty()) {
        // The journal would open on a day without it: tell where it is.
        m_ctx.dialogs.message(this, MessageKind::Information, windowTitle(), MonthCheck::hiddenRecordText(f));
        return;
    }
    if (f.source == MonthCheck::Source::ShiftRecord) {
        // The journal is under this window: it is shown once the check closes.
        pendingJournal = JournalPlace{f.date, f.shift, f.record};
        accept();
        return;
    }
    if (openMaintenance) {
        openMaintenance(f.date, f.record);
        Button1Click();
    }
}
