// A job text longer than any name the jobs may make (4096 bytes) is refused in the dialog where
// it is typed: the message says why and the dialog opens again as it was left.

#include <gtest/gtest.h>

#include <QLineEdit>

#include "GuiTestUtil.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using JobStringLimit = MainWindowFixture;

TEST_F(JobStringLimit, ADialogRefusesATextLongerThan4096Bytes)
{
    start();
    struct Typed {
        QString text;
        bool taken;
    };
    // Bytes count, not characters: 4096 'é' are 8192 bytes.
    const Typed cases[] = {{QString(4097, QLatin1Char('x')), false}, {QString(4096, QChar(0xE9)), false},
        {QString(4096, QLatin1Char('x')), true}};
    std::size_t jobs = 0;
    for (const Typed& typed : cases) {
        m_dialogs.messages.clear();
        QString shownAgain;
        m_dialogs.thenOk([&](QDialog& d) { child<QLineEdit>(&d, "edtString")->setText(typed.text); });
        if (!typed.taken)
            m_dialogs.thenCancel([&](QDialog& d) { shownAgain = child<QLineEdit>(&d, "edtString")->text(); });
        click("btnInsert");
        if (typed.taken) {
            EXPECT_TRUE(m_dialogs.messages.empty());
            ++jobs;
        } else {
            EXPECT_EQ(m_dialogs.messages,
                std::vector<QString> {QStringLiteral("The text is longer than 4096 bytes")});
            EXPECT_EQ(shownAgain, typed.text);
        }
        EXPECT_EQ(rows().size(), jobs);
        EXPECT_TRUE(m_dialogs.dialogHandlers.empty());
    }
}

} // namespace
