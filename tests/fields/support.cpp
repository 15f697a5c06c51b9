#include "support.h"

#include <cstdio>
#include <cstdlib>

namespace fields_test {

const XML_routines::Info<void> root("/Test_fields");

Bytes Octets(const char* hex) {
    Bytes b;
    const char* p = hex;
    char* end = nullptr;
    for (;;) {
        const unsigned long v = std::strtoul(p, &end, 16);
        if (end == p) break;
        b.push_back(static_cast<std::uint8_t>(v));
        p = end;
    }
    return b;
}

std::string Hex(const void* data, std::size_t size) {
    std::string s;
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        char octet[4];
        std::snprintf(octet, sizeof octet, i ? " %02X" : "%02X", p[i]);
        s += octet;
    }
    return s;
}

std::string Children_text(xmlNode* node) {
    if (!node) return "(null)";
    std::string text;
    xmlBufferPtr buffer = xmlBufferCreate();
    for (xmlNode* child = node->children; child; child = child->next) {
        xmlBufferEmpty(buffer);
        xmlNodeDump(buffer, nullptr, child, 0, 0);
        text += reinterpret_cast<const char*>(xmlBufferContent(buffer));
    }
    xmlBufferFree(buffer);
    xmlFreeNode(node);
    return text;
}

}  // namespace fields_test
