#include "cli/EditSession.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "cli/CliRun.h"
#include "core/base/FileIo.h"
#include "core/run/NameText.h"
#include "core/run/RenamePlan.h"
#include "core/run/RenameRun.h"

namespace brindle
{

namespace
{

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

/// The longest common subsequence of a[a0, a1) and b[b0, b1) as pairs of indices, by the
/// table of lengths (the caller bounds its size).
std::vector<std::pair<std::size_t, std::size_t>> commonLines(const std::vector<std::string>& a,
    std::size_t a0, std::size_t a1, const std::vector<std::string>& b, std::size_t b0, std::size_t b1)
{
    const std::size_t n = a1 - a0;
    const std::size_t m = b1 - b0;
    std::vector<std::uint32_t> len((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return len[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;)
            at(i, j) = a[a0 + i] == b[b0 + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    }
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (a[a0 + i] == b[b0 + j]) {
            out.emplace_back(a0 + i, b0 + j);
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    return out;
}

std::string lineRange(std::size_t first, std::size_t end)
{
    return end - first == 1 ? "line " + std::to_string(first + 1)
                            : "lines " + std::to_string(first + 1) + " to " + std::to_string(end);
}

/// Runs the editor on path, its standard input the terminal when there is one; true when it
/// ended with status 0.
bool runEditor(const std::string& editor, const std::string& path)
{
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        if (!::isatty(STDIN_FILENO)) {
            const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
            if (tty >= 0)
                ::dup2(tty, STDIN_FILENO);
        }
        const std::string command = editor + " \"$1\"";
        ::execl("/bin/sh", "sh", "-c", command.c_str(), "sh", path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// The lines of text that are no comment, without their line feeds.
std::vector<std::string> nameLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!isCommentLine(line) && line != "#")
            lines.emplace_back(line);
    }
    return lines;
}

/// A scratch file for the names, readable by the user alone.
std::string makeScratchFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/brindlewick-cli-XXXXXX.txt";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

} // namespace

bool matchEditedLines(const std::vector<std::string>& written, const std::vector<std::string>& edited,
    std::vector<std::size_t>& match, std::string& why)
{
    const std::size_t n = written.size();
    const std::size_t m = edited.size();
    match.assign(n, kNone);
    if (n == m) {
        for (std::size_t i = 0; i < n; ++i)
            match[i] = i;
        return true;
    }
    // The common beginning and end, then the common lines of the middle as anchors.
    std::size_t head = 0;
    while (head < n && head < m && written[head] == edited[head])
        ++head;
    std::size_t tail = 0;
    while (tail < n - head && tail < m - head && written[n - 1 - tail] == edited[m - 1 - tail])
        ++tail;
    std::vector<std::pair<std::size_t, std::size_t>> anchors;
    for (std::size_t i = 0; i < head; ++i)
        anchors.emplace_back(i, i);
    const std::size_t middle = (n - head - tail) * (m - head - tail);
    if (middle > 0) {
        if (middle > 4'000'000) {
            why = "too many lines changed and removed at once to tell which line is whose";
            return false;
        }
        const auto common = commonLines(written, head, n - tail, edited, head, m - tail);
        anchors.insert(anchors.end(), common.begin(), common.end());
    }
    for (std::size_t k = 0; k < tail; ++k)
        anchors.emplace_back(n - tail + k, m - tail + k);
    anchors.emplace_back(n, m); // the end
    // Between two anchors: as many lines as before, in order; or none, every name kept.
    std::size_t wi = 0;
    std::size_t ei = 0;
    for (const auto& [wa, ea] : anchors) {
        const std::size_t gw = wa - wi;
        const std::size_t ge = ea - ei;
        if (ge == gw) {
            for (std::size_t k = 0; k < gw; ++k)
                match[wi + k] = ei + k;
        } else if (ge != 0) {
            why = lineRange(ei, ea) + " of the edited names stand where " + std::to_string(gw)
                + (gw == 1 ? " name was" : " names were")
                + ": change names in their own lines, and remove a line only to keep its name";
            return false;
        }
        if (wa < n)
            match[wa] = ea;
        wi = wa + 1;
        ei = ea + 1;
    }
    return true;
}

std::string chosenEditor()
{
    for (const char* name : {"VISUAL", "EDITOR"}) {
        if (const char* value = std::getenv(name); value && *value)
            return value;
    }
    return "vi";
}

EditOutcome editNames(const CliOptions& options, const RenameSession& session, const std::string& folder,
    FolderNames& manual, const std::string& editor)
{
    const RunOptions run = runOptionsOf(options, folder);
    const std::string path = makeScratchFile();
    if (path.empty()) {
        printMessage("cannot make a file for the editor");
        return EditOutcome::Failed;
    }
    struct Remove {
        const std::string& path;
        ~Remove() { ::unlink(path.c_str()); }
    } remove {path};

    RenamePlan plan;
    RenamePlan::Options planOptions;
    for (int round = 0;; ++round) {
        // 1. The plan as it stands: the jobs, and the names given so far. The folder is listed
        //    and sorted once; later rounds name the same listing again.
        if (round == 0) {
            if (const int e = planStartingFolder(run, session.jobs, plan, nullptr, &manual, &planOptions);
                e != 0) {
                printMessage("Cannot change to directory: " + folder);
                return EditOutcome::Failed;
            }
        } else {
            std::int32_t counter = run.counterStart;
            plan.setManualNames(&manual);
            plan.name(session.jobs, counter, planOptions);
            plan.validate(planOptions);
            plan.order();
        }
        std::vector<std::string> oldNames;
        std::vector<std::string> written;
        std::size_t failures = 0;
        std::string text;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            if (!plan.named(i))
                continue;
            if (plan.verdict(i) == Verdict::Failed) {
                ++failures;
                text.append("# ").append(escapeName(plan.entry(i).name)).append(": ");
                text.append(escapeName(plan.reason(i))).append("\n");
            }
            oldNames.push_back(plan.entry(i).name);
            written.push_back(escapeName(plan.newName(i)));
            text.append(written.back()).append("\n");
        }
        if (written.empty()) {
            printMessage("" + folder + ": no name to edit");
            return EditOutcome::Cancelled;
        }
        if (round > 0 && failures == 0)
            return EditOutcome::Go;
        if (round > 0 && options.yes)
            return EditOutcome::Go;
        std::string header = "# The new names in " + escapeName(folder)
            + ", one a line. Change a line to rename its entry; remove a line to keep its name;\n"
              "# save unchanged or empty the file to cancel. Lines beginning with \"# \" are comments.\n";
        if (failures != 0)
            header += "# " + std::to_string(failures) + (failures == 1 ? " name fails" : " names fail")
                + ", each with its reason above it: change them, or save unchanged to cancel.\n";
        const std::string shown = header + text;

        // 2. The editor.
        if (const SysError e = writeFileAtomically(path, shown)) {
            printMessage("" + path + ": " + e.text());
            return EditOutcome::Failed;
        }
        if (!runEditor(editor, path)) {
            printMessage("the editor failed; nothing renamed");
            return EditOutcome::Failed;
        }
        std::string back;
        if (const SysError e = readWholeFile(path, back)) {
            printMessage("" + path + ": " + e.text());
            return EditOutcome::Failed;
        }
        const std::vector<std::string> edited = nameLines(back);
        if (edited.empty() || back == shown) {
            printMessage("cancelled; nothing renamed");
            return EditOutcome::Cancelled;
        }

        // 3. Each changed line is its entry's name by hand.
        std::vector<std::size_t> match;
        std::string why;
        if (!matchEditedLines(written, edited, match, why)) {
            printMessage("" + why + "; nothing renamed");
            return EditOutcome::Failed;
        }
        for (std::size_t k = 0; k < written.size(); ++k) {
            if (match[k] != kNone && edited[match[k]] != written[k])
                manual.set(oldNames[k], unescapeLine(edited[match[k]]));
        }
    }
}

} // namespace brindle
