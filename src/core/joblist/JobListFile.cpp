#include "core/joblist/JobListFile.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/base/Fd.h"
#include "core/base/FileIo.h"
#include "core/joblist/JobXml.h"
#include "core/joblist/LazyLibxml2.h"
#include "core/joblist/XmlText.h"
#include "core/jobs/JobStringLimit.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

constexpr std::string_view kCrLf = "\r\n";

struct DocFree {
    void operator()(xmlDoc* d) const { lazy::xmlFreeDoc(d); }
};
struct CtxtFree {
    void operator()(xmlParserCtxt* c) const { lazy::xmlFreeParserCtxt(c); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

/// The element's name as written in the file, with its prefix when it has one.
std::string qualifiedName(const xmlNode* node)
{
    std::string name = reinterpret_cast<const char*>(node->name);
    if (node->ns && node->ns->prefix)
        name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
    return name;
}

bool isElementNamed(const xmlNode* node, std::string_view name)
{
    return node->type == XML_ELEMENT_NODE && qualifiedName(node) == name;
}

/// Collects every error and warning libxml2 raises while it is alive, those raised outside
/// the parser context (encoding conversion) included, and keeps them off standard error.
class ErrorCapture
{
public:
    ErrorCapture() { lazy::xmlSetStructuredErrorFunc(this, &ErrorCapture::handle); }
    ~ErrorCapture() { lazy::xmlSetStructuredErrorFunc(nullptr, nullptr); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    /// The callback: libxml2 before 2.12 passes xmlError*, from 2.12 on const xmlError*; the
    /// template takes the form the installed headers ask for.
    template <typename Error> static void handle(void* self, Error* err)
    {
        if (err)
            static_cast<ErrorCapture*>(self)->record(*err);
    }

    /// Whether some bytes could not be decoded by the declared encoding, as opposed to
    /// malformed markup or an encoding the system does not know.
    bool decodingFailed = false;
    /// The first fatal error, as "message (line N)".
    std::string firstError;
    int firstCode = 0;

private:
    void record(const xmlError& err)
    {
        const std::string_view msg = err.message ? err.message : "";
        if (err.code == XML_I18N_CONV_FAILED || err.code == XML_ERR_INVALID_ENCODING
            || msg.find("not proper UTF-8") != std::string_view::npos)
            decodingFailed = true;
        if (err.level >= XML_ERR_ERROR && firstError.empty()) {
            firstError = messageOf(err);
            firstCode = err.code;
        }
    }

    static std::string messageOf(const xmlError& err)
    {
        std::string msg = err.message ? err.message : "the file could not be parsed";
        const std::size_t nl = msg.find('\n');
        if (nl != std::string::npos)
            msg.resize(nl);
        while (!msg.empty() && (msg.back() == '\r' || msg.back() == ' '))
            msg.pop_back();
        if (err.line > 0)
            msg += " (line " + std::to_string(err.line) + ")";
        return msg;
    }
};

// The one handler serves both forms of the callback, so the reader builds with every libxml2.
template <typename Callback> constexpr bool servesAs(Callback)
{
    return true;
}
static_assert(servesAs<void (*)(void*, xmlError*)>(&ErrorCapture::handle));
static_assert(servesAs<void (*)(void*, const xmlError*)>(&ErrorCapture::handle));

/// Whether the bytes hold no node at all: nothing, blanks, or a byte order mark alone or
/// followed by blanks.
bool isBlank(std::string_view bytes)
{
    if (bytes == "\xFF\xFE" || bytes == "\xFE\xFF")
        return true;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

/// Whether the bytes hold a prolog (declaration, comments, processing instructions) and
/// nothing after it: a document without a document element.
bool isPrologOnly(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (true) {
        const std::size_t start = bytes.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos)
            return true;
        bytes.remove_prefix(start);
        std::string_view close;
        if (bytes.starts_with("<?"))
            close = "?>";
        else if (bytes.starts_with("<!--"))
            close = "-->";
        else
            return false;
        const std::size_t end = bytes.find(close, 2);
        if (end == std::string_view::npos)
            return false;
        bytes.remove_prefix(end + close.size());
    }
}

struct ParseOutcome {
    DocPtr doc;
    std::string error;
    bool decodingError = false;
};

/// Marks a context whose document has a document type declaration.
char doctypeSeen;

/// Called by the parser at a document type declaration, before its internal subset: the parse
/// stops there, so no entity is declared, expanded or fetched.
void refuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* ctxt = static_cast<xmlParserCtxt*>(context);
    ctxt->_private = &doctypeSeen;
    lazy::xmlStopParser(ctxt);
}

/// The units of the bytes as the XML declaration sees them: one byte each, or two or four in
/// the byte order of a UTF-16 or UTF-32 file (told by its byte order mark or its first '<').
class MarkupUnits
{
public:
    explicit MarkupUnits(std::string_view bytes)
        : m_bytes(bytes)
    {
        const auto starts = [&](std::string_view p) { return bytes.starts_with(p); };
        using namespace std::string_view_literals;
        if (starts("\xFF\xFE\0\0"sv) || starts("<\0\0\0"sv)) {
            m_width = 4;
        } else if (starts("\0\0\xFE\xFF"sv) || starts("\0\0\0<"sv)) {
            m_width = 4;
            m_bigEndian = true;
        } else if (starts("\xFF\xFE"sv) || starts("<\0"sv)) {
            m_width = 2;
        } else if (starts("\xFE\xFF"sv) || starts("\0<"sv)) {
            m_width = 2;
            m_bigEndian = true;
        }
    }
    std::size_t size() const { return m_bytes.size() / m_width; }
    std::uint32_t operator[](std::size_t i) const
    {
        std::uint32_t u = 0;
        for (std::size_t k = 0; k < m_width; ++k) {
            const auto b
                = static_cast<unsigned char>(m_bytes[i * m_width + (m_bigEndian ? k : m_width - 1 - k)]);
            u = (u << 8) | b;
        }
        return u;
    }
    /// Whether the units from i on spell the ASCII text.
    bool spells(std::size_t i, std::string_view text) const
    {
        if (i + text.size() > size())
            return false;
        for (std::size_t k = 0; k < text.size(); ++k)
            if ((*this)[i + k] != static_cast<unsigned char>(text[k]))
                return false;
        return true;
    }
    /// Past a run of two-byte characters of ISO-2022 (ESC $ ... ESC ( x) starting at i, whose
    /// bytes look like ASCII but are no markup; i itself when none starts there.
    std::size_t pastShifted(std::size_t i) const
    {
        if (m_width != 1 || !spells(i, "\x1B$"))
            return i;
        return std::min(after(i + 2, "\x1B(") + 1, size());
    }
    /// The unit just after the first occurrence of the ASCII text from i on; size() when none.
    std::size_t after(std::size_t i, std::string_view text) const
    {
        for (; i < size(); ++i)
            if (spells(i, text))
                return i + text.size();
        return size();
    }

private:
    std::string_view m_bytes;
    std::size_t m_width = 1;
    bool m_bigEndian = false;
};

/// Why the markup of the bytes is beyond any job list (too many elements or attributes), or
/// empty. Counted on the raw units before the parser sees them: the parser checks each attribute
/// of an element against all the others before it, so an element with many attributes costs
/// their square. Comments, processing instructions and CDATA sections are passed over; the
/// count stops at a declaration ("<!DOCTYPE"), where the parser stops too.
std::string markupBeyondLimits(std::string_view bytes)
{
    const MarkupUnits u(bytes);
    const std::size_t n = u.size();
    std::size_t elements = 0;
    std::size_t attributes = 0;
    for (std::size_t i = 0; i < n;) {
        if (const std::size_t past = u.pastShifted(i); past != i) {
            i = past;
            continue;
        }
        if (u[i] != '<') {
            ++i;
            continue;
        }
        if (u.spells(i, "<!--")) {
            i = u.after(i + 4, "-->");
        } else if (u.spells(i, "<![CDATA[")) {
            i = u.after(i + 9, "]]>");
        } else if (u.spells(i, "<!")) {
            return {};
        } else if (u.spells(i, "<?")) {
            i = u.after(i + 2, "?>");
        } else if (u.spells(i, "</")) {
            i = u.after(i + 2, ">");
        } else {
            // A start tag: each quoted value is one attribute.
            if (++elements > kMaxJobListElements)
                return "The job list file has more than " + std::to_string(kMaxJobListElements) + " elements";
            std::size_t own = 0;
            std::uint32_t quote = 0;
            for (++i; i < n; ++i) {
                if (const std::size_t past = u.pastShifted(i); past != i)
                    i = past - 1;
                if (i >= n)
                    break;
                const std::uint32_t c = u[i];
                if (quote != 0) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                    if (++own > kMaxElementAttributes)
                        return "An element of the job list file has more than "
                            + std::to_string(kMaxElementAttributes) + " attributes";
                    if (++attributes > kMaxJobListAttributes)
                        return "The job list file has more than " + std::to_string(kMaxJobListAttributes)
                            + " attributes";
                } else if (c == '>') {
                    break;
                }
            }
            ++i;
        }
    }
    return {};
}

/// Parses the bytes; with forcedEncoding, decoded by it whatever the declaration says.
ParseOutcome parse(std::string_view bytes, const std::string& fileName, const char* forcedEncoding)
{
    ParseOutcome out;
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
        out.error = std::string(kMsgXmlError) + "the file is too large";
        return out;
    }
    if (isBlank(bytes)) {
        out.error = kMsgDocumentEmpty;
        return out;
    }
    if (const std::string& unloadable = lazy::libxml2LoadError(); !unloadable.empty()) {
        out.error = std::string(kMsgXmlError) + unloadable;
        return out;
    }
    ErrorCapture capture;
    std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(lazy::xmlNewParserCtxt());
    if (!ctxt) {
        out.error = std::string(kMsgXmlError) + "out of memory";
        return out;
    }
    // The parser's own limits (10 MB of input looked at, ...) would refuse some files within
    // the job list's: the file's size, its markup and its declarations are bounded before it
    // gets here, and no entity is ever declared.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE
        | (forcedEncoding ? XML_PARSE_IGNORE_ENC : 0);
    ctxt->sax->internalSubset = &refuseDoctype;
    out.doc.reset(lazy::xmlCtxtReadMemory(
        ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), fileName.c_str(), forcedEncoding, options));
    if (ctxt->_private == &doctypeSeen) {
        out.doc.reset();
        out.error = kMsgDoctypeRefused;
        return out;
    }
    out.decodingError = capture.decodingFailed;
    if (!out.doc || !ctxt->wellFormed) {
        out.doc.reset();
        if (capture.firstCode == XML_ERR_DOCUMENT_EMPTY && isPrologOnly(bytes))
            out.error = kMsgDocumentElementNil;
        else
            out.error = std::string(kMsgXmlError)
                + (capture.firstError.empty() ? "the file could not be parsed" : capture.firstError);
    }
    return out;
}

