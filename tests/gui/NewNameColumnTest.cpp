// The New name column of the file list: what a run started in the folder shown does, live with
// every change of the jobs and options, and the list filtered to what changes and in the run's
// order.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "RunWindowUtil.h"
#include "core/run/FolderReader.h"
#include "core/run/RenameRun.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/folders/FileListView.h"
#include "gui/run/ResultTreeModel.h"
#include "gui/run/ResultTreeWindow.h"
#include "common/TestName.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using Column = std::map<std::string, std::string>;

Job job(JobType kind, std::int32_t modifier, std::int32_t int1, std::string str1, std::string str2 = {})
{
    Job j = Job::create(kind);
    j.modifier = modifier;
    j.int1 = int1;
    j.str1 = std::move(str1);
    j.str2 = std::move(str2);
    return j;
}

class NewNameColumn : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    FileListModel* model() { return slv()->listModel(); }

    /// Waits until the folder is read and the column is computed for the newest input.
    bool settled()
    {
        return waitFor([&] { return slv()->isLoaded() && win().preview()->isCurrent(); });
    }

    /// What the column shows: each entry with a new name, or "!" for an entry the run fails on.
    Column column()
    {
        Column shown;
        for (int row = 0; row < model()->rowCount(); ++row) {
            const QModelIndex cell = model()->index(row, colNewName);
            const auto verdict = static_cast<EntryVerdict>(cell.data(FileListModel::VerdictRole).toInt());
            if (verdict == EntryVerdict::Error)
                shown[std::string(model()->nameAt(row))] = "!";
            else if (verdict == EntryVerdict::Renamed)
                shown[std::string(model()->nameAt(row))] = cell.data().toString().toStdString();
        }
        return shown;
    }

    std::vector<std::string> shownNames()
    {
        std::vector<std::string> names;
        for (int row = 0; row < model()->rowCount(); ++row)
            names.emplace_back(model()->nameAt(row));
        return names;
    }

    void setMask(const std::string& mask)
    {
        child<QComboBox>(&win(), "cmbFileMask")->setEditText(QString::fromStdString(mask));
    }
    void setCounter(int value) { child<QSpinBox>(&win(), "edtCounter")->setValue(value); }
};

// ---- the column is what the run does

struct ColumnCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<Job> jobs;
    std::string mask;
    int counterStart;
    /// The column expected: new names, "!" for a failure.
    Column expected;
    bool renameDirs = false;
    bool undo = false;
};

void PrintTo(const ColumnCase& c, std::ostream* os)
{
    *os << c.name;
}

class ColumnIsTheRun : public NewNameColumn, public ::testing::WithParamInterface<ColumnCase>
{
};

TEST_P(ColumnIsTheRun, AndGoMakesIt)
{
    const ColumnCase& c = GetParam();
    for (const std::string& f : c.files)
        m_tree.file("work/" + f);
    m_tree.dir("work/sub");
    startIn();
    check("chkUndo", c.undo);
    check("chkRenameDirs", c.renameDirs);
    check("chkSimulation", false);
    check("chkSort");
    check("rbNameASC");
    setMask(c.mask);
    setCounter(c.counterStart);
    loadJobs(c.jobs);
    ASSERT_TRUE(settled());
    const Column shown = column();
    EXPECT_EQ(shown, c.expected);

    // The folder after Go is what the column said: new names where it showed one, old names
    // everywhere else.
    std::set<std::string> foretold;
    for (const std::string& name : work()) {
        const auto at = shown.find(name);
        foretold.insert(at == shown.end() || at->second == "!" ? name : at->second);
    }
    // Go asks first when the column shows entries that fail: yes, the others are renamed.
    if (std::any_of(shown.begin(), shown.end(), [](const auto& e) { return e.second == "!"; }))
        m_dialogs.answers.push_back(true);
    go();
    std::set<std::string> after;
    for (const std::string& name : work())
        after.insert(name);
    after.erase("_brindlewick_undo.txt");
    EXPECT_EQ(after, foretold);
}

