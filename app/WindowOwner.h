#pragma once
#include "app/AppContext.h"

#include <QStringList>
#include <memory>

class TDataModule6;
class TForm1;
class TForm23;

// Creates the data module and every window once, in the start-up order,
// hands each window the peers it needs, and owns them all.
class WindowOwner {
public:
    explicit WindowOwner(const AppContext& context);
    ~WindowOwner();

    // Creates the journal (which opens the connection from the command
    // line), then the login and the other windows. Answers false when the
    // connection failed: the message was shown and the program must end.
    bool start(const QStringList& arguments);

    TDataModule6& dataModule() const;
    TForm1& form1() const { return *m_form1; }
    TForm23& form23() const { return *m_form23; }

private:
    AppContext m_ctx;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm23> m_form23;
};