/// The encoding the declaration names; empty when there is none (UTF-8).
std::string declaredEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (!bytes.starts_with("<?xml"))
        return {};
    const std::string_view decl = bytes.substr(0, bytes.find("?>"));
    std::size_t p = decl.find("encoding");
    if (p == std::string_view::npos)
        return {};
    p = decl.find_first_not_of(" \t\r\n", p + 8);
    if (p == std::string_view::npos || decl[p] != '=')
        return {};
    p = decl.find_first_not_of(" \t\r\n", p + 1);
    if (p == std::string_view::npos || (decl[p] != '"' && decl[p] != '\''))
        return {};
    const std::size_t close = decl.find(decl[p], p + 1);
    return close == std::string_view::npos ? std::string() : std::string(decl.substr(p + 1, close - p - 1));
}

/// The bytes as UTF-8: decoded by encoding (empty: UTF-8) where they decode, each byte that does
/// not taken as the character of its number. None when the system does not know the encoding.
std::optional<std::string> redecode(std::string_view bytes, const std::string& encoding)
{
    const iconv_t cd = iconv_open("UTF-8", encoding.empty() ? "UTF-8" : encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    std::array<char, 4096> buf;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = buf.data();
        std::size_t outLeft = buf.size();
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        const int err = errno;
        out.append(buf.data(), static_cast<std::size_t>(o - buf.data()));
        if (r != static_cast<std::size_t>(-1) || err == E2BIG)
            continue;
        // A byte that does not decode (or starts a sequence cut short): its own character.
        const auto c = static_cast<unsigned char>(*in);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    return out;
}

/// Whether encoding names a code page of one byte per character (ISO-8859-x, windows-125x and
/// the like).
bool isSingleByteLabel(std::string_view encoding)
{
    std::string upper(encoding);
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    for (std::string_view prefix : {"ISO-8859-", "ISO8859-", "ISO_8859-", "LATIN", "WINDOWS-125", "CP125"})
        if (upper.starts_with(prefix))
            return true;
    return false;
}

/// Earlier versions of the program wrote job strings as UTF-8 bytes under the default label
/// "ISO-8859-1". A file under a one-byte label whose bytes above 0x7F all form UTF-8 sequences
/// is such a file: text in a one-byte code page almost never does (it would take pairs such as
/// 'Ã' followed by '©'), so it is read as UTF-8 rather than turned into mojibake.
bool writtenAsUtf8UnderOneByteLabel(std::string_view bytes)
{
    const bool high = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    return high && isSingleByteLabel(declaredEncoding(bytes)) && isValidUtf8(bytes);
}

/// Reads a job list from bytes. With redecoding, a file that does not decode under its label is
/// read again with each byte that does not decode taken as the character of its number, and a
/// file that earlier versions wrote as UTF-8 under a one-byte label is read as UTF-8.
Result<std::vector<Job>> loadJobs(std::string_view bytes, const std::string& fileName, bool redecoding)
{
    if (bytes.size() > kMaxJobListFileBytes)
        return Error {std::string(kMsgJobListTooLarge)};
    if (std::string beyond = markupBeyondLimits(bytes); !beyond.empty())
        return Error {std::move(beyond)};
    const bool asUtf8 = redecoding && writtenAsUtf8UnderOneByteLabel(bytes);
    ParseOutcome parsed = parse(bytes, fileName, asUtf8 ? "UTF-8" : nullptr);
    if (parsed.decodingError && redecoding) {
        if (const std::optional<std::string> utf8 = redecode(bytes, declaredEncoding(bytes))) {
            ParseOutcome again = parse(*utf8, fileName, "UTF-8");
            if (again.doc)
                parsed = std::move(again);
        }
    }
    if (!parsed.doc)
        return Error {std::move(parsed.error)};
    const xmlDoc* doc = parsed.doc.get();
    if (!doc->children)
        return Error {std::string(kMsgDocumentEmpty)};
    const xmlNode* root = lazy::xmlDocGetRootElement(doc);
    if (!root)
        return Error {std::string(kMsgDocumentElementNil)};
    if (qualifiedName(root) != "brindlewick")
        return Error {std::string(kMsgRootNotRecognised)};
    std::vector<Job> jobs;
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (isElementNamed(child, "jobs"))
            readJobsElement(child, jobs);
    }
    for (const Job& job : jobs) {
        if (!jobStringsFit(job))
            return Error {"A job string of the job list file is longer than "
                + std::to_string(kMaxJobStringBytes) + " bytes"};
    }
    return jobs;
}

