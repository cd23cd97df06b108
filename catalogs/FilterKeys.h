#pragma once
#include <QObject>
#include <QString>

class Dataset;
class QLineEdit;

// What a key pressed in a list's filter field does.
enum class FilterKeyAction {
    Pass,    // the field handles it (typed text, Backspace, the dialog's Enter and Escape)
    Prior,   // the list's previous row becomes current
    Next,    // the list's next row becomes current
    Swallow, // nothing happens
};

enum class FilterKeyPolicy {
    // Up and Down move the list; every other key acts in the field.
    ArrowsOnly,
    // Up and Down move the list; keys that only move the cursor or delete
    // (Left, Right, Home, End, Delete ...) do nothing, while typed
    // characters and Backspace still change the text.
    ArrowsAndNoEditingKeys,
};

// `text` is the text the key would type (empty for keys that type nothing).
FilterKeyAction filterKeyAction(int key, const QString& text, FilterKeyPolicy policy);

// Applies filterKeyAction to the key presses of a filter field, moving
// `dataset`'s current row for Up and Down.
class FilterFieldKeys : public QObject {
public:
    FilterFieldKeys(QLineEdit* field, Dataset& dataset, FilterKeyPolicy policy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Dataset& m_dataset;
    FilterKeyPolicy m_policy;
};
