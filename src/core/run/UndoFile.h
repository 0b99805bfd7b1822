#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/run/FileOps.h"
#include "core/run/RunHost.h"

namespace brindle
{

/// The name of the undo file the run writes into every folder it processes.
inline constexpr std::string_view kUndoFileName = "_brindlewick_undo.txt";

/// The undo file of one folder while a run writes it. Each pair of lines (new name, old name,
/// each ended by CR LF) is handed to the kernel in one write just before its rename is made,
/// so a run that is killed leaves a file that records every rename it made (and at most one
/// more, its last pair, whose rename never happened); closing syncs it to disk.
class UndoFileWriter
{
public:
    UndoFileWriter() = default;
    /// Closes an open file without reporting.
    ~UndoFileWriter();
    UndoFileWriter(const UndoFileWriter&) = delete;
    UndoFileWriter& operator=(const UndoFileWriter&) = delete;

    /// Creates a new undo file in the folder open as dirFd. An earlier undo file is removed
    /// first and never written into, so another hard link of it keeps its bytes; an entry of
    /// that name that is not a plain file (a link, a folder, a pipe) is refused and left alone.
    SysError create(int dirFd);
    /// Appends the pair newName, oldName; a pair that could not be written whole is taken back.
    SysError add(std::string_view newName, std::string_view oldName);
    /// Takes back the pair added last (its rename failed).
    SysError takeBack();
    /// Syncs and closes the file; the error is that of the first failing step.
    SysError close();
    bool isOpen() const { return m_fd.valid(); }

private:
    Fd m_fd;
    std::string m_buffer;
    off_t m_size = 0; // bytes of whole pairs written
    off_t m_sizeBeforeLast = 0; // m_size before the last pair
};

/// One recorded pair of an undo file, as views into the file's content.
struct UndoPair {
    std::string_view newName;
    std::string_view oldName;
    /// Both lines are there, each with its line end: a record as the run writes it. A last
    /// name without a partner, or a last line without its line end, is a record cut short.
    bool complete = false;
};

/// Reads the pairs of an undo file's content from the last one written to the first, without
/// copying: the memory of an undo is the file's content, whatever its lines. Lines end with LF
/// or CR LF; a last name without a partner is paired with an empty name.
class UndoPairReader
{
public:
    explicit UndoPairReader(std::string_view content);
    /// The number of pairs in the content.
    std::size_t count() const { return (m_lineCount + 1) / 2; }
    /// The pair before those read so far (the last one of the file first); false when none is
    /// left.
    bool previous(UndoPair& pair);

private:
    std::string_view m_rest; // the lines not read yet
    std::size_t m_lineCount = 0;
    std::size_t m_linesLeft = 0;
};

/// The recorded pairs of an undo file, in file order: first the new name, then the old one.
/// Lines end with LF or CR LF; a last name without a partner is paired with an empty name.
std::vector<std::pair<std::string, std::string>> parseUndoPairs(std::string_view content);

/// The undo of one folder (a full path): reads the folder's undo file and
/// renames each recorded pair back, the last rename first, never replacing anything and never
/// touching a name outside the folder. Asks, reports and shows messages through host.
///
/// Progress is durable: each pair leaves the file once it is renamed back (the rename first,
/// then the file is cut), so an undo that is stopped at any moment and run again never replays
/// a pair; the file is synced before it is removed. A pair whose new name is gone and whose old
/// name is there (a run killed between writing the pair and renaming, or an undo killed between
/// renaming and cutting the file) is passed over without an error and leaves the file too; the
/// report says so. Every other pair that cannot be renamed back, a record cut short included,
/// is an error and stays: a file kept after errors holds only the pairs that failed.
UndoResult undoFolder(const std::string& folder, IRunHost& host);

/// The undo of a folder tree, as undo does it with the recurse option: every folder below folder
/// (links never followed) that holds an undo file, the deepest first, then folder itself,
/// each as undoFolder does it, with one question before ("Operation will undo renaming in
/// current directory. ...") and one report after, the counts summed. When pairs failed, the
/// question whether to remove the undo files is asked once, for every folder that had errors.
/// Without any undo file in the tree, the "does not exist" message. The walk holds a bounded
/// number of folders open and does not recurse.
UndoResult undoTree(const std::string& folder, IRunHost& host);

/// The words the undo report adds when it passed over one pair.
inline constexpr std::string_view kPassedOverReport = " 1 pair passed over: nothing to rename back";

/// The steps of an undo that change the disk, in the order they come for each pair and folder.
enum class UndoStep : std::uint8_t {
    Renamed, ///< one pair renamed back
    Recorded, ///< the undo file cut to the pairs still to undo (and those that failed)
    Synced, ///< the undo file synced at the end of its folder
    Removed, ///< the undo file removed
};

/// Called after every step of every undo (none when null): a seam where tests stop an undo
/// after each step in turn, as a kill would.
using UndoStepHook = void (*)(UndoStep step);
void setUndoStepHook(UndoStepHook hook);

} // namespace brindle
