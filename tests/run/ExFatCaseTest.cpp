// Case rules of a file system that folds case behind FUSE: an exFAT image mounted with
// exfat-fuse. There the kernel sees the type "fuseblk" (or "fuse"), and one file looked up
// under two letter cases has two inode numbers, so neither the type nor the inode numbers tell
// that the file system folds; the probe, the mount table and exFAT's own up-case table do.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "common/ExFatMount.h"
#include "common/TempTree.h"
#include "jobs/JobTestUtil.h"
#include "run/PropertyTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/FileSystemCase.h"
#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::makeJob;
using test::Random;
using test::randomJob;
using test::RecorderHost;
using test::TempTree;

// ---- without a mount: the mount table's names and the keys ----

struct SubtypeCase {
    const char* type;
    const char* subtype;
    FoldRule rule; // of the subtype, or of the type itself as a source name
};

using FuseSubtypeTest = ::testing::TestWithParam<SubtypeCase>;

TEST_P(FuseSubtypeTest, TheMountTableNamesTheFileSystem)
{
    const SubtypeCase& c = GetParam();
    const std::string subtype = fuseSubtype(c.type);
    EXPECT_EQ(subtype, c.subtype);
    EXPECT_EQ(foldRuleOfName(subtype.empty() ? std::string(c.type) : subtype), c.rule);
}

INSTANTIATE_TEST_SUITE_P(Table, FuseSubtypeTest,
    ::testing::Values(SubtypeCase {"fuse.exfat", "exfat", FoldRule::ExFat},
        SubtypeCase {"fuseblk.exfat", "exfat", FoldRule::ExFat},
        SubtypeCase {"fuse.fusefat", "fusefat", FoldRule::Fat},
        SubtypeCase {"fuse.vfat", "vfat", FoldRule::Fat}, SubtypeCase {"fuseblk", "", FoldRule::Unknown},
        SubtypeCase {"fuse", "", FoldRule::Unknown}, SubtypeCase {"vfat", "", FoldRule::Fat},
        SubtypeCase {"exfat", "", FoldRule::ExFat}, SubtypeCase {"fuse.sshfs", "sshfs", FoldRule::Unknown},
        SubtypeCase {"fuse.ntfs-3g", "ntfs-3g", FoldRule::Unknown},
        SubtypeCase {"ext4", "", FoldRule::Unknown}));

/// Two names and whether they clash under each rule. exFAT's table upper-cases without
/// dropping accents and knows neither ß's nor the Kelvin sign's folding; FAT folds a-z only.
struct KeyCase {
    const char* label;
    const char* a;
    const char* b;
    bool exFat;
    bool fat;
    bool generic;
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.label; }
};

using FoldKeyTest = ::testing::TestWithParam<KeyCase>;

TEST_P(FoldKeyTest, NamesClashAsTheFileSystemFolds)
{
    const KeyCase& c = GetParam();
    std::string a;
    std::string b;
    for (const auto& [nameCase, expected] :
        {std::pair {NameCase::ExFat, c.exFat}, {NameCase::Fat, c.fat}, {NameCase::Folding, c.generic}}) {
        nameKey(nameCase, c.a, a);
        nameKey(nameCase, c.b, b);
        EXPECT_EQ(a == b, expected) << static_cast<int>(nameCase);
    }
}

const KeyCase kKeyCases[] = {KeyCase {"Ascii", "abc.txt", "ABC.TXT", true, true, true},
    KeyCase {"LatinAccent", "\xc3\xa9.txt", "\xc3\x89.txt", true, false, true},
    KeyCase {"GreekAccentStays", "\xce\xac.txt", "\xce\x91.txt", false, false, true},
    KeyCase {"GreekAccentInBothCases", "\xce\xac", "\xce\x86", true, false, true},
    KeyCase {"FinalSigma", "\xce\xbf\xcf\x82", "\xce\x9f\xce\xa3", true, false, true},
    KeyCase {"SharpS", "\xc3\x9f", "SS", false, false, false},
    KeyCase {"KelvinSign", "k", "\xe2\x84\xaa", false, false, true},
    KeyCase {"YDiaeresis", "\xc3\xbf", "\xc5\xb8", true, false, true},
    KeyCase {"FullWidth", "\xef\xbd\x81", "\xef\xbc\xa1", true, false, true},
    KeyCase {"InvalidByteKept", "a\xff", "A\xff", true, true, true},
    KeyCase {"InvalidBytesDiffer", "a\xfe", "a\xff", false, false, false},
    KeyCase {"BeyondTheBmp",
        "\xf0\x9f\x98\x80"
        "a",
        "\xf0\x9f\x98\x80"
        "A",
        true, true, true}};