INSTANTIATE_TEST_SUITE_P(Cases, ColumnIsTheRun,
    ::testing::Values(
        // x.txt waits for xx.txt to move on.
        ColumnCase {"Chain", {"x.txt", "xx.txt"}, {job(jobInsert, posBegin, 0, "x")}, "*.*", 0,
            {{"x.txt", "xx.txt"}, {"xx.txt", "xxx.txt"}}},
        ColumnCase {"Swap", {"ab.t", "ba.t", "cc.t"},
            {job(jobReplace, replaceRegex, 0, "^(.)(.)\\.t$", "$2$1.t")}, "*.*", 0,
            {{"ab.t", "ba.t"}, {"ba.t", "ab.t"}}},
        // The hidden file holds the name a.txt wants; the list does not show it, the plan knows it.
        ColumnCase {"HiddenHolder", {"a.txt", ".a.txt", "b.txt"}, {job(jobInsert, posBegin, 0, ".")}, "*.*",
            0, {{"a.txt", "!"}, {"b.txt", ".b.txt"}}},
        // A file left by an interrupted run: nothing in the folder is renamed until it is undone.
        ColumnCase {"LeftByAnInterruptedRun", {"a.txt", "b.txt", ".brindlewick-tmp-0badc0de"},
            {job(jobUpper, scopeAll, 1, "")}, "*.*", 0, {{"a.txt", "!"}, {"b.txt", "!"}}},
        ColumnCase {"OutsideTheMask", {"a.txt", "c.doc"}, {job(jobUpper, scopeAll, 1, "")}, "*.txt", 0,
            {{"a.txt", "A.TXT"}}},
        ColumnCase {"CounterFromTheStart", {"b.txt", "a.txt", "c.txt"}, {job(jobCounter, posBegin, 2, "")},
            "*.*", 7, {{"a.txt", "07a.txt"}, {"b.txt", "08b.txt"}, {"c.txt", "09c.txt"}}},
        // Subfolders renamed first; with undo files a name holding a line feed is refused.
        ColumnCase {"FoldersAndUndoRules", {"a.txt", "l\nf.txt"}, {job(jobUpper, scopeAll, 1, "")}, "*.*", 0,
            {{"sub", "SUB"}, {"a.txt", "A.TXT"}, {"l\nf.txt", "!"}}, true, true}),
    [](const ::testing::TestParamInfo<ColumnCase>& info) { return std::string(info.param.name); });

TEST_F(NewNameColumn, FailureShowsTheSimulationsPictureAndItsReason)
{
    m_tree.file("work/a.txt");
    m_tree.file("work/.a.txt");
    startIn();
    loadJobs({job(jobInsert, posBegin, 0, ".")});
    ASSERT_TRUE(settled());
    const QModelIndex cell = model()->index(model()->rowOf("a.txt"), colNewName);
    EXPECT_FALSE(cell.data(Qt::DecorationRole).value<QIcon>().isNull());
    const QString tip = toolTipOf(cell);
    EXPECT_TRUE(tip.contains(QStringLiteral(".a.txt"))) << tip.toStdString();
    // The column shows the name wanted.
    EXPECT_EQ(cell.data().toString(), QStringLiteral(".a.txt"));
    // The views without the column give it in the name's tooltip.
    EXPECT_TRUE(
        toolTipOf(model()->index(model()->rowOf("a.txt"), colName)).contains(tip));
    // The reason is the simulation's.
    check("chkSimulation");
    go();
    ASSERT_NE(win().treeWindow(), nullptr);
    const QAbstractItemModel& tree = win().treeWindow()->model();
    const QModelIndex top = tree.index(0, 0);
    QString simulated;
    for (int row = 0; row < tree.rowCount(top); ++row) {
        if (tree.index(row, 0, top).data().toString().contains(QStringLiteral("a.txt")))
            simulated = toolTipOf(tree.index(row, 0, top));
    }
    EXPECT_TRUE(simulated.endsWith(QLatin1Char('\n') + tip)) << simulated.toStdString();
}

