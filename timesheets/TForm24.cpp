#include "timesheets/TForm24.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "widgets/DigitKeys.h"
#include "widgets/EditorParts.h"
#include "widgets/ListMode.h"
#include "widgets/LookupCombo.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm5.h"
#include "ledger/PriceRule.h"
#include "timesheets/TForm25.h"

#include <tuple>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");

QString unitsText(qint64 units)
{
    return PriceRule::displayText(double(units) / 10000.0);
}

} // namespace

TForm24::TForm24(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      type_work(dm.ADO_DB, QStringLiteral("type_work")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Хоз. работы/среднесдельная (24)"));
    type_work.setSql(MaintenanceEntry::typeWorkSql());
    // The window gives the query's sum no hours; "Сумма" is worked out here.
    type_work.setParam(QStringLiteral("cnt"), 0);

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    grid->setHorizontalSpacing(8);
    auto field = [this](const char* name) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(QLatin1String(name));
        return e;
    };

    Label1 = EditorParts::addLabel(GroupBox1, "Label1", QStringLiteral("ФИО"));
    Edit1 = field("Edit1");
    Button3 = EditorParts::addPickerButton(GroupBox1, "Button3", QStringLiteral("Выбрать работника"));
    Label2 = EditorParts::addLabel(GroupBox1, "Label2", QStringLiteral("Номенклатура"));
    Edit2 = field("Edit2");
    Button4 = EditorParts::addPickerButton(GroupBox1, "Button4", QStringLiteral("Выбрать номенклатуру"));
    for (QLineEdit* chosen : {Edit1, Edit2}) {
        chosen->setReadOnly(true);
        chosen->setFocusPolicy(Qt::NoFocus);
    }
    Label3 = EditorParts::addLabel(GroupBox1, "Label3", QStringLiteral("Работа"));
    cb_type_work = new QComboBox(GroupBox1);
    cb_type_work->setObjectName(QStringLiteral("cb_type_work"));
    Label4 = EditorParts::addLabel(GroupBox1, "Label4", QStringLiteral("Кол-во"));
    Edit6 = field("Edit6");
    Edit6->setText(QStringLiteral("0"));
    Edit6->setAlignment(Qt::AlignRight);
    // Digits only, and never more than an hours column takes.
    new DigitKeyFilter(Edit6);
    Edit6->setMaxLength(9);
    Label5 = EditorParts::addLabel(GroupBox1, "Label5", QStringLiteral("ч.    Цена"));
    DBEdit1 = field("DBEdit1");
    Label6 = EditorParts::addLabel(GroupBox1, "Label6", QStringLiteral("р.    Сумма"));
    DBEdit2 = field("DBEdit2");
    for (QLineEdit* shown : {DBEdit1, DBEdit2}) {
        shown->setEnabled(false);
        shown->setAlignment(Qt::AlignRight);
    }
    CBox1 = new QCheckBox(QStringLiteral("Ночные"), GroupBox1);
    CBox1->setObjectName(QStringLiteral("CBox1"));

    const std::pair<QLabel*, QWidget*> buddies[] = {{Label1, Edit1},        {Label2, Edit2}, {Label3, cb_type_work},
                                                     {Label4, Edit6},        {Label5, DBEdit1}, {Label6, DBEdit2}};
    for (const auto& [l, w] : buddies)
        WindowUtil::setBuddy(l, w);
    // The labels carry the unit of the field before them as well.
    DBEdit1->setAccessibleName(QStringLiteral("Цена"));
    DBEdit2->setAccessibleName(QStringLiteral("Сумма"));

    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 5);
    grid->addWidget(Button3, 0, 6);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1, 1, 5);
    grid->addWidget(Button4, 1, 6);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(cb_type_work, 2, 1, 1, 3);
    grid->addWidget(CBox1, 2, 4, 1, 3);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(Edit6, 3, 1);
    grid->addWidget(Label5, 3, 2);
    grid->addWidget(DBEdit1, 3, 3);
    grid->addWidget(Label6, 3, 4);
    grid->addWidget(DBEdit2, 3, 5, 1, 2);
    for (int column : {1, 3, 5})
        grid->setColumnStretch(column, 1);
    layout->addWidget(GroupBox1);
    EditorParts::boldCaption(*GroupBox1);

    std::tie(Button1, Button6) = WindowUtil::addDialogButtons(this, layout, "Button1", QStringLiteral("Записать"),
                                                              "Button6", QStringLiteral("Выход"));

    WindowUtil::setTabOrder({Button3, Button4, cb_type_work, Edit6, CBox1, Button1, Button6});

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button6, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(cb_type_work, &QComboBox::currentIndexChanged, this, [this] { refreshPrices(); });
    connect(Edit6, &QLineEdit::textChanged, this, [this] { refreshPrices(); });
    connect(CBox1, &QCheckBox::toggled, this, [this] { refreshPrices(); });
    setFixedSize(QSize(560, sizeHint().height()));
}

