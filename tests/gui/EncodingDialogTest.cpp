#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>

#include "GuiTestUtil.h"
#include "core/joblist/JobListFile.h"
#include "gui/joblist/EncodingDialog.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

struct SelectCase {
    const char* label;
    const char* stored;
    int index; // selected item, -1 none
    const char* shown; // text of the edit field
    const char* stores; // the name after OK
};

std::ostream& operator<<(std::ostream& os, const SelectCase& c)
{
    return os << c.label;
}

class EncodingDialogTable : public ::testing::TestWithParam<SelectCase>
{
};

TEST_P(EncodingDialogTable, SelectsTheFirstItemBeginningWithTheName)
{
    const SelectCase& c = GetParam();
    EncodingDialog dialog;
    dialog.selectEncoding(c.stored);
    auto* combo = child<QComboBox>(&dialog, "cbXMLEncoding");
    EXPECT_EQ(combo->currentIndex(), c.index);
    EXPECT_EQ(combo->currentText().toStdString(), c.shown);
    EXPECT_EQ(dialog.encodingName(), c.stores);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, EncodingDialogTable, ::testing::Values(
    SelectCase{"Default", "ISO-8859-1", 0, "ISO-8859-1 (Latin-1 West European Languages)", "ISO-8859-1"},
    SelectCase{"LowerCase", "iso-8859-2", 1, "ISO-8859-2 (Latin-2 Central and Eastern European)", "ISO-8859-2"},
    SelectCase{"Prefix", "ISO", 0, "ISO-8859-1 (Latin-1 West European Languages)", "ISO-8859-1"},
    SelectCase{"Latin6NotLatin1", "ISO-8859-10", 9, "ISO-8859-10 (Latin-6 Inuit, Nordic)", "ISO-8859-10"},
    SelectCase{"Korean", "euc-kr", 11, "EUC-KR (Korean)", "EUC-KR"},
    SelectCase{"Unknown", "UTF-8", -1, "UTF-8", "UTF-8"},
    SelectCase{"Empty", "", -1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(EncodingDialogForm, HoldsTheTwelveItems)
{
    EncodingDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("XML Character Encoding"));
    EXPECT_EQ(
        child<QLabel>(&dialog, "lblEncoding")->text(), QStringLiteral("Character Encoding for XML files:"));
    auto* combo = child<QComboBox>(&dialog, "cbXMLEncoding");
    ASSERT_EQ(combo->count(), 12);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->itemText(0), QStringLiteral("ISO-8859-1 (Latin-1 West European Languages)"));
    EXPECT_EQ(combo->itemText(10), QStringLiteral("ISO-2022-JP (Japanese)"));
    EXPECT_EQ(combo->itemText(11), QStringLiteral("EUC-KR (Korean)"));
}

class EncodingMenu : public MainWindowFixture
{
protected:
    void SetUp() override { start(); }

    void choose(std::function<void(QComboBox*)> work, bool ok = true)
    {
        auto handler
            = [work = std::move(work)](QDialog& dialog) { work(child<QComboBox>(&dialog, "cbXMLEncoding")); };
        if (ok)
            m_dialogs.thenOk(handler);
        else
            m_dialogs.thenCancel(handler);
        child<QAction>(&win(), "cmCharacterEncoding")->trigger();
    }
};

TEST_F(EncodingMenu, TypedTextIsStoredUpToItsFirstBlank)
{
    EXPECT_EQ(win().encoding(), "ISO-8859-1");
    choose([](QComboBox* combo) {
        EXPECT_EQ(combo->currentIndex(), 0);
        combo->setEditText(QStringLiteral("windows-1252 Western"));
    });
    EXPECT_EQ(win().encoding(), "windows-1252");
    EXPECT_EQ(m_dialogs.dialogTitles.back(), QStringLiteral("XML Character Encoding"));
}

TEST_F(EncodingMenu, PickedItemGivesItsName)
{
    choose([](QComboBox* combo) { combo->setCurrentIndex(6); });
    EXPECT_EQ(win().encoding(), "ISO-8859-7");
}

TEST_F(EncodingMenu, CancelChangesNothing)
{
    choose([](QComboBox* combo) { combo->setCurrentIndex(4); }, false);
    EXPECT_EQ(win().encoding(), "ISO-8859-1");
}

TEST_F(EncodingMenu, UnusableNameIsRefusedWithAMessageAndTheDialogStaysOpen)
{
    m_dialogs.dialogHandlers.push_back([this](QDialog& dialog) {
        auto* combo = child<QComboBox>(&dialog, "cbXMLEncoding");
        auto* ok = child<QAbstractButton>(&dialog, "btnOk");
        combo->setEditText(QStringLiteral("latin-9x"));
        ok->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(m_dialogs.messages,
            std::vector<QString> {
                QStringLiteral("The encoding \"latin-9x\" cannot be used for job list files: a "
                               "file written with it would not read back.")});
        combo->setCurrentIndex(6);
        ok->click();
        return dialog.result();
    });
    child<QAction>(&win(), "cmCharacterEncoding")->trigger();
    EXPECT_EQ(win().encoding(), "ISO-8859-7");
    EXPECT_EQ(m_dialogs.messages.size(), 1u);
}

TEST_F(EncodingMenu, EmptyNameWritesTheDeclarationWithoutEncoding)
{
    choose([](QComboBox* combo) { combo->setEditText(QString()); });
    EXPECT_EQ(win().encoding(), "");
    addJob("btnLower");
    m_dialogs.saveAnswers.push_back(QString::fromStdString(m_tree.at("work/plain.xml")));
    child<QAction>(&win(), "cmSaveJobList")->trigger();
    EXPECT_EQ(lines(m_tree.read("work/plain.xml"))[0], "<?xml version=\"1.0\" standalone=\"yes\" ?>");
}

} // namespace
