// The members of TJob that write a job as an element of a job list file and read it back.

#include "jobs/UTJob.h"

#include <libxml/tree.h>

#include "base/UNumbers.h"
#include "joblist/zmXMLUtil.h"

namespace brindle
{

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
        // A number that is not a 32-bit whole number reads as 0.
        if (name == "type")
            work.JobType = KindFromName(utf8);
        else if (name == "modifier")
            work.Modifier = ParseInt32(utf8).value_or(0);
        else if (name == "int1")
            work.Int1 = ParseInt32(utf8).value_or(0);
        else if (name == "int2")
            work.Int2 = ParseInt32(utf8).value_or(0);
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