INSTANTIATE_TEST_SUITE_P(Table, FoldKeyTest, ::testing::ValuesIn(kKeyCases),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.label; });

// ---- on an exFAT image mounted with exfat-fuse ----

/// The names of folder, sorted bytewise.
std::vector<std::string> listNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

class ExFatMountTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        mount = test::ExFatMount::make(scratch.path(), why);
        if (!mount)
            GTEST_SKIP() << why;
        folder = mount->path() + "/work";
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    }

    /// Makes the file name holding content; false when the file system refuses the name or
    /// has it already under another case.
    bool file(const std::string& name, const std::string& content)
    {
        const int fd = ::open((folder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return false;
        const bool written
            = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        ::close(fd);
        return written;
    }

    /// Name by content, as the folder lists it now (the undo file left out).
    std::map<std::string, std::string> nameOf() const
    {
        std::map<std::string, std::string> out;
        for (const std::string& name : listNames(folder)) {
            if (name == kUndoFileName)
                continue;
            const int fd = ::open((folder + "/" + name).c_str(), O_RDONLY);
            std::string data(256, '\0');
            const ssize_t n = fd < 0 ? -1 : ::read(fd, data.data(), data.size());
            if (fd >= 0)
                ::close(fd);
            data.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
            out[data] = name;
        }
        return out;
    }

    /// A run (a simulation when simulate) over the folder with undo files.
    RunResult run(const std::vector<Job>& jobs, bool simulate, IRunHost& host, ResultTree* tree = nullptr)
    {
        RenameSession session;
        session.jobs = jobs;
        RunOptions o;
        o.startFolder = folder;
        o.undo = true;
        o.simulation = simulate;
        o.log = simulate;
        return runRename(session, host, o, tree);
    }

    TempTree scratch;
    std::unique_ptr<test::ExFatMount> mount;
    std::string folder;
};

TEST_F(ExFatMountTest, TheProbeAndTheMountTableFindExFat)
{
    ASSERT_TRUE(file("abc.txt", "x"));
    const Fd dir = openFolder(AT_FDCWD, folder, true);
    // The kernel's lookup of the other case finds the file, under another inode number.
    struct stat a;
    struct stat b;
    ASSERT_EQ(::fstatat(dir.get(), "abc.txt", &a, 0), 0);
    ASSERT_EQ(::fstatat(dir.get(), "ABC.TXT", &b, 0), 0);
    EXPECT_EQ(foldRuleOf(dir.get()), FoldRule::ExFat);
    EXPECT_EQ(detectNameCase(dir.get(), "abc.txt"), NameCase::ExFat);
    EXPECT_EQ(detectNameCase(dir.get(), ""), NameCase::ExFat);
}

TEST_F(ExFatMountTest, TheUpCaseTableIsTheFileSystems)
{
    // Every letter of the name pools and a spread of the BMP: a name in one case is found in
    // the other exactly when the keys agree.
    std::vector<char32_t> letters = {U'a', U'z', U'é', U'ÿ', U'ß', U'ά', U'ς', U'σ', U'ω', U'ΐ', U'ϐ', U'ſ',
        U'ǅ', U'ǆ', U'K', U'ⓐ', U'ａ', U'ж', U'ґ', U'ա', U'ა', U'ᏸ', U'ꭰ', U'ɐ', U'ı', U'i', U'µ', U'ǰ'};
    std::mt19937 random(7);
    for (int i = 0; i < 120; ++i)
        letters.push_back(static_cast<char32_t>(0xA0 + random() % 0xD700));
    const Fd dir = openFolder(AT_FDCWD, folder, true);
    int checked = 0;
    for (const char32_t c : letters) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        std::u32string u(1, c);
        std::string name;
        for (char32_t ch : u) {
            if (ch < 0x800) {
                name += static_cast<char>(0xC0 | (ch >> 6));
                name += static_cast<char>(0x80 | (ch & 0x3F));
            } else {
                name += static_cast<char>(0xE0 | (ch >> 12));
                name += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
                name += static_cast<char>(0x80 | (ch & 0x3F));
            }
        }
        if (c < 0x80)
            name = std::string(1, static_cast<char>(c));
        name = "n" + name;
        if (!file(name, ""))
            continue;
        std::string key;
        nameKey(NameCase::ExFat, name, key);
        struct stat st;
        EXPECT_EQ(::fstatat(dir.get(), key.c_str(), &st, 0), 0)
            << name << " U+" << std::hex << static_cast<unsigned>(c);
        ++checked;
        ::unlinkat(dir.get(), name.c_str(), 0);
    }
    EXPECT_GT(checked, 100);
    // The other way round: names the keys keep apart are two names on the disk.
    for (const KeyCase& c : kKeyCases) {
        if (!file(c.a, "")) {
            EXPECT_TRUE(std::string_view(c.a).find('\xff') != std::string_view::npos
                || std::string_view(c.a).find('\xfe') != std::string_view::npos)
                << c.label;
            continue;
        }
        struct stat st;
        EXPECT_EQ(::fstatat(dir.get(), c.b, &st, 0) == 0, c.exFat) << c.label;
        ::unlinkat(dir.get(), c.a, 0);
    }
}

