// Record scripts written from a document: the records a document read hands
// the host, each as the line `tessel log` reads back into the same record
// (script.h reads those lines).  `tessel encode` is this over a file; the
// document reader's fuzz harness runs it over every input.
#ifndef TESSEL_TOOL_SCRIPT_WRITER_H
#define TESSEL_TOOL_SCRIPT_WRITER_H

#include <functional>
#include <memory>
#include <string>

namespace tessel {

// Takes each line written, without its line end.
using Line_sink = std::function<void(const std::string& line)>;

class Script_writer;

// While it lives, the library's receive listener: each record a document
// read hands the host becomes the lines of its kind, given to the sink in
// script order.  Some lines wait for the record after them (status
// symbols for their data unit, a data unit for its link-control word, the
// messages an overhead slot takes back): Finish writes those.
class Script_encoder {
public:
    // Quiet: no notes on standard error (a data unit too long for a line).
    Script_encoder(Line_sink sink, bool quiet);
    ~Script_encoder();
    Script_encoder(const Script_encoder&) = delete;
    Script_encoder& operator=(const Script_encoder&) = delete;

    // Stops listening and writes the lines still waiting.
    void Finish();

private:
    std::unique_ptr<Script_writer> writer_;
};

}  // namespace tessel

#endif
