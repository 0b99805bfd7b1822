// Files written by an earlier version of the program (a settings file, job list files in four
// encodings) are read into the same values and written back byte for byte: renaming code never
// changes what is stored.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/TempTree.h"
#include "core/joblist/JobListFile.h"
#include "core/settings/AppSettings.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

std::string golden(const std::string& name)
{
    std::ifstream in(std::string(BRINDLE_TEST_DATA) + "/golden/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Records the placement the store applies and gives it back when asked.
struct RecordingForm : IPlacedForm {
    FormPlacement placement;
    std::string formName() const override { return kMainFormName; }
    bool getPlacement(FormPlacement& p) const override
    {
        p = placement;
        return true;
    }
    void setLeft(std::int32_t v) override { placement.left = v; }
    void setTop(std::int32_t v) override { placement.top = v; }
    void setWidth(std::int32_t v) override { placement.width = v; }
    void setHeight(std::int32_t v) override { placement.height = v; }
    void setWindowState(std::int32_t v) override { placement.winState = v; }
};

TEST(StoredFilesTest, ASettingsFileOfAnEarlierVersionLoadsEveryValueAndSavesBackTheSameBytes)
{
    TempTree tree;
    tree.file("old/brindle.ini", golden("brindle.ini"));
    tree.dir("app");
    SettingsStore store;
    initAppSettingsStore(store, tree.at("old/"));
    EXPECT_TRUE(store.loadValues().ok());
    AppOptions o;
    EXPECT_TRUE(loadSettings(store, o, tree.at("app")).ok());
    EXPECT_TRUE(o.recurseDirs);
    EXPECT_TRUE(o.renameDirs);
    EXPECT_FALSE(o.resetCounter);
    EXPECT_FALSE(o.sort);
    EXPECT_TRUE(o.confirm);
    EXPECT_TRUE(o.undo);
    EXPECT_TRUE(o.log);
    EXPECT_FALSE(o.simulation);
    EXPECT_TRUE(o.naturalSort);
    EXPECT_EQ(o.counterStart, -7);
    EXPECT_EQ(o.viewStyle, 3);
    EXPECT_EQ(o.stvWidth, 240);
    EXPECT_EQ(o.path, "/home/user/Fotos/Été 2026");
    EXPECT_EQ(store.getString("openDir").value(), "/home/user/Jobs");
    EXPECT_EQ(store.getString("saveDir").value(), "/home/user/Saved jobs");
    EXPECT_EQ(o.example, "IMG_0001.JPG");
    EXPECT_EQ(o.encoding, "UTF-8");
    EXPECT_EQ(o.filemask, "*.jpg");
    EXPECT_EQ(o.filemaskHistory,
        (std::vector<std::string> {"*.jpg", "*.txt", "IMG_*.*", "*.*", "ÄÖÜ?.mp3", "a", "b", "c", "d", "e"}));
    RecordingForm form;
    store.restoreFormPlacement(form);
    EXPECT_EQ(form.placement.left, 278);
    EXPECT_EQ(form.placement.top, 131);
    EXPECT_EQ(form.placement.width, 1024);
    EXPECT_EQ(form.placement.height, 640);
    EXPECT_EQ(form.placement.winState, 2);

    // Written by today's code from the values read, into a fresh folder.
    SettingsStore fresh;
    initAppSettingsStore(fresh, tree.at("new/"));
    tree.dir("new");
    o.openDir = store.getString("openDir").value();
    o.saveDir = store.getString("saveDir").value();
    EXPECT_TRUE(saveSettings(o, fresh).ok());
    EXPECT_TRUE(fresh.saveValues().ok());
    EXPECT_TRUE(fresh.saveFormPlacement(form).ok());
    // The same bytes, and the sort order that the earlier version did not keep.
    std::string expected = golden("brindle.ini");
    expected.replace(expected.find("stvWidth=240\n"), 13, "stvWidth=240\nsortOrder=0\n");
    EXPECT_EQ(tree.read("new/brindle.ini"), expected);
}

/// The jobs of the golden job lists: every kind, positions, regex mode, letters outside ASCII.
std::vector<Job> goldenJobs()
{
    std::vector<Job> jobs;
    auto add = [&](JobType kind, int modifier, int int1, int int2, const char* str1, const char* str2) {
        Job job = Job::create(kind);
        job.modifier = modifier;
        job.int1 = int1;
        job.int2 = int2;
        job.str1 = str1;
        job.str2 = str2;
        jobs.push_back(job);
    };
    add(jobLower, 0, 1, 0, "", "");
    add(jobUpper, 1, 0, 0, "", "");
    add(jobNormal, 2, 1, 0, "", "");
    add(jobInsert, 3, 2, 0, "Été ", "_");
    add(jobRemove, 2, 0, 4, "", "");
    add(jobReplace, 1, 1, 0, "^IMG_(\\d+)", "Trip-$1 <&> \"ß\"");
    add(jobReplace, 0, 0, 0, "_", " ");
    add(jobCounter, 5, 3, 0, "", "");
    add(jobInsert, 4, 0, 0, "Ωμέγα", "x");
    return jobs;
}

class StoredJobListTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(StoredJobListTest, AJobListOfAnEarlierVersionReadsTheSameJobsAndWritesTheSameBytes)
{
    const std::string encoding = GetParam();
    const std::string file = "jobs-" + (encoding.empty() ? std::string("none") : encoding) + ".xml";
    const Result<std::vector<Job>> load = loadJobsFromXmlBytes(golden(file), file);
    ASSERT_TRUE(load.ok()) << load.error().message;
    EXPECT_EQ(load.value(), goldenJobs());
    EXPECT_EQ(jobsToXml(load.value(), encoding), golden(file));
}

INSTANTIATE_TEST_SUITE_P(Encodings, StoredJobListTest,
    ::testing::Values("UTF-8", "ISO-8859-1", "windows-1253", ""),
    [](const ::testing::TestParamInfo<const char*>& info) {
        const std::string name = info.param;
        std::string id;
        for (char c : name.empty() ? std::string("none") : name)
            id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return id;
    });

} // namespace
