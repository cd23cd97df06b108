#include "app/WindowOwner.h"
#include "widgets/DialogService.h"
#include "app/TForm23.h"
#include "db/TDataModule6.h"
#include "catalogs/TForm2.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm29.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm4.h"
#include "catalogs/TForm10.h"
#include "catalogs/TForm22.h"
#include "catalogs/TForm5.h"
#include "catalogs/TForm7.h"
#include "catalogs/TForm8.h"
#include "catalogs/TForm9.h"
#include "journal/TForm1.h"
#include "journal/TForm11.h"
#include "reports/TForm18.h"
#include "timesheets/TForm24.h"
#include "timesheets/TForm25.h"
#include "timesheets/TForm19.h"
#include "timesheets/TForm27.h"
#include "timesheets/MonthCheckWindow.h"

#include <QDateEdit>

WindowOwner::WindowOwner(const AppContext& context) : m_ctx(context) {}

WindowOwner::~WindowOwner()
{
    // Windows go before the journal, which owns the data module.
    m_form23.reset();
    m_monthCheckWindow.reset();
    m_form25.reset();
    m_form24.reset();
    m_form27.reset();
    m_form19.reset();
    m_form18.reset();
    m_form22.reset();
    m_form11.reset();
    m_form10.reset();
    m_form4.reset();
    m_form29.reset();
    m_form26.reset();
    m_form9.reset();
    m_form8.reset();
    m_form7.reset();
    m_form5.reset();
    m_form3.reset();
    m_form2.reset();
    m_form1.reset();
}

bool WindowOwner::start(const QStringList& arguments)
{
    m_form1 = std::make_unique<TForm1>(m_ctx);
    if (!m_form1->FormCreate(arguments))
        return false;
    m_form23 = std::make_unique<TForm23>(m_ctx, *m_form1);
    m_form1->setLoginTimer(m_form23->Timer1);
    TDataModule6& dm = *m_form1->dataModule();
    m_form2 = std::make_unique<TForm2>(m_ctx, dm);
    m_form3 = std::make_unique<TForm3>(m_ctx, dm);
    m_form4 = std::make_unique<TForm4>(m_ctx, dm);
    m_form5 = std::make_unique<TForm5>(m_ctx, dm);
    m_form7 = std::make_unique<TForm7>(m_ctx, dm);
    m_form8 = std::make_unique<TForm8>(m_ctx, dm);
    m_form9 = std::make_unique<TForm9>(m_ctx, dm);
    m_form10 = std::make_unique<TForm10>(m_ctx, dm);
    m_form11 = std::make_unique<TForm11>(m_ctx, dm);
    m_form22 = std::make_unique<TForm22>(m_ctx, dm);
    m_form26 = std::make_unique<TForm26>(m_ctx, dm);
    m_form29 = std::make_unique<TForm29>(m_ctx, dm);
    m_form3->setEditor(*m_form7);
    m_form5->setEditor(*m_form2);
    m_form8->setEditor(*m_form9);
    m_form26->setEditor(*m_form29);
    m_form29->setList(*m_form26);
    m_form1->setCatalogWindows(m_form5.get(), m_form3.get(), m_form8.get(), m_form26.get());
    m_form4->setEditors(*m_form10, *m_form22);
    m_form10->setPickers(*m_form3, *m_form8);
    m_form11->setPeers(*m_form1, *m_form5, *m_form4);
    m_form1->setRecordEditor(m_form11.get());
    m_form1->setPriceList(m_form4.get());
    m_form18 = std::make_unique<TForm18>(m_ctx, dm);
    m_form23->setReportsWindow(m_form18.get());
    m_form1->setReportsWindow(m_form18.get());
    m_form24 = std::make_unique<TForm24>(m_ctx, dm);
    m_form25 = std::make_unique<TForm25>(m_ctx, dm);
    m_form24->setPeers(*m_form25, *m_form5, *m_form26);
    m_form25->setEditor(*m_form24);
    m_form1->setMaintenanceJournal(m_form25.get(), [this](const QDate& date) {
        m_form25->prepareOpen(date, m_form1->role);
    });
    m_form19 = std::make_unique<TForm19>(m_ctx, dm);
    m_form27 = std::make_unique<TForm27>(m_ctx, dm);
    m_monthCheckWindow = std::make_unique<MonthCheckWindow>(m_ctx, dm);
    TForm1& journal = *m_form1;
    TForm19& shifts = *m_form19;
    TForm27& pay = *m_form27;
    MonthCheckWindow& check = *m_monthCheckWindow;
    TForm25& maintenance = *m_form25;
    m_monthCheckWindow->openMaintenance = [this, &maintenance, &journal](const QDate& date, qlonglong record) {
        maintenance.prepareOpen(date, journal.role, record);
        m_ctx.dialogs.showModal(maintenance);
    };
    m_form1->setTimesheetOpeners({
        [&pay, &journal] { pay.openVariant(TForm27::Piece, journal); },
        [&shifts, &journal] { shifts.openFrom(journal); },
        [&pay, &journal] { pay.openVariant(TForm27::Maintenance, journal); },
        [&pay, &journal] { pay.openVariant(TForm27::Average, journal); },
        [&pay, &journal] { pay.openVariant(TForm27::Total, journal); },
        [&check, &journal] {
            check.prepare(journal.DateT->date(), journal.role);
            journal.showChild(check);
            // A shift record's finding leads to the journal, under the check.
            if (const auto place = check.pendingJournal) {
                check.pendingJournal.reset();
                journal.showRecord(place->date, place->shift, place->record);
            }
        },
    });
    return true;
}

TDataModule6& WindowOwner::dataModule() const
{
    return *m_form1->dataModule();
}
