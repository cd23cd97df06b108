#pragma once
#include "ledger/MonthClosing.h"

#include <QList>
#include <optional>

class DialogService;
class QLabel;
class QWidget;
class TDataModule6;

// How the windows that change a month's data show a closed month: a red
// label beside their date or month ("Месяц закрыт …", hidden while open),
// their changing buttons telling why they refuse in their tool tips, and
// the refusal told before anything is asked or opened.
namespace MonthClosingView {

QLabel* makeLabel(QWidget* owner);

// Reads the month's state and shows it on `label` and `buttons`; answers it.
std::optional<MonthClosing::Closure> show(TDataModule6& dm, int year, int month, QLabel* label,
                                          const QList<QWidget*>& buttons = {});

// When the month is closed, tells the user so and answers true (also when
// its state cannot be read: that error is shown).
bool refuse(TDataModule6& dm, int year, int month, DialogService& dialogs, QWidget* parent);

} // namespace MonthClosingView
