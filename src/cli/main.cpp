// brindlewick-cli: the command-line front end over the rename engine.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "base/UAppDir.h"
#include "base/UAppInfo.h"
#include "base/UFileUtil.h"
#include "CliOptions.h"
#include "CliRun.h"
#include "joblist/UJobIO.h"
#include "jobs/URenameSession.h"
#include "run/URenameRun.h"

using namespace brindle;

namespace
{

/// Loads the job list: the given file, or the kept job list when there is one and no job
/// was given as an option; the jobs given as options follow.
bool loadJobs(const TCliOptions& o, TRenameSession& session)
{
    session.Jobs = o.jobs;
    std::string file;
    if (o.jobsFile) {
        file = *o.jobsFile;
    } else {
        if (!o.jobs.empty())
            return true;
        file = KeptJobListPath(false);
        if (!IsExistingFile(file))
            return true;
    }
    TJobListLoad loaded = LoadJobsFromXml(file);
    if (!loaded.ok) {
        PrintMessage(loaded.message);
        PrintMessage(LoadFailureMessage(file));
        return false;
    }
    session.Jobs.insert(session.Jobs.begin(), loaded.jobs.begin(), loaded.jobs.end());
    return true;
}

/// Two FOLDERs of a run that are one folder, or, with --recurse, one that lies inside another:
/// the second walk would rename again what the first renamed and replace the undo file that
/// records the first. The reason, or empty when the FOLDERs are apart. A FOLDER that cannot be
/// resolved is left to the run, which reports it.
std::string overlappingFolders(const TCliOptions& o)
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

} // namespace

int main(int argc, char** argv)
{
    TCliOptions o;
    std::string error;
    if (ParseCliOptions(argc, argv, o, error) && !o.undo && !o.help && !o.version)
        error = overlappingFolders(o);
    if (!error.empty()) {
        std::fprintf(stderr, "brindlewick-cli: %s\nTry 'brindlewick-cli --help' for more information.\n",
            error.c_str());
        return kExitUsage;
    }
    if (o.help) {
        std::fputs(CliUsage(), stdout);
        return kExitOk;
    }
    if (o.version) {
        std::printf("brindlewick-cli (%s)\n", kAppTitle);
        return kExitOk;
    }
    if (o.undo) {
        int status = kExitOk;
        for (std::size_t i = 0; i < o.folders.size(); ++i)
            status = std::max(status, RunUndo(o, i));
        return status;
    }

    // An encoding name is taken only when a file written with it reads back.
    if (o.writeJobs && !EncodingReadsBack(o.encoding)) {
        PrintMessage(EncodingRefusedMessage(o.encoding));
        return kExitUsage;
    }
    TRenameSession session;
    if (!loadJobs(o, session))
        return kExitUsage;
    // A regular expression that cannot run is refused before any name is previewed or any
    // folder is touched; describing and writing the list work as for any job.
    if (!o.previews.empty() || !o.folders.empty()) {
        if (const std::string invalid = session.InvalidJobMessage(); !invalid.empty()) {
            PrintMessage(invalid);
            return kExitUsage;
        }
    }
    if (!o.folders.empty()) {
        if (session.Jobs.empty()) {
            PrintMessage(kNothingToDo);
            return kExitUsage;
        }
        // Each FOLDER as a run of its own (the counter starts again); the worst exit code wins.
        SetColour(o.simulate && ColourWanted());
        TProgressLine progress(!o.quiet && IsCapableTerminal(STDERR_FILENO), o.simulate);
        int status = kExitOk;
        for (std::size_t i = 0; i < o.folders.size(); ++i) {
            const TFolderOutcome outcome = RunFolder(o, i, session, progress);
            status = std::max(status, outcome.exitCode);
            if (outcome.stopAll)
                break;
        }
        return status;
    }

    int status = kExitOk;
    if (o.describe) {
        for (const TJob& job : session.Jobs)
            printLine(job.Description());
    }
    session.CounterValue = o.counter;
    for (const std::string& name : o.previews)
        printLine(session.PreviewName(name, TEntryKind::File));
    if (o.writeJobs) {
        if (!SaveJobsToXml(*o.writeJobs, session.Jobs, o.encoding)) {
            PrintMessage("Unable to write to " + *o.writeJobs);
            status = kExitFailed;
        }
    }
    std::fflush(stdout);
    return status;
}
