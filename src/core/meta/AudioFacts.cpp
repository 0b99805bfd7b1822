#include "core/meta/ContentReaders.h"

#include <unistd.h>

#include <mutex>

#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>

namespace brindle
{

namespace
{

/// TagLib's messages about damaged files are no business of the user's terminal.
class SilentListener : public TagLib::DebugListener
{
public:
    void printMessage(const TagLib::String&) override { }
};

/// The kind of tag a file's properties come from, as the source of its values.
std::string tagKind(TagLib::File* file)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        if (mpeg->hasID3v2Tag())
            return "ID3v2";
        if (mpeg->hasAPETag())
            return "APE tag";
        return "ID3v1";
    }
    if (dynamic_cast<TagLib::FLAC::File*>(file))
        return "Vorbis comment";
    if (dynamic_cast<TagLib::MP4::File*>(file))
        return "MP4 tag";
    if (dynamic_cast<TagLib::ASF::File*>(file))
        return "ASF tag";
    if (dynamic_cast<TagLib::APE::File*>(file))
        return "APE tag";
    return "Vorbis comment";
}

/// The number before a "/" ("3/12" gives "3"), without leading zeros; empty when it is none.
std::string leadingNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return {};
    std::string digits;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        digits += text[i];
    const std::size_t nonZero = digits.find_first_not_of('0');
    if (digits.empty())
        return {};
    return nonZero == std::string::npos ? "0" : digits.substr(nonZero);
}

} // namespace

void readAudioFacts(int fd, FileFacts& facts)
{
    static std::once_flag once;
    static SilentListener listener;
    std::call_once(once, [] { TagLib::setDebugListener(&listener); });
    // The stream closes what it is given: a copy of the descriptor.
    const int own = ::dup(fd);
    if (own < 0)
        return;
    TagLib::FileStream stream(own, true);
    TagLib::FileRef ref(&stream, false);
    if (ref.isNull() || !ref.file()->isValid())
        return;
    const std::string kind = tagKind(ref.file());
    const TagLib::PropertyMap properties = ref.file()->properties();
    const auto first = [&](const char* key) -> std::string {
        const auto it = properties.find(key);
        if (it == properties.end() || it->second.isEmpty())
            return {};
        return it->second.front().to8Bit(true);
    };
    static constexpr std::pair<Fact, const char*> kTags[] = {
        {Fact::Artist, "ARTIST"},
        {Fact::AlbumArtist, "ALBUMARTIST"},
        {Fact::Album, "ALBUM"},
        {Fact::Title, "TITLE"},
        {Fact::Genre, "GENRE"},
    };
    for (const auto& [fact, key] : kTags)
        facts.offer(fact, first(key), kind + " " + key);
    facts.offer(Fact::Track, leadingNumber(first("TRACKNUMBER")), kind + " TRACKNUMBER");
    facts.offer(Fact::Disc, leadingNumber(first("DISCNUMBER")), kind + " DISCNUMBER");
    const std::string date = first("DATE");
    if (date.size() >= 4
        && std::all_of(date.begin(), date.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }))
        facts.offer(Fact::Year, date.substr(0, 4), kind + " DATE");
}

} // namespace brindle
