#pragma once
#include "widgets/AppContext.h"
#include "catalogs/FilterKeys.h"
#include "widgets/ListMode.h"
#include "db/DatasetModel.h"

#include <QDialog>
#include <QList>
#include <functional>

class DBGrid;
class Dataset;
class QBoxLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// A catalog list that is also a picker: a grid over the list's query, a
// filter field that narrows it by the start of the name, and a row of
// buttons. The list itself creates its buttons in its own order and tells
// which of them changes or chooses a row, which one is the default in the
// catalog and which ones only the catalog shows.
class CatalogList : public QDialog {
    Q_OBJECT
public:
    int Tag = ListMode::Catalog;

    DBGrid* DBGrid1 = nullptr;
    QLineEdit* Edit1 = nullptr;   // filter: rows whose name begins with it
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What an editor does before and after showing the list as its picker;
    // `onPicked` receives the chosen row's id and name.
    void preparePicker(int mode, PickHandler onPicked);
    void finishPicker();
    // The three steps of a picker's opener: prepare, show modally, finish.
    int pick(int mode, PickHandler onPicked);

    void Edit1Change();
    void FormActivate();

protected:
    // Where the lists differ around the catalog and the picker.
    struct Behaviour {
        QString idField = QStringLiteral("id");
        // Handed back by a picker with the id; the filter matches its start.
        QString nameField;
        bool trimName = true;             // the name handed back without its padding
        bool unfilterCatalog = false;     // the catalog shows the whole query
        bool clearFilterOnPick = true;    // a picker starts with the filter shown and empty
        bool hideFilterAfterPick = false; // the end of a picker hides the filter and gives
                                          // the catalog its default button back
        bool showButtonsAfterPick = false;// the end of a picker shows the catalog's buttons
        bool focusFilterOnShow = true;
        bool centreOnOpener = false;
    };

    CatalogList(const AppContext& context, Behaviour behaviour, QWidget* parent = nullptr,
                Qt::WindowFlags flags = {});

    // The grid over `data` at the top of the window, taking the free height.
    void addGrid(Dataset& data, const QString& accessibleName, const QVector<GridColumn>& columns);
    // The filter field, put into `row` (the window's own layout for a row
    // of its own); Up and Down in it move the grid's current row.
    void addFilter(QBoxLayout& row, FilterKeyPolicy keys, int stretch = 0);
    QVBoxLayout& windowLayout() const { return *m_layout; }
    // The row of buttons under the grid, filled left to right.
    QHBoxLayout& addButtonRow();
    // A button that is not the default one; `onClick` may be empty.
    QPushButton* addButton(QBoxLayout& row, const char* name, const QString& text, std::function<void()> onClick);
    // `choose` reads "Изменить" or "Выбрать" and is what a double click in
    // the grid does (`onChoose`); `catalogDefault` is the default button of
    // the catalog (none: `choose` is always the default); `catalogOnly` are
    // hidden while the list is a picker.
    void setRoles(QPushButton* choose, std::function<void()> onChoose, QPushButton* catalogDefault,
                  QList<QPushButton*> catalogOnly);

    // Hands the current row to the picker's opener and closes the list;
    // an empty list hands back nothing.
    void pickCurrent();

    void showEvent(QShowEvent* event) override;

    AppContext m_ctx;

private:
    Behaviour m_behaviour;
    Dataset* m_data = nullptr;
    QVBoxLayout* m_layout;
    QPushButton* m_choose = nullptr;
    QPushButton* m_catalogDefault = nullptr;
    QList<QPushButton*> m_catalogOnly;
    PickHandler m_onPicked;
};
