// brindlewick-cli: the command-line front end over the rename engine.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "core/base/FileIo.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/ManualCommand.h"
#include "core/joblist/JobListFile.h"
#include "core/jobs/NameTemplate.h"
#include "core/jobs/RenameSession.h"
#include "core/meta/FactsReader.h"
#include "core/run/EntryFactsReading.h"
#include "core/run/RenameRun.h"

using namespace brindle;

namespace
{

/// Loads the job list: the given file, or with --jobs-kept the list the window keeps; the jobs
/// given as options follow. file receives the file read.
bool loadJobs(const CliOptions& o, RenameSession& session, std::string& file)
{
    session.jobs = o.jobs;
    if (o.jobsFile) {
        file = *o.jobsFile;
    } else if (o.jobsKept) {
        file = keptJobListPath(false);
        if (!isExistingFile(file)) {
            printMessage("there is no kept job list: " + file + " does not exist");
            return false;
        }
    } else {
        return true;
    }
    const Result<std::vector<Job>> loaded = loadJobsFromXml(file);
    if (!loaded.ok()) {
        printMessage(loaded.error().message);
        printMessage(loadFailureMessage(file));
        return false;
    }
    session.jobs.insert(session.jobs.begin(), loaded.value().begin(), loaded.value().end());
    return true;
}

/// Two FOLDERs of a run that are one folder, or, with --recurse, one that lies inside another:
/// the second walk would rename again what the first renamed and replace the undo file that
/// records the first. The reason, or empty when the FOLDERs are apart. A FOLDER that cannot be
/// resolved is left to the run, which reports it.
std::string overlappingFolders(const CliOptions& o)
{
    std::vector<std::string> real(o.folders.size());
    for (std::size_t i = 0; i < o.folders.size(); ++i) {
        struct stat st {
        };
        if (::stat(o.folders[i].c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (char* path = ::realpath(o.folders[i].c_str(), nullptr)) {
            real[i] = path;
            std::free(path);
        }
    }
    const auto inside = [](const std::string& inner, const std::string& outer) {
        return inner.size() > outer.size() && inner.starts_with(outer)
            && (outer.ends_with('/') || inner[outer.size()] == '/');
    };
    for (std::size_t i = 0; i < real.size(); ++i) {
        for (std::size_t j = 0; j < real.size(); ++j) {
            if (i == j || real[i].empty() || real[j].empty())
                continue;
            if (j < i && real[i] == real[j])
                return o.folders[i] + " is the same folder as " + o.folders[j];
            if (o.recurse && inside(real[i], real[j]))
                return o.folders[i] + " is inside " + o.folders[j] + ", which --recurse walks";
        }
    }
    return {};
}

void printLine(std::string_view s)
{
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fputc('\n', stdout);
}

/// --preview NAME: NAME after the job list. With a template job, a NAME that is an existing
/// file (not a folder) is named as a run would name it, its folder part kept, and the
/// templates take its values; a job
/// that cannot name it leaves it as it is and says why. False when a job failed.
bool previewOne(RenameSession& session, const std::string& given)
{
    const FactsNeed need = session.factsNeed();
    const bool templates = std::any_of(
        session.jobs.begin(), session.jobs.end(), [](const Job& job) { return job.jobType == jobTemplate; });
    struct stat st {
    };
    std::string failure;
    std::string shown;
    if (templates && ::lstat(given.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        const std::size_t slash = given.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : given.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? given : given.substr(slash + 1);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const std::shared_ptr<const FileFacts> facts = readFileFacts(dir, name, need);
        if (dir >= 0)
            ::close(dir);
        const std::string folderName = folderNameOf(folder);
        const EntryFacts entry {folderName, facts.get()};
        shown = given.substr(0, given.size() - name.size())
            + session.previewName(name, EntryKind::File, &failure, &entry);
    } else {
        shown = session.previewName(given, EntryKind::File, &failure);
    }
    printLine(shown);
    if (failure.empty())
        return true;
    std::fflush(stdout);
    printMessage(given + ": " + failure);
    return false;
}

} // namespace

namespace
{

int runCli(int argc, char** argv)
{
    CliOptions o;
    std::string error;
    if (parseCliOptions(argc, argv, o, error) && !o.undo && !o.help && !o.version)
        error = overlappingFolders(o);
    if (!error.empty()) {
        std::fprintf(stderr, "brindlewick-cli: %s\nTry 'brindlewick-cli --help' for more information.\n",
            error.c_str());
        return kExitUsage;
    }
    if (o.help) {
        std::fputs(cliUsage(), stdout);
        return kExitOk;
    }
    if (o.version) {
        std::printf("brindlewick-cli (%s)\n", kAppTitle);
        return kExitOk;
    }
    if (o.undo) {
        int status = kExitOk;
        for (std::size_t i = 0; i < o.folders.size(); ++i)
            status = std::max(status, runUndo(o, i));
        return status;
    }

    // An encoding name is taken only when a file written with it reads back.
    if (o.writeJobs && !encodingReadsBack(o.encoding)) {
        printMessage(encodingRefusedMessage(o.encoding));
        return kExitUsage;
    }
    RenameSession session;
    std::string jobsFile;
    if (!loadJobs(o, session, jobsFile))
        return kExitUsage;
    // A regular expression that cannot run is refused before any name is previewed or any
    // folder is touched; describing and writing the list work as for any job.
    if (!o.previews.empty() || !o.folders.empty() || o.stdinNames) {
        if (const std::string invalid = session.invalidJobMessage(); !invalid.empty()) {
            printMessage(invalid);
            return kExitUsage;
        }
    }
    if (renamesByHand(o))
        return runByHand(o, session);
    if (!o.folders.empty()) {
        if (session.jobs.empty()) {
            printMessage("the job list " + jobsFile + " holds no jobs: nothing to do");
            return kExitUsage;
        }
        // Each FOLDER as a run of its own (the counter starts again); the worst exit code wins.
        setColour(o.colour == CliOptions::Colour::Always
            || (o.colour == CliOptions::Colour::Auto && colourWanted()));
        ProgressLine progress(!o.quiet && isCapableTerminal(STDERR_FILENO), o.simulate);
        CliReport report;
        if (o.jobsKept)
            report.keptJobList = jobsFile;
        int status = kExitOk;
        for (std::size_t i = 0; i < o.folders.size(); ++i) {
            const FolderOutcome outcome = runFolder(o, i, session, progress, report);
            status = std::max(status, outcome.exitCode);
            if (outcome.stopAll)
                break;
        }
        if (o.json) {
            const std::string document = jsonDocument(o, report, status);
            std::fwrite(document.data(), 1, document.size(), stdout);
            std::fflush(stdout);
        }
        return status;
    }

    int status = kExitOk;
    if (o.describe) {
        for (const Job& job : session.jobs)
            printLine(job.description());
    }
    session.counterValue = o.counter;
    for (const std::string& name : o.previews) {
        if (!previewOne(session, name))
            status = kExitFailed;
    }
    if (o.writeJobs) {
        if (const Result<void> saved = saveJobsToXml(*o.writeJobs, session.jobs, o.encoding); !saved.ok()) {
            printMessage(saved.error().message);
            status = kExitFailed;
        }
    }
    std::fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    // Memory that runs out ends the program with a message and a failure status, not an abort.
    try {
        return runCli(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("brindlewick-cli: out of memory\n", stderr);
        return kExitFailed;
    }
}
