#include "widgets/MonthClosingView.h"
#include "widgets/DialogService.h"

#include <QLabel>

namespace MonthClosingView {

QLabel* makeLabel(QWidget* owner)
{
    auto* label = new QLabel(owner);
    label->setObjectName(QStringLiteral("LabelClosed"));
    label->setStyleSheet(QStringLiteral("QLabel { color: rgb(192, 0, 0); font-weight: bold; }"));
    label->hide();
    return label;
}

std::optional<MonthClosing::Closure> show(TDataModule6& dm, int year, int month, QLabel* label,
                                          const QList<QWidget*>& buttons)
{
    const std::optional<MonthClosing::Closure> closure = MonthClosing::closure(dm, year, month);
    if (label) {
        label->setText(closure ? MonthClosing::stateText(*closure) : QString());
        label->setToolTip(closure ? MonthClosing::refusalText(year, month, *closure) : QString());
        label->setVisible(bool(closure));
    }
    for (QWidget* b : buttons)
        if (b)
            b->setToolTip(closure ? MonthClosing::refusalText(year, month, *closure) : QString());
    return closure;
}

bool refuse(TDataModule6& dm, int year, int month, DialogService& dialogs, QWidget* parent)
{
    std::optional<MonthClosing::Closure> closure;
    // When the month's state cannot be read, nothing is begun either.
    if (!dialogs.guarded(parent, [&] { closure = MonthClosing::closure(dm, year, month); }))
        return true;
    if (!closure)
        return false;
    dialogs.error(parent, MonthClosing::refusalText(year, month, *closure));
    return true;
}

} // namespace MonthClosingView