/// Jobs whose strings hold ASCII with every markup character and letters of many scripts.
std::vector<Job> encodingProbe()
{
    Job a = Job::create(jobReplace);
    a.str1 = "Az09 &<>'\" !#$%()*+,-./:;=?@[\\]^_`{|}~";
    a.str2 = "caf\xC3\xA9 \xC3\xBC\xC3\x9F \xCE\xB1\xCE\xB2 \xD0\x96 \xD7\xA9 \xD8\xB9";
    Job b = Job::create(jobInsert);
    b.str1 = "\xE6\x97\xA5\xE6\x9C\xAC \xED\x95\x9C\xEA\xB5\xAD \xE2\x82\xAC \xF0\x9F\x98\x80";
    b.str2 = "plain";
    return {a, b};
}

} // namespace

void readJobsElement(const _xmlNode* jobs, std::vector<Job>& list)
{
    for (const xmlNode* child = jobs->children; child; child = child->next) {
        if (!isElementNamed(child, "job"))
            continue;
        Job job = Job::create(jobNone);
        if (loadJobFromXmlNode(job, child))
            list.push_back(std::move(job));
    }
}

namespace
{

std::string jobsToXml(std::span<const Job> jobs, std::string_view encoding, const XmlTextEncoder& encoder)
{
    std::string out;
    out.reserve(96 + jobs.size() * 96);
    if (encoding.empty()) {
        out += "<?xml version=\"1.0\" standalone=\"yes\" ?>";
    } else {
        out += "<?xml version=\"1.0\" encoding=\"";
        out += encoding;
        out += "\" standalone=\"yes\" ?>";
    }
    out += kCrLf;
    out += kCrLf;
    out += "<brindlewick>";
    out += kCrLf;
    out += "  <jobs>";
    out += kCrLf;
    for (const Job& job : jobs) {
        out += "    ";
        out += jobAsXml(job, {}, encoder);
        out += kCrLf;
    }
    out += "  </jobs>";
    out += kCrLf;
    out += "</brindlewick>";
    out += kCrLf;
    return out;
}

} // namespace

