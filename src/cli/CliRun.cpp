#include "CliRun.h"

#include <signal.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "run/URenameRun.h"
#include "run/UUndoFile.h"

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

} // namespace

void PrintMessage(std::string_view text)
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
/// standard input, the log on standard output.
class TCliHost : public IRunHost
{
public:
    explicit TCliHost(bool confirm)
        : m_confirm(confirm)
    {
    }

    void showMessage(std::string_view text) override { PrintMessage(text); }

    bool askYesNo(std::string_view text, TQuestion kind) override
    {
        if (!m_confirm) {
            // Without --confirm nobody is asked: an undo goes ahead and keeps its undo file
            // after errors.
            return kind != TQuestion::RemoveUndoFileAfterErrors;
        }
        PrintMessage(text);
        std::string answer;
        if (!std::getline(std::cin, answer))
            return false;
        if (answer.ends_with('\r'))
            answer.pop_back();
        return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
    }

    void logLine(std::string_view line) override
    {
        writeOut(stdout, line);
        std::fputc('\n', stdout);
    }

    bool cancelRequested() override { return g_interrupted != 0; }

private:
    bool m_confirm;
};

TSortOrder sortOrderOf(const std::string& name)
{
    if (name == "name-desc" || name == "natural-desc")
        return TSortOrder::NameDesc;
    if (name == "date")
        return TSortOrder::DateAsc;
    if (name == "date-desc")
        return TSortOrder::DateDesc;
    return TSortOrder::NameAsc;
}

} // namespace

int RunFolder(const TCliOptions& options, TRenameSession& session)
{
    TRunOptions run;
    run.startFolder = *options.folder;
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

    // Standard output may take a log or a tree of many lines: buffer it in large blocks.
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    catchInterrupt();

    TCliHost host(options.confirm);
    TResultTree tree;
    const TRunResult result = RunRename(session, host, run, &tree);
    if (result.nothingToDo || result.invalidJob)
        return kExitUsage;
    const TRunStats& s = session.Stats;
    if (options.simulate) {
        tree.WriteText([](std::string_view block) { writeOut(stdout, block); });
        writeOut(stdout, SimulationResultText(s) + "\n");
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
        const std::string summary = "Folders renamed: " + std::to_string(s.FoldersRenamed) + " of "
            + std::to_string(s.FoldersExamined) + "\nFiles renamed: " + std::to_string(s.FilesRenamed)
            + " of " + std::to_string(s.FilesExamined) + "\nErrors: " + std::to_string(s.ErrorCount)
            + "\nRenames failed: " + std::to_string(result.renameFailures) + "\n";
        writeOut(stdout, summary);
    }
    if (result.cancelled)
        PrintMessage("brindlewick-cli: cancelled");
    std::fflush(stdout);
    return result.AllWentThrough(s) ? kExitOk : kExitFailed;
}

int RunUndo(const TCliOptions& options)
{
    TCliHost host(options.confirm);
    // With -r, every folder of the tree that holds an undo file, the deepest first.
    const TUndoResult result
        = options.recurse ? UndoTree(*options.undoFolder, host) : UndoFolder(*options.undoFolder, host);
    if (result.started && !options.quiet)
        writeOut(stdout, result.report + "\n");
    std::fflush(stdout);
    return result.failed || result.errors != 0 ? kExitFailed : kExitOk;
}

} // namespace brindle
