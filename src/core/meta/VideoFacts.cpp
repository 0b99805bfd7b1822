#include "core/meta/ContentReaders.h"

#include <mutex>

#include <MediaInfo/MediaInfo.h>

namespace brindle
{

namespace
{

/// MediaInfo's dates are ASCII: wide characters to bytes.
std::string narrow(const MediaInfoLib::String& text)
{
    std::string out;
    out.reserve(text.size());
    for (const auto c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

/// A time MediaInfo gives in UTC ("UTC 2024-07-14 08:22:33" or "2024-07-14 08:22:33 UTC") as
/// the local wall clock.
std::optional<CivilTime> localFromUtc(std::string text)
{
    if (text.starts_with("UTC "))
        text.erase(0, 4);
    const std::optional<CivilTime> utc = CivilTime::parse(text);
    // A container whose creation time was never set says 1904 or 1970.
    if (!utc || utc->year <= 1970)
        return std::nullopt;
    return CivilTime::fromUnix(utc->sortKey());
}

} // namespace

void readVideoFacts(int fd, FileFacts& facts)
{
    // One file at a time: the library's parsers share tables set up on first use.
    static std::mutex lock;
    const std::lock_guard guard(lock);
    MediaInfoLib::MediaInfo info;
    // The headers are enough for the dates: no scan of the streams.
    info.Option(__T("ParseSpeed"), __T("0"));
    const std::string path = descriptorPath(fd);
    if (info.Open(MediaInfoLib::String(path.begin(), path.end())) == 0)
        return;
    for (const auto* field : {__T("Encoded_Date"), __T("Tagged_Date")}) {
        if (const auto time = localFromUtc(narrow(info.Get(MediaInfoLib::Stream_General, 0, field))))
            facts.offerTaken(*time, "video creation time (" + narrow(field) + ")");
    }
    info.Close();
}

} // namespace brindle
