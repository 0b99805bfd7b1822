#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "common/TestName.h"
#include "core/base/FileIo.h"
#include "common/RunProcess.h"
#include "common/ScratchMount.h"
#include "core/desktop/SendTo.h"
#include "common/TempTree.h"
#include "common/TreeSnapshot.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

struct ExecCase {
    const char* target;
    const char* exec; // the Exec= line as written in the file
    friend void PrintTo(const ExecCase& c, std::ostream* os) { *os << brindle::test::quoted(c.target); }
};

class DesktopEntryExec : public ::testing::TestWithParam<ExecCase>
{
};

/// The Exec= value is quoted, the reserved characters inside quotes escaped, "%" doubled and
/// then every backslash doubled again (the value is an escaped string).
TEST_P(DesktopEntryExec, QuotesAndEscapesThePath)
{
    const std::string text = desktopEntryText(GetParam().target, "Brindle Wick");
    EXPECT_NE(text.find("\nExec=" + std::string(GetParam().exec) + " %F\n"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Paths, DesktopEntryExec,
    ::testing::Values(ExecCase {"/usr/bin/brindlewick", R"("/usr/bin/brindlewick")"},
        ExecCase {"/opt/Brindle Wick/brindlewick", R"("/opt/Brindle Wick/brindlewick")"},
        ExecCase {"/home/a\"b/x", R"("/home/a\\"b/x")"}, ExecCase {"/home/$HOME/x", R"("/home/\\$HOME/x")"},
        ExecCase {"/home/`id`/x", R"("/home/\\`id\\`/x")"}, ExecCase {"/home/a\\b/x", R"("/home/a\\\\b/x")"},
        ExecCase {"/home/100%/x", R"("/home/100%%/x")"}, ExecCase {"/home/é/x", "\"/home/é/x\""}));

TEST(DesktopEntry, HasTheKeysAFileManagerNeeds)
{
    const std::string text = desktopEntryText("/usr/bin/brindlewick", "Brindle Wick");
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line : {"\nType=Application\n", "\nName=Brindle Wick\n", "\nMimeType=inode/directory;\n",
             "\nExec=\"/usr/bin/brindlewick\" %F\n", "\nTerminal=false\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(DesktopEntry, TargetsThatCannotBeWrittenGiveNoText)
{
    EXPECT_EQ(desktopEntryText("", "Brindle Wick"), "");
    EXPECT_EQ(desktopEntryText("/opt/\xff/brindlewick", "Brindle Wick"), "");
    EXPECT_EQ(desktopEntryText("/opt/a\nExec=rm/x", "Brindle Wick"), "");
    EXPECT_EQ(desktopEntryText("/opt/a\rb", "Brindle Wick"), "");
    EXPECT_EQ(createShellLink("/opt/a\nb", "/tmp/never-written.desktop", "Brindle Wick"), EINVAL);
}

TEST(SendToFolder, FollowsTheDataFolderSetting)
{
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedData = oldData ? oldData : "";
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_DATA_HOME", "/data/here", 1);
    EXPECT_EQ(getSendToFolder(), "/data/here/applications/");
    ::setenv("XDG_DATA_HOME", "/data/here/", 1);
    EXPECT_EQ(getSendToFolder(), "/data/here/applications/");
    // A relative setting is not used.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(getSendToFolder(), "/home/someone/.local/share/applications/");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(getSendToFolder(), "/home/someone/.local/share/applications/");

    oldData ? ::setenv("XDG_DATA_HOME", savedData.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

TEST(SendToFolder, LinkIsWrittenWholeAndFoldersAreMade)
{
    TempTree tree;
    const std::string link = tree.at("a/b/applications/Brindle Wick.desktop");
    ASSERT_EQ(createShellLink("/usr/bin/brindlewick", link, "Brindle Wick"), 0);
    EXPECT_EQ(tree.read("a/b/applications/Brindle Wick.desktop"),
        desktopEntryText("/usr/bin/brindlewick", "Brindle Wick"));
    // Nothing else is left beside it.
    EXPECT_EQ(tree.list("a/b/applications"), std::vector<std::string> {"Brindle Wick.desktop"});
    // A name without a folder is refused rather than written wherever the process happens to be.
    EXPECT_NE(createShellLink("/usr/bin/brindlewick", "Brindle Wick.desktop", "Brindle Wick"), 0);
}

TEST(SendToMessages, ExactTexts)
{
    EXPECT_EQ(sendToSuccessMessage("/home/u/.local/share/applications/"),
        "A shortcut to Brindlewick has been successfully created in\r\n/home/u/.local/share/applications/");
    EXPECT_EQ(sendToFailureMessage("/x/Brindle Wick.desktop"),
        "Cannot create shortcut to Brindlewick\r\nfilename = /x/Brindle Wick.desktop");
}

// ---- The whole set: the desktop entry and the four file manager entries

/// The five files below a data folder, the desktop entry first.
std::vector<std::string> setFiles()
{
    std::vector<std::string> files {std::string("applications/") + kSendToFileName};
    for (const MenuEntry entry : kMenuEntries)
        files.push_back(menuEntryPath(entry));
    return files;
}

/// The lines of a program's output.
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

/// The value of the last "key=" line of a file's text.
std::string value(const std::string& text, const std::string& key)
{
    std::string found;
    for (const std::string& line : lines(text))
        if (line.rfind(key + "=", 0) == 0)
            found = line.substr(key.size() + 1);
    return found;
}

/// A stand-in for the program at a given path: it writes its arguments, one a line, to a file,
/// so that each file manager entry can be started and what arrives compared with what was meant.
class Recorder
{
public:
    Recorder(TempTree& tree, const std::string& programFolder)
        : m_tree(tree)
        , m_program(tree.at(programFolder + "/brindlewick"))
    {
        m_tree.file(programFolder + "/brindlewick",
            "#!/bin/sh\n"
            "for a; do printf '%s\\n' \"$a\"; done >'"
                + m_tree.at("args.part") + "'\nmv '" + m_tree.at("args.part") + "' '" + m_tree.at("args")
                + "'\n");
        ::chmod(m_program.c_str(), 0755);
    }
    const std::string& program() const { return m_program; }

    /// The arguments of the next start, waiting for it: a desktop's launcher starts programs
    /// without waiting for them.
    std::vector<std::string> arguments()
    {
        for (int i = 0; i < 200 && !m_tree.exists("args"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!m_tree.exists("args"))
            return {"(not started)"};
        const std::string text = m_tree.read("args");
        ::unlink(m_tree.at("args").c_str());
        return lines(text);
    }

private:
    TempTree& m_tree;
    std::string m_program;
};

/// Starts a desktop entry as GLib's launcher does (Thunar's and GNOME's), with files selected.
ProcessResult launch(const std::string& desktopFile, const std::vector<std::string>& selected)
{
    std::vector<std::string> argv {"gio", "launch", desktopFile};
    argv.insert(argv.end(), selected.begin(), selected.end());
    return runProcess(argv);
}

/// desktop-file-validate's complaints about a file, one a line; those in ignore are left out.
std::vector<std::string> validate(const std::string& file, const std::vector<std::string>& ignore = {})
{
    const ProcessResult r = runProcess({"desktop-file-validate", file});
    std::vector<std::string> complaints;
    for (const std::string& line : lines(r.out + r.err)) {
        bool known = false;
        for (const std::string& part : ignore)
            known = known || line.find(part) != std::string::npos;
        if (!known)
            complaints.push_back(line);
    }
    if (r.exitCode == 127 || (r.exitCode != 0 && complaints.empty() && ignore.empty()))
        complaints.push_back("desktop-file-validate did not run (exit " + std::to_string(r.exitCode) + ")");
    return complaints;
}

class SendToSet : public ::testing::TestWithParam<const char*>
{
protected:
    TempTree m_tree;
    std::string data() const { return m_tree.at("data") + "/"; }
};

/// The program's path is written into five files in four syntaxes. Each file is started as its
/// file manager starts it, on selected folders whose names need quoting too, and the program
/// must receive exactly the first selected folder (or all of them: it uses the first).
TEST_P(SendToSet, EveryEntryStartsTheProgramOnTheSelectedFolder)
{
    Recorder recorder(m_tree, GetParam());
    m_tree.dir("data");
    const std::string first = m_tree.at("photos/My 'old' photos");
    const std::string second = m_tree.at("photos/second");
    m_tree.dir("photos/My 'old' photos");
    m_tree.dir("photos/second");

    const Result<std::vector<std::string>> result = placeInSendTo(recorder.program(), data());
    ASSERT_TRUE(result.ok()) << result.error().message;
    std::vector<std::string> expected;
    for (const std::string& f : setFiles())
        expected.push_back(data() + f);
    EXPECT_EQ(result.value(), expected);

    // The desktop's own checker: Exec quoting, escapes, field codes. A service menu is KDE's
    // Type=Service, whose keys the checker knows only for applications.
    const std::string desktop = data() + "applications/" + kSendToFileName;
    const std::string thunar = data() + menuEntryPath(MenuEntry::ThunarSendTo);
    const std::string dolphin = data() + menuEntryPath(MenuEntry::DolphinServiceMenu);
    EXPECT_EQ(validate(desktop), std::vector<std::string> {});
    EXPECT_EQ(validate(thunar), std::vector<std::string> {});
    EXPECT_EQ(validate(dolphin, {"is only valid for type \"Application\""}), std::vector<std::string> {});

    // Dolphin runs a user's service menu, and Nautilus a script, only when it is executable.
    for (const MenuEntry entry : {MenuEntry::DolphinServiceMenu, MenuEntry::NautilusScript}) {
        struct stat st {
        };
        ASSERT_EQ(::stat((data() + menuEntryPath(entry)).c_str(), &st), 0);
        EXPECT_NE(st.st_mode & S_IXUSR, 0u) << menuEntryPath(entry);
    }

    // Nautilus: the selected paths one a line; only the first is passed on.
    const std::string script = data() + menuEntryPath(MenuEntry::NautilusScript);
    EXPECT_EQ(
        runProcess({script}, "", {"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS=" + first + "\n" + second + "\n"})
            .exitCode,
        0);
    EXPECT_EQ(recorder.arguments(), std::vector<std::string> {first});
    EXPECT_EQ(runProcess({script}, "", {"NAUTILUS_SCRIPT_SELECTED_FILE_PATHS="}).exitCode, 0);
    EXPECT_EQ(recorder.arguments(), std::vector<std::string> {});

    // Nemo: the key file's value, each selected path in double quotes in the place of %F, and
    // the command read by shell rules (GLib's parser follows them for these quotes).
    std::string command;
    const std::string raw = value(m_tree.read("data/" + menuEntryPath(MenuEntry::NemoAction)), "Exec");
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\')
            ++i;
        command += raw[i];
    }
    ASSERT_EQ(command.size() >= 3 ? command.substr(command.size() - 3) : "", " %F") << raw;
    command = command.substr(0, command.size() - 2) + "\"" + first + "\" \"" + second + "\"";
    EXPECT_EQ(runProcess({"/bin/sh", "-c", command}).exitCode, 0) << command;
    EXPECT_EQ(recorder.arguments(), (std::vector<std::string> {first, second})) << command;

    // The desktop entries as GLib's launcher reads them. It looks for the program before it
    // turns "%%" into "%", so it cannot start a program whose path holds one (KDE can).
    if (std::string(GetParam()).find('%') != std::string::npos)
        return;
    // The service menu's action, started like an application.
    m_tree.file("action.desktop",
        "[Desktop Entry]\nType=Application\nName=action\nExec="
            + value(m_tree.read("data/" + menuEntryPath(MenuEntry::DolphinServiceMenu)), "Exec") + "\n");
    for (const std::string& entry : {desktop, thunar, m_tree.at("action.desktop")}) {
        const ProcessResult r = launch(entry, {first, second});
        ASSERT_EQ(r.exitCode, 0) << entry << "\n" << r.err;
        EXPECT_EQ(recorder.arguments(), (std::vector<std::string> {first, second})) << entry;
    }
}

INSTANTIATE_TEST_SUITE_P(ProgramFolders, SendToSet,
    ::testing::Values(
        "Brindle Wick", "it's \"quoted\"", "$HOME `id` a\\b", "100% sure", "caf\xc3\xa9 \xce\xb1", "a;b#c=d"),
    [](const ::testing::TestParamInfo<const char*>& info) { return "Folder" + std::to_string(info.index); });

struct RefusedCase {
    const char* target;
    std::size_t failedFile; // index into setFiles()
    const char* reason;
    friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << brindle::test::quoted(c.target); }
};

class SendToRefused : public ::testing::TestWithParam<RefusedCase>
{
};

/// A program path that one of the files cannot hold: the failure names that file, and nothing
/// at all is written, not even the files that could have held it.
TEST_P(SendToRefused, NamesTheFileAndWritesNothing)
{
    TempTree tree;
    tree.dir("data");
    // A failure holds no list of files written: only the message naming the file and why.
    const Result<std::vector<std::string>> result = placeInSendTo(GetParam().target, tree.at("data") + "/");
    ASSERT_FALSE(result.ok());
    const std::string& message = result.error().message;
    EXPECT_TRUE(message.starts_with(
        sendToFailureMessage(tree.at("data/" + setFiles()[GetParam().failedFile]), "") + "\r\n"))
        << message;
    EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
    EXPECT_EQ(tree.list("data"), std::vector<std::string> {});
}

INSTANTIATE_TEST_SUITE_P(Targets, SendToRefused,
    ::testing::Values(RefusedCase {"/opt/caf\xe9/brindlewick", 0, "not UTF-8"},
        RefusedCase {"/opt/a\nExec=rm -rf ~/x", 0, "control character"},
        RefusedCase {"/opt/tab\there/brindlewick", 0, "control character"}, RefusedCase {"", 0, "not known"},
        RefusedCase {"/opt/100%Fast/brindlewick", 4, "field code"},
        RefusedCase {"/opt/100%%/brindlewick", 4, "field code"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return "Case" + std::to_string(info.index); });

/// What may stand in the place of a file manager entry.
enum class Foreign { UsersFile, MarkerMidLine, Folder, LinkToOwnFile };

class SendToForeign : public ::testing::TestWithParam<std::tuple<MenuEntry, Foreign>>
{
};

/// A file manager entry the program did not write is never replaced, and then none of the set
/// is written: the failure names it and says why; the tree is exactly as it was. A file that is
/// the program's own is replaced, and so is the desktop entry whatever it held.
TEST_P(SendToForeign, IsLeftAsItIsAndTheSetFails)
{
    const auto [entry, foreign] = GetParam();
    TempTree tree;
    const std::string rel = "data/" + menuEntryPath(entry);
    for (const std::string& f : setFiles())
        tree.dir(folderOf("data/" + f));
    tree.file("data/applications/Brindle Wick.desktop", "the user's own");
    tree.file("elsewhere", std::string(kOwnEntryMarker) + "\n");
    switch (foreign) {
    case Foreign::UsersFile:
        tree.file(rel, "[Desktop Entry]\nName=mine\n");
        break;
    case Foreign::MarkerMidLine:
        tree.file(rel, std::string("Name=x ") + kOwnEntryMarker + "\n");
        break;
    case Foreign::Folder:
        tree.dir(rel);
        break;
    case Foreign::LinkToOwnFile:
        tree.symlink(tree.at("elsewhere"), rel);
        break;
    }
    const TreeSnapshot before = snapshotTree(tree.path());

    Result<std::vector<std::string>> result = placeInSendTo("/usr/bin/brindlewick", tree.at("data") + "/");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message,
        sendToFailureMessage(
            tree.at(rel), "A file of this name exists that Brindlewick did not write; it is left as it is."));
    EXPECT_EQ(treeDifference(before, snapshotTree(tree.path())), "");

    // Once the name is free the set is written; written again, the program's own files and the
    // desktop entry are replaced.
    if (foreign == Foreign::Folder)
        ::rmdir(tree.at(rel).c_str());
    else
        ::unlink(tree.at(rel).c_str());
    ASSERT_TRUE(placeInSendTo("/opt/first/brindlewick", tree.at("data") + "/").ok());
    result = placeInSendTo("/opt/second/brindlewick", tree.at("data") + "/");
    ASSERT_TRUE(result.ok()) << result.error().message;
    EXPECT_EQ(result.value().size(), 5u);
    for (const std::string& f : setFiles()) {
        const std::string text = tree.read("data/" + f);
        EXPECT_NE(text.find("/opt/second/brindlewick"), std::string::npos) << f;
        EXPECT_EQ(text.find("/opt/first/"), std::string::npos) << f;
    }
    EXPECT_EQ(tree.read("elsewhere"), std::string(kOwnEntryMarker) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Entries, SendToForeign,
    ::testing::Combine(::testing::ValuesIn(kMenuEntries),
        ::testing::Values(
            Foreign::UsersFile, Foreign::MarkerMidLine, Foreign::Folder, Foreign::LinkToOwnFile)),
    [](const ::testing::TestParamInfo<std::tuple<MenuEntry, Foreign>>& info) {
        return "Entry" + std::to_string(static_cast<int>(std::get<0>(info.param))) + "Kind"
            + std::to_string(static_cast<int>(std::get<1>(info.param)));
    });

/// The regular files below a folder, by path relative to it.
std::vector<std::string> regularFiles(const std::string& root)
{
    std::vector<std::string> files;
    for (const auto& [path, entry] : snapshotTree(root))
        if (entry.type == 'f')
            files.push_back(path);
    return files;
}

TEST(SendToSetFailures, AFolderThatIsAFileIsNamedAndNothingIsWritten)
{
    TempTree tree;
    tree.file("data/nemo", "not a folder");
    const Result<std::vector<std::string>> result
        = placeInSendTo("/usr/bin/brindlewick", tree.at("data") + "/");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message,
        sendToFailureMessage(tree.at("data/nemo/actions/brindlewick.nemo_action"),
            tree.at("data/nemo") + ": Not a directory"));
    EXPECT_EQ(regularFiles(tree.at("data")), std::vector<std::string> {"nemo"});
    EXPECT_EQ(tree.read("data/nemo"), "not a folder");
}

TEST(SendToSetFailures, NoHomeFolderIsAFailureWithoutAFolder)
{
    const Result<std::vector<std::string>> result = placeInSendTo("/usr/bin/brindlewick", "");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message,
        "Cannot create shortcut to Brindlewick\r\nfilename = Brindle Wick.desktop\r\n"
        "No home folder is known, so there is no folder for it.");
}

/// A disk that fills up or a folder that turns read-only part-way through the set: every file
/// written so far was only a temporary one and is gone again; the files of an earlier set stay
/// exactly as they were.
TEST(SendToSetFailures, AWriteThatFailsPartWayLeavesTheEarlierSetWhole)
{
    for (const bool fullDisk : {true, false}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        TempTree tree;
        std::string why;
        std::unique_ptr<ScratchMount> disk;
        if (fullDisk) {
            tree.dir("data");
            disk = ScratchMount::tmpfs(tree.at("data"), "size=64k", why);
        }
        ASSERT_TRUE(placeInSendTo("/opt/old/brindlewick", tree.at("data") + "/").ok());
        if (!fullDisk) {
            disk = ScratchMount::bind(tree.at("data/Thunar/sendto"), why);
            if (disk && disk->makeReadOnly() != 0)
                GTEST_SKIP() << "cannot remount read-only";
        }
        if (!disk)
            GTEST_SKIP() << why;
        const TreeSnapshot before = snapshotTree(tree.at("data"));
        if (fullDisk) {
            // The disk filled page by page, then two pages freed: room for two more files, not five.
            const int fd = ::open(tree.at("data/filler").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(fd, 0);
            const std::string page(4096, 'x');
            off_t size = 0;
            while (::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size()))
                size += 4096;
            ASSERT_EQ(::ftruncate(fd, size >= 8192 ? size - 8192 : 0), 0);
            ::close(fd);
        }
        const TreeSnapshot withFiller = snapshotTree(tree.at("data"));

        // A long path makes every file longer than a page.
        const std::string target = "/opt/" + std::string(3000, 'n') + "/brindlewick";
        const Result<std::vector<std::string>> result = placeInSendTo(target, tree.at("data") + "/");
        ASSERT_FALSE(result.ok());
        const std::string& message = result.error().message;
        // The failure names a file of the set.
        EXPECT_TRUE(message.starts_with(sendToFailureMessage(tree.at("data/")))) << message;
        EXPECT_NE(message.find(fullDisk ? "No space left" : "Read-only"), std::string::npos) << message;
        EXPECT_EQ(treeDifference(withFiller, snapshotTree(tree.at("data"))), "");
        EXPECT_NE(before.size(), 0u);
    }
}

TEST(SendToMessages, TheSuccessListsTheFileManagerEntries)
{
    const std::vector<std::string> written = {"/d/applications/Brindle Wick.desktop",
        "/d/kio/servicemenus/brindlewick.desktop", "/d/nemo/actions/brindlewick.nemo_action"};
    EXPECT_EQ(sendToSuccessMessage(written, "/d/"),
        "A shortcut to Brindlewick has been successfully created in\r\n/d/applications/\r\n\r\n"
        "The file managers offer it in their menus through:\r\n/d/kio/servicemenus/brindlewick.desktop\r\n"
        "/d/nemo/actions/brindlewick.nemo_action");
    EXPECT_EQ(sendToFailureMessage("/x/y", "It is a folder."),
        "Cannot create shortcut to Brindlewick\r\nfilename = /x/y\r\nIt is a folder.");
}

} // namespace
