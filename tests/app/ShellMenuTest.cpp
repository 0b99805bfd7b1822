#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "GuiTestUtil.h"
#include "app/UAppInfo.h"
#include "app/USendTo.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

/// Sets an environment variable (or removes it) for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, std::optional<std::string> value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ShellMenu : public MainWindowFixture
{
protected:
    void trigger(const char* action)
    {
        if (auto* a = Child<QAction>(m_win.get(), action))
            a->trigger();
    }
};

// ---- Send To

TEST_F(ShellMenu, SendToWritesTheDesktopEntryIntoTheDataFolder)
{
    ScopedEnv data("XDG_DATA_HOME", m_tree.at("data"));
    start();
    trigger("cmBrindlewickInSendTo");
    const std::string folder = m_tree.at("data/applications/");
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(),
        "A shortcut to Brindlewick has been successfully created in\n" + folder);
    ASSERT_TRUE(m_tree.exists("data/applications/Brindle Wick.desktop"));
    const std::string entry = m_tree.read("data/applications/Brindle Wick.desktop");
    EXPECT_EQ(entry, DesktopEntryText(ExecutablePath(), "Brindle Wick"));
    EXPECT_NE(entry.find("\nExec=\"" + ExecutablePath() + "\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=inode/directory;\n"), std::string::npos) << entry;

    // Placed again: replaced without a question.
    std::ofstream(m_tree.at("data/applications/Brindle Wick.desktop")) << "old";
    trigger("cmBrindlewickInSendTo");
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(m_tree.read("data/applications/Brindle Wick.desktop"), entry);
}

TEST_F(ShellMenu, SendToWithoutDataFolderSettingUsesTheHomeFolder)
{
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    ScopedEnv home("HOME", m_tree.at("home"));
    start();
    trigger("cmBrindlewickInSendTo");
    EXPECT_TRUE(m_tree.exists("home/.local/share/applications/Brindle Wick.desktop"));
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_TRUE(m_dialogs.messages[0].endsWith("/home/.local/share/applications/"));
}

TEST_F(ShellMenu, SendToFolderThatCannotBeWrittenGivesTheFailureWithTheFullPath)
{
    // A file where the applications folder should be: no folder can be made there, not even by root.
    m_tree.file("data/applications", "not a folder");
    ScopedEnv data("XDG_DATA_HOME", m_tree.at("data"));
    start();
    trigger("cmBrindlewickInSendTo");
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(),
        "Cannot create shortcut to Brindlewick\nfilename = "
            + m_tree.at("data/applications/Brindle Wick.desktop"));
    EXPECT_EQ(m_tree.read("data/applications"), "not a folder");
}

// ---- help and home page

TEST_F(ShellMenu, QuickHelpHandsTheHelpPageToTheDesktop)
{
    m_tree.file("app/help/index.html", "<html></html>");
    start();
    trigger("cmQuickHelpHTML");
    EXPECT_EQ(m_openedUrls,
        std::vector<QString> {
            QUrl::fromLocalFile(QString::fromStdString(appDir() + "help/index.html")).toString()});
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(ShellMenu, QuickHelpWithoutHelpFolderShowsNothingOfItsOwn)
{
    start();
    ASSERT_FALSE(m_tree.exists("app/help"));
    trigger("cmQuickHelpHTML");
    // Handed on as it is, as the desktop may say something of its own; the window says nothing.
    EXPECT_EQ(m_openedUrls.size(), 1u);
    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_TRUE(m_dialogs.dialogTitles.empty());
    EXPECT_TRUE(win().isEnabled());
}

TEST_F(ShellMenu, HomePageOpensTheProjectsAddress)
{
    start();
    trigger("cmZemloSoftware");
    EXPECT_EQ(m_openedUrls, std::vector<QString> {QString::fromUtf8(kHomePage)});
}

// ---- About

TEST_F(ShellMenu, AboutBoxIsANewDialogEveryTimeAndItsAddressOpens)
{
    start();
    std::vector<QPointer<QDialog>> boxes;
    auto handler = [&](QDialog& dialog) {
        boxes.emplace_back(&dialog);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "About ...");
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog.width(), 274);
        EXPECT_GE(dialog.height(), 364);
        EXPECT_EQ(Child<QLabel>(&dialog, "lblName")->text().toStdString(), "Brindlewick v2.02");
        EXPECT_EQ(Child<QLabel>(&dialog, "lblAuthor")->text().toStdString(), kAppAuthor);
        EXPECT_EQ(Child<QLabel>(&dialog, "lblNotice")->text().toStdString(), kAppNotice);
        EXPECT_EQ(Child<QLabel>(&dialog, "Label10")->text().toStdString(), "Visit our web site at :");
        EXPECT_FALSE(Child<QLabel>(&dialog, "Image1")->pixmap().isNull());
        EXPECT_FALSE(Child<QLabel>(&dialog, "Image2")->pixmap().isNull());
        auto* url = Child<QLabel>(&dialog, "lblURL");
        EXPECT_EQ(url->text().toStdString(), kHomePage);
        EXPECT_EQ(url->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(url, Qt::LeftButton);
        auto* ok = Child<QPushButton>(&dialog, "BitBtn1");
        EXPECT_TRUE(ok->isDefault());
        ok->click();
        return dialog.result();
    };
    m_dialogs.dialogHandlers.push_back(handler);
    m_dialogs.dialogHandlers.push_back(handler);
    trigger("cmAbout");
    trigger("cmAbout");
    ASSERT_EQ(boxes.size(), 2u);
    // Each box is gone once closed.
    EXPECT_TRUE(boxes[0].isNull());
    EXPECT_TRUE(boxes[1].isNull());
    EXPECT_EQ(
        m_openedUrls, (std::vector<QString> {QString::fromUtf8(kHomePage), QString::fromUtf8(kHomePage)}));
}

// ---- what the build puts beside the program

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(HelpPage, IsCopiedBesideTheProgramAndCoversEveryJobAndOption)
{
    const std::string page = readFile(BRINDLE_APP_DIR "/help/index.html");
    ASSERT_FALSE(page.empty()) << "no help page beside " BRINDLE_APP_DIR;
    EXPECT_EQ(page, readFile(BRINDLE_SOURCE_DIR "/help/index.html"));
    for (const char* topic :
        {"Convert to Lower Case", "Convert to Upper Case", "Normalize Case", "Insert Characters",
            "Remove Characters", "Replace Characters", "Counter", "Recurse into subdirectories",
            "Rename subdirectories too", "Reset counter in every subdir", "Sort list before processing",
            "Confirm every change", "Create Undo file", "Produce Log", "Simulation mode",
            "_brindlewick_undo.txt", "brindle_job_config.xml", "brindlewick-cli", "Send To"})
        EXPECT_NE(page.find(topic), std::string::npos) << topic;
}

} // namespace
