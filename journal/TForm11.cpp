#include "journal/TForm11.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "widgets/DigitKeys.h"
#include "widgets/EditorParts.h"
#include "catalogs/TForm4.h"
#include "catalogs/TForm5.h"
#include "ledger/PriceRule.h"
#include "ledger/RecordEntry.h"
#include "journal/TForm1.h"

#include <tuple>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

namespace {

const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Позиция с такими параметрами уже заведена!");

} // namespace

TForm11::TForm11(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      SmenaIU(dm.ADO_DB),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Закрыто мастером"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    grid->setHorizontalSpacing(8);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, GroupBox1);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto field = [this](const char* name, bool readOnly) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(QLatin1String(name));
        if (readOnly) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
        }
        return e;
    };
    auto dots = [this](const char* name, const QString& accessible) {
        auto* b = new QPushButton(QStringLiteral("..."), GroupBox1);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(accessible);
        b->setAutoDefault(false);
        b->setFixedWidth(32);
        return b;
    };

    Label1 = label("Label1", QStringLiteral("ФИО"));
    Edit1 = field("Edit1", true);
    Button3 = dots("Button3", QStringLiteral("Выбрать работника"));
    Label2 = label("Label2", QStringLiteral("Операция"));
    Edit2 = field("Edit2", true);
    Button4 = dots("Button4", QStringLiteral("Выбрать операцию"));
    Label3 = label("Label3", QStringLiteral("Кол-во"));
    Edit3 = field("Edit3", false);
    Label5 = label("Label5", QStringLiteral("Время"));
    Edit6 = field("Edit6", false);
    Edit6->setText(QStringLiteral("0"));
    Label6 = label("Label6", QStringLiteral("Цвет"));
    Edit5 = field("Edit5", false);
    Label7 = label("Label7", QStringLiteral("Дата"));
    DTimeP = new QDateEdit(QDate::currentDate(), GroupBox1);
    DTimeP->setObjectName(QStringLiteral("DTimeP"));
    DTimeP->setCalendarPopup(true);
    DTimeP->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTimeP->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    Label4 = label("Label4", QStringLiteral("Брак"));
    Edit4 = field("Edit4", false);
    Edit4->setText(QStringLiteral("0"));
    Label8 = label("Label8", QStringLiteral("Цена база"));
    Edit8 = field("Edit8", true);
    Label9 = label("Label9", QStringLiteral("Цена итог"));
    Edit7 = field("Edit7", true);
    Label10 = label("Label10", QStringLiteral("Сумма"));
    Edit9 = field("Edit9", true);

    const std::pair<QLabel*, QWidget*> buddies[] = {{Label1, Edit1}, {Label2, Edit2}, {Label3, Edit3},
                                                     {Label5, Edit6}, {Label6, Edit5}, {Label7, DTimeP},
                                                     {Label4, Edit4}, {Label8, Edit8}, {Label9, Edit7},
                                                     {Label10, Edit9}};
    for (const auto& [l, w] : buddies)
        WindowUtil::setBuddy(l, w);
    for (QLineEdit* digits : {Edit3, Edit4, Edit5, Edit6}) {
        new DigitKeyFilter(digits);
        digits->setMaxLength(12);
        digits->setAlignment(Qt::AlignRight);
    }
    for (QLineEdit* price : {Edit7, Edit8, Edit9})
        price->setAlignment(Qt::AlignRight);

    // Worker and operation over the whole width, the numbers in three columns.
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 5);
    grid->addWidget(Button3, 0, 6);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1, 1, 5);
    grid->addWidget(Button4, 1, 6);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(Edit3, 2, 1);
    grid->addWidget(Label5, 2, 2);
    grid->addWidget(Edit6, 2, 3);
    grid->addWidget(Label6, 2, 4);
    grid->addWidget(Edit5, 2, 5);
    grid->addWidget(Label7, 3, 0);
    grid->addWidget(DTimeP, 3, 1);
    grid->addWidget(Label4, 3, 2);
    grid->addWidget(Edit4, 3, 3);
    grid->addWidget(Label8, 4, 0);
    grid->addWidget(Edit8, 4, 1);
    grid->addWidget(Label9, 4, 2);
    grid->addWidget(Edit7, 4, 3);
    grid->addWidget(Label10, 4, 4);
    grid->addWidget(Edit9, 4, 5);
    for (int column : {1, 3, 5})
        grid->setColumnStretch(column, 1);
    layout->addWidget(GroupBox1);
    // The group's caption is bold, its contents are not.
    WindowUtil::setBold(GroupBox1, true);
    QFont normal = GroupBox1->font();
    normal.setBold(false);
    for (QWidget* child : GroupBox1->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setFont(normal);

    std::tie(Button1, Button2) = WindowUtil::addDialogButtons(this, layout, "Button1", QStringLiteral("Запись"), "Button2",
                                                              QStringLiteral("Отмена"));

    WindowUtil::setTabOrder({Button3, Button4, Edit3, Edit6, Edit5, DTimeP, Edit4, Button1, Button2});

    for (QWidget* w : {static_cast<QWidget*>(Edit1), static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Edit3),
                       static_cast<QWidget*>(Edit6)})
        w->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    setFixedSize(QSize(620, sizeHint().height()));
}

