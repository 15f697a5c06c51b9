// The log output: the filter list, the streamed log file, XML_Log and
// Add_children.
#include "XML_routines.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace XML_routines {

// ---------------------------------------------------------------------------
// FilterList

namespace {
std::atomic<unsigned long>& Generation_counter() {
    static std::atomic<unsigned long> counter{0};
    return counter;
}
}  // namespace

FilterList::FilterList() {
    for (std::uint32_t& mask : masks_) mask = 0xFFFFFFFFu;
}

bool FilterList::Check(unsigned long log_class, unsigned channel) const {
    if (channel >= Channels) return Check_any(log_class);
    return (masks_[channel] & log_class) != 0;
}

bool FilterList::Check_any(unsigned long log_class) const {
    for (std::uint32_t mask : masks_)
        if (mask & log_class) return true;
    return false;
}

std::uint32_t& FilterList::operator[](unsigned channel) {
    if (channel >= Channels) throw std::out_of_range("FilterList: channel above 256");
    return masks_[channel];
}

std::uint32_t FilterList::operator[](unsigned channel) const {
    if (channel >= Channels) throw std::out_of_range("FilterList: channel above 256");
    return masks_[channel];
}

void FilterList::Changed() { ++Generation_counter(); }

unsigned long FilterList::Generation() { return Generation_counter().load(); }

// ---------------------------------------------------------------------------
// Output_file

namespace {
const char* const Root_tag = "P25_log_data";
// A serialisation buffer that grew beyond this is dropped after use.
const std::size_t Buffer_keep = 1u << 20;

bool Nameless(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE && (!node->name || node->name[0] == '\0');
}
}  // namespace

