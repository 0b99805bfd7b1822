#include "core/meta/ContentReaders.h"

#include <cerrno>
#include <memory>

#include "core/base/SharedLibrary.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/version_major.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/macros.h>
#include <libavutil/mem.h>
#include <libavutil/version.h>
}

namespace brindle
{

namespace
{

/// The largest block the demuxers may take at once. Their tables are checked against the file,
/// but a sample index is sized by the tables: a day of 60 frames a second needs about 125 MB.
constexpr std::size_t kLargestAllocation = std::size_t {256} << 20;

/// The containers read: a file that probes as anything else is not opened, and nothing but the
/// file itself is read (no playlist reaches another file or the network).
constexpr const char* kFormats = "mov,matroska,avi";

/// libavformat and the functions of it and libavutil used here. Loading them and the codec
/// libraries they bring takes about 40 ms, which only a folder with videos in it should pay: they
/// are opened on the first video and kept for the life of the process.
struct Libav {
    SharedLibrary util {"libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR)};
    SharedLibrary format {"libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR)};
    decltype(&::av_log_set_level) logSetLevel = nullptr;
    decltype(&::av_max_alloc) maxAlloc = nullptr;
    decltype(&::av_dict_get) dictGet = nullptr;
    decltype(&::av_dict_set) dictSet = nullptr;
    decltype(&::av_dict_free) dictFree = nullptr;
    decltype(&::av_strerror) strerror = nullptr;
    decltype(&::avformat_open_input) openInput = nullptr;
    decltype(&::avformat_close_input) closeInput = nullptr;
    /// Why the library cannot be used; empty when it can.
    std::string error;

    Libav()
    {
        if (!util.valid() || !format.valid()) {
            error = util.valid() ? format.error() : util.error();
            return;
        }
        if (!util.resolve("av_log_set_level", logSetLevel) || !util.resolve("av_max_alloc", maxAlloc)
            || !util.resolve("av_dict_get", dictGet) || !util.resolve("av_dict_set", dictSet)
            || !util.resolve("av_dict_free", dictFree) || !util.resolve("av_strerror", strerror)) {
            error = util.error();
            return;
        }
        if (!format.resolve("avformat_open_input", openInput)
            || !format.resolve("avformat_close_input", closeInput)) {
            error = format.error();
            return;
        }
        // Settings for the whole process, which nothing else in it uses the library for:
        // silent, and no single block larger than kLargestAllocation.
        logSetLevel(AV_LOG_QUIET);
        maxAlloc(kLargestAllocation);
    }

    /// The loaded library, made on the first call (by one thread; the others wait).
    static const Libav& get()
    {
        static const Libav* const libav = new Libav;
        return *libav;
    }

    const char* value(const AVDictionary* tags, const char* key) const
    {
        const AVDictionaryEntry* entry = dictGet(tags, key, nullptr, 0);
        return entry ? entry->value : nullptr;
    }
};

/// A time the container keeps in UTC ("2024-07-14T08:22:33.000000Z") as the local wall clock.
std::optional<CivilTime> localFromUtc(const char* text)
{
    const std::optional<CivilTime> utc = CivilTime::parse(text);
    // A container whose creation time was never set says 1904 or 1970.
    if (!utc || utc->year <= 1970)
        return std::nullopt;
    return CivilTime::fromUnix(utc->sortKey());
}

} // namespace

void readVideoFacts(int fd, FileFacts& facts)
{
    const Libav& av = Libav::get();
    if (!av.error.empty()) {
        facts.problem = "libavformat cannot be loaded: " + av.error;
        return;
    }
    AVDictionary* options = nullptr;
    av.dictSet(&options, "protocol_whitelist", "file", 0);
    av.dictSet(&options, "format_whitelist", kFormats, 0);
    AVFormatContext* opened = nullptr;
    // Only the headers are read: no stream is probed or decoded.
    const int result = av.openInput(&opened, descriptorPath(fd).c_str(), nullptr, &options);
    av.dictFree(&options);
    if (result < 0) {
        // The demuxers answer a size that no table of a real file has with "out of memory".
        if (result == AVERROR(ENOMEM)) {
            facts.problem = "damaged video: its headers claim sizes larger than the file allows";
            return;
        }
        char message[AV_ERROR_MAX_STRING_SIZE] = {};
        av.strerror(result, message, sizeof message);
        facts.problem = std::string("damaged video: ") + message;
        return;
    }
    const auto close = [&av](AVFormatContext* context) { av.closeInput(&context); };
    const std::unique_ptr<AVFormatContext, decltype(close)> context(opened, close);
    // A phone's QuickTime key holds the wall clock where the video was taken, as a camera
    // writes it; the container's creation time is a moment in UTC.
    if (const char* local = av.value(context->metadata, "com.apple.quicktime.creationdate")) {
        if (const auto time = CivilTime::parse(local); time && time->year > 1970)
            facts.offerTaken(*time, "video creation date (com.apple.quicktime.creationdate)");
    }
    if (const char* utc = av.value(context->metadata, "creation_time")) {
        if (const auto time = localFromUtc(utc))
            facts.offerTaken(*time, "video creation time (container)");
    }
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (const char* utc = av.value(context->streams[i]->metadata, "creation_time")) {
            if (const auto time = localFromUtc(utc))
                facts.offerTaken(*time, "video creation time (track " + std::to_string(i + 1) + ")");
        }
    }
}

} // namespace brindle
