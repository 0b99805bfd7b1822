// The members of TJob that write a job as an element of a job list file and read it back.

#include "jobs/UTJob.h"

#include <libxml/tree.h>

#include <cstdint>

#include "joblist/zmXMLUtil.h"

namespace brindle
{

namespace
{

/// Decimal text of a 32-bit signed integer, with an optional sign; 0 for anything else.
std::int32_t intFromText(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return 0;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return 0;
    }
    if (negative)
        value = -value;
    return value > INT32_MAX ? 0 : static_cast<std::int32_t>(value);
}

} // namespace

namespace
{

template <typename Escape> std::string jobElement(const TJob& job, std::string_view prefix, Escape escape)
{
    std::string out(prefix);
    out += "<job ";
    out += XmlAttr("type", JobTypeName(job.JobType));
    out += XmlIntAttr("modifier", job.Modifier);
    out += XmlIntAttr("int1", job.Int1);
    out += XmlIntAttr("int2", job.Int2);
    out += XmlAttr("str1", escape(job.Str1));
    out += XmlAttr("str2", escape(job.Str2));
    out += "/>";
    return out;
}

} // namespace

std::string TJob::AsXml(std::string_view prefix) const
{
    return jobElement(*this, prefix, [](std::string_view text) { return XmlEscape(text); });
}

std::string TJob::AsXml(std::string_view prefix, const TXmlTextEncoder& encoder) const
{
    return jobElement(*this, prefix, [&](std::string_view text) { return encoder.Escape(text); });
}

bool TJob::LoadFromXmlNode(const _xmlNode* node)
{
    TJob work;
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        std::string name = reinterpret_cast<const char*>(attr->name);
        if (attr->ns && attr->ns->prefix)
            name = reinterpret_cast<const char*>(attr->ns->prefix) + (":" + name);
        // The parser has decoded the file by its declaration and resolved every reference: the
        // value is UTF-8, the program's own text, and is used as it comes.
        xmlChar* raw = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attr));
        const std::string_view utf8 = raw ? reinterpret_cast<const char*>(raw) : "";
        if (name == "type")
            work.JobType = KindFromName(utf8);
        else if (name == "modifier")
            work.Modifier = intFromText(utf8);
        else if (name == "int1")
            work.Int1 = intFromText(utf8);
        else if (name == "int2")
            work.Int2 = intFromText(utf8);
        else if (name == "str1")
            work.Str1 = utf8;
        else if (name == "str2")
            work.Str2 = utf8;
        xmlFree(raw);
    }
    if (work.JobType == jobNone)
        return false;
    *this = std::move(work);
    return true;
}

} // namespace brindle