// The serialisation buffer is made when an element first needs it: the
// stream sink writes most logs without it.
Output_file::Output_file(std::FILE* stream, bool owns_stream)
    : stream_(stream), owns_(owns_stream), buffer_(nullptr) {
    if (!stream_) {
        closed_ = true;
        return;
    }
    std::fprintf(stream_, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<%s>\n", Root_tag);
    Check_stream(0);
}

std::unique_ptr<Output_file> Output_file::Open(const char* path) {
    if (!path) return nullptr;
    std::FILE* stream = std::fopen(path, "w");
    if (!stream) return nullptr;
    return std::unique_ptr<Output_file>(new Output_file(stream, true));
}

Output_file::~Output_file() {
    if (Current() == this) Set_current(nullptr);
    Close();
    if (buffer_) xmlBufferFree(buffer_);
}

void Output_file::Write_node(xmlNode* node) {
    if (!node) return;
    xmlUnlinkNode(node);
    if (Nameless(node)) {
        // The children stand for the node: each is written (and freed) in turn.
        while (xmlNode* child = node->children) {
            xmlUnlinkNode(child);
            Write_node(child);
        }
        xmlFreeNode(node);
        return;
    }
    if (node->type == XML_ELEMENT_NODE && node->name[0] == '/') {
        const std::string tag = std::strrchr(From_xml(node->name), '/') + 1;
        if (!tag.empty()) xmlNodeSetName(node, To_xml(tag.c_str()));
    }
    Write_one(node);
    xmlFreeNode(node);
}

void Output_file::Write_one(xmlNode* node) {
    if (closed_ || !stream_ || error_) return;
    Drain();
    if (!buffer_) buffer_ = xmlBufferCreate();
    if (!buffer_) return;
    xmlBufferEmpty(buffer_);
    // Level 1: the element's own lines are indented as a child of the root;
    // its first line is indented here.
    if (xmlNodeDump(buffer_, node->doc, node, 1, 1) < 0) return;
    std::fputs("  ", stream_);
    std::fwrite(xmlBufferContent(buffer_), 1, static_cast<std::size_t>(xmlBufferLength(buffer_)), stream_);
    std::fputc('\n', stream_);
    Check_stream(0);
    if (node->type == XML_ELEMENT_NODE) ++written_;
    if (static_cast<std::size_t>(xmlBufferLength(buffer_)) > Buffer_keep) {
        xmlBufferFree(buffer_);
        buffer_ = nullptr;
    }
}

// Keeps the first write error of the stream: a full disk or a closed pipe
// shows at the write, the flush or the close that meets it.  Nothing more is
// written after it.
void Output_file::Check_stream(int result) {
    if (error_) return;
    if (result != 0 || std::ferror(stream_)) error_ = errno ? errno : EIO;
}

// Elements written by the stream sink are handed to the stream in pieces
// of about this size.
const std::size_t Stream_piece = 32 * 1024;

Stream_sink& Output_file::Stream() {
    if (!sink_) sink_.reset(new Stream_sink);
    sink_->Begin();
    return *sink_;
}

bool Output_file::Stream_done() {
    Stream_sink& sink = *sink_;
    if (sink.Irregular()) {
        sink.Rewind();
        return false;
    }
    if (sink.Size() >= Stream_piece) Drain();
    return true;
}

void Output_file::Drain() {
    if (!sink_) return;
    if (sink_->Size() && stream_ && !error_) {
        std::fwrite(sink_->Data(), 1, sink_->Size(), stream_);
        Check_stream(0);
    }
    written_ += sink_->Elements();
    if (sink_->Capacity() > Buffer_keep) sink_.reset();
    else sink_->Clear();
}

Output_file* Output_file::For(unsigned long log_class, unsigned channel) {
    Output_file* log = Current();
    return log && log->Filters().Check(log_class, channel) ? log : nullptr;
}

Output_file* Output_file::For(unsigned long log_class) {
    Output_file* log = Current();
    return log && log->Filters().Check_any(log_class) ? log : nullptr;
}

void Output_file::Flush() {
    if (closed_ || !stream_ || error_) return;
    Drain();
    errno = 0;
    Check_stream(std::fflush(stream_));
}

bool Output_file::Close() {
    if (closed_) return !error_;
    closed_ = true;
    if (!stream_) return !error_;
    errno = 0;
    Drain();
    if (!error_) {
        std::fprintf(stream_, "</%s>\n", Root_tag);
        Check_stream(std::fflush(stream_));
    }
    if (owns_) {
        errno = 0;
        const int result = std::fclose(stream_);
        if (result != 0 && !error_) error_ = errno ? errno : EIO;
    }
    stream_ = nullptr;
    return !error_;
}

namespace {
std::atomic<Output_file*>& Current_log() {
    static std::atomic<Output_file*> current{nullptr};
    return current;
}
}  // namespace

Output_file* Output_file::Current() { return Current_log().load(); }

void Output_file::Set_current(Output_file* file) { Current_log().store(file); }

// ---------------------------------------------------------------------------
// XML_Log, Add_children

namespace {
void Free_node(xmlNode* node) {
    xmlUnlinkNode(node);
    xmlFreeNode(node);
}

template <class Keep>
void Log(xmlNode*& node, Keep keep) {
    xmlNode* taken = node;
    node = nullptr;
    if (!taken) return;
    Output_file* log = Output_file::Current();
    if (log && keep(log->Filters()))
        log->Write_node(taken);
    else
        Free_node(taken);
}
}  // namespace

void XML_Log(xmlNode*& node, unsigned int channel, const unsigned long& log_class) {
    Log(node, [&](const FilterList& filters) { return filters.Check(log_class, channel); });
}

void XML_Log(xmlNode*& node, const unsigned long& log_class) {
    Log(node, [&](const FilterList& filters) { return filters.Check_any(log_class); });
}

void Add_children(xmlNode* parent, xmlNode* child) {
    if (!child) return;
    if (Sink* sink = Sink::Of(parent)) return sink->Node(child);
    if (!parent) {  // nowhere to put it: it is taken over all the same
        Free_node(child);
        return;
    }
    xmlUnlinkNode(child);
    if (Nameless(child)) {
        // Its attributes and children become the parent's, in order.
        while (xmlAttr* attr = child->properties) {
            xmlUnlinkNode(reinterpret_cast<xmlNode*>(attr));
            if (!xmlAddChild(parent, reinterpret_cast<xmlNode*>(attr))) xmlFreeProp(attr);
        }
        while (xmlNode* grandchild = child->children) {
            xmlUnlinkNode(grandchild);
            Add_children(parent, grandchild);
        }
        xmlFreeNode(child);
        return;
    }
    if (!xmlAddChild(parent, child)) xmlFreeNode(child);
}

}  // namespace XML_routines
