#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/jobs/RenameSession.h"

namespace brindle
{

/// Whether the terminal on fd shows colours and redraws a line: fd is a terminal and TERM is
/// not "dumb".
bool isCapableTerminal(int fd);

/// Whether the simulation's marks on standard output are coloured: it is a capable terminal
/// and NO_COLOR is unset or empty.
bool colourWanted();

/// Turns the colours of markColour on or off (off at the start).
void setColour(bool on);
bool colourOn();

/// The escape sequence that starts the colour of a simulation mark: green for '~' (renamed),
/// bold red for '!' (the real run would fail there); empty for '=' and for every mark while
/// colour is off.
std::string_view markColour(char mark);

/// The sequence that ends a colour markColour started.
inline constexpr std::string_view kColourEnd = "\033[0m";

/// Appends block, whole lines of the result tree as text (a line below the root: its indent,
/// a mark, a blank, the text), to out with each mark and its text in the mark's colour. With
/// colour off, block is appended as it is.
void colourTreeText(std::string_view block, std::string& out);

/// The one-line progress a long run shows on standard error when that is a terminal: the
/// folders entered, the names renamed and the failures so far, over every FOLDER of the
/// command line. It appears once the work has taken more than kProgressDelay, is redrawn at
/// most every kProgressInterval, and is erased before anything else is written to the
/// terminal and at the end.
class ProgressLine
{
public:
    static constexpr std::chrono::milliseconds kProgressDelay {1000};
    static constexpr std::chrono::milliseconds kProgressInterval {100};

    /// enabled: standard error is a capable terminal; simulation picks the words.
    ProgressLine(bool enabled, bool simulation);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    /// A folder was entered.
    void folderEntered();
    /// The counts of the run at hand; redraws the line when it is due.
    void update(const RunStats& stats);
    /// The run at hand is over: its counts join those of the runs before it.
    void runEnded(const RunStats& stats);
    /// Erases the line when it is shown, so that other output starts on a clean line.
    void clear();
    /// Erases the line before output to standard output when that is the same terminal.
    void beforeStandardOutput();

    /// The text of the line for the counts given; a run's renames are shown against total, what
    /// the plans of the folders entered so far will rename.
    static std::string text(
        bool simulation, std::int64_t folders, std::int64_t renamed, std::int64_t total, std::int64_t failed);

private:
    void draw();

    bool m_enabled;
    bool m_simulation;
    bool m_outIsTerminal;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDrawn;
    std::int64_t m_folders = 0;
    // The counts of the runs that ended, and of the run at hand.
    std::int64_t m_renamedBefore = 0;
    std::int64_t m_totalBefore = 0;
    std::int64_t m_failedBefore = 0;
    std::int64_t m_renamed = 0;
    std::int64_t m_total = 0;
    std::int64_t m_failed = 0;
};

} // namespace brindle
