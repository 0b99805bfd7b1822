#include <gtest/gtest.h>

#include "run/URenameRun.h"
#include "run/UResultTree.h"

namespace brindle
{
namespace
{

class ResultTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { root = tree.SetRoot("/photos"); }
    std::int32_t add(std::string_view oldName, std::string_view newName, TEntryKind kind = TEntryKind::File,
        std::int32_t parent = 0)
    {
        bool clash = false;
        const std::int32_t n = tree.AddNode(parent, oldName, newName, kind, &clash);
        clashes += clash ? 1 : 0;
        return n;
    }
    const TResultNode& node(std::int32_t i) const { return tree.Node(i); }

    TResultTree tree;
    std::int32_t root = -1;
    int clashes = 0;
};

TEST_F(ResultTreeTest, MarksTheLaterOfTwoNamesThatDifferInCaseOnly)
{
    const auto first = add("Readme.TXT", "readme.txt");
    const auto second = add("README.txt", "README.TXT");
    EXPECT_EQ(node(first).State, TResultState::Renamed);
    EXPECT_EQ(node(first).Text, "readme.txt");
    EXPECT_EQ(node(second).State, TResultState::Error);
    EXPECT_EQ(node(second).Text, "README.TXT (was \"README.txt\")");
    EXPECT_EQ(clashes, 1);
}

TEST_F(ResultTreeTest, GreekAccentsAndFinalSigmaClash)
{
    add("a", "λόγος");
    const auto sigma = add("b", "ΛΟΓΟΣ");
    const auto accent = add("c", "Άλφα");
    const auto plain = add("d", "αλφα");
    const auto other = add("e", "βήτα");
    EXPECT_EQ(node(sigma).State, TResultState::Error);
    EXPECT_EQ(node(accent).State, TResultState::Renamed);
    EXPECT_EQ(node(plain).State, TResultState::Error);
    EXPECT_EQ(node(other).State, TResultState::Renamed);
    EXPECT_EQ(clashes, 2);
}

TEST_F(ResultTreeTest, AFileThatTakesASubfoldersNameIsTheOneMarked)
{
    const auto folder = add("Misc", "misc", TEntryKind::Folder);
    const auto file = add("MISC", "misc");
    EXPECT_EQ(node(folder).State, TResultState::Renamed);
    EXPECT_EQ(node(file).State, TResultState::Error);
}

TEST_F(ResultTreeTest, ImagesByKindAndState)
{
    const auto folderSame = add("A", "A", TEntryKind::Folder);
    const auto folderNew = add("B", "b", TEntryKind::Folder);
    const auto folderClash = add("C", "a", TEntryKind::Folder);
    const auto fileSame = add("x", "x");
    const auto fileNew = add("y", "Y2");
    const auto fileClash = add("z", "y2");
    auto images = [&](std::int32_t i) { return std::pair(node(i).ImageIndex(), node(i).SelectedIndex()); };
    EXPECT_EQ(images(root), std::pair(0, 1));
    EXPECT_EQ(images(folderSame), std::pair(0, 1));
    EXPECT_EQ(images(folderNew), std::pair(3, 4));
    EXPECT_EQ(images(folderClash), std::pair(6, 7));
    EXPECT_EQ(images(fileSame), std::pair(2, 2));
    EXPECT_EQ(images(fileNew), std::pair(5, 5));
    EXPECT_EQ(images(fileClash), std::pair(8, 8));
}

TEST_F(ResultTreeTest, ComparesWithTheTextOfAnEarlierClash)
{
    // The second node's text becomes 'a (was "b")'; a later new name equal to that text
    // clashes with it, exactly as comparing with every earlier child's text does.
    add("x", "a");
    add("b", "A");
    const auto third = add("c", "A (WAS \"B\")");
    EXPECT_EQ(node(third).State, TResultState::Error);
    EXPECT_EQ(clashes, 2);
}

TEST_F(ResultTreeTest, KeepsEachFoldersNamesApartAndComesBackToAFolder)
{
    const auto sub = add("Sub", "Sub", TEntryKind::Folder);
    add("f", "name");
    const auto inSub = add("g", "NAME", TEntryKind::File, sub);
    EXPECT_EQ(node(inSub).State, TResultState::Renamed);
    // Adding to the root again still sees its earlier children.
    const auto again = add("h", "Name");
    EXPECT_EQ(node(again).State, TResultState::Error);
    EXPECT_EQ(tree.IndexInParent(again), 2);
    EXPECT_EQ(tree.IndexInParent(inSub), 0);
}

TEST_F(ResultTreeTest, FindsTheOneClashAmongManyNames)
{
    for (int i = 0; i < 20000; ++i)
        add("old" + std::to_string(i), "name" + std::to_string(i));
    EXPECT_EQ(clashes, 0);
    const auto dup = add("other", "NAME12345");
    EXPECT_EQ(node(dup).State, TResultState::Error);
    EXPECT_EQ(clashes, 1);
}

TEST_F(ResultTreeTest, PrintsOneNodeALine)
{
    const auto sub = add("Misc", "misc", TEntryKind::Folder);
    add("B", "B", TEntryKind::Folder);
    add("IMG_1.JPG", "img_1.jpg");
    add("IMG_1.jpg", "img_1.jpg");
    add("a.TXT", "a.txt", TEntryKind::File, sub);
    EXPECT_EQ(tree.ToText(),
        "/photos\n"
        "  ~ misc/\n"
        "    ~ a.txt\n"
        "  = B/\n"
        "  ~ img_1.jpg\n"
        "  ! img_1.jpg (was \"IMG_1.jpg\")\n");
    // Written out block by block, the text is the same.
    std::string written;
    tree.WriteText([&](std::string_view block) { written += block; });
    EXPECT_EQ(written, tree.ToText());
}

TEST(SimulationResultText, Wording)
{
    TRunStats s;
    s.FilesRenamed = 3;
    s.FoldersRenamed = 1;
    EXPECT_EQ(SimulationResultText(s), "3 files and 1 directories have been renamed.");
}

} // namespace
} // namespace brindle