void TForm11::setPeers(TForm1& journal, TForm5& workers, TForm4& operations)
{
    m_journal = &journal;
    m_workers = &workers;
    m_operations = &operations;
}

void TForm11::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditorParts::centreOnOpener(*this);
    FormActivate();
}

void TForm11::FormActivate()
{
    Button3->setFocus();
}

bool TForm11::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        // A click on the worker or the operation opens its list.
        if (watched == Edit1)
            Button3Click();
        else if (watched == Edit2)
            Button4Click();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == Edit3)
            Edit3Exit();
        else if (watched == Edit6)
            Edit6Exit();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm11::prepareNew(const QDate& date)
{
    Tag = EditorMode::New;
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    recordId = 0;
    m_storedPrice = false;
    DTimeP->setDate(date);
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    Edit5->clear();
    Edit4->setText(QStringLiteral("0"));
    Edit6->setText(QStringLiteral("0"));
}

void TForm11::prepareChange(const Dataset& row)
{
    Tag = EditorMode::Change;
    setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    recordId = row.field(QStringLiteral("id")).asInt();
    finalPrice = row.field(QStringLiteral("cena")).asFloat();
    m_priced = true;
    m_storedPrice = true;
    Edit7->setText(PriceRule::displayText(finalPrice));
    Edit9->setText(PriceRule::displayText(row.field(QStringLiteral("kol_vo")).asFloat() * finalPrice));
    DTimeP->setDate(row.field(QStringLiteral("data")).asDate());
    Edit1->setText(row.field(QStringLiteral("fio")).asTrimmed());
    const QString kind = row.field(QStringLiteral("vid")).asTrimmed();
    Edit2->setText(row.field(QStringLiteral("marka")).asTrimmed() + QStringLiteral("; ") + kind + QStringLiteral("; ")
                   + productTypeText(row.field(QStringLiteral("naimen")).asInt()));
    Edit3->setText(RecordEntry::quantityText(row.field(QStringLiteral("kol_vo")).value()));
    Edit4->setText(row.field(QStringLiteral("brak")).asTrimmed());
    workerId = row.field(QStringLiteral("w_id")).asInt();
    productId = row.field(QStringLiteral("i_id")).asInt();
    operationId = row.field(QStringLiteral("o_id")).asInt();
    Edit6->setText(QString::number(row.field(QStringLiteral("time")).asInt()));
    // One rule for the colour: the one the picker and the save apply.
    const bool painting = RecordEntry::isPainting(Edit2->text());
    setPainting(painting);
    if (painting)
        Edit5->setText(row.field(QStringLiteral("color")).asTrimmed());
    // "Цена база" shows the record's own operation's list price.
    listPrice = RecordEntry::listPriceOf(m_dm, operationId);
    Edit8->setText(listPrice ? PriceRule::displayText(*listPrice) : QString());
}

void TForm11::setPainting(bool painting)
{
    if (!painting)
        Edit5->clear();
    Edit5->setEnabled(painting);
    Label6->setEnabled(painting);
}

