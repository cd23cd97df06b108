#include "widgets/WindowUtil.h"
#include "catalogs/CatalogList.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogService.h"
#include "widgets/EditorParts.h"
#include "db/Dataset.h"
#include "db/FilterExpr.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CatalogList::CatalogList(const AppContext& context, Behaviour behaviour, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_ctx(context), m_behaviour(std::move(behaviour)), m_layout(new QVBoxLayout(this))
{
}

void CatalogList::addGrid(Dataset& data, const QString& accessibleName, const QVector<GridColumn>& columns)
{
    m_data = &data;
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(accessibleName);
    DBGrid1->setDataset(&data);
    DBGrid1->setColumns(columns);
    // Whole rows are selected; the last column takes the rest of the width.
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    m_layout->addWidget(DBGrid1, 1);
}

void CatalogList::addFilter(QBoxLayout& row, FilterKeyPolicy keys, int stretch)
{
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
    row.addWidget(Edit1, stretch);
    new FilterFieldKeys(Edit1, *m_data, keys);
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
}

QHBoxLayout& CatalogList::addButtonRow()
{
    auto* row = new QHBoxLayout;
    m_layout->addLayout(row);
    return *row;
}

QPushButton* CatalogList::addButton(QBoxLayout& row, const char* name, const QString& text,
                                    std::function<void()> onClick)
{
    QPushButton* b = WindowUtil::addButton(this, &row, name, text);
    if (onClick)
        connect(b, &QPushButton::clicked, this, std::move(onClick));
    return b;
}

void CatalogList::setRoles(QPushButton* choose, std::function<void()> onChoose, QPushButton* catalogDefault,
                           QList<QPushButton*> catalogOnly)
{
    m_choose = choose;
    m_catalogDefault = catalogDefault;
    m_catalogOnly = std::move(catalogOnly);
    (catalogDefault ? catalogDefault : choose)->setDefault(true);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, std::move(onChoose));
}

void CatalogList::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_behaviour.centreOnOpener)
        EditorParts::centreOnOpener(*this);
    if (m_behaviour.focusFilterOnShow)
        FormActivate();
}

void CatalogList::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void CatalogList::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    if (m_behaviour.unfilterCatalog)
        m_data->setFiltered(false);
    m_data->open();
    m_choose->setText(QStringLiteral("Изменить"));
    if (m_catalogDefault) {
        m_choose->setDefault(false);
        m_catalogDefault->setDefault(true);
    }
    for (QPushButton* b : m_catalogOnly)
        b->setVisible(true);
}

void CatalogList::finishCatalog()
{
    m_data->close();
}

void CatalogList::preparePicker(int mode, PickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    m_data->open();
    m_choose->setText(QStringLiteral("Выбрать"));
    for (QPushButton* b : m_catalogOnly)
        b->setVisible(false);
    if (m_catalogDefault)
        m_choose->setDefault(true);
    if (m_behaviour.clearFilterOnPick) {
        Edit1->setVisible(true);
        {
            const QSignalBlocker quiet(Edit1);
            Edit1->clear();
        }
        Edit1Change();
    }
}

void CatalogList::finishPicker()
{
    if (m_behaviour.hideFilterAfterPick) {
        m_choose->setDefault(false);
        if (m_catalogDefault)
            m_catalogDefault->setDefault(true);
        Edit1->setVisible(false);
    }
    if (m_behaviour.showButtonsAfterPick) {
        for (QPushButton* b : m_catalogOnly)
            b->setVisible(true);
    }
    m_data->close();
}

int CatalogList::pick(int mode, PickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

void CatalogList::pickCurrent()
{
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        if (m_data->isEmpty() || !m_onPicked)
            return;
        const qlonglong id = m_data->field(m_behaviour.idField).asLongLong();
        const QString name = m_behaviour.trimName ? m_data->field(m_behaviour.nameField).asTrimmed()
                                                  : m_data->field(m_behaviour.nameField).asString();
        handed = true;
        m_onPicked(id, name);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
}

void CatalogList::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.isEmpty()) {
            m_data->setFiltered(false);
            return;
        }
        m_data->setFilter(filterLikePrefix(m_behaviour.nameField, text));
        m_data->setFiltered(true);
    });
}
