#include "joblist/UJobIO.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <memory>

#include "app/UFileUtil.h"
#include "joblist/zmXMLUtil.h"

namespace brindle
{

namespace
{

constexpr std::string_view kCrLf = "\r\n";

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxtFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
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
    ErrorCapture()
        : m_prevContext(xmlStructuredErrorContext)
        , m_prev(xmlStructuredError)
    {
        xmlSetStructuredErrorFunc(this, &ErrorCapture::handle);
    }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(m_prevContext, m_prev); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    /// Whether some bytes could not be decoded by the declared encoding, as opposed to
    /// malformed markup or an encoding the system does not know.
    bool decodingFailed = false;
    /// The first fatal error, as "message (line N)".
    std::string firstError;
    int firstCode = 0;

private:
    static void handle(void* self, xmlError* err)
    {
        auto* capture = static_cast<ErrorCapture*>(self);
        if (!err)
            return;
        const std::string_view msg = err->message ? err->message : "";
        if (err->code == XML_I18N_CONV_FAILED || msg.find("not proper UTF-8") != std::string_view::npos)
            capture->decodingFailed = true;
        if (err->level >= XML_ERR_ERROR && capture->firstError.empty()) {
            capture->firstError = messageOf(err);
            capture->firstCode = err->code;
        }
    }

    static std::string messageOf(const xmlError* err)
    {
        std::string msg = err->message ? err->message : "the file could not be parsed";
        const std::size_t nl = msg.find('\n');
        if (nl != std::string::npos)
            msg.resize(nl);
        while (!msg.empty() && (msg.back() == '\r' || msg.back() == ' '))
            msg.pop_back();
        if (err->line > 0)
            msg += " (line " + std::to_string(err->line) + ")";
        return msg;
    }

    void* m_prevContext;
    xmlStructuredErrorFunc m_prev;
};

bool isBlank(std::string_view bytes)
{
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
    ErrorCapture capture;
    std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        out.error = std::string(kMsgXmlError) + "out of memory";
        return out;
    }
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    out.doc.reset(xmlCtxtReadMemory(
        ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), fileName.c_str(), forcedEncoding, options));
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

} // namespace

void ReadJobsElement(const _xmlNode* jobs, std::vector<TJob>& list, const TXmlTextCodec* codec)
{
    for (const xmlNode* child = jobs->children; child; child = child->next) {
        if (!isElementNamed(child, "job"))
            continue;
        TJob job = TJob::Create(jobNone);
        if (job.LoadFromXmlNode(child, codec))
            list.push_back(std::move(job));
    }
}

std::string JobsToXml(std::span<const TJob> jobs, std::string_view encoding)
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
    for (const TJob& job : jobs) {
        out += "    ";
        out += job.AsXml({});
        out += kCrLf;
    }
    out += "  </jobs>";
    out += kCrLf;
    out += "</brindlewick>";
    out += kCrLf;
    return out;
}

bool SaveJobsToXml(const std::string& fileName, std::span<const TJob> jobs, std::string_view encoding)
{
    return WriteFileAtomically(fileName, JobsToXml(jobs, encoding));
}

TJobListLoad LoadJobsFromXmlBytes(std::string_view bytes, const std::string& fileName)
{
    TJobListLoad result;
    ParseOutcome parsed = parse(bytes, fileName, nullptr);
    std::string encoding;
    if (parsed.doc && parsed.doc->encoding)
        encoding = reinterpret_cast<const char*>(parsed.doc->encoding);
    if (parsed.decodingError) {
        // The writer puts the bytes of job strings into the file as they are, so a name that is
        // not valid in the declared encoding (a Latin-1 byte under a UTF-8 label, say) must
        // still read back. Each byte read as ISO-8859-1 and written back as it gives exactly
        // the bytes of the file.
        ParseOutcome raw = parse(bytes, fileName, "ISO-8859-1");
        if (raw.doc) {
            parsed = std::move(raw);
            encoding = "ISO-8859-1";
        }
    }
    if (!parsed.doc) {
        result.message = std::move(parsed.error);
        return result;
    }
    const xmlDoc* doc = parsed.doc.get();
    if (!doc->children) {
        result.message = kMsgDocumentEmpty;
        return result;
    }
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (!root) {
        result.message = kMsgDocumentElementNil;
        return result;
    }
    if (qualifiedName(root) != "brindlewick") {
        result.message = kMsgRootNotRecognised;
        return result;
    }
    const TXmlTextCodec codec(encoding);
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (isElementNamed(child, "jobs"))
            ReadJobsElement(child, result.jobs, &codec);
    }
    result.ok = true;
    return result;
}

TJobListLoad LoadJobsFromXml(const std::string& fileName)
{
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(fileName, bytes, &error)) {
        TJobListLoad result;
        result.message = std::string(kMsgXmlError) + "Cannot read \"" + fileName + "\": " + error;
        return result;
    }
    return LoadJobsFromXmlBytes(bytes, fileName);
}

std::string LoadFailureMessage(std::string_view fileName)
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
