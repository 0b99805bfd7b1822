// The folder tree and the file list over the core's listing: names of any bytes, the watch,
// a folder that goes, sorting, and the slot of the new names.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <random>

#include "GuiTestUtil.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FolderTreeModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/base/DisplayName.h"
#include "common/TestName.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

const std::string kLatin1Name = "caf\xE9.txt"; // é in ISO-8859-1: not valid UTF-8
const std::string kLineFeedName = "two\nlines.txt";
const std::string kOddFolder = "d\xFF\xFE";

class FolderViews : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        m_tree.file("work/top/a.TXT", "a");
        m_tree.file("work/top/b.txt", "bb");
        m_tree.file("work/top/" + kLatin1Name, "ccc");
        m_tree.file("work/top/" + kLineFeedName, "dddd");
        m_tree.file("work/top/.hidden", "h");
        m_tree.dir("work/top/sub");
        m_tree.file("work/top/" + kOddFolder + "/inside.txt", "i");
        start({m_tree.at("work/top")});
        slv = child<FileListView>(&win(), "slv");
        stv = child<FolderTreeView>(&win(), "stv");
        model = slv->listModel();
    }

    bool loaded()
    {
        return waitFor([&] { return slv->isLoaded(); });
    }

    /// The names in the list, in the order shown, as bytes.
    std::vector<std::string> shownNames()
    {
        std::vector<std::string> names;
        for (int row = 0; row < model->rowCount(); ++row)
            names.emplace_back(model->nameAt(row));
        return names;
    }

    void clickName(const std::string& name)
    {
        QAbstractItemView* view = slv->currentView();
        const QModelIndex index = model->index(model->rowOf(name), 0);
        ASSERT_TRUE(index.isValid()) << quoted(name);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    /// The value of a key of the settings file as bytes.
    std::string iniValue(const std::string& key)
    {
        for (const std::string& line : lines(m_tree.read("settings/brindle.ini"))) {
            if (line.starts_with(key + "="))
                return line.substr(key.size() + 1);
        }
        return "<none>";
    }

    FileListView* slv = nullptr;
    FolderTreeView* stv = nullptr;
    FileListModel* model = nullptr;
};

TEST_F(FolderViews, EveryNameIsShownLegiblyAndMarked)
{
    ASSERT_TRUE(loaded());
    // Hidden entries are left out; everything else is there, folders first.
    EXPECT_EQ(shownNames(),
        (std::vector<std::string> {kOddFolder, "sub", "a.TXT", "b.txt", kLatin1Name, kLineFeedName}));
    const QModelIndex latin1 = model->index(model->rowOf(kLatin1Name), 0);
    EXPECT_EQ(latin1.data().toString(), QStringLiteral("caf\uFFFD.txt"));
    EXPECT_TRUE(latin1.data(FileListModel::InvalidNameRole).toBool());
    EXPECT_TRUE(toolTipOf(latin1).contains(QStringLiteral("caf\\xE9.txt")));
    const QModelIndex lineFeed = model->index(model->rowOf(kLineFeedName), 0);
    EXPECT_EQ(lineFeed.data().toString(), QStringLiteral("two\\nlines.txt"));
    EXPECT_FALSE(lineFeed.data(FileListModel::InvalidNameRole).toBool());
    EXPECT_TRUE(toolTipOf(lineFeed).contains(QStringLiteral("\\x0A")));
    EXPECT_EQ(
        toolTipOf(model->index(model->rowOf("b.txt"), 0)), QStringLiteral("b.txt"));
}

TEST_F(FolderViews, ClickOnAnInvalidNameGivesTheSampleItsBytes)
{
    ASSERT_TRUE(loaded());
    clickName(kLatin1Name);
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("caf\uFFFD.txt"));
    // The sample keeps the bytes, as the settings file shows.
    ASSERT_TRUE(win().writeSettings());
    EXPECT_EQ(iniValue("example"), kLatin1Name);
    // And the job list works on them: upper case leaves the stray byte as it is.
    addJob("btnUpper");
    clickName(kLatin1Name);
    EXPECT_EQ(sampleResult(), QStringLiteral("CAF\uFFFD.TXT"));
    ASSERT_TRUE(win().writeSettings());
    EXPECT_EQ(iniValue("example"), kLatin1Name);
}

