#include "app/TForm23.h"
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "ledger/LoginCodes.h"
#include "db/TDataModule6.h"
#include "widgets/WindowUtil.h"
#include "widgets/DBGrid.h"
#include "db/SharedSql.h"
#include "journal/TForm1.h"

#include <tuple>
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

TForm23::TForm23(const AppContext& context, TForm1& journal, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_journal(journal)
{
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("Авторизация"));

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Код доступа"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setMinimumWidth(200);
    WindowUtil::setBuddy(label, Edit1);
    row->addWidget(label);
    row->addWidget(Edit1, 1);
    layout->addLayout(row);

    std::tie(Button1, Button2) = WindowUtil::addDialogButtons(this, layout, "Button1", QStringLiteral("Вход"), "Button2",
                                                              QStringLiteral("Отмена"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    setFixedSize(sizeHint().expandedTo(QSize(380, 110)));
}

void TForm23::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Edit1->setFocus();
    // Checked once the window is up, so that the version message shows above it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            FormActivate();
    });
}

void TForm23::FormActivate()
{
    m_journal.VersionCheck();
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)").arg(m_journal.buildDate).arg(m_journal.buildTime));
}

void TForm23::Button1Click()
{
    const QString code = Edit1->text().trimmed();
    const LoginRole role = roleForCode(code);
    TForm1& j = m_journal;
    j.currentShift = 1;
    j.userRole = code;
    j.role = role;
    const bool full = role == LoginRole::Full;
    j.MenuTimesheets->menuAction()->setEnabled(full);

    TDataModule6& dm = *j.dataModule();
    auto setOk = [&dm] {
        for (int shift = 1; shift <= 4; ++shift)
            dm.Smena(shift).setParam(QStringLiteral("ok"), SharedSql::hiddenMark());
    };
    auto disableReports = [this](std::initializer_list<const char*> names) {
        if (!m_reports)
            return;
        for (const char* name : names)
            if (auto* w = m_reports->findChild<QWidget*>(QLatin1String(name)))
                w->setEnabled(false);
    };

    if (role == LoginRole::ViewOnly) {
        const QList<QWidget*> viewOnlyOff{j.Button1, j.Button2, j.Button3, j.RadioButton1, j.RadioButton2,
                                          j.RadioButton3, j.RadioButton4, j.CBox1, j.Button8, j.DBGrid2, j.DateT};
        for (QWidget* w : viewOnlyOff)
            w->setEnabled(false);
        j.MenuCatalogs->menuAction()->setEnabled(false);
        j.MenuTimesheets->menuAction()->setEnabled(false);
        setOk();
    } else if (role == LoginRole::ShiftMaster) {
        j.Button2->setEnabled(false);
        j.Button3->setEnabled(false);
        j.MenuCatalogs->menuAction()->setEnabled(false);
        j.MenuTimesheets->menuAction()->setEnabled(false);
        disableReports({"Button1", "Button2", "Button4", "Button6"});
        setOk();
    } else {
        setOk();
        if (role == LoginRole::Warehouse) {
            j.Button1->setEnabled(false);
            j.Button2->setEnabled(false);
            j.Button3->setEnabled(false);
            disableReports({"Button1", "Button2", "Button6", "Button4"});
            j.MenuCatalogs->menuAction()->setEnabled(false);
            j.MenuTimesheets->menuAction()->setEnabled(false);
            if (m_reports) {
                if (auto* group = m_reports->findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))) {
                    const auto items = group->findChildren<QRadioButton*>();
                    if (items.size() > 1)
                        items.at(1)->setChecked(true);
                    group->setEnabled(false);
                }
            }
        } else if (!full) {
            m_ctx.dialogs.error(this, QStringLiteral("Введены неверные данные."));
            return;
        }
    }

    hide();
    m_ctx.dialogs.showModal(j);
    close();
    m_ctx.lifetime.requestTerminate();
}

void TForm23::Button2Click()
{
    reject();
}

void TForm23::Timer1Timer()
{
    m_ctx.lifetime.requestTerminate();
}

void TForm23::done(int result)
{
    QDialog::done(result);
    // The login is the main form: when it closes, the program ends.
    m_ctx.lifetime.requestTerminate();
}
