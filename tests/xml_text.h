// Compact XML text of libxml2 nodes, for comparing written elements.
#ifndef TESSEL_TESTS_XML_TEXT_H
#define TESSEL_TESTS_XML_TEXT_H

#include <libxml/tree.h>

#include <cstring>
#include <string>

#include "shared/XML/XML_routines.h"

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

// The node as the log holds it: dumped with formatting as a child of the
// root, a path tag written as its last part; the node is freed.
inline std::string Log_text(xmlNode* node) {
    if (!node) return "";
    const char* name = reinterpret_cast<const char*>(node->name);
    if (name[0] == '/') xmlNodeSetName(node, reinterpret_cast<const xmlChar*>(std::strrchr(name, '/') + 1));
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, nullptr, node, 1, 1);
    std::string text = "  " + std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer))) + "\n";
    xmlBufferFree(buffer);
    xmlFreeNode(node);
    return text;
}

// An element as the log holds it, written both ways: the tree the
// descriptor's Write returns, dumped as the log dumps it (a path tag
// written as its last part), and the text the stream sink writes.
struct Both_ways {
    std::string tree, stream;
    bool irregular = false;
};
template <class T, class D>
Both_ways Write_both_ways(const T& record, const D& descriptor) {
    Both_ways w;
    w.tree = Log_text(descriptor.Write(record));
    XML_routines::Stream_sink sink;
    descriptor.Write(record, sink);
    w.stream = sink.Output();
    w.irregular = sink.Irregular();
    return w;
}

#endif
