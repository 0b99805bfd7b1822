// Saving a job list onto what the path already names: a file is replaced whole where that can be
// done and written in place where it cannot; nothing but a regular file is ever replaced.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "common/ProcessLimits.h"
#include "common/TempTree.h"
#include "core/joblist/JobListFile.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::AsUnprivileged;
using brindle::test::makeJob;
using brindle::test::TempTree;

namespace
{

std::vector<Job> someJobs()
{
    return {makeJob(jobUpper), makeJob(jobReplace, 0, 0, 0, "R&D", "R and D")};
}

struct stat lstatOf(const std::string& path)
{
    struct stat st {
    };
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

/// Everything that can be read from fd without waiting.
std::string drain(int fd)
{
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

TEST(JobListSave, SpecialFilesAreWrittenInPlaceOrRefusedNeverReplaced)
{
    TempTree t;
    const std::string expected = jobsToXml(someJobs(), "ISO-8859-1");

    // A FIFO nobody reads: refused at once (no waiting for a reader), still a FIFO.
    ASSERT_EQ(::mkfifo(t.at("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(saveJobsToXml(t.at("fifo"), someJobs(), "ISO-8859-1").ok());
    EXPECT_TRUE(S_ISFIFO(lstatOf(t.at("fifo")).st_mode));

    // A FIFO with a reader: the reader gets the file.
    const int reader = ::open(t.at("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(saveJobsToXml(t.at("fifo"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(drain(reader), expected);
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(lstatOf(t.at("fifo")).st_mode));

    // A link to standard output, here a pipe: written through, and the link stays.
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
    t.symlink("/proc/self/fd/" + std::to_string(pipeFds[1]), "stdout.xml");
    EXPECT_TRUE(saveJobsToXml(t.at("stdout.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(drain(pipeFds[0]), expected);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    EXPECT_TRUE(S_ISLNK(lstatOf(t.at("stdout.xml")).st_mode));

    // A character device (the null device): written in place, the node stays as it was. A node
    // of its own where this may be made; else the system's, which only a fixed save may touch.
    std::string device = t.at("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        device = "/dev/null";
    const struct stat devBefore = lstatOf(device);
    EXPECT_TRUE(saveJobsToXml(device, someJobs(), "ISO-8859-1").ok());
    const struct stat devAfter = lstatOf(device);
    EXPECT_TRUE(S_ISCHR(devAfter.st_mode));
    EXPECT_EQ(devAfter.st_ino, devBefore.st_ino);
    EXPECT_EQ(devAfter.st_rdev, devBefore.st_rdev);

    // A socket and a folder: refused, left as they are.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = t.at("sock");
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, sockPath.c_str(), sockPath.size() + 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_FALSE(saveJobsToXml(sockPath, someJobs(), "ISO-8859-1").ok());
    EXPECT_TRUE(S_ISSOCK(lstatOf(sockPath).st_mode));
    ::close(sock);
    t.dir("folder.xml");
    EXPECT_FALSE(saveJobsToXml(t.at("folder.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_TRUE(S_ISDIR(lstatOf(t.at("folder.xml")).st_mode));

    // A link to a file that is missing: refused, nothing is made where the link points.
    t.dir("real");
    t.symlink("real/target.xml", "link.xml");
    EXPECT_FALSE(saveJobsToXml(t.at("link.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_TRUE(S_ISLNK(lstatOf(t.at("link.xml")).st_mode));
    EXPECT_TRUE(t.list("real").empty());
    // Nothing else was made beside them.
    std::vector<std::string> names = {"fifo", "folder.xml", "link.xml", "real", "sock", "stdout.xml"};
    if (device != "/dev/null")
        names.insert(names.begin() + 3, "null");
    EXPECT_EQ(t.list(), names);
}

TEST(JobListSave, WritesInPlaceWhereTheFileCannotBeReplaced)
{
    TempTree t;
    const std::string expected = jobsToXml(someJobs(), "ISO-8859-1");

    // Another name of the same file sees the new list too, and it is still one file.
    t.file("jobs.xml", "old");
    ASSERT_EQ(::link(t.at("jobs.xml").c_str(), t.at("other name.xml").c_str()), 0);
    EXPECT_TRUE(saveJobsToXml(t.at("jobs.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.read("jobs.xml"), expected);
    EXPECT_EQ(t.read("other name.xml"), expected);
    EXPECT_EQ(lstatOf(t.at("jobs.xml")).st_ino, lstatOf(t.at("other name.xml")).st_ino);

    // Names of 248 to 255 bytes, where a temporary name made from them would be too long.
    for (const std::size_t length : {248u, 251u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".xml";
        t.file(name, "old");
        EXPECT_TRUE(saveJobsToXml(t.at(name), someJobs(), "ISO-8859-1").ok()) << length;
        EXPECT_EQ(t.read(name), expected) << length;
        ::unlink(t.at(name).c_str());
    }

    // A file the user owns and may write, in a folder the user may not write.
    t.dir("locked");
    t.file("locked/mine.xml",
        "old contents, longer than the new list will be............................"
        "......................................................................"
        "......................................................................"
        "......................................................................");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(
            ::chown(t.at("locked/mine.xml").c_str(), AsUnprivileged::kNobody, AsUnprivileged::kNobody), 0);
    }
    ASSERT_EQ(::chmod(t.at("locked").c_str(), root ? 0755 : 0555), 0);
    bool saved = false;
    {
        AsUnprivileged nobody;
        saved = saveJobsToXml(t.at("locked/mine.xml"), someJobs(), "ISO-8859-1").ok();
    }
    ::chmod(t.at("locked").c_str(), 0755);
    EXPECT_TRUE(saved);
    EXPECT_EQ(t.read("locked/mine.xml"), expected);
    EXPECT_EQ(t.list("locked"), std::vector<std::string> {"mine.xml"});
    EXPECT_EQ(t.list(), (std::vector<std::string> {"jobs.xml", "locked", "other name.xml"}));
}

/// Links another user planted in a folder others may write to are not followed: neither to
/// replace the file they point at nor to create one. The user's own links, and links in a
/// folder nobody else may write to, still are.
TEST(JobListSave, FollowsOnlyLinksThatCanBeTrusted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "links of another user can be made only as root";
    TempTree t;
    const std::string expected = jobsToXml(someJobs(), "ISO-8859-1");
    t.file("decoy/target.txt", "victim's file");
    t.dir("shared");
    ASSERT_EQ(::chmod(t.at("shared").c_str(), 0775), 0);
    t.symlink("../decoy/target.txt", "shared/list.xml");
    t.symlink("../decoy/created.txt", "shared/new.xml");
    t.symlink("../decoy/target.txt", "shared/mine.xml");
    for (const char* planted : {"shared/list.xml", "shared/new.xml"})
        ASSERT_EQ(::lchown(t.at(planted).c_str(), AsUnprivileged::kNobody, AsUnprivileged::kNobody), 0);

    EXPECT_FALSE(saveJobsToXml(t.at("shared/list.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_FALSE(saveJobsToXml(t.at("shared/new.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.read("decoy/target.txt"), "victim's file");
    EXPECT_EQ(t.list("decoy"), std::vector<std::string> {"target.txt"});
    EXPECT_TRUE(S_ISLNK(lstatOf(t.at("shared/list.xml")).st_mode));

    // The user's own link in the same folder is followed.
    EXPECT_TRUE(saveJobsToXml(t.at("shared/mine.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.read("decoy/target.txt"), expected);

    // Another user's link in a folder only its owner may write to is followed too.
    t.file("decoy/target.txt", "again");
    ASSERT_EQ(::chmod(t.at("shared").c_str(), 0755), 0);
    EXPECT_TRUE(saveJobsToXml(t.at("shared/list.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.read("decoy/target.txt"), expected);
    // ... but never to create a file.
    EXPECT_FALSE(saveJobsToXml(t.at("shared/new.xml"), someJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.list("decoy"), std::vector<std::string> {"target.txt"});
}

} // namespace