// ---- live

TEST_F(NewNameColumn, EditingAJobUpdatesTheColumnWithoutAButton)
{
    m_tree.file("work/a.txt");
    startIn();
    loadJobs({job(jobInsert, posBegin, 0, "x")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(column(), (Column {{"a.txt", "xa.txt"}}));
    selectRow(0);
    m_dialogs.thenOk(
        [](QDialog& dialog) { child<QLineEdit>(&dialog, "edtString")->setText(QStringLiteral("y")); });
    click("btnEdit");
    ASSERT_TRUE(settled());
    EXPECT_EQ(column(), (Column {{"a.txt", "ya.txt"}}));
    // The options too: the counter start and the mask.
    setMask("*.doc");
    ASSERT_TRUE(settled());
    EXPECT_EQ(column(), Column {});
    // A job that cannot run shows no new names and says why.
    loadJobs({job(jobReplace, replaceRegex, 0, "(", "")});
    setMask("*.*");
    ASSERT_TRUE(settled());
    EXPECT_EQ(column(), Column {});
    EXPECT_TRUE(slv()->note().startsWith(QStringLiteral("No new names: "))) << slv()->note().toStdString();
    loadJobs({job(jobUpper, scopeAll, 1, "")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(column(), (Column {{"a.txt", "A.TXT"}}));
    EXPECT_TRUE(slv()->note().isEmpty());
}

TEST_F(NewNameColumn, AnOlderAnswerNeverReplacesANewerOne)
{
    for (int i = 0; i < 2000; ++i)
        m_tree.file("work/f" + std::to_string(i) + ".txt");
    startIn();
    loadJobs({job(jobCounter, posBegin, 1, "")});
    ASSERT_TRUE(settled());
    // Every answer put into the column after the second edit is the second edit's.
    std::vector<std::string> seen;
    bool second = false;
    QObject::connect(win().preview(), &NewNamePreview::updated, [&] {
        if (second)
            seen.push_back(
                model()->index(model()->rowOf("f0.txt"), colNewName).data().toString().toStdString());
    });
    setCounter(3);
    second = true;
    setCounter(5);
    ASSERT_TRUE(settled());
    EXPECT_EQ(seen, std::vector<std::string> {"5f0.txt"});
}

// ---- the list

TEST_F(NewNameColumn, OnlyChangesShowsWhatGetsANewNameOrFails)
{
    m_tree.file("work/a.txt");
    m_tree.file("work/.a.txt");
    m_tree.file("work/ab.txt");
    m_tree.file("work/b.txt");
    m_tree.dir("work/sub");
    startIn();
    // a.txt fails (the hidden .a.txt holds its new name), ab.txt is renamed, b.txt and the
    // folder stay as they are.
    loadJobs({job(jobReplace, replaceRegex, 0, "^a", ".a")});
    ASSERT_TRUE(settled());
    const std::vector<std::string> all = {"sub", "a.txt", "ab.txt", "b.txt"};
    EXPECT_EQ(shownNames(), all);
    slv()->selectName(std::string_view("ab.txt"));
    check("chkOnlyChanges");
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"a.txt", "ab.txt"}));
    EXPECT_EQ(slv()->selectedName(), std::optional<std::string>("ab.txt"));
    // It follows the jobs.
    loadJobs({job(jobReplace, replaceRegex, 0, "^b", "c")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"b.txt"}));
    check("chkOnlyChanges", false);
    EXPECT_EQ(shownNames(), all);
}

