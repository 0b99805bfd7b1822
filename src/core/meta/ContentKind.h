#pragma once

#include <cstdint>
#include <string_view>

namespace brindle
{

/// What a file's first bytes say it is, whatever its name says: the reader of its metadata is
/// chosen by this, so a ".jpg" that is an MP3 is read as an MP3.
enum class ContentKind : std::uint8_t {
    Unknown,
    Image, ///< JPEG, PNG, TIFF and the raw formats built on it, WebP, GIF, HEIC, AVIF, CR3, JPEG XL
    Audio, ///< MP3, FLAC, Ogg, M4A, ASF/WMA, APE, WavPack, WAV, AIFF
    Video, ///< MP4, QuickTime, Matroska/WebM, AVI, 3GP
    Document, ///< PDF
};

/// How many first bytes contentKind looks at.
inline constexpr std::size_t kSniffBytes = 64;

/// The kind of a file from its first bytes (up to kSniffBytes of them).
ContentKind contentKind(std::string_view head);

} // namespace brindle
