// The preview first: the details with Name and New name side by side, the changes marked, the
// summary line under the list and Go asking before a run that fails on entries.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>

#include <cstdlib>

#include "RunWindowUtil.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNameDelegate.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/folders/PlanSummaryBar.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

Job replaceJob(
    std::string find, std::string with, std::int32_t mode = replaceText, std::int32_t scope = scopeAll)
{
    Job j = Job::create(jobReplace);
    j.modifier = mode;
    j.int1 = 1;
    j.int2 = scope;
    j.str1 = std::move(find);
    j.str2 = std::move(with);
    return j;
}

class PlanSummary : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    bool settled()
    {
        return waitFor([&] { return slv()->isLoaded() && win().preview()->isCurrent(); });
    }
    QString summary() { return win().planSummary()->isVisible() ? win().planSummary()->text() : QString(); }
};

TEST_F(PlanSummary, CountsWhatChangesAndWhatFails)
{
    // a.txt and b.txt both become x.txt: the second clashes; c.dat changes; d.txt keeps its name
    // and holds the name e.txt wants.
    for (const char* f : {"a.txt", "b.txt", "c.dat", "d.txt", "e.txt"})
        m_tree.file(std::string("work/") + f);
    startIn();
    check("chkSimulation", false);
    loadJobs({replaceJob("^[ab]\\.", "x.", replaceRegex), replaceJob("e.txt", "d.txt"),
        replaceJob("c.dat", "c2.dat")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(summary(), QStringLiteral("2 of 5 files get a new name; 2 cannot (clashes: 2)"));
    // Red: what fails is seen.
    EXPECT_NE(win().planSummary()->palette().color(QPalette::WindowText),
        win().palette().color(QPalette::WindowText));

    // A click shows only what fails, a second one everything again.
    QTest::mouseClick(win().planSummary(), Qt::LeftButton);
    EXPECT_EQ(slv()->listModel()->rowCount(), 2);
    QTest::mouseClick(win().planSummary(), Qt::LeftButton);
    EXPECT_EQ(slv()->listModel()->rowCount(), 5);

    loadJobs({replaceJob("c.dat", "c2.dat")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(summary(), QStringLiteral("1 of 5 files gets a new name"));
}

TEST(PlanSummaryText, Wording)
{
    EXPECT_EQ(planSummaryText({}), QString());
    EXPECT_EQ(planSummaryText({1, 0, 0, 0}), QStringLiteral("0 of 1 file get a new name"));
    EXPECT_EQ(planSummaryText({120, 118, 2, 2}),
        QStringLiteral("118 of 120 files get a new name; 2 cannot (clashes: 2)"));
    EXPECT_EQ(planSummaryText({10, 5, 3, 1}),
        QStringLiteral("5 of 10 files get a new name; 3 cannot (clashes: 1, other reasons: 2)"));
    EXPECT_EQ(planSummaryText({4, 3, 1, 0}),
        QStringLiteral("3 of 4 files get a new name; 1 cannot (other reasons: 1)"));
}

TEST_F(PlanSummary, GoWithFailuresAsksAndNoRenamesNothing)
{
    for (const char* f : {"a.txt", "b.txt", "keep.txt", "c.txt"})
        m_tree.file(std::string("work/") + f);
    startIn();
    check("chkSimulation", false);
    check("chkUndo", false);
    // a and b both want x.txt; c.txt becomes z.txt.
    loadJobs({replaceJob("^[ab]\\.", "x.", replaceRegex), replaceJob("c.txt", "z.txt")});
    ASSERT_TRUE(settled());
    m_dialogs.answers = {false};
    go();
    ASSERT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(m_dialogs.questions[0],
        QStringLiteral(
            "1 of 4 entries cannot be renamed: b.txt (wanted x.txt): also the new name of a.txt, which "
            "comes first. Rename the other 2?"));
    EXPECT_EQ(work(), (std::vector<std::string> {"a.txt", "b.txt", "c.txt", "keep.txt"}));

    m_dialogs.answers = {true};
    go();
    EXPECT_EQ(work(), (std::vector<std::string> {"b.txt", "keep.txt", "x.txt", "z.txt"}));
}

TEST_F(PlanSummary, GoWithoutFailuresAsksNothing)
{
    m_tree.file("work/A.TXT");
    startIn();
    check("chkSimulation", false);
    check("chkUndo", false);
    lowerCaseJob();
    ASSERT_TRUE(settled());
    go();
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(work(), (std::vector<std::string> {"a.txt"}));
}

TEST_F(PlanSummary, DetailsShowNameThenNewNameSharingTheWidth)
{
    m_tree.file("work/Holiday 01.JPG");
    startIn();
    slv()->setViewStyle(3);
    auto* details = child<QTreeView>(&win(), "slvDetails");
    QHeaderView* header = details->header();
    EXPECT_EQ(header->logicalIndex(0), colName);
    EXPECT_EQ(header->logicalIndex(1), colNewName);
    for (int width : {900, 1400, 2000}) {
        win().resize(width, 700);
        QApplication::processEvents();
        const int name = header->sectionSize(colName);
        const int newName = header->sectionSize(colNewName);
        EXPECT_LE(std::abs(name - newName), 1) << width;
        // The two names take what the other columns leave: nothing stays empty.
        const int used = name + newName + header->sectionSize(colSize) + header->sectionSize(colType)
            + header->sectionSize(colDate);
        EXPECT_GE(used, details->viewport()->width() - 2) << width;
    }
}

struct SpanCase {
    const char* label;
    const char16_t* before;
    const char16_t* after;
    int start;
    int length;
};

void PrintTo(const SpanCase& c, std::ostream* os)
{
    *os << c.label;
}

class ChangedSpan : public ::testing::TestWithParam<SpanCase>
{
};

TEST_P(ChangedSpan, MarksWhatTheJobsChanged)
{
    const SpanCase& c = GetParam();
    const auto [start, length] = changedSpan(QString::fromUtf16(c.before), QString::fromUtf16(c.after));
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(length, c.length);
}

const SpanCase kSpans[] = {
    {"Same", u"a.txt", u"a.txt", 5, 0},
    {"Prefix", u"a.txt", u"IMG_a.txt", 0, 4},
    {"Suffix", u"a.txt", u"a.txt.bak", 5, 4},
    {"Middle", u"Holiday 01.JPG", u"Holiday 001.JPG", 9, 1},
    {"Extension", u"a.JPG", u"a.jpg", 2, 3},
    {"OnlyRemoved", u"abc.txt", u"ac.txt", 1, 0},
    {"Everything", u"abc", u"xyz", 0, 3},
    {"RepeatedLetters", u"aa", u"aaa", 2, 1},
    {"SurrogatePairStaysWhole", u"a\U0001F600.txt", u"a\U0001F601.txt", 1, 2},
};

INSTANTIATE_TEST_SUITE_P(Table, ChangedSpan, ::testing::ValuesIn(kSpans));

} // namespace
