#include "cli/CliRun.h"

#include <signal.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle
{

namespace
{

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

/// The first Ctrl-C asks the run to stop before its next entry, so the undo file of the
/// folder at hand is closed properly; a second one ends the program at once.
void catchInterrupt()
{
    struct sigaction sa {
    };
    sa.sa_handler = onInterrupt;
    sa.sa_flags = SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
}

void writeOut(std::FILE* to, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), to);
}

/// Writes a block of the result tree's text, its marks in colour when colour is on.
void writeTree(std::string_view block)
{
    if (!colourOn()) {
        writeOut(stdout, block);
        return;
    }
    std::string coloured;
    colourTreeText(block, coloured);
    writeOut(stdout, coloured);
}

/// With several FOLDERs, the output of each begins with its name, as ls does.
void writeHeading(const CliOptions& options, std::size_t index)
{
    if (options.folders.size() < 2)
        return;
    writeOut(stdout, (index == 0 ? "" : "\n") + options.folders[index] + ":\n");
}

} // namespace

void printMessage(std::string_view text)
{
    std::fflush(stdout);
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    out += '\n';
    writeOut(stderr, out);
}

namespace
{

/// The terminal as the run's user: messages and questions on standard error, answers from
/// standard input, the log on standard output, the progress line (when given) on standard
/// error.
class CliHost : public IRunHost
{
public:
    explicit CliHost(bool confirm, ProgressLine* progress = nullptr)
        : m_confirm(confirm)
        , m_progress(progress)
    {
    }

    void showMessage(std::string_view text) override
    {
        if (m_progress)
            m_progress->clear();
        printMessage(text);
    }

    bool askYesNo(std::string_view text, Question kind) override
    {
        if (!m_confirm) {
            // Without --confirm nobody is asked: an undo goes ahead and keeps its undo file
            // after errors.
            return kind != Question::RemoveUndoFileAfterErrors;
        }
        if (m_progress)
            m_progress->clear();
        printMessage(text);
        std::string answer;
        if (!std::getline(std::cin, answer))
            return false;
        if (answer.ends_with('\r'))
            answer.pop_back();
        return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
    }

    void logLine(std::string_view line) override
    {
        if (m_progress)
            m_progress->beforeStandardOutput();
        writeOut(stdout, line);
        std::fputc('\n', stdout);
    }

    void showCurrentFolder(std::string_view) override
    {
        if (m_progress)
            m_progress->folderEntered();
    }

    void updateProgress(const RunStats& stats) override
    {
        if (m_progress)
            m_progress->update(stats);
    }

    bool cancelRequested() override { return g_interrupted != 0; }

private:
    bool m_confirm;
    ProgressLine* m_progress;
};

SortOrder sortOrderOf(const std::string& name)
{
    if (name == "name-desc" || name == "natural-desc")
        return SortOrder::NameDesc;
    if (name == "date")
        return SortOrder::DateAsc;
    if (name == "date-desc")
        return SortOrder::DateDesc;
    if (name == "taken")
        return SortOrder::TakenAsc;
    if (name == "taken-desc")
        return SortOrder::TakenDesc;
    return SortOrder::NameAsc;
}

} // namespace

FolderOutcome runFolder(
    const CliOptions& options, std::size_t index, RenameSession& session, ProgressLine& progress)
{
    RunOptions run;
    run.startFolder = options.folders[index];
    run.mask = options.mask;
    run.recurse = options.recurse;
    run.renameDirs = options.renameDirs;
    run.resetCounter = options.resetCounter;
    run.sort = options.sort != "none";
    run.sortOrder = sortOrderOf(options.sort);
    run.naturalSort = options.sort.starts_with("natural");
    run.confirm = options.confirm;
    run.undo = options.undoFile;
    run.log = options.log;
    run.simulation = options.simulate;
    run.counterStart = options.counter;

    // Once, before anything is written: standard output may take a log or a tree of many
    // lines, so it is buffered in large blocks; Ctrl-C asks the run to stop.
    static const bool prepared = [] {
        static char outBuffer[1 << 16];
        std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
        catchInterrupt();
        return true;
    }();
    (void)prepared;

    CliHost host(options.confirm, &progress);
    ResultTree tree;
    const RunResult result = runRename(session, host, run, &tree);
    if (result.nothingToDo || result.invalidJob)
        return {kExitUsage, true};
    const RunStats& s = session.stats;
    progress.runEnded(s);
    progress.beforeStandardOutput();
    if (options.simulate) {
        tree.writeText(writeTree);
        writeOut(stdout, simulationResultText(s) + "\n");
        if (!options.quiet) {
            // What the real run would fail on: clashes, and new names it would refuse.
            std::string found = "Clashes: " + std::to_string(result.clashes) + "\n";
            if (result.namesRefused != 0)
                found += "Names refused: " + std::to_string(result.namesRefused) + "\n";
            writeOut(stdout, found);
        }
    } else if (!options.quiet) {
        // The counts as the progress window shows them, and how many of the errors were
        // renames that failed.
        writeHeading(options, index);
        const std::string summary = "Folders renamed: " + std::to_string(s.foldersRenamed) + " of "
            + std::to_string(s.foldersExamined) + "\nFiles renamed: " + std::to_string(s.filesRenamed)
            + " of " + std::to_string(s.filesExamined) + "\nErrors: " + std::to_string(s.errorCount)
            + "\nRenames failed: " + std::to_string(result.renameFailures) + "\n";
        writeOut(stdout, summary);
    }
    if (result.cancelled)
        host.showMessage("brindlewick-cli: cancelled");
    std::fflush(stdout);
    return {result.allWentThrough(s) ? kExitOk : kExitFailed, result.cancelled || result.stopped};
}

int runUndo(const CliOptions& options, std::size_t index)
{
    CliHost host(options.confirm);
    // With -r, every folder of the tree that holds an undo file, the deepest first.
    const UndoResult result
        = options.recurse ? undoTree(options.folders[index], host) : undoFolder(options.folders[index], host);
    if (result.started && !options.quiet) {
        writeHeading(options, index);
        writeOut(stdout, result.report + "\n");
    }
    std::fflush(stdout);
    return result.failed || result.errors != 0 ? kExitFailed : kExitOk;
}

} // namespace brindle
