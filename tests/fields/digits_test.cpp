// Dialled digits: names, escapes, fixed and counted arrays.
#include "support.h"

using namespace fields_test;

namespace {

#pragma pack(push, 1)
struct Ten_digits {
    P25::DTMF_byte digits[5];
};
struct Counted_digits {
    std::uint8_t count;
    P25::DTMF_byte digits[17];
};
#pragma pack(pop)

}  // namespace

// Test-only descriptors: the digit arrays as the text of "Digits".
template <> const XML_routines::Info<Ten_digits> XML_routines::Info<Ten_digits>::info(
    "Digits", XML_routines::Get_Access(&Ten_digits::digits, P25::dtmf_map));
template <> const XML_routines::Info<Counted_digits> XML_routines::Info<Counted_digits>::info(
    "Digits", XML_routines::Get_Access(&Counted_digits::digits, &Counted_digits::count, P25::dtmf_map));

namespace {

std::string Digits(const std::string& names) { return "<Digits>" + names + "</Digits>"; }

}  // namespace

TEST(Digits, FixedFormReadsNamesAndWritesEveryDigit) {
    struct Row {
        const char* names;    // read
        const char* octets;   // stored
        const char* written;  // written back
    } rows[] = {
        {"1 2 A", "12 F0 FF FF FF", "1 2 escape A escape null escape null escape null "},
        {"", "FF FF FF FF FF", "escape null escape null escape null escape null escape null "},
        {"0 1 2 3 4 5 6 7 8 9", "01 23 45 67 89", "0 1 2 3 4 5 6 7 8 9 "},
        {"* # flash pause res_C", "AB DE CF FF FF", "* # flash pause res_C escape null escape null escape "},
        // An escape-table name right after an escape needs no second escape.
        {"escape B", "F1 FF FF FF FF", "escape B escape null escape null escape null escape null "},
        // A normal name right after an escape: the escaped null is inserted.
        {"escape 5", "FF 5F FF FF FF", "escape null 5 escape null escape null escape null escape "},
        {"escape escape 7", "FF 7F FF FF FF", "escape null 7 escape null escape null escape null escape "},
        {"escape res_C D", "FC F3 FF FF FF", "escape res_C escape D escape null escape null escape null "},
        {"1 X 2", "refused", ""},                  // in neither table
        {"1 2 3 4 5 6 7 8 9 A", "refused", ""},    // ten names, eleven digits with the escape
        {"1 2 3 4 5 6 7 8 9 0 1", "refused", ""},  // more names than digits
        {"a", "refused", ""},                      // names are case-sensitive
    };
    const auto& doc = The_doc<Ten_digits>();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.names);
        EXPECT_EQ(doc.Read_hex(Digits(r.names)), r.octets);
        if (!*r.written) continue;
        const std::string written = doc.Write(Record<Ten_digits>(r.octets));
        EXPECT_EQ(written, Digits(r.written));
        EXPECT_EQ(doc.Read_hex(written), r.octets);
    }
}

TEST(Digits, CountedFormCountsNamesAndWritesThatMany) {
    const auto& doc = The_doc<Counted_digits>();
    // The count is of names read, not of digits stored.
    const char* const read = "03 12 F0 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF";
    EXPECT_EQ(doc.Read_hex(Digits("1 2 A")), read);
    Counted_digits d = Record<Counted_digits>(read);
    EXPECT_EQ(doc.Write(d), Digits("1 2 escape "));
    // Count 40: only 34 digits exist.
    const auto full = Record<Counted_digits>("28 12 34 56 78 90 12 34 56 78 90 12 34 56 78 90 12 34");
    EXPECT_EQ(doc.Write(full), Digits("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 "));
    d.count = 0;
    EXPECT_EQ(doc.Write(d), "<Digits/>");
}
