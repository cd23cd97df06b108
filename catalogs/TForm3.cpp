#include "catalogs/TForm3.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "catalogs/DecimalKeys.h"
#include "ledger/ProductDelete.h"
#include "catalogs/TForm7.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm3::TForm3(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : CatalogList(context, {.nameField = QStringLiteral("marka"), .hideFilterAfterPick = true}, parent),
      Izdel_Smena(dm.ADO_DB, QStringLiteral("Izdel_Smena")),
      ii_oper(dm.ADO_DB, QStringLiteral("ii_oper")),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Изделия (3)"));
    // The product's key is a 15-digit number while the records' i_id is a
    // 32-bit column: the key is compared as a 64-bit number, so that a key
    // beyond i_id's range counts nothing instead of failing.
    Izdel_Smena.setSql(QStringLiteral("select count(*) as cnt from accounts_dep.smena s where s.i_id =cast(:id_ii as "
                                      "bigint) and s.\"data\">=:dt"));
    ii_oper.setSql(QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =cast(:id_ii as bigint)"));

    GridColumn massa{QStringLiteral("massa"), QStringLiteral("Коробки"), 90};
    massa.format = [](const QVariant& v) { return decimalEditText(v).replace(u'.', u','); };
    addGrid(m_dm.Izdel, QStringLiteral("Изделия"),
            {
                {QStringLiteral("marka"), QStringLiteral("Марка изделия"), 200},
                {QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 220},
                massa,
            });
    addFilter(windowLayout(), FilterKeyPolicy::ArrowsOnly);

    QHBoxLayout& bottom = addButtonRow();
    Button1 = addButton(bottom, "Button1", QStringLiteral("Добавить"), [this] { Button1Click(); });
    Button2 = addButton(bottom, "Button2", QStringLiteral("Изменить"), [this] { Button2Click(); });
    Button3 = addButton(bottom, "Button3", QStringLiteral("Удалить"), [this] { Button3Click(); });
    bottom.addStretch(1);
    Button4 = addButton(bottom, "Button4", QStringLiteral("Выход"), [this] { reject(); });
    setRoles(Button2, [this] { Button2Click(); }, Button1, {Button1, Button3});
    resize(600, 520);
}

void TForm3::Button1Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        const int row = izdel.recNo();
        m_editor->Edit1->clear();
        m_editor->Edit2->clear();
        m_editor->setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
        m_editor->Tag = EditorMode::New;
        m_editor->openGroups();
        m_ctx.dialogs.showModal(*m_editor);
        m_editor->closeGroups();
        izdel.setRecNo(row);
    });
}

void TForm3::Button2Click()
{
    if (Tag == ListMode::Catalog) {
        changeProduct();
        return;
    }
    pickCurrent();
}

void TForm3::changeProduct()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        if (izdel.isEmpty())
            return;
        const int row = izdel.recNo();
        m_editor->setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
        m_editor->Tag = EditorMode::Change;
        m_editor->productId = izdel.field(QStringLiteral("id")).asLongLong();
        m_editor->Edit1->setText(izdel.field(QStringLiteral("marka")).asTrimmed());
        m_editor->Edit2->setText(decimalEditText(izdel.value(QStringLiteral("massa"))));
        m_editor->openGroups();
        m_editor->selectGroup(izdel.field(QStringLiteral("id_class_item")).asLongLong());
        m_ctx.dialogs.showModal(*m_editor);
        m_editor->closeGroups();
        izdel.setRecNo(row);
    });
}

void TForm3::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        if (izdel.isEmpty())
            return;
        const qlonglong id = izdel.field(QStringLiteral("id")).asLongLong();
        const ProductDelete::Usage usage = ProductDelete::count(Izdel_Smena, ii_oper, id, today());
        const ProductDelete::Plan plan = ProductDelete::ask(usage, [this](const QString& question) {
            return m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), question);
        });
        ProductDelete::run(m_dm, id, plan);
        izdel.close();
        izdel.open();
    });
}
