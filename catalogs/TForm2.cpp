#include "catalogs/TForm2.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "widgets/EditorParts.h"
#include "widgets/LookupCombo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <tuple>

TForm2::TForm2(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent),
      cmd_person(dm.ADO_DB),
      Departments(dm.ADO_DB, QStringLiteral("Departments")),
      Staffpos(dm.ADO_DB, QStringLiteral("Staffpos")),
      Roles(dm.ADO_DB, QStringLiteral("Roles")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Работники"));
    Departments.setSql(QStringLiteral("select * from cmn_department.department order by id"));
    Staffpos.setSql(QStringLiteral("select * from hrms_staffpos.staffpos order by id"));
    Roles.setSql(QStringLiteral("select * from adm_role.roles order by id"));

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Данные о работнике"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* form = new QFormLayout(GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(254);
    EditorParts::addRow(*form, QStringLiteral("ФИО"), Edit1);
    auto combo = [this](const char* name) {
        auto* c = new QComboBox(GroupBox1);
        c->setObjectName(QLatin1String(name));
        c->setMaxVisibleItems(10);
        c->setMinimumContentsLength(28);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->installEventFilter(this);
        return c;
    };
    LCB_department = combo("LCB_department");
    EditorParts::addRow(*form, QStringLiteral("Подразделение"), LCB_department);
    LCB_staffpos = combo("LCB_staffpos");
    EditorParts::addRow(*form, QStringLiteral("Должность"), LCB_staffpos);
    LCB_roles = combo("LCB_roles");
    EditorParts::addRow(*form, QStringLiteral("Роль"), LCB_roles);
    layout->addWidget(GroupBox1);

    std::tie(Button1, Button2) = EditorParts::addButtons(*this, *layout, "Button2", QStringLiteral("Отмена"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    setMinimumWidth(460);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm2::FormActivate()
{
    Edit1->setFocus();
}

void TForm2::reopenLookups()
{
    const struct {
        Dataset* table;
        QComboBox* list;
    } lookups[] = {{&Staffpos, LCB_staffpos}, {&Roles, LCB_roles}, {&Departments, LCB_department}};
    for (const auto& l : lookups) {
        l.table->close();
        l.table->open();
        LookupCombo::fill(l.list, *l.table, QStringLiteral("id"), QStringLiteral("s_caption"));
    }
}

void TForm2::preselect(const QString& position)
{
    LookupCombo::selectText(LCB_department, position);
    LookupCombo::selectText(LCB_roles, position);
    // The position list is what gets stored: it never keeps another
    // worker's position for this one. A stored text that the list does not
    // offer is kept (and shown greyed in the empty list) until the user
    // picks an entry.
    m_keptPosition = position;
    LCB_staffpos->setPlaceholderText(position);
    if (!LookupCombo::selectText(LCB_staffpos, position))
        LCB_staffpos->setCurrentIndex(-1);
}

QString TForm2::positionText() const
{
    return LCB_staffpos->currentIndex() < 0 ? m_keptPosition : LCB_staffpos->currentText();
}

void TForm2::Button1Click()
{
    const QString name = Edit1->text().trimmed();
    if (name.isEmpty()) {
        m_ctx.dialogs.error(this, QStringLiteral("ФИО нужно заполнить!"));
        return;
    }
    const bool saved = m_ctx.dialogs.guarded(this, [&] {
        CatalogSql::run(cmd_person, Tag == EditorMode::New ? CatalogSql::workerInsert(name, positionText())
                                                           : CatalogSql::workerUpdate(workerId, name, positionText()));
    });
    if (saved)
        accept();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel steps through a list only while that list has the focus.
    if (event->type() == QEvent::Wheel) {
        auto* list = qobject_cast<QComboBox*>(watched);
        if (list && (list == LCB_department || list == LCB_staffpos || list == LCB_roles)) {
            if (list->hasFocus()) {
                const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
                const int index = list->currentIndex() + (dy < 0 ? 1 : (dy > 0 ? -1 : 0));
                if (index >= 0 && index < list->count())
                    list->setCurrentIndex(index);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
