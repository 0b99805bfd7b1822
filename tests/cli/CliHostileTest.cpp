// The command line on crafted input: what the core refuses reaches the user as a message and an
// exit status, never as a hang, an abort or a rename someone else chose.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

using brindle::test::cli;
using brindle::test::ProcessResult;
using brindle::test::TempTree;

namespace
{

TEST(CliHostile, AJobTextLongerThan4096BytesIsRefusedWithTheOptions)
{
    for (const std::vector<std::string>& args :
        {std::vector<std::string> {"--insert", std::string(4097, 'x'), "--preview", "a"},
            {"--replace", "a", "--with", std::string(4097, 'x'), "--preview", "a"},
            {"--remove", "1", "--before", std::string(4097, 'x'), "--preview", "a"}}) {
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("is longer than 4096 bytes"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const ProcessResult fits = cli({"--insert", std::string(4096, 'x'), "--preview", ""});
    EXPECT_EQ(fits.exitCode, 0) << fits.err;
    EXPECT_EQ(fits.out, std::string(4096, 'x') + "\n");
}

TEST(CliHostile, AJobListThatIsAFifoOrADeviceIsNotWaitedOn)
{
    TempTree t;
    ASSERT_EQ(::mkfifo(t.at("fifo.xml").c_str(), 0644), 0);
    t.symlink("/dev/zero", "zero.xml");
    for (const char* name : {"fifo.xml", "zero.xml"}) {
        const ProcessResult r = cli({"--jobs", t.at(name), "--describe"});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("it is not a regular file"), std::string::npos) << r.err;
    }
}

TEST(CliHostile, UndoOfAnotherUsersUndoFileRenamesNothing)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another user can be made only as root";
    TempTree t;
    t.file("shared/socket-name", "mine");
    t.file("shared/_brindlewick_undo.txt", "socket-name\r\ntaken-over\r\n");
    ASSERT_EQ(::lchown(t.at("shared/_brindlewick_undo.txt").c_str(), 65534, 65534), 0);
    for (const std::vector<std::string>& args : {std::vector<std::string> {"--undo", t.at("shared")},
             std::vector<std::string> {"--undo", "-r", t.path()}}) {
        const ProcessResult r = cli(args);
        EXPECT_NE(r.err.find("belongs to"), std::string::npos) << r.err;
        EXPECT_NE(r.exitCode, 0);
        EXPECT_EQ(t.list("shared"), (std::vector<std::string> {"_brindlewick_undo.txt", "socket-name"}));
    }
}

} // namespace