TEST_F(ExFatMountTest, UpperCaseIsPlannedAsTheEntriesOwnNamesAndUndoneExactly)
{
    ASSERT_TRUE(file("a.txt", "a"));
    ASSERT_TRUE(file("b.txt", "b"));
    ASSERT_TRUE(file("\xc3\xa9t\xc3\xa9.txt", "e"));
    ASSERT_TRUE(file("\xce\xbf\xcf\x82", "sigma"));
    const std::vector<Job> upper = {makeJob(jobUpper, 0, 1)};
    RecorderHost simHost;
    ResultTree tree;
    const RunResult s = run(upper, true, simHost, &tree);
    EXPECT_EQ(s.clashes + s.namesRefused, 0) << tree.toText();
    RecorderHost host;
    const RunResult r = run(upper, false, host);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_EQ(r.renameFailures, 0);
    EXPECT_EQ(nameOf(),
        (std::map<std::string, std::string> {
            {"a", "A.TXT"}, {"b", "B.TXT"}, {"e", "\xc3\x89T\xc3\x89.TXT"}, {"sigma", "\xce\x9f\xce\xa3"}}));
    RecorderHost undoHost;
    const UndoResult u = undoFolder(folder, undoHost);
    EXPECT_EQ(u.errors, 0) << (undoHost.messages.empty() ? "" : undoHost.messages.front());
    EXPECT_EQ(nameOf(),
        (std::map<std::string, std::string> {
            {"a", "a.txt"}, {"b", "b.txt"}, {"e", "\xc3\xa9t\xc3\xa9.txt"}, {"sigma", "\xce\xbf\xcf\x82"}}));
}

TEST_F(ExFatMountTest, ASwapAcrossCaseAndAGreekAccentAreNoClash)
{
    // a -> B takes the name b frees (b -> c); ά.txt stays beside the new Α.txt.
    ASSERT_TRUE(file("a", "a"));
    ASSERT_TRUE(file("b", "b"));
    ASSERT_TRUE(file("\xce\xac.txt", "alpha-tonos"));
    ASSERT_TRUE(file("x.txt", "x"));
    const std::vector<Job> jobs = {makeJob(jobReplace, replaceRegex, 1, 0, "^a$", "B"),
        makeJob(jobReplace, replaceRegex, 1, 0, "^b$", "c"),
        makeJob(jobReplace, replaceRegex, 1, 0, "^x", "\xce\x91")};
    RecorderHost simHost;
    ResultTree tree;
    const RunResult s = run(jobs, true, simHost, &tree);
    EXPECT_EQ(s.clashes + s.namesRefused, 0) << tree.toText();
    RecorderHost host;
    run(jobs, false, host);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_EQ(nameOf(),
        (std::map<std::string, std::string> {
            {"a", "B"}, {"b", "c"}, {"alpha-tonos", "\xce\xac.txt"}, {"x", "\xce\x91.txt"}}));
}

TEST_F(ExFatMountTest, NamesExFatRefusesAreFailedByThePlan)
{
    ASSERT_TRUE(file("a.txt", "a"));
    const std::vector<Job> jobs = {makeJob(jobReplace, replaceRegex, 1, 0, "^a", "a:b")};
    RecorderHost simHost;
    const RunResult s = run(jobs, true, simHost);
    EXPECT_EQ(s.namesRefused, 1);
    RecorderHost host;
    const RunResult r = run(jobs, false, host);
    EXPECT_EQ(r.renameFailures, 1);
    EXPECT_EQ(nameOf(), (std::map<std::string, std::string> {{"a", "a.txt"}}));
}

// ---- the simulation is the run, on random folders ----

