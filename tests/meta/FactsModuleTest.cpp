// The file facts module loaded on first need: one that cannot be used makes every file whose
// contents are asked for say why, without a crash. (The module built with the program is the
// one every sample test of FactsReaderTest reads through.)

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/meta/FactsModule.h"
#include "core/meta/FactsReader.h"

using namespace brindle;

namespace
{

const std::string kSamples = std::string(BRINDLE_TEST_DATA) + "/meta";

/// The facts of a sample file's contents, read through module.
FileFacts contentFacts(const std::string& name, const FactsModule& module)
{
    FileFacts facts;
    const int fd = ::open((kSamples + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << name;
    readContentFacts(fd, facts, module);
    ::close(fd);
    return facts;
}

/// A module path that cannot be used, and what the reason must name.
struct UnusableCase {
    const char* name;
    std::string path;
    const char* reason;
};

class UnusableModule : public ::testing::TestWithParam<UnusableCase>
{
};

TEST_P(UnusableModule, EveryFileSaysWhyItsFactsCannotBeRead)
{
    const UnusableCase& c = GetParam();
    const FactsModule module(c.path);
    EXPECT_FALSE(module.loaded());
    EXPECT_NE(module.error().find(c.reason), std::string::npos) << module.error();
    for (const char* file : {"photo.jpg", "song.mp3", "report.pdf", "clip.mp4"}) {
        const FileFacts facts = contentFacts(file, module);
        EXPECT_TRUE(facts.contentsRead) << file;
        EXPECT_EQ(facts.problem, "file facts cannot be read: " + module.error()) << file;
        EXPECT_FALSE(facts.taken) << file;
    }
    // A file of no kind the readers know says so, module or not.
    EXPECT_EQ(contentFacts("notes.txt", module).problem, "not a photo, video, audio file or PDF");
}

// clang-format off
const UnusableCase kUnusable[] = {
    {"Missing", "/nonexistent/brindlewick-facts.so", "/nonexistent/brindlewick-facts.so"},
    {"NotASharedObject", kSamples + "/notes.txt", "notes.txt"},
    {"ASharedObjectWithoutTheEntry", "libc.so.6", "brindlewick_facts_module"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(FactsModule, UnusableModule, ::testing::ValuesIn(kUnusable),
    [](const ::testing::TestParamInfo<UnusableCase>& info) { return std::string(info.param.name); });

} // namespace
