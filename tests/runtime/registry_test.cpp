// Descriptors filed by path name, in either construction order; the grammar
// dump; the patterns descriptors give their values; the dispatcher.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shared/XML/XML_routines.h"
#include "shared/dispatcher.h"

using namespace XML_routines;

namespace {

std::vector<std::string> Tags(const Info_base& root) {
    std::vector<std::string> tags;
    for (const Info_base* sub : root.Subs()) tags.push_back(sub->Tag());
    return tags;
}

}  // namespace

TEST(Registry, FilingDoesNotDependOnConstructionOrder) {
    auto first = std::make_unique<Info_base>("/Reg_a/First");
    auto second = std::make_unique<Info_base>("/Reg_a/Second");
    auto root = std::make_unique<Info<void>>("/Reg_a");
    auto third = std::make_unique<Info_base>("/Reg_a/Third");
    const Info_base elsewhere("/Reg_other/X"), plain("X"), deep("/Reg_a/X/Y"), same("/Reg_a/First");
    // A name that ends in '/' has no tag and is filed nowhere (nothing after its end is read).
    const std::string untagged_name("/Reg_a/\0Z", 9);
    const Info_base untagged(untagged_name.c_str());
    EXPECT_STREQ(third->Tag(), "Third");
    EXPECT_EQ(root->Find("First"), first.get());  // the first filing of a tag wins
    EXPECT_EQ(root->Find(To_xml("Third")), third.get());
    root->Register_sub(same);
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"First", "Second", "Third"}));

    second.reset();  // a child leaves its root when destroyed
    first.reset();   // and a namesake waiting for the tag takes it
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"Third", "First"}));
    EXPECT_EQ(root->Find("First"), &same);
    // A root hands its children back: a new root of the name adopts them.
    root.reset();
    const Info<void> again("/Reg_a");
    EXPECT_EQ(again.Find("Third"), third.get());
    third.reset();
    EXPECT_EQ(Tags(again), (std::vector<std::string>{"First"}));
}

// A number is matched exactly when the scanner reads it and the field holds
// it; octets under a block format have both digits; a timestamp is an
// unsigned decimal with digits after its point.
TEST(Describe, PatternsMatchWhatTheScannerReads) {
    const auto pattern = [](const char* format, bool floating, unsigned long long max) {
        return Value_description::Of_format(Format::format_info(format), floating, false, 0, max).pattern;
    };
    Value_description timestamp = Value_description::Of_format(Format::format_info("%11.8d"), true, false, 0, 0);
    timestamp.Non_negative();
    const struct { std::string pattern; const char *in, *out; } cases[] = {
        {Value_description::Number_pattern(255, 10), "0 9 10 99 100 199 249 250 255 0255", "256 260 300 999 1000 -1 FF"},
        {Value_description::Number_pattern(15, 10), "0 7 9 10 15", "16 19 20 100"},
        {Value_description::Number_pattern(4095, 16), "0 F fff FFF 0FFF A0 123", "1000 FFFF G"},
        {Value_description::Number_pattern(0x3FF, 16), "0 3FF 3ff 2AB 1 FF", "400 FFF 1000"},
        {Value_description::Number_pattern(126, 10), "0 99 100 119 126", "127 130 200"},
        {Value_description::Number_pattern(0, 10), "0 00", "1 10"},
        {Value_description::Number_pattern(4294967295ull, 10), "0 4294967295 3999999999 4294967289",
         "4294967296 4294967301 9999999999"},
        {pattern("%02X ", false, 0xFF), "00 A5 ff", "0 A 100"},
        {pattern("%d", false, 0xFF), "0 255 +7", "256 -1"},
        {pattern("%f", true, 0), "1 -1.5 12500.000000", "1. .5"},
        {timestamp.pattern, "85.89934590", "-1 1."},
        // Dates: hours and minutes (6), with seconds (7), year, month and day (56).
        {Value_description::Of_date(6).pattern, "12:34 1:2", "12:34:56 2024/05/17"},
        {Value_description::Of_date(7).pattern, "12:34:56", "12:34 1:2:3:4"},
        {Value_description::Of_date(56).pattern, "2024/05/17 2024/5/7", "2024/05 12:34:56"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const std::regex re(c.pattern);
        std::istringstream in(c.in), out(c.out);
        for (std::string n; in >> n;) EXPECT_TRUE(std::regex_match(n, re)) << n;
        for (std::string n; out >> n;) EXPECT_FALSE(std::regex_match(n, re)) << n;
    }
}

// One dispatcher, messages delivered by their length.
TEST(Dispatcher, DeliversWholeMessagesToTheListener) {
    Dispatcher* dispatcher = Dispatcher::create();
    EXPECT_EQ(Dispatcher::create(), dispatcher);
    std::vector<std::vector<std::uint8_t>> got;
    dispatcher->Set_listener([&](const std::uint8_t* m, std::size_t size) { got.emplace_back(m, m + size); });
    const unsigned long sent = dispatcher->Sent();
    std::uint8_t message[32] = {6, 0, 9};  // six words: 24 octets
    std::memset(message + 16, 0xAB, 16);
    std::uint8_t header[16] = {4, 0}, too_short[16] = {3, 0};  // the header's own four words, and less
    EXPECT_EQ(dispatcher->Send(message, 0), 0);
    EXPECT_EQ(dispatcher->Send(too_short, 0), -1);
    EXPECT_EQ(dispatcher->Send(nullptr, 0), -1);
    EXPECT_EQ(dispatcher->Send(header, 0), 0);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::vector<std::uint8_t>(message, message + 24));
    EXPECT_EQ(got[1].size(), 16u);
    dispatcher->Set_listener(nullptr);
    EXPECT_EQ(dispatcher->Send(message, 0), 0);  // counted, delivered nowhere
    EXPECT_EQ(dispatcher->Sent(), sent + 3);
}

// Table objects are carved out of shared blocks: however many and however
// large, each keeps the whole of its room (a host may file far more
// descriptors than the library's own).
TEST(TableStorage, EveryObjectKeepsItsRoom) {
    const std::size_t size = 96 * 1024;
    std::vector<unsigned char*> objects;
    for (int i = 0; i < 16; ++i) {
        objects.push_back(static_cast<unsigned char*>(Table_storage(size)));
        std::memset(objects.back(), i, size);
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(objects[i][0], i);
        EXPECT_EQ(objects[i][size - 1], i);
        Table_release(objects[i]);
    }
}
