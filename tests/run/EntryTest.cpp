#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>

#include <gtest/gtest.h>

#include "common/TestName.h"
#include "common/TempTree.h"
#include "run/UFileOps.h"
#include "run/UTBWFile.h"

namespace brindle
{
namespace
{

using test::LocalTime;
using test::TempTree;

std::vector<std::string> namesOf(const TBWFileList& list)
{
    std::vector<std::string> names;
    for (const TBWFile& e : list)
        names.push_back(e.Name);
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// ---- dates ----

TEST(EntryDate, CountsDaysFrom1899AndCutsSecondsToTwo)
{
    const double date = FileTimeToDate(LocalTime(2004, 3, 5, 9, 7, 13));
    // 5 March 2004 is day 38051; 9:07:12 is the time of day after the cut to two seconds.
    EXPECT_DOUBLE_EQ(date, 38051.0 + (9 * 3600 + 7 * 60 + 12) / 86400.0);
    EXPECT_EQ(FormatDate(date, true), "05/03/2004 09:07:12");
    EXPECT_EQ(TBWFile("report.txt", date).DisplayText(), "05/03/2004 09:07 report.txt");
}

TEST(EntryDate, FormatsEdgesOfTheDay)
{
    EXPECT_EQ(FormatDate(FileTimeToDate(LocalTime(1999, 12, 31, 23, 59, 59)), true), "31/12/1999 23:59:58");
    EXPECT_EQ(FormatDate(FileTimeToDate(LocalTime(2000, 2, 29, 0, 0, 0)), true), "29/02/2000 00:00:00");
    EXPECT_EQ(FormatDate(0.0), "30/12/1899 00:00");
    EXPECT_EQ(FormatDate(2.5), "01/01/1900 12:00");
}

// ---- masks ----

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
    friend void PrintTo(const MaskCase& c, std::ostream* os)
    {
        *os << brindle::test::Quoted(c.mask) << " on " << brindle::test::Quoted(c.name);
    }
};

class MaskTest : public ::testing::TestWithParam<MaskCase>
{
};

TEST_P(MaskTest, Matches)
{
    const MaskCase& c = GetParam();
    EXPECT_EQ(TFileMask(c.mask).Matches(c.name), c.matches) << c.mask << " / " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, MaskTest,
    ::testing::Values(MaskCase {"*.*", "README", true}, MaskCase {"*.*", "a.b.c", true},
        MaskCase {"*.*", "", true}, MaskCase {"*", "anything", true}, MaskCase {"*.txt", "a.TXT", true},
        MaskCase {"*.txt", "A.txt", true}, MaskCase {"*.txt", "a.txt.bak", false},
        MaskCase {"*.txt", "atxt", false}, MaskCase {"*.txt", ".txt", true},
        MaskCase {"?.txt", "a.txt", true}, MaskCase {"?.txt", "é.txt", true},
        MaskCase {"?.txt", "ab.txt", false}, MaskCase {"?.txt", ".txt", false},
        MaskCase {"IMG_*.JPG", "img_0001.jpg", true}, MaskCase {"IMG_*.JPG", "IMG_0001.JPEG", false},
        MaskCase {"*a*b", "xxaxxb", true}, MaskCase {"*a*b", "xxbxxa", false},
        MaskCase {"a*a*a", "aaa", true}, MaskCase {"a*a*a", "aa", false}, MaskCase {"*.*.*", "a.b", false},
        MaskCase {"**x", "x", true},
        // Letters outside ASCII fold by their simple case folding.
        MaskCase {"ÉTÉ*", "été.txt", true}, MaskCase {"Σ*", "ςx", true}, MaskCase {"K*", "kilo", true},
        MaskCase {"straße", "STRASSE", false},
        // A byte outside any UTF-8 sequence is a character that matches only itself.
        MaskCase {"\xff*",
            "\xff"
            "abc",
            true},
        MaskCase {"\xff*",
            "\xfe"
            "abc",
            false},
        MaskCase {"?abc",
            "\xff"
            "abc",
            true},
        MaskCase {"", "a", false}));

// ---- collation and sorting ----

TEST(NameCollator, IgnoresCaseAndIsNotNumeric)
{
    const TNameCollator c("en_US.UTF-8");
    EXPECT_LT(c.Compare("a10", "a9"), 0);
    EXPECT_EQ(c.Compare("Report", "report"), 0);
    EXPECT_LT(c.Compare("apple", "Banana"), 0);
    EXPECT_GT(c.Compare("b", "Ä"), 0); // Ä sorts with A
    EXPECT_NE(c.Compare("a", "á"), 0);
}

struct NaturalCase {
    const char* a;
    const char* b;
    int natural; // sign of the natural comparison of a with b
    int plain; // sign of the designed comparison
};

std::ostream& operator<<(std::ostream& os, const NaturalCase& c)
{
    return os << c.a << " vs " << c.b;
}

class NaturalOrder : public ::testing::TestWithParam<NaturalCase>
{
};

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Natural order compares runs of digits by their value; everything else as the designed order.
TEST_P(NaturalOrder, ComparesNumbersByValue)
{
    const NaturalCase& c = GetParam();
    const TNameCollator natural("en_US.UTF-8", true);
    const TNameCollator plain("en_US.UTF-8");
    EXPECT_EQ(sign(natural.Compare(c.a, c.b)), c.natural);
    EXPECT_EQ(sign(natural.Compare(c.b, c.a)), -c.natural);
    EXPECT_EQ(sign(plain.Compare(c.a, c.b)), c.plain);
    // Sort keys order as the comparison does.
    std::string ka, kb;
    natural.AppendSortKey(c.a, ka);
    natural.AppendSortKey(c.b, kb);
    EXPECT_EQ(sign(ka.compare(kb)), c.natural);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, NaturalOrder, ::testing::Values(
    NaturalCase{"a9", "a10", -1, 1},
    NaturalCase{"file2.txt", "file10.txt", -1, 1},
    NaturalCase{"track 9 - x.mp3", "track 10 - x.mp3", -1, 1},
    NaturalCase{"IMG_0099.jpg", "IMG_100.jpg", -1, -1},
    NaturalCase{"v1.9", "v1.10", -1, 1},
    NaturalCase{"99999999999999999999", "100000000000000000000", -1, 1},
    NaturalCase{"a", "a1", -1, -1},
    NaturalCase{"Report 2", "report 2", 0, 0},
    NaturalCase{"b1", "a10", 1, 1},
    NaturalCase{"ä2", "a10", -1, 1},
    NaturalCase{"\xff" "2", "\xff" "10", -1, 1}));
// clang-format on

TEST(NaturalOrder, KeepsTheLocaleAndSortsBothWays)
{
    EXPECT_GT(TNameCollator("sv_SE.UTF-8", true).Compare("ä2", "z10"), 0);
    EXPECT_LT(TNameCollator("de_DE.UTF-8", true).Compare("ä2", "z10"), 0);
    const TNameCollator c("en_US.UTF-8", true);
    TBWFileList list;
    for (const char* n : {"a10", "a9", "A1", "b2", "a100", "a09"})
        list.emplace_back(n, 0);
    SortEntries(list, TSortOrder::NameAsc, c);
    std::vector<std::string> names;
    for (const TBWFile& f : list)
        names.push_back(f.Name);
    // "a9" and "a09" have the same value and may come in either order.
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0], "A1");
    EXPECT_EQ((std::set<std::string> {names[1], names[2]}), (std::set<std::string> {"a9", "a09"}));
    EXPECT_EQ((std::vector<std::string>(names.begin() + 3, names.end())),
        (std::vector<std::string> {"a10", "a100", "b2"}));
    SortEntries(list, TSortOrder::NameDesc, c);
    EXPECT_EQ(list.front().Name, "b2");
    EXPECT_EQ(list.back().Name, "A1");
}

