#pragma once
#include <QColor>
#include <QString>
#include <initializer_list>
#include <utility>

class QBoxLayout;
class QDate;
class QLabel;
class QPushButton;
class QWidget;

// Small helpers the windows share for their look.
namespace WindowUtil {
// Background colour of a control (radio buttons, check boxes); an invalid
// colour restores the button-face colour of the style.
void setBackground(QWidget* widget, const QColor& color);
void setBold(QWidget* widget, bool bold);
// Saturday and Sunday: the days a "Выходной" box is ticked for.
bool isWeekend(const QDate& date);
// The look of a "Выходной" box: bold on red while ticked, plain otherwise.
void showDayOff(QWidget* box, bool ticked);
// Makes `label` the buddy label of `field`, so the field's accessible name
// is the label's text.
void setBuddy(QLabel* label, QWidget* field);
// Shows a read-only figure beside its caption. A label's accessible name is
// all that assistive technology reads of it, so the name carries the caption
// and the figure ("Итого: 4580,00"; the caption alone while it is empty).
void showFigure(const QLabel* caption, QLabel* figure, const QString& text);

// Tab moves through `order` in this order.
void setTabOrder(std::initializer_list<QWidget*> order);

// A button of `owner` named `name`, appended to `row`; it is not an
// automatic default, so Enter in a grid or field does not press it.
QPushButton* addButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& text);

// The right-aligned pair of a dialog under its fields: the default button
// (Enter) and the one beside it, appended to `layout`.
std::pair<QPushButton*, QPushButton*> addDialogButtons(QWidget* owner, QBoxLayout* layout, const char* defaultName,
                                                       const QString& defaultText, const char* otherName,
                                                       const QString& otherText);

// Shows the hourglass while a block runs.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
}
