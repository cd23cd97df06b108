#pragma once
#include <QColor>

class QWidget;
class QLabel;

// Small helpers the windows share for their look.
namespace WindowUtil {
// Background colour of a control (radio buttons, check boxes); an invalid
// colour restores the button-face colour of the style.
void setBackground(QWidget* widget, const QColor& color);
void setBold(QWidget* widget, bool bold);
// Makes `label` the buddy label of `field`, so the field's accessible name
// is the label's text.
void setBuddy(QLabel* label, QWidget* field);
}