TEST(NameCollator, FollowsTheLocale)
{
    // Swedish sorts ä after z; German sorts it with a.
    EXPECT_GT(TNameCollator("sv_SE.UTF-8").Compare("ä", "z"), 0);
    EXPECT_LT(TNameCollator("de_DE.UTF-8@euro").Compare("ä", "z"), 0);
    EXPECT_LT(TNameCollator("C").Compare("a", "B"), 0);
}

TEST(NameCollator, UserLocaleTakesLcAllThenLcCollateThenLang)
{
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* v : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* old = std::getenv(v);
        saved.push_back({v, old ? std::optional<std::string>(old) : std::nullopt});
    }
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::setenv("LC_COLLATE", "sv_SE.UTF-8", 1);
    ::setenv("LC_ALL", "", 1);
    EXPECT_EQ(TNameCollator::UserLocaleName(), "sv_SE.UTF-8");
    ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(TNameCollator::UserLocaleName(), "fr_FR.UTF-8");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_COLLATE");
    EXPECT_EQ(TNameCollator::UserLocaleName(), "de_DE.UTF-8");
    for (const Saved& s : saved) {
        if (s.value)
            ::setenv(s.name, s.value->c_str(), 1);
        else
            ::unsetenv(s.name);
    }
}

TBWFileList makeList(std::initializer_list<std::pair<const char*, double>> entries)
{
    TBWFileList list;
    for (const auto& [name, date] : entries)
        list.emplace_back(name, date);
    return list;
}

TEST(SortEntries, ByNameBothWays)
{
    const TNameCollator c("en_US.UTF-8");
    TBWFileList list = makeList({{"b2", 0}, {"a9", 0}, {"B", 0}, {"a10", 0}, {"A1", 0}, {"\xff", 0}});
    SortEntries(list, TSortOrder::NameAsc, c);
    const std::vector<std::string> asc = namesOf(list);
    EXPECT_EQ(std::vector<std::string>(asc.begin(), asc.begin() + 5),
        (std::vector<std::string> {"A1", "a10", "a9", "B", "b2"}));
    SortEntries(list, TSortOrder::NameDesc, c);
    std::vector<std::string> desc = namesOf(list);
    std::reverse(desc.begin(), desc.end());
    EXPECT_EQ(desc, asc);
    // The comparison functions agree with the sort.
    EXPECT_LT(CompareByNameAsc(TBWFile("a10", 0), TBWFile("a9", 0), c), 0);
    EXPECT_GT(CompareByNameDesc(TBWFile("a10", 0), TBWFile("a9", 0), c), 0);
}