TEST_F(NewNameColumn, SortedBeforeProcessingTheListIsInTheRunsOrder)
{
    // Dates the other way round from the names.
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        m_tree.file("work/" + names[i]);
        std::filesystem::last_write_time(m_tree.at("work/" + names[i]),
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * static_cast<int>(i)));
    }
    startIn();
    check("chkSort");
    check("rbDateASC");
    loadJobs({job(jobCounter, posBegin, 1, "")});
    setCounter(1);
    ASSERT_TRUE(settled());
    ASSERT_TRUE(waitFor([&] { return shownNames().front() == "d.txt"; }));
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"d.txt", "c.txt", "b.txt", "a.txt"}));
    // The counter numbers run down the list.
    for (int row = 0; row < model()->rowCount(); ++row)
        EXPECT_EQ(model()->index(row, colNewName).data().toString().toStdString(),
            std::to_string(row + 1) + std::string(model()->nameAt(row)));
    // Not sorted before processing: by name again.
    check("chkSort", false);
    ASSERT_TRUE(settled());
    EXPECT_EQ(shownNames(), names);
}

// ---- the plan from the file list's listing

struct ListingCase {
    const char* name;
    bool sort;
    SortOrder order;
};

void PrintTo(const ListingCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlanFromTheListing : public ::testing::TestWithParam<ListingCase>
{
};

// The column's plan is made from the listing the file list holds, its hidden entries put back
// in their places: entry for entry, it is the plan the run makes from a listing of its own.
TEST_P(PlanFromTheListing, IsTheRunsPlanOfTheFolder)
{
    const ListingCase& c = GetParam();
    TempTree tree;
    // Hidden folders and files among the others; three dates only, so a sort by date has ties.
    const std::time_t day = localTime(2010, 5, 1, 12, 0);
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        const std::time_t when = day + (i % 3) * 60;
        tree.file(std::string("f/") + (i % 5 == 0 ? "." : "") + "F" + n + ".TXT", "", when);
        if (i % 4 == 0)
            tree.dir(std::string("f/") + (i % 8 == 0 ? "." : "") + "D" + n, when);
    }
    RunOptions options;
    options.startFolder = tree.at("f");
    options.renameDirs = true;
    options.sort = c.sort;
    options.sortOrder = c.order;
    options.counterStart = 3;
    const std::vector<Job> jobs = {job(jobLower, scopeAll, 1, ""), job(jobCounter, posBegin, 2, "")};

    RenamePlan run;
    ASSERT_EQ(planStartingFolder(options, jobs, run), 0);
    const int fd = openFolderForListing(options.startFolder);
    ASSERT_GE(fd, 0);
    FolderReader reader;
    reader.start(fd);
    FolderEntries all;
    while (reader.readMore(all, 7, true)) { }
    ASSERT_FALSE(reader.error().failed());
    ::close(fd);
    const std::shared_ptr<const ListingTable> table = makeListingTable(std::move(all), false);
    ASSERT_EQ(table->size() + table->hidden.size(), 50u);
    RenamePlan column;
    ASSERT_EQ(planFromTable(*table, options.startFolder, options, jobs, column), 0);

    ASSERT_EQ(column.size(), run.size());
    ASSERT_EQ(column.dirCount(), run.dirCount());
    for (std::size_t i = 0; i < run.size(); ++i) {
        const FileEntry& e = column.entry(i);
        EXPECT_EQ(e.name, run.entry(i).name) << i;
        EXPECT_EQ(column.newName(i), run.newName(i)) << e.name;
        EXPECT_EQ(column.verdict(i), run.verdict(i)) << e.name;
        // Each entry leads back to its row of the table; a hidden one has none.
        if (e.name.starts_with('.')) {
            EXPECT_EQ(e.tag, kHiddenEntry) << e.name;
        } else {
            EXPECT_EQ(e.tag < table->size() ? table->entries.name(e.tag) : "?", e.name);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, PlanFromTheListing,
    ::testing::Values(ListingCase {"ByName", true, SortOrder::NameAsc},
        ListingCase {"ByNameDescending", true, SortOrder::NameDesc},
        ListingCase {"ByDateWithTies", true, SortOrder::DateAsc},
        ListingCase {"ByDateDescending", true, SortOrder::DateDesc},
        ListingCase {"FolderOrder", false, SortOrder::NameAsc}),
    [](const ::testing::TestParamInfo<ListingCase>& info) { return std::string(info.param.name); });

} // namespace