std::string jobsToXml(std::span<const Job> jobs, std::string_view encoding)
{
    std::string out = jobsToXml(jobs, encoding, XmlTextEncoder(encoding));
    // Text whose one-byte encoding happens to form UTF-8 sequences ('Ã' before '©') would be
    // taken for a file of an earlier version: such a file gets every character outside ASCII as
    // a reference instead, which reads back the same under any label.
    if (writtenAsUtf8UnderOneByteLabel(out))
        out = jobsToXml(jobs, encoding, XmlTextEncoder("US-ASCII"));
    return out;
}

Result<void> saveJobsToXml(const std::string& fileName, std::span<const Job> jobs, std::string_view encoding)
{
    if (writeFileAtomically(fileName, jobsToXml(jobs, encoding)))
        return Error {"Unable to write to " + fileName};
    return {};
}

Result<std::vector<Job>> loadJobsFromXmlBytes(std::string_view bytes, const std::string& fileName)
{
    return loadJobs(bytes, fileName, true);
}

bool encodingReadsBack(std::string_view encoding)
{
    // Written as the writer writes it and read by the parser alone, without the second reading
    // that would hide a label the parser decodes differently.
    if (!XmlTextEncoder(encoding).converts())
        return false;
    const std::vector<Job> probe = encodingProbe();
    const Result<std::vector<Job>> loaded = loadJobs(jobsToXml(probe, encoding), "probe.xml", false);
    return loaded.ok() && loaded.value() == probe;
}

