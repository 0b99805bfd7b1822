#include "cli/CliRun.h"

#include <signal.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "cli/CliOutput.h"
#include "core/base/JsonText.h"
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

/// Writes a block of the result tree's text, its marks in colour when colour is on and the
/// names' control characters escaped.
void writeTree(std::string_view block)
{
    const std::string escaped = escapedText(block);
    if (!colourOn()) {
        writeOut(stdout, escaped);
        return;
    }
    std::string coloured;
    colourTreeText(escaped, coloured);
    writeOut(stdout, coloured);
}

/// With several FOLDERs, the output of each begins with its name, as ls does, the second and
/// later after an empty line.
void writeHeading(const CliOptions& options, std::size_t index)
{
    static bool first = true;
    if (options.folders.size() < 2)
        return;
    std::string heading(first ? "" : "\n");
    heading.append(escapedText(options.folders[index])).append(":\n");
    writeOut(stdout, heading);
    first = false;
}

} // namespace

namespace
{

/// Writes text on standard error after prefix, CR LF turned into LF, control characters escaped.
void printOnStandardError(std::string_view prefix, std::string_view text)
{
    std::fflush(stdout);
    std::string out(prefix);
    out.reserve(text.size() + 20);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    out = escapedText(out);
    out += '\n';
    writeOut(stderr, out);
}

} // namespace

