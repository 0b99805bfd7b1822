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

#include <fstream>
#include <optional>
#include <sstream>

#include "GuiTestUtil.h"
#include "core/base/AppInfo.h"
#include "core/desktop/SendTo.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

class ShellMenu : public MainWindowFixture
{
protected:
    void trigger(const char* action)
    {
        if (auto* a = child<QAction>(m_win.get(), action))
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
    // One message for the whole set: the desktop entry's folder, then the file managers' entries.
    EXPECT_EQ(m_dialogs.messages[0].toStdString(),
        "A shortcut to Brindlewick has been successfully created in\n" + folder
            + "\n\nThe file managers offer it in their menus through:\n" + m_tree.at("data/")
            + "kio/servicemenus/brindlewick.desktop\n" + m_tree.at("data/")
            + "nautilus/scripts/Rename with Brindlewick\n" + m_tree.at("data/")
            + "Thunar/sendto/brindlewick.desktop\n" + m_tree.at("data/")
            + "nemo/actions/brindlewick.nemo_action");
    ASSERT_TRUE(m_tree.exists("data/applications/Brindle Wick.desktop"));
    const std::string entry = m_tree.read("data/applications/Brindle Wick.desktop");
    EXPECT_EQ(entry, desktopEntryText(executablePath(), "Brindle Wick"));
    EXPECT_NE(entry.find("\nExec=\"" + executablePath() + "\" %F\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=inode/directory;\n"), std::string::npos) << entry;
    for (const MenuEntry menu : kMenuEntries)
        EXPECT_EQ(
            m_tree.read("data/" + menuEntryPath(menu)), menuEntryText(menu, executablePath(), true).value());

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
    for (const MenuEntry menu : kMenuEntries)
        EXPECT_TRUE(m_tree.exists("home/.local/share/" + menuEntryPath(menu))) << menuEntryPath(menu);
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_TRUE(m_dialogs.messages[0].contains(QStringLiteral("/home/.local/share/applications/\n")));
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
            + m_tree.at("data/applications/Brindle Wick.desktop") + "\n" + m_tree.at("data/applications")
            + ": Not a directory");
    EXPECT_EQ(m_tree.read("data/applications"), "not a folder");
}

/// A file manager entry of the user's own stops the whole set, and the message says so.
TEST_F(ShellMenu, SendToNeverReplacesAFileManagerEntryItDidNotWrite)
{
    m_tree.file("data/nautilus/scripts/Rename with Brindlewick", "#!/bin/sh\necho mine\n");
    ScopedEnv data("XDG_DATA_HOME", m_tree.at("data"));
    start();
    trigger("cmBrindlewickInSendTo");
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(),
        "Cannot create shortcut to Brindlewick\nfilename = "
            + m_tree.at("data/nautilus/scripts/Rename with Brindlewick")
            + "\nA file of this name exists that Brindlewick did not write; it is left as it is.");
    EXPECT_EQ(m_tree.read("data/nautilus/scripts/Rename with Brindlewick"), "#!/bin/sh\necho mine\n");
    EXPECT_FALSE(m_tree.exists("data/applications/Brindle Wick.desktop"));
}

// ---- help and home page

QString helpUrl(const std::string& appDir)
{
    return QUrl::fromLocalFile(QString::fromStdString(appDir + "help/index.html")).toString();
}

TEST_F(ShellMenu, QuickHelpHandsTheHelpPageToTheDesktop)
{
    m_tree.file("app/help/index.html", "<html></html>");
    start();
    trigger("cmQuickHelpHTML");
    EXPECT_EQ(m_openedUrls, std::vector<QString> {helpUrl(appDir())});
    EXPECT_TRUE(m_dialogs.messages.empty());
}

/// The project has no web site: the home page item opens the help page that comes with it.
TEST_F(ShellMenu, HomePageItemOpensTheHelpPage)
{
    m_tree.file("app/help/index.html", "<html></html>");
    start();
    trigger("cmZemloSoftware");
    EXPECT_EQ(m_openedUrls, std::vector<QString> {helpUrl(appDir())});
    EXPECT_TRUE(m_dialogs.messages.empty());
}