std::string encodingRefusedMessage(std::string_view encoding)
{
    return "The encoding \"" + std::string(encoding)
        + "\" cannot be used for job list files: a file written with it would not read back.";
}

SetAside setAsideUnreadableJobList(const std::string& path)
{
    SetAside result;
    struct stat st {
    };
    // Only a file (or a link) is moved: a folder or a device in its place is never saved over.
    if (::lstat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
        return result;
    const std::string bad = path + ".bad";
    if (::rename(path.c_str(), bad.c_str()) == 0) {
        result.line = "The file has been moved to " + bad;
    } else {
        result.keep = true;
        result.line = "It could not be moved to " + bad + " (" + SysError::last().text()
            + "), so it will not be overwritten";
    }
    return result;
}

Result<std::vector<Job>> loadJobsFromXml(const std::string& fileName)
{
    const auto cannotRead = [&](std::string_view why) {
        return Error {std::string(kMsgXmlError) + "Cannot read \"" + fileName + "\": " + std::string(why)};
    };
    // Opened without waiting: a FIFO without a writer, or a device, must not hold the program.
    const Fd fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return cannotRead(fd.error().text());
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0)
        return cannotRead(SysError::last().text());
    if (S_ISDIR(st.st_mode))
        return cannotRead(SysError(EISDIR).text());
    if (!S_ISREG(st.st_mode))
        return cannotRead("it is not a regular file");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxJobListFileBytes)
        return Error {std::string(kMsgJobListTooLarge)};
    std::string bytes;
    bool tooLarge = false;
    if (const SysError e
        = readAtMost(fd.get(), bytes, kMaxJobListFileBytes, static_cast<std::size_t>(st.st_size), tooLarge))
        return cannotRead(e.text());
    if (tooLarge)
        return Error {std::string(kMsgJobListTooLarge)};
    return loadJobsFromXmlBytes(bytes, fileName);
}

std::string loadFailureMessage(std::string_view fileName)
{
    std::string msg = "Failed to load jobs from file ";
    msg += fileName;
    msg += kCrLf;
    msg += "Please make sure that this is a Brindlewick Job List file or";
    msg += kCrLf;
    msg += "set the encoding of the XML file to a different value";
    msg += kCrLf;
    msg += kCrLf;
    msg += "WARNING! To set the default encoding for XML files for Brindlewick";
    msg += kCrLf;
    msg += "please use the \"Settings->Character Encoding\" menu option";
    return msg;
}

} // namespace brindle
