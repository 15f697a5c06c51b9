// Compact XML text of libxml2 nodes, for comparing written elements.
#ifndef TESSEL_TESTS_XML_TEXT_H
#define TESSEL_TESTS_XML_TEXT_H

#include <libxml/tree.h>

#include <string>

// The node as compact XML, the node left alone.
inline std::string Dump(xmlNode* node) {
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, nullptr, node, 0, 0);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
    xmlBufferFree(buffer);
    return text;
}

// The node as compact XML, "(null)" for none; the node is freed.
inline std::string Text_of(xmlNode* node) {
    if (!node) return "(null)";
    std::string text = Dump(node);
    xmlFreeNode(node);
    return text;
}

#endif