TEST_F(FolderViews, RenamingInPlaceKeepsTheBytesNotTyped)
{
    ASSERT_TRUE(loaded());
    for (const auto& [from, typed, to] : std::vector<std::tuple<std::string, QString, std::string>> {
             {kLatin1Name, QStringLiteral("old caf\uFFFD.txt"), "old caf\xE9.txt"},
             {kLineFeedName, QStringLiteral("two\\nlines, renamed.txt"), "two\nlines, renamed.txt"},
             {"b.txt", QStringLiteral("b\uFFFD.txt"), "b\xEF\xBF\xBD.txt"},
         }) {
        ASSERT_TRUE(waitFor([&] { return slv->selectName(std::string_view(from)); })) << quoted(from);
        slv->editSelected();
        auto* editor = slv->currentView()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        ASSERT_TRUE(waitFor([&] { return m_tree.exists("work/top/" + to); })) << quoted(to);
        EXPECT_FALSE(m_tree.exists("work/top/" + from));
        // The renamed entry is selected under its new name once the folder has been read again.
        EXPECT_TRUE(waitFor([&] { return slv->selectedName() == to; })) << quoted(to);
    }
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(FolderViews, AFolderWithAnInvalidNameCanBeOpenedSelectedAndKept)
{
    ASSERT_TRUE(loaded());
    QAbstractItemModelTester treeTester(stv->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Shown in the tree below the folder.
    const QModelIndex top = stv->currentIndex();
    stv->expand(top);
    ASSERT_TRUE(waitFor([&] { return stv->model()->rowCount(top) == 2; }));
    const QModelIndex odd = stv->model()->index(0, 0, top);
    EXPECT_EQ(odd.data().toString(), QStringLiteral("d\uFFFD\uFFFD"));
    EXPECT_EQ(odd.data(FolderTreeModel::NameBytesRole).toByteArray().toStdString(), kOddFolder);

    // Entered from the list: the tree selects it, the list shows what it holds.
    clickName(kOddFolder);
    const QModelIndex item = model->index(model->rowOf(kOddFolder), 0);
    QTest::mouseDClick(
        slv->currentView()->viewport(), Qt::LeftButton, {}, slv->currentView()->visualRect(item).center());
    ASSERT_TRUE(waitFor([&] { return win().selectedPath() == m_tree.at("work/top/" + kOddFolder); }));
    EXPECT_EQ(stv->currentIndex(), odd);
    ASSERT_TRUE(loaded());
    EXPECT_EQ(shownNames(), std::vector<std::string> {"inside.txt"});

    // The settings keep the path as bytes: the next start opens it again.
    restart();
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/top/" + kOddFolder));
    slv = child<FileListView>(&win(), "slv");
    model = slv->listModel();
    ASSERT_TRUE(loaded());
    EXPECT_EQ(shownNames(), std::vector<std::string> {"inside.txt"});

    click("btnBack");
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/top"));
}

TEST_F(FolderViews, TheWatchShowsChangesAndKeepsSelectionAndScrolling)
{
    for (int i = 0; i < 300; ++i)
        m_tree.file("work/top/many/f" + std::to_string(1000 + i) + ".txt");
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/top/many")));
    click("btnDetails");
    ASSERT_TRUE(loaded());
    // A broken model contract stops the tests (qFatal).
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(slv->selectName(std::string_view("f1200.txt")));
    QScrollBar* bar = slv->currentView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();

    // A file that comes, one that goes, one renamed: no refresh asked for.
    m_tree.file("work/top/many/f1400.txt");
    std::filesystem::remove(m_tree.at("work/top/many/f1000.txt"));
    std::filesystem::rename(m_tree.at("work/top/many/f1001.txt"), m_tree.at("work/top/many/g.txt"));
    ASSERT_TRUE(waitFor([&] { return model->rowOf("f1400.txt") >= 0 && model->rowOf("g.txt") >= 0; }));
    EXPECT_EQ(model->rowOf("f1000.txt"), -1);
    EXPECT_EQ(model->rowOf("f1001.txt"), -1);
    EXPECT_EQ(model->rowCount(), 300);
    EXPECT_EQ(slv->selectedName(), std::optional<std::string>("f1200.txt"));
    EXPECT_EQ(slv->currentView()->currentIndex().row(), model->rowOf("f1200.txt"));
    EXPECT_EQ(bar->value(), scrolled);
}

TEST_F(FolderViews, AFolderThatGoesIsSaidToBeGone)
{
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/top/sub")));
    m_tree.file("work/top/sub/x.txt");
    ASSERT_TRUE(waitFor([&] { return model->rowOf("x.txt") >= 0; }));
    ASSERT_TRUE(slv->selectName(std::string_view("x.txt")));
    std::filesystem::remove_all(m_tree.at("work/top/sub"));
    ASSERT_TRUE(waitFor([&] { return !slv->statusText().isEmpty(); }));
    EXPECT_TRUE(slv->statusText().contains(QStringLiteral("No such file or directory")))
        << slv->statusText().toStdString();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(slv->selectedName(), std::nullopt);
    // Made again and refreshed: shown again.
    m_tree.file("work/top/sub/y.txt");
    slv->refresh();
    ASSERT_TRUE(waitFor([&] { return model->rowOf("y.txt") >= 0; }));
    EXPECT_TRUE(slv->statusText().isEmpty());

    // The tree, refreshed, selects the folder above one that has gone.
    std::filesystem::remove_all(m_tree.at("work/top/sub"));
    click("imgRefresh");
    EXPECT_TRUE(waitFor([&] { return win().selectedPath() == m_tree.at("work/top"); }));
    EXPECT_TRUE(waitFor([&] { return slv->folder() == m_tree.at("work/top"); }));
}

struct SortCase {
    int column;
    Qt::SortOrder order;
    std::vector<std::string> expected;
    friend void PrintTo(const SortCase& c, std::ostream* os)
    {
        *os << "column " << c.column << (c.order == Qt::AscendingOrder ? " up" : " down");
    }
};

std::string sortCaseName(const ::testing::TestParamInfo<SortCase>& info)
{
    static const char* const kColumns[] = {"Name", "Size", "Type", "Date"};
    return std::string(kColumns[info.param.column])
        + (info.param.order == Qt::AscendingOrder ? "Ascending" : "Descending");
}

class FolderViewsSort : public FolderViews, public ::testing::WithParamInterface<SortCase>
{
};

TEST_P(FolderViewsSort, HeaderSortsByColumnFoldersFirst)
{
    // Digits one by one ("a10" before "a9"), not the natural order of a first start.
    check("chkNaturalSort", false);
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/top/sub")));
    // Sizes, dates and types that each give another order than the names.
    m_tree.file("work/top/sub/a10.txt", "1234", localTime(2020, 1, 3, 0, 0));
    m_tree.file("work/top/sub/a9.jpg", "123456", localTime(2020, 1, 1, 0, 0));
    m_tree.file("work/top/sub/B.png", "1", localTime(2020, 1, 2, 0, 0));
    m_tree.file("work/top/sub/c", "12", localTime(2020, 1, 4, 0, 0));
    m_tree.dir("work/top/sub/zdir", localTime(2019, 1, 1, 0, 0));
    slv->refresh();
    click("btnDetails");
    ASSERT_TRUE(loaded());
    ASSERT_EQ(model->rowCount(), 5);
    auto* details = qobject_cast<QTreeView*>(slv->currentView());
    ASSERT_NE(details, nullptr);
    details->header()->setSortIndicator(GetParam().column, GetParam().order);
    EXPECT_EQ(shownNames(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Columns, FolderViewsSort,
    ::testing::Values(
        // The run's collation: case ignored, digits one by one (a10 before a9).
        SortCase {colName, Qt::AscendingOrder, {"zdir", "a10.txt", "a9.jpg", "B.png", "c"}},
        SortCase {colName, Qt::DescendingOrder, {"zdir", "c", "B.png", "a9.jpg", "a10.txt"}},
        SortCase {colSize, Qt::AscendingOrder, {"zdir", "B.png", "c", "a10.txt", "a9.jpg"}},
        SortCase {colSize, Qt::DescendingOrder, {"zdir", "a9.jpg", "a10.txt", "c", "B.png"}},
        SortCase {colType, Qt::AscendingOrder, {"zdir", "c", "a9.jpg", "B.png", "a10.txt"}},
        SortCase {colDate, Qt::AscendingOrder, {"zdir", "a9.jpg", "B.png", "a10.txt", "c"}},
        SortCase {colDate, Qt::DescendingOrder, {"zdir", "c", "a10.txt", "B.png", "a9.jpg"}}),
    sortCaseName);

TEST_F(FolderViews, NaturalOrderFollowsTheSetting)
{
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/top/sub")));
    m_tree.file("work/top/sub/a10");
    m_tree.file("work/top/sub/a9");
    // On for a first start; off, digits compare one by one.
    check("chkNaturalSort", false);
    slv->refresh();
    ASSERT_TRUE(waitFor([&] { return slv->isLoaded() && shownNames().front() == "a10"; }));
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"a10", "a9"}));
    check("chkNaturalSort");
    ASSERT_TRUE(waitFor([&] { return slv->isLoaded() && shownNames().front() == "a9"; }));
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"a9", "a10"}));
}

