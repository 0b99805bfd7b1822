#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/run/FileEntry.h"
#include "core/run/NameCollator.h"

namespace brindle
{
namespace
{

std::vector<std::string> namesOf(const FileEntryList& list)
{
    std::vector<std::string> names;
    for (const FileEntry& e : list)
        names.push_back(e.name);
    return names;
}

TEST(NameCollator, IgnoresCaseAndIsNotNumeric)
{
    const NameCollator c("en_US.UTF-8");
    EXPECT_LT(c.compare("a10", "a9"), 0);
    EXPECT_EQ(c.compare("Report", "report"), 0);
    EXPECT_LT(c.compare("apple", "Banana"), 0);
    EXPECT_GT(c.compare("b", "Ä"), 0); // Ä sorts with A
    EXPECT_NE(c.compare("a", "á"), 0);
}

struct NaturalCase {
    const char* a;
    const char* b;
    int natural; // sign of the natural comparison of a with b
    int plain; // sign of the designed comparison
    friend std::ostream& operator<<(std::ostream& os, const NaturalCase& c)
    {
        return os << c.a << " vs " << c.b;
    }
};

using NaturalOrder = ::testing::TestWithParam<NaturalCase>;

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Natural order compares runs of digits by their value; everything else as the designed order.
TEST_P(NaturalOrder, ComparesNumbersByValue)
{
    const NaturalCase& c = GetParam();
    const NameCollator natural("en_US.UTF-8", true);
    const NameCollator plain("en_US.UTF-8");
    EXPECT_EQ(sign(natural.compare(c.a, c.b)), c.natural);
    EXPECT_EQ(sign(natural.compare(c.b, c.a)), -c.natural);
    EXPECT_EQ(sign(plain.compare(c.a, c.b)), c.plain);
    // Sort keys order as the comparison does.
    std::string ka, kb;
    natural.appendSortKey(c.a, ka);
    natural.appendSortKey(c.b, kb);
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
    EXPECT_GT(NameCollator("sv_SE.UTF-8", true).compare("ä2", "z10"), 0);
    EXPECT_LT(NameCollator("de_DE.UTF-8", true).compare("ä2", "z10"), 0);
    const NameCollator c("en_US.UTF-8", true);
    FileEntryList list;
    for (const char* n : {"a10", "a9", "A1", "b2", "a100", "a09"})
        list.emplace_back(n, 0);
    sortEntries(list, SortOrder::NameAsc, c);
    std::vector<std::string> names;
    for (const FileEntry& f : list)
        names.push_back(f.name);
    // "a9" and "a09" have the same value and may come in either order.
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0], "A1");
    EXPECT_EQ((std::set<std::string> {names[1], names[2]}), (std::set<std::string> {"a9", "a09"}));
    EXPECT_EQ((std::vector<std::string>(names.begin() + 3, names.end())),
        (std::vector<std::string> {"a10", "a100", "b2"}));
    sortEntries(list, SortOrder::NameDesc, c);
    EXPECT_EQ(list.front().name, "b2");
    EXPECT_EQ(list.back().name, "A1");
}

TEST(NameCollator, FollowsTheLocale)
{
    // Swedish sorts ä after z; German sorts it with a.
    EXPECT_GT(NameCollator("sv_SE.UTF-8").compare("ä", "z"), 0);
    EXPECT_LT(NameCollator("de_DE.UTF-8@euro").compare("ä", "z"), 0);
    EXPECT_LT(NameCollator("C").compare("a", "B"), 0);
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
    EXPECT_EQ(NameCollator::userLocaleName(), "sv_SE.UTF-8");
    ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(NameCollator::userLocaleName(), "fr_FR.UTF-8");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_COLLATE");
    EXPECT_EQ(NameCollator::userLocaleName(), "de_DE.UTF-8");
    for (const Saved& s : saved) {
        if (s.value)
            ::setenv(s.name, s.value->c_str(), 1);
        else
            ::unsetenv(s.name);
    }
}

FileEntryList makeList(std::initializer_list<std::pair<const char*, double>> entries)
{
    FileEntryList list;
    for (const auto& [name, date] : entries)
        list.emplace_back(name, date);
    return list;
}

TEST(sortEntries, ByNameBothWays)
{
    const NameCollator c("en_US.UTF-8");
    FileEntryList list = makeList({{"b2", 0}, {"a9", 0}, {"B", 0}, {"a10", 0}, {"A1", 0}, {"\xff", 0}});
    sortEntries(list, SortOrder::NameAsc, c);
    const std::vector<std::string> asc = namesOf(list);
    EXPECT_EQ(std::vector<std::string>(asc.begin(), asc.begin() + 5),
        (std::vector<std::string> {"A1", "a10", "a9", "B", "b2"}));
    sortEntries(list, SortOrder::NameDesc, c);
    std::vector<std::string> desc = namesOf(list);
    std::reverse(desc.begin(), desc.end());
    EXPECT_EQ(desc, asc);
    // The comparison functions agree with the sort.
    EXPECT_LT(compareByNameAsc(FileEntry("a10", 0), FileEntry("a9", 0), c), 0);
    EXPECT_GT(compareByNameDesc(FileEntry("a10", 0), FileEntry("a9", 0), c), 0);
}

TEST(sortEntries, ByDateBothWays)
{
    FileEntryList list = makeList({{"mid", 2.0}, {"old", 1.0}, {"new", 3.0}});
    sortEntries(list, SortOrder::DateAsc);
    EXPECT_EQ(namesOf(list), (std::vector<std::string> {"old", "mid", "new"}));
    sortEntries(list, SortOrder::DateDesc);
    EXPECT_EQ(namesOf(list), (std::vector<std::string> {"new", "mid", "old"}));
    EXPECT_EQ(compareByDateAsc(FileEntry("a", 1.0), FileEntry("b", 1.0)), 0);
    EXPECT_EQ(compareByDateAsc(FileEntry("a", 1.0), FileEntry("b", 2.0)), -1);
    EXPECT_EQ(compareByDateDesc(FileEntry("a", 1.0), FileEntry("b", 2.0)), 1);
}

TEST(sortEntries, LargeListSortsLikeTheComparison)
{
    const NameCollator c("en_US.UTF-8");
    FileEntryList list;
    for (int i = 0; i < 3000; ++i)
        list.emplace_back((i % 2 ? "File" : "file") + std::to_string((i * 7919) % 3000) + ".txt", 0);
    sortEntries(list, SortOrder::NameAsc, c);
    for (std::size_t i = 1; i < list.size(); ++i)
        ASSERT_LE(compareByNameAsc(list[i - 1], list[i], c), 0) << list[i - 1].name << " " << list[i].name;
}

} // namespace
} // namespace brindle
