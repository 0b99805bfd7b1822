#include "core/meta/ContentKind.h"

namespace brindle
{

using namespace std::literals;

namespace
{

bool at(std::string_view head, std::size_t offset, std::string_view magic)
{
    return head.size() >= offset + magic.size() && head.substr(offset, magic.size()) == magic;
}

/// An ISO base media file (MP4, QuickTime, HEIC): its major brand decides.
ContentKind isoKind(std::string_view head)
{
    const std::string_view brand = head.substr(8, 4);
    for (const std::string_view image :
        {"heic", "heix", "heim", "heis", "hevc", "mif1", "msf1", "avif", "avis", "crx "}) {
        if (brand == image)
            return ContentKind::Image;
    }
    for (const std::string_view audio : {"M4A ", "M4B ", "M4P "}) {
        if (brand == audio)
            return ContentKind::Audio;
    }
    return ContentKind::Video;
}

/// An MPEG audio frame header: sync bits, a layer, a bit rate index that is not "bad".
bool mpegAudioFrame(std::string_view head)
{
    if (head.size() < 3)
        return false;
    const auto b0 = static_cast<unsigned char>(head[0]);
    const auto b1 = static_cast<unsigned char>(head[1]);
    const auto b2 = static_cast<unsigned char>(head[2]);
    return b0 == 0xFF && (b1 & 0xE0) == 0xE0 && (b1 & 0x06) != 0 && (b2 & 0xF0) != 0xF0;
}

} // namespace

ContentKind contentKind(std::string_view head)
{
    if (at(head, 0, "\xFF\xD8\xFF") || at(head, 0, "\x89PNG\r\n\x1A\n") || at(head, 0, "II*\0"sv)
        || at(head, 0, "MM\0*"sv) || at(head, 0, "GIF8") || (at(head, 0, "RIFF") && at(head, 8, "WEBP"))
        || at(head, 0, "\xFF\x0A") || at(head, 4, "JXL ") || at(head, 0, "IIRO") || at(head, 0, "IIU\0"sv))
        return ContentKind::Image;
    if (at(head, 4, "ftyp") && head.size() >= 12)
        return isoKind(head);
    if (at(head, 4, "moov") || at(head, 4, "mdat") || at(head, 4, "wide") || at(head, 4, "free"))
        return ContentKind::Video;
    if (at(head, 0, "%PDF-"))
        return ContentKind::Document;
    if (at(head, 0, "ID3") || at(head, 0, "fLaC") || at(head, 0, "OggS") || at(head, 0, "MAC ")
        || at(head, 0, "wvpk") || at(head, 0, "MPCK") || at(head, 0, "MP+")
        || (at(head, 0, "RIFF") && at(head, 8, "WAVE")) || (at(head, 0, "FORM") && at(head, 8, "AIF"))
        || at(head, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11") || mpegAudioFrame(head))
        return ContentKind::Audio;
    if (at(head, 0, "\x1A\x45\xDF\xA3") || (at(head, 0, "RIFF") && at(head, 8, "AVI ")))
        return ContentKind::Video;
    return ContentKind::Unknown;
}

} // namespace brindle
