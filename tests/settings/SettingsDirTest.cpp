// The application folder and the settings folder, checked by running a small program copied
// into a temporary folder, with HOME and XDG_CONFIG_HOME pointing into temporary folders too:
// the real home folder is never touched.

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/base/AppDir.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

using namespace brindle;
using brindle::test::ProcessResult;
using brindle::test::runProcess;
using brindle::test::TempTree;

namespace
{

constexpr uid_t kNobody = 65534;

/// What the probe printed: the application folder, the settings folder, the kept job list.
struct ProbeOutput {
    std::string appDir;
    std::string settingsDir;
    std::string keptJobList;
};

class SettingsDir : public ::testing::Test
{
protected:
    TempTree tree;
    std::string probe; // the copy of the probe program in "app dir/"

    void SetUp() override
    {
        tree.dir("app dir");
        probe = tree.at("app dir/probe");
        std::filesystem::copy_file(BRINDLE_SETTINGS_PROBE, probe);
        ::chmod(probe.c_str(), 0755);
    }

    /// Runs the probe with env; locked: its folder is not writable to it (as root, the probe
    /// runs as the unprivileged user 65534, for whom the temporary folders are opened up).
    ProbeOutput run(const std::vector<std::string>& env, bool locked, bool create = true)
    {
        std::vector<std::string> argv = {probe};
        if (!create)
            argv.push_back("--no-create");
        if (locked) {
            if (::geteuid() == 0) {
                ::chmod(tree.path().c_str(), 0755);
                argv.insert(
                    argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
            } else {
                ::chmod(tree.at("app dir").c_str(), 0555);
            }
        }
        const ProcessResult r = runProcess(argv, {}, env);
        ::chmod(tree.at("app dir").c_str(), 0755);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        ProbeOutput out;
        std::size_t from = 0;
        for (std::string* field : {&out.appDir, &out.settingsDir, &out.keptJobList}) {
            const std::size_t nl = r.out.find('\n', from);
            if (nl == std::string::npos)
                break;
            *field = r.out.substr(from, nl - from);
            from = nl + 1;
        }
        return out;
    }

    /// A folder that the probe may create things in, also when it runs as user 65534.
    std::string userFolder(const std::string& rel)
    {
        tree.dir(rel);
        if (::geteuid() == 0) {
            EXPECT_EQ(::chown(tree.at(rel).c_str(), kNobody, kNobody), 0);
        }
        return tree.at(rel);
    }

    void skipWhenLockingIsImpossible()
    {
        if (::geteuid() == 0 && ::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "root ignores permissions and setpriv (util-linux) is not installed";
    }
};

TEST_F(SettingsDir, WritableAppFolderHoldsEverything)
{
    const std::string home = userFolder("home");
    const ProbeOutput out = run({"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/xdg"}, false);
    EXPECT_EQ(out.appDir, tree.at("app dir") + "/");
    EXPECT_EQ(out.settingsDir, out.appDir);
    EXPECT_EQ(out.keptJobList, out.appDir + "brindle_job_config.xml");
    EXPECT_TRUE(tree.list("home").empty()); // nothing created for the user
}

TEST_F(SettingsDir, LockedAppFolderUsesXdgConfigHomeCreatedPrivate)
{
    skipWhenLockingIsImpossible();
    const std::string home = userFolder("home");
    const std::string cfg = userFolder("cfg");
    const ProbeOutput out = run({"HOME=" + home, "XDG_CONFIG_HOME=" + cfg + "/xdg"}, true);
    EXPECT_EQ(out.appDir, tree.at("app dir") + "/");
    EXPECT_EQ(out.settingsDir, cfg + "/xdg/brindlewick/");
    EXPECT_EQ(out.keptJobList, cfg + "/xdg/brindlewick/brindle_job_config.xml");
    struct stat st {
    };
    ASSERT_EQ(::stat((cfg + "/xdg/brindlewick").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(tree.list("home").empty());
}

TEST_F(SettingsDir, LockedAppFolderWithoutUsableXdgUsesHomeConfig)
{
    skipWhenLockingIsImpossible();
    const std::string home = userFolder("home");
    for (const std::string xdg : {"XDG_CONFIG_HOME=", "XDG_CONFIG_HOME=relative/cfg"}) {
        const ProbeOutput out = run({"HOME=" + home, xdg}, true);
        EXPECT_EQ(out.settingsDir, home + "/.config/brindlewick/") << xdg;
        EXPECT_TRUE(tree.exists("home/.config/brindlewick")) << xdg;
        EXPECT_FALSE(tree.exists("app dir/relative")) << xdg;
    }
}

TEST_F(SettingsDir, WithoutCreateNothingIsMade)
{
    skipWhenLockingIsImpossible();
    const std::string home = userFolder("home");
    const ProbeOutput out = run({"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/xdg"}, true, false);
    EXPECT_EQ(out.settingsDir, home + "/xdg/brindlewick/");
    EXPECT_TRUE(tree.list("home").empty());
}

TEST_F(SettingsDir, LockedAppFolderWithoutHomeUsesThePasswordDatabase)
{
    skipWhenLockingIsImpossible();
    // Nothing is created (--no-create): the home folder found is the real one of the user.
    const ProbeOutput out = run({"HOME=", "XDG_CONFIG_HOME="}, true, false);
    const passwd* pw = ::getpwuid(::geteuid() == 0 ? kNobody : ::getuid());
    if (pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        EXPECT_EQ(out.settingsDir, std::string(pw->pw_dir) + "/.config/brindlewick/");
    } else {
        EXPECT_EQ(out.settingsDir, out.appDir); // no home folder known anywhere
    }
}

TEST(AppDir, IsTheFolderOfTheRunningExecutable)
{
    const std::string dir = getAppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(std::filesystem::canonical(dir), std::filesystem::canonical(BRINDLE_TEST_EXE_DIR));
}

TEST(AppDir, ChoiceOfSettingsFolderWhenTheAppFolderIsWritable)
{
    EXPECT_EQ(chooseSettingsDir("/opt/brindle/", true, false), "/opt/brindle/");
    EXPECT_EQ(chooseSettingsDir("/opt/brindle/", true, true), "/opt/brindle/");
}

// A packaged program lives in /usr/bin, which root can write: its settings and kept job list
// still go to the user's configuration folder, never among the system's programs.
TEST(AppDir, SystemProgramFoldersNeverHoldTheSettings)
{
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/", "/sbin/", "/usr/lib/brindlewick/"}) {
        EXPECT_TRUE(isSystemProgramFolder(dir)) << dir;
        if (userHomeDir().empty())
            continue; // with no home folder at all there is no other place
        const std::string chosen = chooseSettingsDir(dir, true, false);
        EXPECT_NE(chosen, dir);
        EXPECT_TRUE(chosen.ends_with("/brindlewick/")) << chosen;
    }
    for (const char* dir : {"/opt/brindle/", "/home/me/apps/brindlewick/", "/usrlocal/", "/tmp/x/"})
        EXPECT_FALSE(isSystemProgramFolder(dir)) << dir;
}

} // namespace