const char* const kPieces[] = {"a", "A", "b", "B", "img", "IMG", "Photo", "photo", "\xce\xb1", "\xce\x91",
    "\xce\xac", "\xce\x86", "\xcf\x83", "\xcf\x82", "\xce\xa3", "\xc3\xa9", "\xc3\x89", "\xcf\x89",
    "\xc3\x9f", "\xe2\x84\xaa", "k", "K", "\xc3\xbf", " ", "_", "-", "1", "07", "x", "."};
const char* const kExtensions[] = {"", "", ".txt", ".TXT", ".jpg", ".JPG"};
const char* const kStrings[] = {"", "a", "A", ".", ".txt", "\xcf\x83", "\xcf\x82", "\xce\x86", "\xce\xac",
    "x", "_", ":", " ", "IMG", "07", "\xc3\x89"};

/// The new name of every entry the simulation handled, by its old name, from the log line
/// before each node.
class PredictingHost : public RecorderHost
{
public:
    std::map<std::string, std::string> predicted;
    std::set<std::string> failing;

    void logLine(std::string_view line) override
    {
        const std::size_t start = line.find_first_not_of(' ');
        if (start != std::string_view::npos && line.substr(start).starts_with("* Renaming file "))
            m_oldName = line.substr(start + 16);
    }
    void resultNodeAdded(const ResultTree& tree, std::int32_t index) override
    {
        const ResultNode& node = tree.node(index);
        std::string newName = node.text;
        if (node.state == ResultState::Error) {
            failing.insert(m_oldName);
            newName = m_oldName;
        }
        predicted[m_oldName] = newName;
    }

private:
    std::string m_oldName;
};

class ExFatPropertyTest : public ExFatMountTest
{
};

TEST_F(ExFatPropertyTest, TheSimulationIsTheRunAndUndoIsExact)
{
    int seeds = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Random random(seed);
        // A fresh folder of files, names of the pools, twins in the other case where the file
        // system takes them (it takes none).
        folder = mount->path() + "/s" + std::to_string(seed);
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        std::map<std::string, std::string> original; // content -> name
        const int count = 3 + random.below(10);
        for (int i = 0; i < count; ++i) {
            std::string name;
            for (int k = 1 + random.below(3); k > 0; --k)
                name += random.pick(kPieces);
            name += random.pick(kExtensions);
            const std::string content = "file " + std::to_string(i);
            if (isUsableName(name) && name != kUndoFileName && file(name, content))
                original[content] = name;
        }
        std::vector<Job> jobs;
        switch (random.below(6)) {
        case 0:
            jobs.push_back(makeJob(jobUpper, 0, 1));
            break;
        case 1:
            jobs.push_back(makeJob(jobLower, 0, 1));
            break;
        case 2:
            jobs.push_back(makeJob(random.below(2) == 0 ? jobUpper : jobLower));
            break;
        case 3:
            jobs.push_back(makeJob(jobReplace, replaceRegex, 1, 0, "^(.)(.)", "$2$1"));
            break;
        case 4:
            jobs.push_back(makeJob(jobNormal, 0, 1));
            break;
        default:
            break;
        }
        for (int k = random.below(3); k > 0 || jobs.empty(); --k)
            jobs.push_back(randomJob(random, kStrings));

        PredictingHost simHost;
        ResultTree tree;
        run(jobs, true, simHost, &tree);
        ASSERT_EQ(nameOf(), original) << "seed " << seed;
        RecorderHost host;
        run(jobs, false, host);
        // Every entry has the name the simulation gave it; an entry it marked failed was
        // reported, and nothing else was.
        const std::map<std::string, std::string> after = nameOf();
        ASSERT_EQ(after.size(), original.size()) << "seed " << seed;
        for (const auto& [content, was] : original) {
            // Hidden files are not the run's: they keep their names.
            const std::string expected = simHost.predicted.contains(was) ? simHost.predicted[was] : was;
            EXPECT_EQ(after.at(content), expected) << "seed " << seed << ": " << was << "\n" << tree.toText();
        }
        EXPECT_EQ(host.messages.size(), simHost.failing.size()) << "seed " << seed << "\n" << tree.toText();
        // Undo gives every name back.
        if (::access((folder + "/" + std::string(kUndoFileName)).c_str(), F_OK) == 0) {
            RecorderHost undoHost;
            const UndoResult u = undoFolder(folder, undoHost);
            EXPECT_EQ(u.errors, 0) << "seed " << seed;
        }
        EXPECT_EQ(nameOf(), original) << "seed " << seed;
        ++seeds;
    }
    EXPECT_EQ(seeds, 300);
}

} // namespace
} // namespace brindle
