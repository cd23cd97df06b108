#include "catalogs/TForm8.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "catalogs/TForm9.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm8::TForm8(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : CatalogList(context,
                  {.idField = QStringLiteral("ID"),
                   .nameField = QStringLiteral("vid"),
                   .unfilterCatalog = true,
                   .hideFilterAfterPick = true,
                   .centreOnOpener = true},
                  parent),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));

    addGrid(m_dm.Vid_oper, QStringLiteral("Виды операций"), {{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    addFilter(windowLayout(), FilterKeyPolicy::ArrowsAndNoEditingKeys);
    Edit1->setVisible(false);

    QHBoxLayout& bottom = addButtonRow();
    Button1 = addButton(bottom, "Button1", QStringLiteral("Добавить"), [this] { Button1Click(); });
    Button2 = addButton(bottom, "Button2", QStringLiteral("Изменить"), [this] { Button2Click(); });
    Button3 = addButton(bottom, "Button3", QStringLiteral("Удалить"), [this] { Button3Click(); });
    bottom.addStretch(1);
    Button4 = addButton(bottom, "Button4", QStringLiteral("Выход"), [this] { reject(); });
    setRoles(Button2, [this] { Button2Click(); }, Button1, {Button1, Button3});
    resize(440, 480);
}

void TForm8::Button1Click()
{
    m_editor->Edit1->clear();
    m_editor->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    m_editor->Tag = EditorMode::New;
    m_ctx.dialogs.showModal(*m_editor);
}

void TForm8::Button2Click()
{
    Dataset& kinds = m_dm.Vid_oper;
    if (Tag == ListMode::Catalog) {
        if (kinds.isEmpty())
            return;
        m_editor->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
        m_editor->Tag = EditorMode::Change;
        m_ctx.dialogs.guarded(this, [&] { m_editor->Edit1->setText(kinds.field(QStringLiteral("vid")).asTrimmed()); });
        m_ctx.dialogs.showModal(*m_editor);
        return;
    }
    pickCurrent();
}

void TForm8::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& kinds = m_dm.Vid_oper;
        if (kinds.isEmpty())
            return;
        if (!m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?")))
            return;
        kinds.remove();
        kinds.close();
        kinds.open();
    });
}
