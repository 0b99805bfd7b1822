#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"
#include "core/jobs/Job.h"

struct _xmlNode;

namespace brindle
{

inline constexpr std::string_view kMsgXmlError = "XML error: ";
inline constexpr std::string_view kMsgDocumentEmpty = "XML Document is Empty. Loading Aborted!";
inline constexpr std::string_view kMsgDocumentElementNil = "XML DocumentElement is nil. Loading Aborted!";
inline constexpr std::string_view kMsgRootNotRecognised
    = "Root node element is not recognised. Loading aborted!";
inline constexpr std::string_view kMsgNothingToSave = "No jobs have been defined yet. Nothing to save";
inline constexpr std::string_view kMsgFileExistsOverwrite = "File exists. Overwrite?";
inline constexpr std::string_view kMsgDoctypeRefused
    = "Job list files with a document type declaration are not read";
inline constexpr std::string_view kMsgJobListTooLarge = "The job list file is too large";

/// The largest job list file read. Its work is bounded too: elements, attributes and job strings
/// (see loadJobsFromXmlBytes).
inline constexpr std::size_t kMaxJobListFileBytes = std::size_t {16} << 20;

/// The exact bytes of a job list file: the declaration for encoding (none when empty), the
/// jobs one a line with their strings in that encoding, CR LF after every line.
std::string jobsToXml(std::span<const Job> jobs, std::string_view encoding);

/// Writes the job list file (see writeFileAtomically: a file is replaced only once the new one is
/// complete, or written in place where it cannot be replaced). Fails with "Unable to write to
/// <fileName>".
Result<void> saveJobsToXml(const std::string& fileName, std::span<const Job> jobs, std::string_view encoding);

/// Reads a job list file. Fails with the reader's own message ("XML error: ...", "XML Document
/// is Empty. Loading Aborted!", ...). Only a regular file of at most 16 MiB is read, opened
/// without waiting (a FIFO or a device is refused, never read).
Result<std::vector<Job>> loadJobsFromXml(const std::string& fileName);

/// Reads a job list from the bytes of a file; fileName names it in messages only. Refuses a
/// document type declaration (entities, external subsets), more than kMaxJobListElements
/// elements, more than kMaxJobListAttributes attributes (kMaxElementAttributes on one element),
/// and a job string longer than kMaxJobStringBytes: each is far beyond a job list and would only
/// cost time and memory.
Result<std::vector<Job>> loadJobsFromXmlBytes(std::string_view bytes, const std::string& fileName);

inline constexpr std::size_t kMaxJobListElements = 50'000;
inline constexpr std::size_t kMaxJobListAttributes = 400'000;
inline constexpr std::size_t kMaxElementAttributes = 64;

/// Appends the jobs of one jobs element to list: every direct job child that names a kind
/// other than jobNone; the others are skipped without a message.
void readJobsElement(const _xmlNode* jobs, std::vector<Job>& list);

/// Whether job list files can be written with this encoding name: the system converts into it,
/// it writes ASCII as itself, and a file written with it reads back the same jobs, letters of
/// many scripts included.
bool encodingReadsBack(std::string_view encoding);

/// The message for an encoding name that encodingReadsBack refuses.
std::string encodingRefusedMessage(std::string_view encoding);

/// What became of a kept job list that failed to load.
struct SetAside {
    /// It is still in place and must not be saved over.
    bool keep = false;
    /// The line that tells the user; empty when nothing was done (a folder in its place).
    std::string line;
};

/// Moves a kept job list that failed to load out of the way of the next save: renamed to
/// path + ".bad", over an older one.
SetAside setAsideUnreadableJobList(const std::string& path);

/// The six-line message shown after any failed load, lines joined by CR LF.
std::string loadFailureMessage(std::string_view fileName);

} // namespace brindle