TEST_F(FolderViews, OddNamesInEveryStyleStayOnOneLine)
{
    std::vector<std::string> odd = {std::string(255, 'n'), std::string(254, 'x') + "\xFF", "tab\tand\rreturn",
        "bell\x07\x7F", "c1\xC2\x85", "sep\xE2\x80\xA8", "\x1B[31mred",
        std::string("\xE2\x90\x8A") + "\n" /* the symbol itself and the character */};
    for (const std::string& name : odd)
        m_tree.file("work/top/odd/" + name);
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/top/odd")));
    ASSERT_TRUE(loaded());
    ASSERT_EQ(model->rowCount(), static_cast<int>(odd.size()));
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString text = model->index(row, 0).data().toString();
        for (const QChar c : text)
            EXPECT_FALSE(c.category() == QChar::Other_Control || c == QChar(0x2028) || c == QChar(0x2029))
                << quoted(std::string(model->nameAt(row)));
        // Typed back unchanged, the shown text gives the exact bytes.
        EXPECT_EQ(bytesFromEditedName(model->nameAt(row), text), model->nameAt(row));
    }
    for (const char* button : {"btnLargeIcons", "btnSmallIcons", "btnList", "btnDetails"}) {
        click(button);
        EXPECT_FALSE(slv->currentView()->grab().isNull()) << button;
    }
}

