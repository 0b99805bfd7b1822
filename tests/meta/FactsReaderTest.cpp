#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "core/meta/ContentKind.h"
#include "core/meta/FactsReader.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

const std::string kSamples = std::string(BRINDLE_TEST_DATA) + "/meta";

std::string sample(const std::string& name)
{
    std::ifstream in(kSamples + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// The facts of a sample file, read as a plan reads them.
std::shared_ptr<const FileFacts> factsOf(const std::string& name)
{
    const int dir = ::open(kSamples.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(dir, 0);
    auto facts = readFileFacts(dir, name, FactsNeed::Contents);
    ::close(dir);
    return facts;
}

/// One value of one sample file: "taken" (the time with its fraction) or a fact by token name.
struct ValueCase {
    const char* file;
    const char* what;
    std::string value;
    const char* source;
};

std::ostream& operator<<(std::ostream& os, const ValueCase& c)
{
    return os << c.file << " " << c.what;
}

std::optional<Fact> factNamed(std::string_view what)
{
    for (const FactName& f : kFactNames) {
        if (f.token == what)
            return f.fact;
    }
    return std::nullopt;
}

class SampleValue : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(SampleValue, IsReadWithItsSource)
{
    const ValueCase& c = GetParam();
    const auto facts = factsOf(c.file);
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->contentsRead);
    std::string value;
    std::string source;
    if (std::string_view(c.what) == "taken") {
        if (facts->taken) {
            value = facts->taken->time.text();
            if (!facts->taken->time.fraction.empty())
                value += "." + facts->taken->time.fraction;
            source = facts->taken->source;
        }
    } else {
        const FactValue& v = facts->value(*factNamed(c.what));
        value = v.value;
        source = v.source;
    }
    EXPECT_EQ(value, c.value) << facts->problem;
    EXPECT_EQ(source, c.source);
}

// The files were made with ImageMagick, exiv2, ffmpeg, id3v2 and metaflac; tests/data/meta.
// photo.heic: photo.jpg with another date and model, by make-photo-heic.sh (libheif's heif-enc).
// clang-format off
const ValueCase kValues[] = {
    {"photo.jpg", "taken", "2024-07-14 10:22:33.25", "Exif.Photo.DateTimeOriginal"},
    {"photo.jpg", "make", "Brindle_Optics", "Exif.Image.Make"},
    {"photo.jpg", "model", "Wick 1", "Exif.Image.Model"},
    {"photo.jpg", "lens", "35mm F2", "Exif.Photo.LensModel"},
    {"photo.jpg", "iso", "200", "Exif.Photo.ISOSpeedRatings"},
    {"photo.jpg", "width", "16", "Exif.Photo.PixelXDimension"},
    {"photo.jpg", "height", "12", "Exif.Photo.PixelYDimension"},
    {"photo.heic", "taken", "2023-03-05 08:09:10.25", "Exif.Photo.DateTimeOriginal"},
    {"photo.heic", "make", "Brindle_Optics", "Exif.Image.Make"},
    {"photo.heic", "model", "Wick H", "Exif.Image.Model"},
    {"digitized.jpg", "taken", "2023-01-02 03:04:05", "Exif.Photo.DateTimeDigitized"},
    {"digitized.jpg", "width", "8", "image header"},
    {"xmp.jpg", "taken", "2022-12-31 23:59:58", "Xmp.exif.DateTimeOriginal"},
    {"tagged.png", "taken", "2021-06-07 08:09:10", "Exif.Photo.DateTimeOriginal"},
    {"tagged.png", "make", "PNGMaker", "Exif.Image.Make"},
    {"plain.png", "width", "20", "image header"},
    {"plain.png", "height", "10", "image header"},
    {"plain.png", "taken", "", ""},
    {"song.mp3", "artist", "The Brindles", "ID3v2 ARTIST"},
    {"song.mp3", "album", "Wick Sessions", "ID3v2 ALBUM"},
    {"song.mp3", "title", "Night_Day", "ID3v2 TITLE"},
    {"song.mp3", "track", "3", "ID3v2 TRACKNUMBER"},
    {"song.mp3", "year", "2021", "ID3v2 DATE"},
    {"song.mp3", "genre", "Jazz", "ID3v2 GENRE"},
    {"song.flac", "artist", "Flac Artist", "Vorbis comment ARTIST"},
    {"song.flac", "albumartist", "Various", "Vorbis comment ALBUMARTIST"},
    {"song.flac", "disc", "2", "Vorbis comment DISCNUMBER"},
    {"song.flac", "track", "7", "Vorbis comment TRACKNUMBER"},
    {"song.flac", "year", "2019", "Vorbis comment DATE"},
    {"song.ogg", "title", "Vorbis Song", "Vorbis comment TITLE"},
    {"song.ogg", "track", "11", "Vorbis comment TRACKNUMBER"},
    {"song.m4a", "artist", "M4A Artist", "MP4 tag ARTIST"},
    {"song.m4a", "album", "Store", "MP4 tag ALBUM"},
    {"song.m4a", "track", "5", "MP4 tag TRACKNUMBER"},
    {"report.pdf", "title", "Annual Report: 2024_25", "PDF Title"},
    {"report.pdf", "author", "Ada Brindle", "PDF Author"},
    // A phone's local creation date comes before the container's UTC time (08:22:33Z).
    {"phone.mov", "taken", "2024-07-14 10:22:33", "video creation date (com.apple.quicktime.creationdate)"},
    // Read for what the file is, not for its name: an MP3 named .jpg.
    {"lying.jpg", "artist", "The Brindles", "ID3v2 ARTIST"},
    {"lying.jpg", "taken", "", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(FactsReader, SampleValue, ::testing::ValuesIn(kValues),
    [](const ::testing::TestParamInfo<ValueCase>& info) {
        std::string name = std::string(info.param.file) + "_" + info.param.what;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

TEST(FactsReader, VideoCreationTimeIsTheLocalTimeOfTheUtcStamp)
{
    // lying-edit-list.mp4 is clip.mp4 with an edit list that claims 2,745,410,467 entries in
    // 28 bytes; a reader that believed it took gigabytes.
    for (const char* file : {"clip.mp4", "clip.mkv", "lying-edit-list.mp4"}) {
        const auto facts = factsOf(file);
        ASSERT_TRUE(facts->taken) << file << ": " << facts->problem;
        // ffmpeg wrote creation_time=2023-05-06T07:08:09Z.
        EXPECT_EQ(facts->taken->time.text(), CivilTime::fromUnix(1683356889).text()) << file;
        EXPECT_EQ(facts->taken->source, "video creation time (container)") << file;
    }
}

TEST(FactsReader, DatesComeFromTheFileSystem)
{
    TempTree tree;
    tree.file("a.txt", "x", brindle::test::localTime(2019, 8, 7, 6, 5, 4));
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto facts = readFileFacts(dir, "a.txt", FactsNeed::Dates);
    ::close(dir);
    ASSERT_TRUE(facts->modified);
    EXPECT_EQ(facts->modified->time.text(), "2019-08-07 06:05:04");
    EXPECT_FALSE(facts->contentsRead);
    EXPECT_FALSE(facts->taken);
}

/// Bad input: each file gives no value with a reason, or values it does hold; never a crash.
struct BadCase {
    const char* label;
    std::string content;
    /// The start of the problem reported; empty when the file is read without one.
    const char* problem;
};

std::ostream& operator<<(std::ostream& os, const BadCase& c)
{
    return os << c.label;
}

class BadInput : public ::testing::TestWithParam<BadCase>
{
};

TEST_P(BadInput, GivesNoValueWithAReason)
{
    TempTree tree;
    tree.file("f.jpg", GetParam().content);
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto facts = readFileFacts(dir, "f.jpg", FactsNeed::Contents);
    ::close(dir);
    EXPECT_TRUE(facts->contentsRead);
    EXPECT_FALSE(facts->taken);
    EXPECT_TRUE(facts->problem.starts_with(GetParam().problem)) << facts->problem;
}

/// A JPEG whose EXIF block claims count entries in its first directory, each a date.
std::string manyEntriesJpeg(std::uint16_t count)
{
    std::string tiff = std::string("II*\0\x08\0\0\0", 8);
    tiff += static_cast<char>(count & 0xFF);
    tiff += static_cast<char>(count >> 8);
    const std::size_t fit = std::min<std::size_t>(count, (65000 - tiff.size()) / 12);
    for (std::size_t i = 0; i < fit; ++i)
        tiff += std::string("\x32\x01\x02\0\x14\0\0\0\0\0\0\0", 12);
    const std::string segment = std::string("Exif\0\0", 6) + tiff;
    std::string jpeg = "\xFF\xD8\xFF\xE1";
    jpeg += static_cast<char>((segment.size() + 2) >> 8);
    jpeg += static_cast<char>((segment.size() + 2) & 0xFF);
    return jpeg + segment + "\xFF\xD9";
}

// clang-format off
const BadCase kBad[] = {
    {"Text", "just text", "not a photo, video, audio file or PDF"},
    {"Empty", "", "not a photo, video, audio file or PDF"},
    {"TruncatedJpeg", sample("truncated.jpg"), ""},
    {"NoiseInExif", sample("noise-exif.jpg"), ""},
    {"TenThousandEntries", manyEntriesJpeg(10000), ""},
    {"JpegHeaderOnly", "\xFF\xD8\xFF", ""},
    {"PdfHeaderOnly", "%PDF-1.4\n", ""},
    {"Id3HeaderOnly", "ID3\x04\0\0\x7F\x7F\x7F\x7F", ""},
    {"MovieBoxOnly", std::string("\0\0\0\x18" "ftypisom\0\0\0\0isom" "mp41", 24), ""},
    // "GIF8" then a QuickTime file: exiv2's QuickTime reader spent minutes on it.
    {"GifHeadQuickTimeBody", sample("gif-head-quicktime-body.gif"), "damaged photo"},
    // clip.mkv with a few bytes changed: MediaInfo had not finished with it after two minutes.
    {"EndlessMatroska", sample("endless-matroska.mkv"), ""},
    // clip.mp4 whose data reference claims 434,991,943 bytes in a 1.4 KB file.
    {"ImpossibleSizes", sample("impossible-sizes.mp4"), "damaged video: its headers claim sizes"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(FactsReader, BadInput, ::testing::ValuesIn(kBad),
    [](const ::testing::TestParamInfo<BadCase>& info) { return std::string(info.param.label); });

TEST(FactsReader, AnUnreadableFileSaysWhy)
{
    TempTree tree;
    tree.file("locked.jpg", sample("photo.jpg"));
    ASSERT_EQ(::chmod(tree.at("locked.jpg").c_str(), 0), 0);
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool root = ::geteuid() == 0;
    // As root, permissions count only for another file-system identity (this thread's).
    if (root) {
        ::setfsgid(65534);
        ::setfsuid(65534);
    }
    const auto facts = readFileFacts(dir, "locked.jpg", FactsNeed::Contents);
    if (root) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
    ::close(dir);
    EXPECT_EQ(facts->problem, "cannot open the file: Permission denied");
    EXPECT_TRUE(facts->modified);
}

TEST(FactsReader, LinksAndFoldersAreNotRead)
{
    TempTree tree;
    tree.file("photo.jpg", sample("photo.jpg"));
    tree.symlink("photo.jpg", "link.jpg");
    tree.dir("Folder");
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const auto link = readFileFacts(dir, "link.jpg", FactsNeed::Contents);
    const auto folder = readFileFacts(dir, "Folder", FactsNeed::Contents);
    const auto gone = readFileFacts(dir, "gone.jpg", FactsNeed::Contents);
    const auto real = readFileFacts(dir, "photo.jpg", FactsNeed::Contents);
    ::close(dir);
    EXPECT_EQ(link->problem, "a symbolic link, which is not followed");
    EXPECT_FALSE(link->taken);
    EXPECT_EQ(folder->problem, "not a regular file");
    EXPECT_EQ(gone->problem, "cannot look at the file: No such file or directory");
    EXPECT_TRUE(real->taken);
}

TEST(FactsReader, TheCacheReadsAFileOncePerChange)
{
    TempTree tree;
    tree.file("a.jpg", sample("photo.jpg"), brindle::test::localTime(2020, 1, 1, 0, 0));
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FactsCache cache;
    const auto first = readFileFacts(dir, "a.jpg", FactsNeed::Contents, &cache);
    EXPECT_EQ(readFileFacts(dir, "a.jpg", FactsNeed::Contents, &cache), first);
    EXPECT_EQ(readFileFacts(dir, "a.jpg", FactsNeed::Dates, &cache), first);
    // Read for dates only, a file is read again when its contents are needed.
    tree.file("b.jpg", sample("photo.jpg"));
    const auto dates = readFileFacts(dir, "b.jpg", FactsNeed::Dates, &cache);
    const auto contents = readFileFacts(dir, "b.jpg", FactsNeed::Contents, &cache);
    EXPECT_NE(dates, contents);
    EXPECT_TRUE(contents->taken);
    // A change of the file (here its modification time) is a new key.
    tree.file("a.jpg", sample("song.mp3"), brindle::test::localTime(2020, 1, 1, 0, 1));
    const auto changed = readFileFacts(dir, "a.jpg", FactsNeed::Contents, &cache);
    ::close(dir);
    EXPECT_NE(changed, first);
    EXPECT_FALSE(changed->taken);
    EXPECT_EQ(changed->value(Fact::Artist).value, "The Brindles");
}

TEST(FactsReader, ParallelReadingGivesEachNameItsFacts)
{
    TempTree tree;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        names.push_back((i % 2 ? "p" : "s") + std::to_string(i));
        tree.file(names.back(), sample(i % 2 ? "photo.jpg" : "song.flac"));
    }
    const std::vector<std::string_view> views(names.begin(), names.end());
    const int dir = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::shared_ptr<const FileFacts>> out;
    readFactsInParallel(dir, views, FactsNeed::Contents, nullptr, out);
    ::close(dir);
    ASSERT_EQ(out.size(), names.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i]->taken.has_value(), i % 2 == 1) << names[i];
        EXPECT_EQ(out[i]->value(Fact::Artist).value, i % 2 ? "" : "Flac Artist") << names[i];
    }
}

struct KindCase {
    const char* file;
    ContentKind kind;
};

TEST(FactsReader, ContentKindOfEverySample)
{
    const KindCase cases[] = {{"photo.jpg", ContentKind::Image}, {"plain.png", ContentKind::Image},
        {"song.mp3", ContentKind::Audio}, {"song.flac", ContentKind::Audio}, {"song.ogg", ContentKind::Audio},
        {"song.m4a", ContentKind::Audio}, {"clip.mp4", ContentKind::Video},
        {"report.pdf", ContentKind::Document}, {"lying.jpg", ContentKind::Audio},
        {"notes.txt", ContentKind::Unknown}};
    for (const KindCase& c : cases)
        EXPECT_EQ(contentKind(sample(c.file).substr(0, kSniffBytes)), c.kind) << c.file;
}

struct CivilCase {
    const char* text;
    const char* expected; ///< text(), or empty for no time
};

TEST(FactsReader, CivilTimesParseOnlyRealDates)
{
    const CivilCase cases[] = {{"2024:07:14 10:22:33", "2024-07-14 10:22:33"},
        {"2024-07-14T10:22:33+02:00", "2024-07-14 10:22:33"}, {"2024-07-14", "2024-07-14 00:00:00"},
        {"  2024:02:29 00:00:00", "2024-02-29 00:00:00"}, {"2023:02:29 00:00:00", ""},
        {"0000:00:00 00:00:00", ""}, {"2024:13:01 00:00:00", ""}, {"2024:07:14 25:00:00", ""},
        {"2024:07-14 10:22:33", ""}, {"2024", ""}, {"", ""}, {"2024:07:14x", ""}};
    for (const CivilCase& c : cases) {
        const auto t = CivilTime::parse(c.text);
        EXPECT_EQ(t ? t->text() : std::string(), c.expected) << c.text;
    }
}

} // namespace
