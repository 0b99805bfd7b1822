#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "core/jobs/Job.h"
#include "core/run/EntryFactsReading.h"
#include "core/run/RenameRun.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::localTime;
using brindle::test::makeJob;
using brindle::test::TempTree;

namespace
{

std::string sample(const std::string& name)
{
    std::ifstream in(std::string(BRINDLE_TEST_DATA) + "/meta/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// The sample photo with another date taken (same length, written over the EXIF text).
std::string photoTaken(const std::string& exifDate)
{
    std::string bytes = sample("photo.jpg");
    const std::size_t at = bytes.find("2024:07:14 10:22:33");
    EXPECT_NE(at, std::string::npos);
    bytes.replace(at, exifDate.size(), exifDate);
    return bytes;
}

/// What a plan of the folder gives each entry: "old -> new" or "old ! reason".
std::vector<std::string> planLines(const RunOptions& options, const std::vector<Job>& jobs)
{
    RenamePlan plan;
    EXPECT_EQ(planStartingFolder(options, jobs, plan), 0);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::string& old = plan.entry(i).name;
        lines.push_back(plan.verdict(i) == Verdict::Failed ? old + " ! " + plan.reason(i)
                                                           : old + " -> " + std::string(plan.newName(i)));
    }
    return lines;
}

class TemplatePlan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.file("Trip/a.jpg", photoTaken("2024:01:01 09:00:00"), localTime(2010, 1, 1, 0, 0));
        tree.file("Trip/b.jpg", photoTaken("2021:05:05 12:00:00"), localTime(2010, 1, 1, 0, 0));
        tree.file("Trip/c.jpg", photoTaken("2023:03:03 08:30:00"), localTime(2010, 1, 1, 0, 0));
        tree.file("Trip/notes.txt", "text", localTime(2022, 2, 2, 2, 2));
        tree.file("Trip/song.mp3", sample("song.mp3"), localTime(2025, 1, 1, 0, 0));
        options.startFolder = tree.at("Trip");
        options.counterStart = 1;
    }

    TempTree tree;
    RunOptions options;
};

TEST_F(TemplatePlan, NumbersFollowTheOrderOfShooting)
{
    options.sortOrder = SortOrder::TakenAsc;
    const std::vector<Job> jobs
        = {makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{taken|modified:%Y} {counter:2}")};
    const std::vector<std::string> expected = {"b.jpg -> 2021 01.jpg", "notes.txt -> 2022 02.txt",
        "c.jpg -> 2023 03.jpg", "a.jpg -> 2024 04.jpg", "song.mp3 -> 2025 05.mp3"};
    EXPECT_EQ(planLines(options, jobs), expected);
    options.sortOrder = SortOrder::TakenDesc;
    const std::vector<std::string> descending = {"song.mp3 -> 2025 01.mp3", "a.jpg -> 2024 02.jpg",
        "c.jpg -> 2023 03.jpg", "notes.txt -> 2022 04.txt", "b.jpg -> 2021 05.jpg"};
    EXPECT_EQ(planLines(options, jobs), descending);
}

TEST_F(TemplatePlan, AnEntryWithoutAValueFailsWithTheReasonAndTheRestGoOn)
{
    const std::vector<Job> jobs
        = {makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{taken:%Y%m%d_%H%M%S}"), makeJob(jobLower)};
    const std::vector<std::string> expected
        = {"a.jpg -> 20240101_090000.jpg", "b.jpg -> 20210505_120000.jpg", "c.jpg -> 20230303_083000.jpg",
            "notes.txt ! no date taken (not a photo, video, audio file or PDF)", "song.mp3 ! no date taken"};
    EXPECT_EQ(planLines(options, jobs), expected);
}

TEST_F(TemplatePlan, FolderAndTagsOfEachEntry)
{
    options.mask = "*.mp3";
    const std::vector<Job> jobs
        = {makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{folder} - {track:2} {artist} - {title}")};
    EXPECT_EQ(planLines(options, jobs),
        std::vector<std::string> {"song.mp3 -> Trip - 03 The Brindles - Night_Day.mp3"});
    options.startFolder = tree.at("Trip/.");
    EXPECT_EQ(planLines(options, jobs),
        std::vector<std::string> {"song.mp3 -> Trip - 03 The Brindles - Night_Day.mp3"});
}

TEST_F(TemplatePlan, TwoPhotosOfOneSecondClashAsAnyNamesDo)
{
    tree.file("Trip/d.jpg", photoTaken("2024:01:01 09:00:00"));
    options.mask = "*.jpg";
    const std::vector<Job> jobs = {makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{taken:%Y%m%d_%H%M%S}")};
    const std::vector<std::string> lines = planLines(options, jobs);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "a.jpg -> 20240101_090000.jpg");
    EXPECT_TRUE(lines[3].starts_with("d.jpg ! ")) << lines[3];
}

TEST(FolderNameOf, LastComponentOfAnyPath)
{
    EXPECT_EQ(folderNameOf("/home/ann/Trip"), "Trip");
    EXPECT_EQ(folderNameOf("/home/ann/Trip/"), "Trip");
    EXPECT_EQ(folderNameOf("Trip"), "Trip");
    EXPECT_EQ(folderNameOf("/"), "");
}

} // namespace