TEST_F(FolderViews, NewNameColumnTakesResultsForTheTableShown)
{
    ASSERT_TRUE(loaded());
    const std::shared_ptr<const ListingTable> table = model->table();
    ASSERT_NE(table, nullptr);
    std::vector<EntryResult> results(table->size());
    results[static_cast<std::size_t>(table->find("b.txt"))] = {EntryVerdict::Renamed, "B.TXT", {}};
    results[static_cast<std::size_t>(table->find("a.TXT"))] = {EntryVerdict::Error, {}, "clash"};
    model->setNewNameColumnShown(true);
    model->setEntryResults(table, results);
    EXPECT_EQ(model->columnCount(), 5);
    const int b = model->rowOf("b.txt");
    EXPECT_EQ(model->index(b, colNewName).data().toString(), QStringLiteral("B.TXT"));
    EXPECT_EQ(model->index(b, 0).data(FileListModel::NewNameRole).toString(), QStringLiteral("B.TXT"));
    const int a = model->rowOf("a.TXT");
    EXPECT_EQ(
        model->index(a, 0).data(FileListModel::VerdictRole).toInt(), static_cast<int>(EntryVerdict::Error));
    EXPECT_EQ(toolTipOf(model->index(a, colNewName)), QStringLiteral("clash"));

    // Results for a table no longer shown are dropped.
    m_tree.file("work/top/new.txt");
    ASSERT_TRUE(waitFor([&] { return model->rowOf("new.txt") >= 0; }));
    EXPECT_EQ(model->index(model->rowOf("b.txt"), colNewName).data().toString(), QString());
    model->setEntryResults(table, results);
    EXPECT_EQ(model->index(model->rowOf("b.txt"), colNewName).data().toString(), QString());
}

// ---- the shown form of a name, and the bytes back from it

TEST(DisplayName, ShownFormTypedBackGivesTheBytes)
{
    // Random names of the bytes that matter most: stray high bytes, controls, the symbols.
    const std::vector<std::string> pieces = {"a", "\xE9", "\xFF", "\n", "\x01", "\x7F", "\xC2\x85",
        "\xEF\xBF\xBD", "\xE2\x90\x8A", "\xE2\x80\xA8", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xE2\x82"};
    std::mt19937 random(14);
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        const int length = static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i)
            name += pieces[random() % pieces.size()];
        const QString shown = nameForDisplay(name);
        ASSERT_EQ(bytesFromEditedName(name, shown), name) << quoted(name);
        for (const QChar c : shown)
            ASSERT_NE(c.category(), QChar::Other_Control) << quoted(name);
    }
}

TEST(DisplayName, EditsKeepTheStrayBytesInOrder)
{
    // Two stray bytes, the first deleted: the second keeps its byte.
    EXPECT_EQ(bytesFromEditedName("a\xE9"
                                  "b\xFF",
                  QStringLiteral("ab\uFFFD!")),
        "ab\xFF!");
    // Moved: a symbol typed elsewhere takes the bytes of the one deleted.
    EXPECT_EQ(bytesFromEditedName("\xE9x", QStringLiteral("x\uFFFD")), "x\xE9");
    // More symbols typed than there were: the extra one is the symbol itself.
    EXPECT_EQ(bytesFromEditedName("\xE9", QStringLiteral("\uFFFD\uFFFD")), "\xE9\xEF\xBF\xBD");
    // An escape typed anew is the text typed; one cut in two is text too.
    EXPECT_EQ(bytesFromEditedName("a", QStringLiteral("a\\n")), "a\\n");
    EXPECT_EQ(bytesFromEditedName("a\nb", QStringLiteral("a\\b")), "a\\b");
    EXPECT_EQ(bytesFromEditedName("a\x01", QStringLiteral("a\\x01!")), "a\x01!");
    EXPECT_EQ(escapedName("a\\b\xE9\n\xC3\xA9"), QStringLiteral("a\\\\b\\xE9\\x0A\u00E9"));
}

} // namespace
