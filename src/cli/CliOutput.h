#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/run/RunHost.h"

namespace brindle
{

/// How a name is written for a person to read.
enum class NameStyle : std::uint8_t {
    /// As ls shows names on a terminal: quoted for the shell when it holds a blank or another
    /// character the shell reads ('a b.txt'), $'...' with escapes when it holds a control
    /// character, a bidirectional control or a byte that is not UTF-8 ($'a\x1b]0;x\a.txt').
    Terminal,
    /// Only names with such characters are written as $'...'; every other name as it is.
    Plain,
    /// The bytes as they are (records separated by NUL).
    Raw,
};

/// name written in style.
std::string shownName(std::string_view name, NameStyle style);

/// text (a message) with its control characters, bidirectional controls and bytes that are not
/// UTF-8 escaped as \n, \x1b, \u202e, \xff; line feeds are kept.
std::string escapedText(std::string_view text);

/// One listing record of an entry: "old -> new" (paths below the FOLDER, a folder's followed by
/// '/'), "! old -> new: reason" for a failure, "! old: reason" when no new name was made.
/// Returns empty for an entry that is not listed (unchanged).
std::string entryRecord(const EntryOutcome& e, NameStyle style, bool colour);

/// The counts a summary gives.
struct SummaryCounts {
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t failed = 0;
    std::int64_t clashes = 0;
    std::int64_t refused = 0;
};

/// "Would rename 12 files and 1 folder; 2 would fail (clashes: 2)." for a simulation, "Renamed 12
/// files and 1 folder; 2 failed." for a run.
std::string summaryText(bool simulation, const SummaryCounts& counts);

/// "N hidden files were left out (--hidden takes them in)." or empty for none.
std::string hiddenText(std::int64_t hiddenLeftOut);

/// Appends one entry as a JSON object to out: {"folder": FOLDER, "old": ..., "new": ..., "type":
/// "file"|"folder", "verdict": "renamed"|"failed"|"declined", "reason": ...}.
void appendJsonEntry(std::string& out, std::string_view root, const EntryOutcome& e);

} // namespace brindle
