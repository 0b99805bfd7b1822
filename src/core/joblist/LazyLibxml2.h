#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <string>

// The libxml2 functions the job list reader calls, loaded from libxml2 on first need, so that a
// run that reads no job list never loads it (with the ICU it brings, about two milliseconds
// of every start). They take libxml2's names: lazy::xmlFreeDoc where libxml2's own would be
// xmlFreeDoc. The programs do not link libxml2.
namespace brindle::lazy
{

/// Loads libxml2 unless it is loaded: empty when its functions can be called, otherwise the
/// reason it could not be loaded. Call it before any function below.
const std::string& libxml2LoadError();

xmlParserCtxtPtr xmlNewParserCtxt();
void xmlFreeParserCtxt(xmlParserCtxtPtr ctxt);
xmlDocPtr xmlCtxtReadMemory(
    xmlParserCtxtPtr ctxt, const char* buffer, int size, const char* url, const char* encoding, int options);
void xmlStopParser(xmlParserCtxtPtr ctxt);
void xmlFreeDoc(xmlDocPtr doc);
xmlNodePtr xmlDocGetRootElement(const xmlDoc* doc);
xmlChar* xmlNodeGetContent(const xmlNode* node);
void xmlSetStructuredErrorFunc(void* context, xmlStructuredErrorFunc handler);
/// libxml2's xmlFree, which is a variable holding the function.
void xmlFree(void* memory);

} // namespace brindle::lazy