void printMessage(std::string_view text)
{
    printOnStandardError("brindlewick-cli: ", text);
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

    /// The entries go to out: records of style, each ended by end, or JSON objects into json.
    void listEntries(NameStyle style, char end, bool colour, std::string_view root, std::string* json)
    {
        m_list = true;
        m_style = style;
        m_end = end;
        m_colour = colour;
        m_root = root;
        m_json = json;
    }

    void showMessage(std::string_view text) override
    {
        if (m_progress)
            m_progress->clear();
        printMessage(text);
    }

    void showFailure(std::string_view message, std::string_view logText) override
    {
        // The message when it gives the reason; otherwise the log's line, which does.
        std::string_view line = logText.starts_with("! ") ? logText.substr(2) : logText;
        showMessage(message.starts_with(line) ? message : line);
    }

    std::string_view undoFileHint() const override
    {
        return "Undo files are written by every run without --no-undo-file, one in each folder "
               "where something was renamed.";
    }

    void entryDone(const EntryOutcome& e) override
    {
        if (!m_list || e.verdict == Verdict::Unchanged)
            return;
        if (m_json) {
            if (!m_json->empty())
                *m_json += ',';
            appendJsonEntry(*m_json, m_root, e);
            return;
        }
        std::string record = entryRecord(e, m_style, m_colour);
        record += m_end;
        if (m_progress)
            m_progress->beforeStandardOutput();
        writeOut(stdout, record);
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
        // A question is a prompt, not a message: it stands alone on its line.
        printOnStandardError({}, text);
        // Read through stdio, not iostreams: the program then never pays for setting those up.
        std::string answer;
        int c;
        while ((c = std::getc(stdin)) != EOF && c != '\n')
            answer += static_cast<char>(c);
        if (c == EOF && answer.empty())
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
    bool m_list = false;
    NameStyle m_style = NameStyle::Plain;
    char m_end = '\n';
    bool m_colour = false;
    std::string_view m_root;
    std::string* m_json = nullptr;
};

/// A FOLDER that is missing or is no folder is said once, with the system's reason; false then.
bool folderUsable(const std::string& folder)
{
    struct stat st {
    };
    if (::stat(folder.c_str(), &st) != 0) {
        printMessage("cannot open folder " + folder + ": " + std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        printMessage(folder + " is not a folder");
        return false;
    }
    return true;
}

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

RunOptions runOptionsOf(const CliOptions& options, const std::string& folder)
{
    RunOptions run;
    run.startFolder = folder;
    run.mask = options.mask;
    run.moreMasks = options.moreMasks;
    run.hidden = options.hidden;
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
    return run;
}

FolderOutcome runFolder(const CliOptions& options, std::size_t index, RenameSession& session,
    ProgressLine& progress, CliReport& report, const ManualNames* manual)
{
    const std::string& folder = options.folders[index];
    if (!folderUsable(folder))
        return {kExitFailed, false};
    RunOptions run = runOptionsOf(options, folder);

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
    // The old -> new records: every change of a simulation (unless it prints the tree), every
    // rename of a run with -v, every entry in JSON.
    const bool listing = options.json || (options.simulate && !options.tree) || options.verbose;
    if (listing) {
        run.reportEntries = true;
        const NameStyle style = options.nullSeparated ? NameStyle::Raw
            : ::isatty(STDOUT_FILENO) == 1            ? NameStyle::Terminal
                                                      : NameStyle::Plain;
        host.listEntries(style, options.nullSeparated ? '\0' : '\n', colourOn(), folder,
            options.json ? &report.jsonEntries : nullptr);
    }
    if (!options.json)
        writeHeading(options, index);
    ResultTree tree;
    const RunResult result
        = runRename(session, host, run, options.simulate && options.tree ? &tree : nullptr, manual);
    if (result.nothingToDo || result.invalidJob)
        return {kExitUsage, true};
    const RunStats& s = session.stats;
    progress.runEnded(s);
    progress.beforeStandardOutput();
    report.files += s.filesRenamed;
    report.folders += s.foldersRenamed;
    report.failed += s.errorCount;
    report.clashes += result.clashes;
    report.refused += result.namesRefused;
    report.hiddenLeftOut += result.hiddenLeftOut;
    report.notReached += result.notReached;
    report.cancelled = report.cancelled || result.cancelled;
    if (options.simulate && options.tree && !options.json)
        tree.writeText(writeTree);
    if (!options.quiet && !options.json) {
        // With NUL-separated records the summary goes to standard error, so that standard
        // output holds records only.
        std::FILE* to = options.nullSeparated ? stderr : stdout;
        SummaryCounts counts;
        counts.files = s.filesRenamed;
        counts.folders = s.foldersRenamed;
        counts.failed = s.errorCount;
        counts.clashes = result.clashes;
        counts.refused = result.namesRefused;
        std::string summary = summaryText(options.simulate, counts) + "\n";
        if (const std::string hidden = hiddenText(result.hiddenLeftOut); !hidden.empty())
            summary += hidden + "\n";
        if (!report.keptJobList.empty())
            summary += "Jobs from the kept job list " + escapedText(report.keptJobList) + "\n";
        std::fflush(stdout);
        writeOut(to, summary);
    }
    if (result.cancelled) {
        std::string text = "cancelled";
        if (result.notReached != 0)
            text += ": " + std::to_string(result.notReached)
                + (result.notReached == 1 ? " entry was" : " entries were") + " not reached";
        host.showMessage(text);
    }
    std::fflush(stdout);
    return {result.allWentThrough(s) ? kExitOk : kExitFailed, result.cancelled || result.stopped};
}

std::string jsonDocument(const CliOptions& options, const CliReport& report, int exitCode)
{
    std::string out = "{\"simulate\":";
    out += options.simulate ? "true" : "false";
    out += ",\"entries\":[";
    out += report.jsonEntries;
    out += "],\"totals\":{\"files\":" + std::to_string(report.files)
        + ",\"folders\":" + std::to_string(report.folders) + ",\"failed\":" + std::to_string(report.failed)
        + ",\"clashes\":" + std::to_string(report.clashes) + ",\"refused\":" + std::to_string(report.refused)
        + ",\"hidden_left_out\":" + std::to_string(report.hiddenLeftOut)
        + ",\"not_reached\":" + std::to_string(report.notReached) + "}";
    out += ",\"cancelled\":";
    out += report.cancelled ? "true" : "false";
    if (!report.keptJobList.empty()) {
        out += ",\"kept_job_list\":";
        appendJsonName(out, report.keptJobList);
    }
    out += ",\"exit_status\":" + std::to_string(exitCode) + "}\n";
    return out;
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