void TForm24::setPeers(TForm25& journal, TForm5& workers, TForm26& groups)
{
    m_journal = &journal;
    m_workers = &workers;
    m_groups = &groups;
}

void TForm24::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
    Button3->setFocus();
}

void TForm24::prepareNew()
{
    Tag = MaintenanceEntry::Add;
    recordId = 0;
    type_work.close();
    type_work.open();
    m_kinds = MaintenanceEntry::kindsOf(type_work);
    Edit1->clear();
    Edit2->clear();
    Edit6->setText(QStringLiteral("0"));
    groupId = 0;
    workerId = 0;
    {
        const QSignalBlocker quiet(cb_type_work);
        cb_type_work->clear();
        for (const MaintenanceEntry::Kind& kind : m_kinds)
            cb_type_work->addItem(kind.name, kind.id);
        LookupCombo::selectKey(cb_type_work, MaintenanceEntry::MaintenanceWork);
    }
    CBox1->setChecked(false);
    CBox1->setEnabled(true);
    refreshPrices();
}

void TForm24::prepareChange(const Dataset& row)
{
    prepareNew();
    Tag = MaintenanceEntry::Change;
    recordId = row.field(QStringLiteral("id")).asInt();
    Edit1->setText(row.field(QStringLiteral("fio")).asTrimmed());
    Edit2->setText(row.field(QStringLiteral("s_caption")).asString());
    Edit6->setText(QString::number(row.field(QStringLiteral("cnt")).asInt()));
    groupId = row.field(QStringLiteral("id_nom")).asLongLong();
    workerId = row.field(QStringLiteral("id_p")).asInt();
    LookupCombo::selectKey(cb_type_work, row.field(QStringLiteral("id_o")).asInt());
    CBox1->setChecked(row.field(QStringLiteral("i_night")).asInt() != 0);
    CBox1->setEnabled(false);
    refreshPrices();
}

void TForm24::finish()
{
    type_work.close();
}

void TForm24::Button3Click()
{
    m_workers->pick(ListMode::MaintenancePicker, [this](int id, const QString& name) {
        Edit1->setText(name);
        workerId = id;
    });
}

void TForm24::Button4Click()
{
    m_groups->pick(ListMode::MaintenancePicker, [this](qlonglong id, const QString& name) {
        groupId = id;
        Edit2->setText(name);
    });
}

const MaintenanceEntry::Kind* TForm24::chosenKind() const
{
    const int key = LookupCombo::key(cb_type_work);
    for (const MaintenanceEntry::Kind& kind : m_kinds)
        if (kind.id == key)
            return &kind;
    return nullptr;
}

std::optional<qint64> TForm24::recordPriceUnits() const
{
    const MaintenanceEntry::Kind* kind = chosenKind();
    if (!kind || !kind->priceUnits)
        return std::nullopt;
    const bool dayOff = m_journal && m_journal->CBox1->isChecked();
    return MaintenanceEntry::priceUnits(*kind->priceUnits, dayOff, CBox1->isChecked());
}

void TForm24::refreshPrices()
{
    const MaintenanceEntry::Kind* kind = chosenKind();
    DBEdit1->setText(kind && kind->priceUnits ? unitsText(*kind->priceUnits) : QString());
    const std::optional<qint64> price = recordPriceUnits();
    DBEdit2->setText(price ? unitsText(*price * Edit6->text().toLongLong()) : QString());
}

void TForm24::Button1Click()
{
    const MaintenanceEntry::Kind* kind = chosenKind();
    if (groupId == 0 || workerId == 0 || !kind) {
        m_ctx.dialogs.error(this, kIncomplete);
        return;
    }
    if (const QString refused = MaintenanceEntry::hoursRefusal(Edit6->text()); !refused.isEmpty()) {
        m_ctx.dialogs.error(this, refused);
        return;
    }
    if (!kind->priceUnits) {
        m_ctx.dialogs.error(this, MaintenanceEntry::noPriceMessage(kind->name));
        return;
    }
    bool written = false;
    m_ctx.dialogs.guarded(this, [&] {
        save();
        written = true;
    });
    if (!written)
        return;
    // The record is written: the editor closes whatever the list's re-read
    // does, since a second "Записать" would write the record again; a failed
    // re-read is shown.
    m_ctx.dialogs.guarded(this, [this] { m_journal->reread(); });
    accept();
}

void TForm24::save()
{
    MaintenanceEntry::Record record;
    record.group = groupId;
    record.kind = chosenKind()->id;
    record.worker = workerId;
    record.date = m_journal->DTPcker1->date();
    record.hours = Edit6->text().trimmed().toInt();
    record.dayOff = m_journal->CBox1->isChecked();
    record.night = CBox1->isChecked();
    record.priceUnits = *recordPriceUnits();
    MaintenanceEntry::save(m_dm, record,
                           Tag == MaintenanceEntry::Add ? std::nullopt : std::optional<int>(recordId));
}