void TForm11::Button3Click()
{
    m_workers->pick(ListMode::Picker, [this](int id, const QString& name) {
        Edit1->setText(name);
        workerId = id;
    });
}

void TForm11::Button4Click()
{
    const int position = Tag == EditorMode::New ? 0 : operationId;
    m_operations->pick(ListMode::Picker, position, [this](const OperationChoice& choice) {
        productId = choice.productId;
        operationId = choice.id;
        // The price is fixed now, with the factors of this moment.
        finalPrice = PriceRule::finalPrice(choice.listPrice, m_journal->currentShift, m_journal->CBox1->isChecked());
        m_priced = choice.hasPrice;
        m_storedPrice = false;
        listPrice = choice.hasPrice ? std::optional<double>(choice.listPrice) : std::nullopt;
        Edit2->setText(choice.text());
    });
    setPainting(RecordEntry::isPainting(Edit2->text()));
    refreshPrices();
}

void TForm11::Edit3Exit()
{
    refreshPrices();
}

void TForm11::Edit6Exit()
{
    refreshPrices();
}

void TForm11::refreshPrices()
{
    if (Edit6->text().trimmed().isEmpty())
        Edit6->setText(QStringLiteral("0"));
    if (Edit3->text().trimmed().isEmpty())
        Edit3->setText(QStringLiteral("0"));
    // An operation without a price shows none: nothing here may read as 0.
    Edit7->setText(m_priced ? PriceRule::displayText(finalPrice) : QString());
    Edit8->setText(listPrice ? PriceRule::displayText(*listPrice) : QString());
    Edit9->setText(m_priced ? PriceRule::displayText(Edit3->text().trimmed().toDouble() * finalPrice) : QString());
}

void TForm11::Button1Click()
{
    const RecordEntry::Input input{Edit1->text(), Edit2->text(), Edit3->text(), Edit4->text(), Edit6->text(), Edit5->text()};
    if (!RecordEntry::isComplete(input)) {
        m_ctx.dialogs.error(this, kIncomplete);
        return;
    }
    bool written = false;
    m_ctx.dialogs.guarded(this, [&] { written = save(); });
    if (!written)
        return;
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9})
        e->clear();
    accept();
}

bool TForm11::save()
{
    const int shift = m_journal->currentShift;
    Dataset& journal = m_journal->shiftQuery(shift);
    RecordEntry::Values values;
    values.key = {workerId, operationId, productId, DTimeP->date(), shift, RecordEntry::colourCode(Edit5->text())};
    // A price picked now is rounded; a stored one is written back as it is.
    values.price = m_storedPrice ? finalPrice : PriceRule::round4(finalPrice);
    values.priced = m_priced;
    values.quantity = RecordEntry::wholeNumber(Edit3->text(), std::numeric_limits<qlonglong>::max());
    values.rejects = int(RecordEntry::wholeNumber(Edit4->text(), std::numeric_limits<int>::max()));
    values.hours = int(RecordEntry::wholeNumber(Edit6->text(), std::numeric_limits<int>::max()));
    values.entered = today();
    if (const QString why = RecordEntry::refusal(values, Edit2->text()); !why.isEmpty()) {
        m_ctx.dialogs.error(this, why);
        return false;
    }

    // The record and the hours it leaves in the timesheet commit together;
    // a duplicate is told after that transaction has ended.
    const RecordEntry::Outcome outcome =
        RecordEntry::saveRecord(m_dm, SmenaIU, values, Tag == EditorMode::New ? 0 : recordId);
    if (outcome == RecordEntry::Outcome::Duplicate) {
        m_ctx.dialogs.error(this, kDuplicate);
        return false;
    }

    // The timesheet queries show the posted hours when next opened.
    m_dm.H_Tabel_1.close();
    m_dm.H_Tabel_2.close();
    m_dm.H_Tabel_3.close();
    // The journal shows the saved record and stays on its row number.
    const int row = journal.recNo();
    journal.close();
    journal.open();
    if (!journal.isEmpty() && row > 0)
        journal.setRecNo(row);
    return true;
}
