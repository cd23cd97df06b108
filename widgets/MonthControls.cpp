#include "widgets/MonthControls.h"
#include "widgets/DialogService.h"
#include "widgets/WindowUtil.h"
#include "widgets/MonthClosingView.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <algorithm>

namespace MonthControls {

MonthChoice addMonthChoice(QWidget* owner, QBoxLayout* layout, const char* monthName, const char* yearName)
{
    auto* row = new QHBoxLayout;
    auto* monthLabel = new QLabel(QStringLiteral("Месяц:"), owner);
    auto* month = new QComboBox(owner);
    month->setObjectName(QLatin1String(monthName));
    month->addItems(MonthRange::monthNames());
    WindowUtil::setBuddy(monthLabel, month);
    auto* yearLabel = new QLabel(QStringLiteral("Год:"), owner);
    auto* year = new QComboBox(owner);
    year->setObjectName(QLatin1String(yearName));
    year->setMinimumWidth(80);
    WindowUtil::setBuddy(yearLabel, year);
    row->addWidget(monthLabel);
    row->addWidget(month);
    row->addSpacing(12);
    row->addWidget(yearLabel);
    row->addWidget(year);
    row->addSpacing(12);
    QLabel* closed = MonthClosingView::makeLabel(owner);
    row->addWidget(closed);
    row->addStretch();
    layout->addLayout(row);
    return {month, year, closed};
}

void fillYears(QComboBox* years, int year, int thisYear)
{
    constexpr int kFirstYear = 2007;
    const int last = std::max(thisYear + 1, year);
    const int first = std::min(kFirstYear, year);
    const QSignalBlocker block(years);
    years->clear();
    for (int y = first; y <= last; ++y)
        years->addItem(QString::number(y));
}

QProgressBar* addRebuildProgress(QWidget* owner, QBoxLayout* row)
{
    auto* bar = new QProgressBar(owner);
    bar->setObjectName(QStringLiteral("PB"));
    bar->setMinimum(1);
    bar->setValue(1);
    bar->hide();
    row->addWidget(bar, 1);
    return bar;
}

bool runRebuild(Rebuild rebuild, TDataModule6& dm, const MonthRange& month, QProgressBar* bar, DialogService& dialogs,
                QWidget* parent)
{
    bar->setMaximum(month.days());
    bar->setValue(1);
    bar->show();
    bool done = false;
    {
        WindowUtil::WaitCursor wait;
        done = dialogs.guarded(parent, [&] {
            rebuild(dm, month, [&](int step, int steps) {
                bar->setValue(std::max(1, month.days() * step / steps));
                bar->repaint();
            });
        });
    }
    bar->hide();
    return done;
}

DisabledWhile::DisabledWhile(std::initializer_list<QWidget*> controls)
{
    for (QWidget* w : controls)
        if (w && w->isEnabled()) {
            w->setEnabled(false);
            m_controls.append(w);
        }
}

DisabledWhile::~DisabledWhile()
{
    for (const QPointer<QWidget>& w : m_controls)
        if (w)
            w->setEnabled(true);
}

} // namespace MonthControls