/// An installed program lives in a bin folder and finds its help in share/brindlewick/ beside
/// it; a help folder beside the program comes first.
TEST_F(ShellMenu, InstalledProgramFindsItsHelpBelowShare)
{
    m_tree.file("share/brindlewick/help/index.html", "<html></html>");
    start();
    trigger("cmQuickHelpHTML");
    EXPECT_EQ(m_openedUrls,
        std::vector<QString> {
            QUrl::fromLocalFile(QString::fromStdString(m_tree.at("share/brindlewick/help/index.html")))
                .toString()});
    EXPECT_TRUE(m_dialogs.messages.empty());

    m_tree.file("app/help/index.html", "<html></html>");
    m_openedUrls.clear();
    trigger("cmQuickHelpHTML");
    EXPECT_EQ(m_openedUrls, std::vector<QString> {helpUrl(appDir())});
}

/// Both help items say which file could not be opened: when it is missing, and when the
/// desktop has no program to show it.
TEST_F(ShellMenu, HelpThatCannotBeOpenedSaysWhichFile)
{
    start();
    ASSERT_FALSE(m_tree.exists("app/help"));
    const QString missing = QString::fromStdString(
        "Unable to open the help file " + appDir() + "help/index.html: No such file or directory");
    for (const char* item : {"cmQuickHelpHTML", "cmZemloSoftware"}) {
        m_dialogs.messages.clear();
        trigger(item);
        EXPECT_TRUE(m_openedUrls.empty()) << item;
        EXPECT_EQ(m_dialogs.messages, std::vector<QString> {missing}) << item;
    }

    m_tree.file("app/help/index.html", "<html></html>");
    m_desktopOpens = false;
    const QString noProgram = QString::fromStdString("Unable to open the help file " + appDir()
        + "help/index.html: no program to show it was found on this system");
    for (const char* item : {"cmQuickHelpHTML", "cmZemloSoftware"}) {
        m_dialogs.messages.clear();
        m_openedUrls.clear();
        trigger(item);
        EXPECT_EQ(m_openedUrls, std::vector<QString> {helpUrl(appDir())}) << item;
        EXPECT_EQ(m_dialogs.messages, std::vector<QString> {noProgram}) << item;
    }
    EXPECT_TRUE(win().isEnabled());
}

// ---- About

TEST_F(ShellMenu, AboutBoxIsANewDialogEveryTime)
{
    start();
    std::vector<QPointer<QDialog>> boxes;
    auto handler = [&](QDialog& dialog) {
        boxes.emplace_back(&dialog);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "About ...");
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_GE(dialog.width(), 274);
        EXPECT_GE(dialog.height(), 364);
        EXPECT_EQ(child<QLabel>(&dialog, "lblName")->text().toStdString(), "Brindlewick v2.02");
        EXPECT_EQ(child<QLabel>(&dialog, "lblAuthor")->text().toStdString(), kAppAuthor);
        EXPECT_EQ(child<QLabel>(&dialog, "lblNotice")->text().toStdString(), kAppNotice);
        EXPECT_FALSE(child<QLabel>(&dialog, "imgIconLeft")->pixmap().isNull());
        EXPECT_FALSE(child<QLabel>(&dialog, "imgIconRight")->pixmap().isNull());
        auto* ok = child<QPushButton>(&dialog, "btnOk");
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
    EXPECT_TRUE(m_openedUrls.empty());
}

/// The three centred labels at the top do not wrap: the box is as wide as they need, so none
/// is cut. And the box names no web address, since the project has no web site.
TEST_F(ShellMenu, AboutBoxShowsItsLabelsWholeAndNoAddress)
{
    start();
    m_dialogs.dialogHandlers.push_back([&](QDialog& dialog) {
        for (const char* name : {"lblName", "lblAuthor", "lblNotice"}) {
            auto* label = child<QLabel>(&dialog, name);
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LE(needed, label->contentsRect().width()) << name;
            const QPoint left = label->mapTo(&dialog, QPoint(0, 0));
            EXPECT_GE(left.x(), 0) << name;
            EXPECT_LE(left.x() + label->width(), dialog.width()) << name;
        }
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            const QString text = label->text();
            EXPECT_FALSE(text.contains(QLatin1String("://")) || text.contains(QLatin1String("www.")))
                << label->objectName().toStdString() << ": " << text.toStdString();
            EXPECT_FALSE(label->isVisible() && text.contains(QLatin1String("web site")))
                << label->objectName().toStdString() << ": " << text.toStdString();
        }
        dialog.accept();
        return dialog.result();
    });
    trigger("cmAbout");
    EXPECT_TRUE(m_dialogs.dialogHandlers.empty());
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
