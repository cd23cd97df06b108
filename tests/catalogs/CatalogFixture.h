#pragma once
#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "journal/TForm1.h"
#include "tests/support/TestApp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

// The whole application over a database of the test's own, as the user
// meets it after the login: the journal's queries know their acceptance
// parameter and the data module knows the decimal separator.
class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.start(t.database.arguments()));
        for (int shift = 1; shift <= 4; ++shift)
            dm().Smena(shift).setParam("ok", "ta");
        owner.form1().VersionCheck();
        ASSERT_EQ(dm().decimalSeparator, ".");
    }

    TDataModule6& dm() { return owner.dataModule(); }
    TForm1& journal() { return owner.form1(); }

    // Presses a key on a widget; an unhandled key goes on to its window,
    // as the user's key would (Enter presses the default button).
    static void press(QWidget* w, int key, const QString& text = QString())
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &up);
    }
    // Types text into a field key by key.
    static void type(QWidget* w, const QString& text)
    {
        for (const QChar c : text) {
            const int key = c.isLetter() && c.unicode() < 128 ? c.toUpper().unicode()
                            : c.isDigit()                     ? c.unicode()
                                                              : int(Qt::Key_unknown);
            press(w, key, QString(c));
        }
    }

    // The column of a grid's rows as the grid shows them.
    static QStringList column(DBGrid* grid, int col = 0)
    {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->cellText(r, col);
        return out;
    }
    // The grid's current row (0-based), -1 when none.
    static int currentRow(DBGrid* grid)
    {
        return grid->currentIndex().isValid() ? grid->currentIndex().row() : -1;
    }

    // What a picker's opener receives.
    struct Picked {
        int id;
        QString name;
    };

    // The visible default button of a window, as Enter finds it.
    static QString defaultButton(QDialog& d)
    {
        for (QPushButton* b : d.findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible())
                return b->objectName();
        return QString();
    }

    TestContext t;
    WindowOwner owner{t.context()};
};
