#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/UFileOps.h"
#include "run/URunHost.h"

namespace brindle
{

/// The undo file of one folder while a run writes it. Each pair of lines (new name, old name,
/// each ended by CR LF) is handed to the kernel in one write just before its rename is made,
/// so a run that is killed leaves a file that records every rename it made (and at most one
/// more, its last pair, whose rename never happened); closing syncs it to disk.
class TUndoFileWriter
{
public:
    TUndoFileWriter() = default;
    /// Closes an open file without reporting.
    ~TUndoFileWriter();
    TUndoFileWriter(const TUndoFileWriter&) = delete;
    TUndoFileWriter& operator=(const TUndoFileWriter&) = delete;

    /// Creates (or empties) the undo file in the folder open as dirFd. An entry of that name
    /// that is not a plain file (a link, a folder, a pipe) is refused. Returns 0 or an errno.
    int Create(int dirFd);
    /// Appends the pair newName, oldName. Returns 0 or an errno; a pair that could not be
    /// written whole is taken back.
    int Add(std::string_view newName, std::string_view oldName);
    /// Takes back the pair added last (its rename failed). Returns 0 or an errno.
    int TakeBack();
    /// Syncs and closes the file. Returns 0 or the errno of the first failing step.
    int Close();
    bool IsOpen() const { return m_fd.valid(); }

private:
    TFd m_fd;
    std::string m_buffer;
    off_t m_size = 0; // bytes of whole pairs written
    off_t m_sizeBeforeLast = 0; // m_size before the last pair
};

/// The recorded pairs of an undo file, in file order: first the new name, then the old one.
/// Lines end with LF or CR LF; a last name without a partner is paired with an empty name.
std::vector<std::pair<std::string, std::string>> ParseUndoPairs(std::string_view content);

/// The undo of the Undo button for folder (a full path): reads the folder's undo file and
/// renames each recorded pair back, the last rename first, never replacing anything and never
/// touching a name outside the folder. Asks, reports and shows messages through host.
///
/// The last pair of the file is passed over without an error when its rename evidently never
/// happened, as a killed run can leave it: the name to give back does not exist, and either
/// the old name does or the pair is cut short.
TUndoResult UndoFolder(const std::string& folder, IRunHost& host);

} // namespace brindle
