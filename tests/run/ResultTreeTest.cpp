#include <gtest/gtest.h>

#include "core/run/RenameRun.h"
#include "core/run/ResultTree.h"

namespace brindle
{
namespace
{

class ResultTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { root = tree.setRoot("/photos"); }
    std::int32_t add(std::string_view oldName, std::string_view newName, EntryKind kind = EntryKind::File,
        std::int32_t parent = 0)
    {
        bool clash = false;
        const std::int32_t n = tree.addNode(parent, oldName, newName, kind, &clash);
        clashes += clash ? 1 : 0;
        return n;
    }
    const ResultNode& node(std::int32_t i) const { return tree.node(i); }

    ResultTree tree;
    std::int32_t root = -1;
    int clashes = 0;
};

TEST_F(ResultTreeTest, MarksTheLaterOfTwoNamesThatDifferInCaseOnly)
{
    const auto first = add("Readme.TXT", "readme.txt");
    const auto second = add("README.txt", "README.TXT");
    EXPECT_EQ(node(first).state, ResultState::Renamed);
    EXPECT_EQ(node(first).text, "readme.txt");
    EXPECT_EQ(node(second).state, ResultState::Error);
    EXPECT_EQ(node(second).text, "README.TXT (was \"README.txt\")");
    EXPECT_EQ(clashes, 1);
}

TEST_F(ResultTreeTest, GreekAccentsAndFinalSigmaClash)
{
    add("a", "λόγος");
    const auto sigma = add("b", "ΛΟΓΟΣ");
    const auto accent = add("c", "Άλφα");
    const auto plain = add("d", "αλφα");
    const auto other = add("e", "βήτα");
    EXPECT_EQ(node(sigma).state, ResultState::Error);
    EXPECT_EQ(node(accent).state, ResultState::Renamed);
    EXPECT_EQ(node(plain).state, ResultState::Error);
    EXPECT_EQ(node(other).state, ResultState::Renamed);
    EXPECT_EQ(clashes, 2);
}

TEST_F(ResultTreeTest, AFileThatTakesASubfoldersNameIsTheOneMarked)
{
    const auto folder = add("Misc", "misc", EntryKind::Folder);
    const auto file = add("MISC", "misc");
    EXPECT_EQ(node(folder).state, ResultState::Renamed);
    EXPECT_EQ(node(file).state, ResultState::Error);
}

TEST_F(ResultTreeTest, ImagesByKindAndState)
{
    const auto folderSame = add("A", "A", EntryKind::Folder);
    const auto folderNew = add("B", "b", EntryKind::Folder);
    const auto folderClash = add("C", "a", EntryKind::Folder);
    const auto fileSame = add("x", "x");
    const auto fileNew = add("y", "Y2");
    const auto fileClash = add("z", "y2");
    auto images = [&](std::int32_t i) { return std::pair(node(i).imageIndex(), node(i).selectedIndex()); };
    EXPECT_EQ(images(root), std::pair(0, 1));
    EXPECT_EQ(images(folderSame), std::pair(0, 1));
    EXPECT_EQ(images(folderNew), std::pair(3, 4));
    EXPECT_EQ(images(folderClash), std::pair(6, 7));
    EXPECT_EQ(images(fileSame), std::pair(2, 2));
    EXPECT_EQ(images(fileNew), std::pair(5, 5));
    EXPECT_EQ(images(fileClash), std::pair(8, 8));
}

// Each node gives its names before and after, whatever the names hold; an error's text adds
// its old name after the new one.
TEST_F(ResultTreeTest, NamesBeforeAndAfterOfEveryKindOfNode)
{
    const auto same = add("keep.txt", "keep.txt");
    const auto renamed = add("A.txt", "a.txt");
    const auto clash = add("x (was \"y\").txt", "A.TXT");
    const auto planned
        = tree.addPlannedNode(0, "b\")", "a.txt (was", EntryKind::File, ResultState::Error, "why");
    const std::vector<std::pair<std::string_view, std::string_view>> expected {{"/photos", "/photos"},
        {"keep.txt", "keep.txt"}, {"A.txt", "a.txt"}, {"x (was \"y\").txt", "A.TXT"}, {"b\")", "a.txt (was"}};
    for (const auto i : {root, same, renamed, clash, planned})
        EXPECT_EQ(std::pair(node(i).nameBefore(), node(i).newName()), expected[static_cast<std::size_t>(i)])
            << i;
}

TEST_F(ResultTreeTest, ComparesWithTheTextOfAnEarlierClash)
{
    // The second node's text becomes 'a (was "b")'; a later new name equal to that text
    // clashes with it, exactly as comparing with every earlier child's text does.
    add("x", "a");
    add("b", "A");
    const auto third = add("c", "A (WAS \"B\")");
    EXPECT_EQ(node(third).state, ResultState::Error);
    EXPECT_EQ(clashes, 2);
}

TEST_F(ResultTreeTest, KeepsEachFoldersNamesApartAndComesBackToAFolder)
{
    const auto sub = add("Sub", "Sub", EntryKind::Folder);
    add("f", "name");
    const auto inSub = add("g", "NAME", EntryKind::File, sub);
    EXPECT_EQ(node(inSub).state, ResultState::Renamed);
    // Adding to the root again still sees its earlier children.
    const auto again = add("h", "Name");
    EXPECT_EQ(node(again).state, ResultState::Error);
    EXPECT_EQ(tree.indexInParent(again), 2);
    EXPECT_EQ(tree.indexInParent(inSub), 0);
}

TEST_F(ResultTreeTest, FindsTheOneClashAmongManyNames)
{
    for (int i = 0; i < 20000; ++i)
        add("old" + std::to_string(i), "name" + std::to_string(i));
    EXPECT_EQ(clashes, 0);
    const auto dup = add("other", "NAME12345");
    EXPECT_EQ(node(dup).state, ResultState::Error);
    EXPECT_EQ(clashes, 1);
}

TEST_F(ResultTreeTest, PrintsOneNodeALine)
{
    const auto sub = add("Misc", "misc", EntryKind::Folder);
    add("B", "B", EntryKind::Folder);
    add("IMG_1.JPG", "img_1.jpg");
    add("IMG_1.jpg", "img_1.jpg");
    add("a.TXT", "a.txt", EntryKind::File, sub);
    EXPECT_EQ(tree.toText(),
        "/photos\n"
        "  ~ misc/\n"
        "    ~ a.txt\n"
        "  = B/\n"
        "  ~ img_1.jpg\n"
        "  ! img_1.jpg (was \"IMG_1.jpg\")\n");
    // Written out block by block, the text is the same.
    std::string written;
    tree.writeText([&](std::string_view block) { written += block; });
    EXPECT_EQ(written, tree.toText());
}

TEST(simulationResultText, Wording)
{
    RunStats s;
    s.filesRenamed = 3;
    s.foldersRenamed = 1;
    EXPECT_EQ(simulationResultText(s), "3 files and 1 directories have been renamed.");
}

} // namespace
} // namespace brindle
