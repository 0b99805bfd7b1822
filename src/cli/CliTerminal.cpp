#include "cli/CliTerminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brindle
{

namespace
{

bool g_colour = false;

void writeErr(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

/// The width of the terminal on fd, or 80 when it does not say.
std::size_t terminalWidth(int fd)
{
    winsize ws {};
    if (::ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

} // namespace

bool isCapableTerminal(int fd)
{
    if (::isatty(fd) != 1)
        return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

bool colourWanted()
{
    const char* noColour = std::getenv("NO_COLOR");
    return isCapableTerminal(STDOUT_FILENO) && (noColour == nullptr || *noColour == '\0');
}

void setColour(bool on)
{
    g_colour = on;
}

bool colourOn()
{
    return g_colour;
}

std::string_view markColour(char mark)
{
    if (!g_colour)
        return {};
    switch (mark) {
    case '~':
        return "\033[32m";
    case '!':
        return "\033[1;31m";
    default:
        return {};
    }
}

void colourTreeText(std::string_view block, std::string& out)
{
    if (!g_colour) {
        out += block;
        return;
    }
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        const std::string_view line = block.substr(0, end);
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 1);
        // A node below the root: two blanks or more, its mark, a blank, its text.
        const std::size_t indent = line.find_first_not_of(' ');
        std::string_view colour;
        if (indent != std::string_view::npos && indent >= 2 && indent + 1 < line.size()
            && line[indent + 1] == ' ')
            colour = markColour(line[indent]);
        if (colour.empty()) {
            out += line;
        } else {
            out.append(line.substr(0, indent));
            out += colour;
            out += line.substr(indent);
            out += kColourEnd;
        }
        if (end != std::string_view::npos)
            out += '\n';
    }
}

ProgressLine::ProgressLine(bool enabled, bool simulation)
    : m_enabled(enabled)
    , m_simulation(simulation)
    , m_outIsTerminal(enabled && ::isatty(STDOUT_FILENO) == 1)
    , m_start(std::chrono::steady_clock::now())
    , m_lastDrawn(m_start)
{
}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::folderEntered()
{
    ++m_folders;
}

namespace
{

std::int64_t renamedOf(const RunStats& stats)
{
    return static_cast<std::int64_t>(stats.filesRenamed) + stats.foldersRenamed;
}

std::int64_t totalOf(const RunStats& stats)
{
    return static_cast<std::int64_t>(stats.filesToRename) + stats.foldersToRename;
}

} // namespace

void ProgressLine::update(const RunStats& stats)
{
    m_renamed = renamedOf(stats);
    m_total = totalOf(stats);
    m_failed = stats.errorCount;
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    // Also after an erase: a run that asks before every rename would otherwise redraw the
    // line after every answer.
    if (now - m_start < kProgressDelay || now - m_lastDrawn < kProgressInterval)
        return;
    m_lastDrawn = now;
    draw();
}

void ProgressLine::runEnded(const RunStats& stats)
{
    // A line on show gets the folder's final counts: the renames after the last redraw may all
    // have come within one interval (the plan asks every question before the first rename).
    m_renamed = renamedOf(stats);
    m_total = totalOf(stats);
    m_failed = stats.errorCount;
    if (m_enabled && m_shown)
        draw();
    m_renamedBefore += m_renamed;
    m_totalBefore += m_total;
    m_failedBefore += m_failed;
    m_renamed = 0;
    m_total = 0;
    m_failed = 0;
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    m_shown = false;
    writeErr("\r\033[K");
}

void ProgressLine::beforeStandardOutput()
{
    if (m_outIsTerminal)
        clear();
}

std::string ProgressLine::text(
    bool simulation, std::int64_t folders, std::int64_t renamed, std::int64_t total, std::int64_t failed)
{
    // A simulation's count is what it found so far, not a part of a known whole.
    return "brindlewick-cli: " + std::to_string(folders) + (folders == 1 ? " folder, " : " folders, ")
        + std::to_string(renamed)
        + (simulation ? " to rename, " : " of " + std::to_string(total) + " renamed, ")
        + std::to_string(failed) + (simulation ? " would fail" : " failed");
}

void ProgressLine::draw()
{
    // What the run has written to standard output goes first, so that the line stays last.
    std::fflush(stdout);
    std::string line = text(m_simulation, m_folders, m_renamedBefore + m_renamed, m_totalBefore + m_total,
        m_failedBefore + m_failed);
    // A line that wrapped could not be redrawn in its place.
    const std::size_t width = terminalWidth(STDERR_FILENO);
    if (line.size() >= width)
        line.resize(width - 1);
    writeErr("\r" + line + "\033[K");
    m_shown = true;
}

} // namespace brindle
