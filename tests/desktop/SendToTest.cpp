#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "common/TestName.h"
#include "desktop/USendTo.h"
#include "common/TempTree.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

struct ExecCase {
    const char* target;
    const char* exec; // the Exec= line as written in the file
    friend void PrintTo(const ExecCase& c, std::ostream* os) { *os << brindle::test::Quoted(c.target); }
};

class DesktopEntryExec : public ::testing::TestWithParam<ExecCase>
{
};

/// The Exec= value is quoted, the reserved characters inside quotes escaped, "%" doubled and
/// then every backslash doubled again (the value is an escaped string).
TEST_P(DesktopEntryExec, QuotesAndEscapesThePath)
{
    const std::string text = DesktopEntryText(GetParam().target, "Brindle Wick");
    EXPECT_NE(text.find("\nExec=" + std::string(GetParam().exec) + " %f\n"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Paths, DesktopEntryExec,
    ::testing::Values(ExecCase {"/usr/bin/brindlewick", R"("/usr/bin/brindlewick")"},
        ExecCase {"/opt/Brindle Wick/brindlewick", R"("/opt/Brindle Wick/brindlewick")"},
        ExecCase {"/home/a\"b/x", R"("/home/a\\"b/x")"}, ExecCase {"/home/$HOME/x", R"("/home/\\$HOME/x")"},
        ExecCase {"/home/`id`/x", R"("/home/\\`id\\`/x")"}, ExecCase {"/home/a\\b/x", R"("/home/a\\\\b/x")"},
        ExecCase {"/home/100%/x", R"("/home/100%%/x")"}, ExecCase {"/home/é/x", "\"/home/é/x\""}));

TEST(DesktopEntry, HasTheKeysAFileManagerNeeds)
{
    const std::string text = DesktopEntryText("/usr/bin/brindlewick", "Brindle Wick");
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line : {"\nType=Application\n", "\nName=Brindle Wick\n", "\nMimeType=inode/directory;\n",
             "\nExec=\"/usr/bin/brindlewick\" %f\n", "\nTerminal=false\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(DesktopEntry, TargetsThatCannotBeWrittenGiveNoText)
{
    EXPECT_EQ(DesktopEntryText("", "Brindle Wick"), "");
    EXPECT_EQ(DesktopEntryText("/opt/\xff/brindlewick", "Brindle Wick"), "");
    EXPECT_EQ(DesktopEntryText("/opt/a\nExec=rm/x", "Brindle Wick"), "");
    EXPECT_EQ(DesktopEntryText("/opt/a\rb", "Brindle Wick"), "");
    EXPECT_EQ(CreateShellLink("/opt/a\nb", "/tmp/never-written.desktop", "Brindle Wick"), EINVAL);
}

TEST(SendToFolder, FollowsTheDataFolderSetting)
{
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedData = oldData ? oldData : "";
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_DATA_HOME", "/data/here", 1);
    EXPECT_EQ(GetSendToFolder(), "/data/here/applications/");
    ::setenv("XDG_DATA_HOME", "/data/here/", 1);
    EXPECT_EQ(GetSendToFolder(), "/data/here/applications/");
    // A relative setting is not used.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetSendToFolder(), "/home/someone/.local/share/applications/");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(GetSendToFolder(), "/home/someone/.local/share/applications/");

    oldData ? ::setenv("XDG_DATA_HOME", savedData.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

TEST(SendToFolder, LinkIsWrittenWholeAndFoldersAreMade)
{
    TempTree tree;
    const std::string link = tree.at("a/b/applications/Brindle Wick.desktop");
    ASSERT_EQ(CreateShellLink("/usr/bin/brindlewick", link, "Brindle Wick"), 0);
    EXPECT_EQ(tree.read("a/b/applications/Brindle Wick.desktop"),
        DesktopEntryText("/usr/bin/brindlewick", "Brindle Wick"));
    // Nothing else is left beside it.
    EXPECT_EQ(tree.list("a/b/applications"), std::vector<std::string> {"Brindle Wick.desktop"});
    // A name without a folder is refused rather than written wherever the process happens to be.
    EXPECT_NE(CreateShellLink("/usr/bin/brindlewick", "Brindle Wick.desktop", "Brindle Wick"), 0);
}

TEST(SendToMessages, ExactTexts)
{
    EXPECT_EQ(SendToSuccessMessage("/home/u/.local/share/applications/"),
        "A shortcut to Brindlewick has been successfully created in\r\n/home/u/.local/share/applications/");
    EXPECT_EQ(SendToFailureMessage("/x/Brindle Wick.desktop"),
        "Cannot create shortcut to Brindlewick\r\nfilename = /x/Brindle Wick.desktop");
}

} // namespace
