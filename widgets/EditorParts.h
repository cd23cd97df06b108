#pragma once
#include <QString>
#include <utility>

class QBoxLayout;
class QDialog;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Pieces the catalog windows build alike.
namespace EditorParts {

// Moves `window` to the centre of the window that opened it (the active
// one), if another window is active.
void centreOnOpener(QWidget& window);

// A row of `form` with the label `caption` as the field's buddy.
void addRow(QFormLayout& form, const QString& caption, QWidget* field);

// A group box "GroupBox1" titled `title` holding one line field "Edit1"
// after its label `caption`, appended to `layout`: the box and the field.
std::pair<QGroupBox*, QLineEdit*> addFieldGroup(QDialog& editor, QBoxLayout& layout, const QString& title, const QString& caption,
                         int maxLength);

// An editor's buttons, right-aligned under its fields: the default
// "Записать" (Button1) and the button that closes the editor unsaved.
std::pair<QPushButton*, QPushButton*> addButtons(QDialog& editor, QBoxLayout& layout, const char* closeName, const QString& closeText);

// A label of `parent` named `name`.
QLabel* addLabel(QWidget* parent, const char* name, const QString& text);
// The "..." button beside a chosen name that opens its list as a picker;
// Enter in the editor never presses it.
QPushButton* addPickerButton(QWidget* parent, const char* name, const QString& accessibleName);
// The group's caption in bold over contents in the regular font.
void boldCaption(QGroupBox& box);

}
