#include "core/meta/ContentReaders.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

// exiv2 0.27 hands out its images as std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace brindle
{

namespace
{

void setUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(true);
        // The XMP toolkit must be set up once before threads use it.
        Exiv2::XmpParser::initialize();
    });
}

std::string exifText(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0)
        return {};
    return it->toString();
}

std::string xmpText(const Exiv2::XmpData& xmp, const char* key)
{
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end() || it->count() == 0)
        return {};
    return it->toString();
}

/// The date of an EXIF date key with the fraction of its sub-second key.
void offerExifTime(FileFacts& facts, const Exiv2::ExifData& exif, const char* key, const char* subSecKey)
{
    std::optional<CivilTime> time = CivilTime::parse(exifText(exif, key));
    if (!time)
        return;
    const std::string subSec = exifText(exif, subSecKey);
    std::string digits;
    for (const char c : subSec) {
        if (c >= '0' && c <= '9' && digits.size() < 9)
            digits += c;
        else if (c != ' ')
            break;
    }
    if (!digits.empty())
        time->fraction = digits;
    facts.offerTaken(*time, key);
}

} // namespace

void readImageFacts(int fd, FileFacts& facts)
{
    setUpExiv2();
    auto image = Exiv2::ImageFactory::open(descriptorPath(fd), false);
    // A file that begins like a photo but that exiv2 takes for a video (its QuickTime, RIFF,
    // Matroska and ASF readers, which a crafted file keeps busy for many seconds) is not read.
    if (!image.get() || image->mimeType().starts_with("video/")) {
        facts.problem = "damaged photo: not an image format exiv2 reads";
        return;
    }
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    const Exiv2::XmpData& xmp = image->xmpData();
    offerExifTime(facts, exif, "Exif.Photo.DateTimeOriginal", "Exif.Photo.SubSecTimeOriginal");
    offerExifTime(facts, exif, "Exif.Photo.DateTimeDigitized", "Exif.Photo.SubSecTimeDigitized");
    for (const char* key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated", "Xmp.xmp.CreateDate"}) {
        if (const auto time = CivilTime::parse(xmpText(xmp, key)))
            facts.offerTaken(*time, key);
    }
    static constexpr std::pair<Fact, const char*> kExif[] = {
        {Fact::Make, "Exif.Image.Make"},
        {Fact::Model, "Exif.Image.Model"},
        {Fact::Lens, "Exif.Photo.LensModel"},
        {Fact::Iso, "Exif.Photo.ISOSpeedRatings"},
        {Fact::Width, "Exif.Photo.PixelXDimension"},
        {Fact::Height, "Exif.Photo.PixelYDimension"},
    };
    for (const auto& [fact, key] : kExif)
        facts.offer(fact, exifText(exif, key), key);
    facts.offer(Fact::Lens, xmpText(xmp, "Xmp.aux.Lens"), "Xmp.aux.Lens");
    if (image->pixelWidth() > 0)
        facts.offer(Fact::Width, std::to_string(image->pixelWidth()), "image header");
    if (image->pixelHeight() > 0)
        facts.offer(Fact::Height, std::to_string(image->pixelHeight()), "image header");
}

} // namespace brindle
