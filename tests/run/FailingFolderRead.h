#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "core/run/FolderReader.h"

namespace brindle::test
{

/// While it lives, reading the folder at path fails with EIO, but only after a first read that
/// gave its first few entries: a part of the folder has been read when the failure comes, as on
/// a disk or a network mount that fails in the middle of a folder. Other folders read as usual.
class FailingFolderRead
{
public:
    explicit FailingFolderRead(const std::string& path)
    {
        struct stat st;
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        s_dev = st.st_dev;
        s_ino = st.st_ino;
        s_reads = 0;
        m_previous = FolderReader::setReadCall(&read);
    }
    ~FailingFolderRead() { FolderReader::setReadCall(m_previous); }
    FailingFolderRead(const FailingFolderRead&) = delete;
    FailingFolderRead& operator=(const FailingFolderRead&) = delete;

    /// How many reads of the folder were made, the failed ones included.
    static int reads() { return s_reads; }

private:
    static ssize_t read(int fd, void* buffer, std::size_t size)
    {
        struct stat st;
        if (::fstat(fd, &st) != 0 || st.st_dev != s_dev || st.st_ino != s_ino)
            return ::getdents64(fd, buffer, size);
        // A new reading of the folder starts with a good read of a few records.
        if (s_reads++ % 2 == 0)
            return ::getdents64(fd, buffer, std::min<std::size_t>(size, 160));
        errno = EIO;
        return -1;
    }

    static inline dev_t s_dev = 0;
    static inline ino_t s_ino = 0;
    static inline int s_reads = 0;
    FolderReader::ReadCall m_previous;
};

} // namespace brindle::test
