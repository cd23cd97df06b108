#pragma once
#include "widgets/AppContext.h"

#include <QStringList>
#include <memory>

class TDataModule6;
class TForm1;
class TForm23;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm18;
class TForm22;
class TForm24;
class TForm25;
class TForm26;
class TForm29;
class TForm19;
class TForm27;
class MonthCheckWindow;

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
    TForm2& form2() const { return *m_form2; }
    TForm3& form3() const { return *m_form3; }
    TForm5& form5() const { return *m_form5; }
    TForm7& form7() const { return *m_form7; }
    TForm8& form8() const { return *m_form8; }
    TForm9& form9() const { return *m_form9; }
    TForm26& form26() const { return *m_form26; }
    TForm29& form29() const { return *m_form29; }
    TForm18& form18() const { return *m_form18; }
    TForm4& form4() const { return *m_form4; }
    TForm10& form10() const { return *m_form10; }
    TForm11& form11() const { return *m_form11; }
    TForm22& form22() const { return *m_form22; }
    TForm24& form24() const { return *m_form24; }
    TForm25& form25() const { return *m_form25; }
    TForm19& form19() const { return *m_form19; }
    TForm27& form27() const { return *m_form27; }
    MonthCheckWindow& monthCheckWindow() const { return *m_monthCheckWindow; }

private:
    AppContext m_ctx;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm23> m_form23;
    std::unique_ptr<TForm2> m_form2;
    std::unique_ptr<TForm3> m_form3;
    std::unique_ptr<TForm5> m_form5;
    std::unique_ptr<TForm7> m_form7;
    std::unique_ptr<TForm8> m_form8;
    std::unique_ptr<TForm9> m_form9;
    std::unique_ptr<TForm26> m_form26;
    std::unique_ptr<TForm29> m_form29;
    std::unique_ptr<TForm18> m_form18;
    std::unique_ptr<TForm4> m_form4;
    std::unique_ptr<TForm10> m_form10;
    std::unique_ptr<TForm11> m_form11;
    std::unique_ptr<TForm22> m_form22;
    std::unique_ptr<TForm24> m_form24;
    std::unique_ptr<TForm25> m_form25;
    std::unique_ptr<TForm19> m_form19;
    std::unique_ptr<TForm27> m_form27;
    std::unique_ptr<MonthCheckWindow> m_monthCheckWindow;
};
