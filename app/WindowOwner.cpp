#include "app/WindowOwner.h"
#include "app/TForm23.h"
#include "journal/TForm1.h"

WindowOwner::WindowOwner(const AppContext& context) : m_ctx(context) {}

WindowOwner::~WindowOwner()
{
    // Windows go before the journal, which owns the data module.
    m_form23.reset();
    m_form1.reset();
}

bool WindowOwner::start(const QStringList& arguments)
{
    m_form1 = std::make_unique<TForm1>(m_ctx);
    if (!m_form1->FormCreate(arguments))
        return false;
    m_form23 = std::make_unique<TForm23>(m_ctx, *m_form1);
    m_form1->setLoginTimer(m_form23->Timer1);
    return true;
}

TDataModule6& WindowOwner::dataModule() const
{
    return *m_form1->dataModule();
}
