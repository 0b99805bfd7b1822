#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace brindle
{

/// A wall-clock time as a camera writes it: no time zone, seconds and a fraction.
struct CivilTime {
    std::int32_t year = 0;
    std::int32_t month = 0; ///< 1 to 12
    std::int32_t day = 0; ///< 1 to 31
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    /// The fraction of the second as the digits written ("25" of SubSecTimeOriginal); empty
    /// when there is none.
    std::string fraction;

    /// Seconds from 1970-01-01 00:00:00 of the same wall clock, for comparing.
    std::int64_t sortKey() const;
    /// "2024-07-14 10:22:33".
    std::string text() const;
    /// Whether the fields make a date of the Gregorian calendar (year 1 to 9999).
    bool valid() const;

    /// The local wall-clock time of a moment in seconds since 1970 (UTC).
    static CivilTime fromUnix(std::int64_t seconds, std::int64_t nanoseconds = 0);
    /// "YYYY:MM:DD HH:MM:SS" (EXIF) or "YYYY-MM-DDTHH:MM:SS..." (XMP, ISO 8601); only the date
    /// is needed. A text that is no such time gives nothing.
    static std::optional<CivilTime> parse(std::string_view text);
};

/// The values a template can take from a file besides its name, by token.
enum class Fact : std::uint8_t {
    Make,
    Model,
    Lens,
    Iso,
    Width,
    Height,
    Artist,
    AlbumArtist,
    Album,
    Title,
    Track,
    Disc,
    Year,
    Genre,
    Author,
    Count
};

inline constexpr std::size_t kFactCount = static_cast<std::size_t>(Fact::Count);

/// A fact's token in a template ("albumartist") and why an entry has no value for it.
struct FactName {
    Fact fact;
    std::string_view token;
    std::string_view missing;
};

/// Every fact in the order of Fact: the one list of the metadata tokens.
inline constexpr FactName kFactNames[] = {
    {Fact::Make, "make", "no camera make"},
    {Fact::Model, "model", "no camera model"},
    {Fact::Lens, "lens", "no lens"},
    {Fact::Iso, "iso", "no ISO speed"},
    {Fact::Width, "width", "no image width"},
    {Fact::Height, "height", "no image height"},
    {Fact::Artist, "artist", "no artist tag"},
    {Fact::AlbumArtist, "albumartist", "no album artist tag"},
    {Fact::Album, "album", "no album tag"},
    {Fact::Title, "title", "no title"},
    {Fact::Track, "track", "no track number"},
    {Fact::Disc, "disc", "no disc number"},
    {Fact::Year, "year", "no year tag"},
    {Fact::Genre, "genre", "no genre tag"},
    {Fact::Author, "author", "no author"},
};

static_assert(std::size(kFactNames) == kFactCount);
static_assert([] {
    for (std::size_t i = 0; i < kFactCount; ++i) {
        if (kFactNames[i].fact != static_cast<Fact>(i))
            return false;
    }
    return true;
}());

inline const FactName& factName(Fact fact)
{
    return kFactNames[static_cast<std::size_t>(fact)];
}

/// One value with where it came from ("Exif.Image.Make", "ID3v2 TPE1").
struct FactValue {
    std::string value;
    std::string source;
};

/// A time with where it came from.
struct TimeValue {
    CivilTime time;
    std::string source;
};

/// How facts.problem begins when the file facts module cannot be used, so that no file's
/// contents can be read.
inline constexpr std::string_view kFactsUnavailable = "file facts cannot be read: ";

/// What is known of one file: its dates from the file system and the metadata its contents
/// carry. A value that is not there is empty; problem says why nothing could be read at all.
struct FileFacts {
    /// Modification time, local wall clock.
    std::optional<TimeValue> modified;
    /// Birth time, where the file system keeps it (statx).
    std::optional<TimeValue> created;
    /// When the photo or video was taken.
    std::optional<TimeValue> taken;
    std::array<FactValue, kFactCount> values;
    /// Why the contents could not be read ("cannot open: Permission denied", "damaged
    /// metadata: ..."); empty when they were read, or were not asked for.
    std::string problem;
    /// Whether the contents were looked at (FactsNeed::Contents).
    bool contentsRead = false;

    const FactValue& value(Fact fact) const { return values[static_cast<std::size_t>(fact)]; }
    FactValue& value(Fact fact) { return values[static_cast<std::size_t>(fact)]; }
    /// Sets a value unless one is there already (the first source found wins); the value is
    /// made fit for a name first, and an empty result is no value.
    void offer(Fact fact, std::string_view value, std::string_view source);
    /// Sets the time taken unless one is there already.
    void offerTaken(const CivilTime& time, std::string_view source);
};

/// A value made fit for a name: "/" becomes "_", control characters are dropped, blanks at
/// both ends are trimmed.
std::string nameSafeValue(std::string_view value);

} // namespace brindle
