#pragma once

#include <string>

#include "core/meta/FileFacts.h"

namespace brindle
{

// The readers of the metadata in a file's contents, one a library. Each is given the file open
// as fd (read-only, a regular file) and adds what it finds to facts; a damaged file may make
// one throw, which the caller turns into facts.problem.

/// Photos (exiv2): the date taken, the camera facts, the size.
void readImageFacts(int fd, FileFacts& facts);
/// Audio (TagLib): the tags.
void readAudioFacts(int fd, FileFacts& facts);
/// PDF documents (poppler): title and author.
void readDocumentFacts(int fd, FileFacts& facts);
/// Videos (libavformat): when they were taken, from the container's creation time.
void readVideoFacts(int fd, FileFacts& facts);

/// A path by which the libraries open the file held by fd: the descriptor's entry in
/// /proc/self/fd, so that what is read is the file checked, not whatever the name points at
/// by now.
std::string descriptorPath(int fd);

} // namespace brindle