TEST(SortEntries, ByDateBothWays)
{
    TBWFileList list = makeList({{"mid", 2.0}, {"old", 1.0}, {"new", 3.0}});
    SortEntries(list, TSortOrder::DateAsc);
    EXPECT_EQ(namesOf(list), (std::vector<std::string> {"old", "mid", "new"}));
    SortEntries(list, TSortOrder::DateDesc);
    EXPECT_EQ(namesOf(list), (std::vector<std::string> {"new", "mid", "old"}));
    EXPECT_EQ(CompareByDateAsc(TBWFile("a", 1.0), TBWFile("b", 1.0)), 0);
    EXPECT_EQ(CompareByDateAsc(TBWFile("a", 1.0), TBWFile("b", 2.0)), -1);
    EXPECT_EQ(CompareByDateDesc(TBWFile("a", 1.0), TBWFile("b", 2.0)), 1);
}

TEST(SortEntries, LargeListSortsLikeTheComparison)
{
    const TNameCollator c("en_US.UTF-8");
    TBWFileList list;
    for (int i = 0; i < 3000; ++i)
        list.emplace_back((i % 2 ? "File" : "file") + std::to_string((i * 7919) % 3000) + ".txt", 0);
    SortEntries(list, TSortOrder::NameAsc, c);
    for (std::size_t i = 1; i < list.size(); ++i)
        ASSERT_LE(CompareByNameAsc(list[i - 1], list[i], c), 0) << list[i - 1].Name << " " << list[i].Name;
}

// ---- listing ----

class ListingTest : public ::testing::Test
{
protected:
    TFd open(const std::string& rel = {}) { return OpenFolder(AT_FDCWD, tree.at(rel), true); }
    TempTree tree;
};

TEST_F(ListingTest, EmptyFolderGivesTwoEmptyLists)
{
    TFd fd = open();
    ASSERT_TRUE(fd.valid());
    EXPECT_TRUE(ListSubfolders(fd.get()).empty());
    EXPECT_TRUE(ListFiles(fd.get(), TFileMask("*.*")).empty());
}

TEST_F(ListingTest, SplitsFoldersFromFilesAndLeavesOutHiddenFilesAndTheUndoFile)
{
    tree.file("a.txt");
    tree.file("B.TXT");
    tree.file(".hidden");
    tree.file("_brindlewick_undo.txt");
    tree.file("_Brindlewick_Undo.txt");
    tree.dir("Sub");
    tree.dir(".git");
    tree.symlink("Sub", "LinkToSub");
    tree.symlink("nowhere", "Dangling");
    ::mkfifo(tree.at("pipe").c_str(), 0644);
    TFd fd = open();
    EXPECT_EQ(sorted(namesOf(ListSubfolders(fd.get()))), (std::vector<std::string> {".git", "Sub"}));
    EXPECT_EQ(sorted(namesOf(ListFiles(fd.get(), TFileMask("*.*")))),
        (std::vector<std::string> {
            "B.TXT", "Dangling", "LinkToSub", "_Brindlewick_Undo.txt", "a.txt", "pipe"}));
    EXPECT_EQ(sorted(namesOf(ListFiles(fd.get(), TFileMask("*.txt")))),
        (std::vector<std::string> {"B.TXT", "_Brindlewick_Undo.txt", "a.txt"}));
}

TEST_F(ListingTest, ReadsDatesOnlyWhenAsked)
{
    tree.file("f", "", LocalTime(2004, 3, 5, 9, 1));
    tree.dir("d", LocalTime(2004, 3, 1, 18, 20));
    TFd fd = open();
    EXPECT_EQ(ListFiles(fd.get(), TFileMask(), {true}).at(0).DisplayText(), "05/03/2004 09:01 f");
    EXPECT_EQ(ListSubfolders(fd.get(), {true}).at(0).DisplayText(), "01/03/2004 18:20 d");
    EXPECT_EQ(ListFiles(fd.get(), TFileMask(), {false}).at(0).Date, 0.0);
}

TEST_F(ListingTest, ListsLargeFoldersWhole)
{
    for (int i = 0; i < 5000; ++i)
        tree.file("file_with_a_rather_long_name_" + std::to_string(i));
    TFd fd = open();
    TFolderLister lister;
    EXPECT_EQ(lister.ListFiles(fd.get(), TFileMask()).size(), 5000u);
    // A second listing through the same descriptor starts again from the top.
    EXPECT_EQ(lister.ListFiles(fd.get(), TFileMask("*_4999")).size(), 1u);
}

} // namespace
} // namespace brindle
