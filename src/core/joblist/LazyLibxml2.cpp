#include "core/joblist/LazyLibxml2.h"

#include "core/base/SharedLibrary.h"

#ifdef LIBXML_THREAD_ALLOC_ENABLED
#error "xmlFree is a function of the thread here: look it up as __xmlFree"
#endif

namespace brindle::lazy
{

namespace
{

/// libxml2 and its functions, loaded once and kept for the life of the process.
struct Libxml2 {
    SharedLibrary library {"libxml2.so.2"};
    std::string error;
    decltype(&::xmlNewParserCtxt) newParserCtxt = nullptr;
    decltype(&::xmlFreeParserCtxt) freeParserCtxt = nullptr;
    decltype(&::xmlCtxtReadMemory) ctxtReadMemory = nullptr;
    decltype(&::xmlStopParser) stopParser = nullptr;
    decltype(&::xmlFreeDoc) freeDoc = nullptr;
    decltype(&::xmlDocGetRootElement) docGetRootElement = nullptr;
    decltype(&::xmlNodeGetContent) nodeGetContent = nullptr;
    decltype(&::xmlSetStructuredErrorFunc) setStructuredErrorFunc = nullptr;
    xmlFreeFunc* free = nullptr;
};

const Libxml2* loadLibxml2()
{
    auto* xml = new Libxml2;
    SharedLibrary& lib = xml->library;
    const bool found = lib.valid() && lib.resolve("xmlNewParserCtxt", xml->newParserCtxt)
        && lib.resolve("xmlFreeParserCtxt", xml->freeParserCtxt)
        && lib.resolve("xmlCtxtReadMemory", xml->ctxtReadMemory)
        && lib.resolve("xmlStopParser", xml->stopParser) && lib.resolve("xmlFreeDoc", xml->freeDoc)
        && lib.resolve("xmlDocGetRootElement", xml->docGetRootElement)
        && lib.resolve("xmlNodeGetContent", xml->nodeGetContent)
        && lib.resolve("xmlSetStructuredErrorFunc", xml->setStructuredErrorFunc)
        && (xml->free = static_cast<xmlFreeFunc*>(lib.symbol("xmlFree"))) != nullptr;
    if (!found)
        xml->error = "libxml2 cannot be loaded: " + lib.error();
    return xml;
}

const Libxml2& libxml2()
{
    static const Libxml2* const functions = loadLibxml2();
    return *functions;
}

} // namespace

const std::string& libxml2LoadError()
{
    return libxml2().error;
}

xmlParserCtxtPtr xmlNewParserCtxt()
{
    return libxml2().newParserCtxt();
}

void xmlFreeParserCtxt(xmlParserCtxtPtr ctxt)
{
    libxml2().freeParserCtxt(ctxt);
}

xmlDocPtr xmlCtxtReadMemory(
    xmlParserCtxtPtr ctxt, const char* buffer, int size, const char* url, const char* encoding, int options)
{
    return libxml2().ctxtReadMemory(ctxt, buffer, size, url, encoding, options);
}

void xmlStopParser(xmlParserCtxtPtr ctxt)
{
    libxml2().stopParser(ctxt);
}

void xmlFreeDoc(xmlDocPtr doc)
{
    libxml2().freeDoc(doc);
}

xmlNodePtr xmlDocGetRootElement(const xmlDoc* doc)
{
    return libxml2().docGetRootElement(doc);
}

xmlChar* xmlNodeGetContent(const xmlNode* node)
{
    return libxml2().nodeGetContent(node);
}

void xmlSetStructuredErrorFunc(void* context, xmlStructuredErrorFunc handler)
{
    libxml2().setStructuredErrorFunc(context, handler);
}

void xmlFree(void* memory)
{
    (*libxml2().free)(memory);
}

} // namespace brindle::lazy
