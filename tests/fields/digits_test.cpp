// Dialled digits: names, escapes, fixed and counted arrays.
#include "support.h"

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

std::string Digits(const std::string& names) { return "<Digits>" + names + "</Digits>"; }

}  // namespace

// Test-only descriptors: the digit arrays as the text of "Digits".
template <> const XML_routines::Info<Ten_digits> XML_routines::Info<Ten_digits>::info(
    "Digits", XML_routines::Get_Access(&Ten_digits::digits, P25::dtmf_map));
template <> const XML_routines::Info<Counted_digits> XML_routines::Info<Counted_digits>::info(
    "Digits", XML_routines::Get_Access(&Counted_digits::digits, &Counted_digits::count, P25::dtmf_map));

TEST(Digits, FixedFormReadsNamesAndWritesEveryDigit) {
    const struct {
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
        // Refused: a name in neither table; ten names that are eleven digits
        // with the escape; more names than digits; a name in the wrong case.
        {"1 X 2", "refused: Bad text \"1 X 2\"", ""},
        {"1 2 3 4 5 6 7 8 9 A", "refused: Bad text \"1 2 3 4 5 6 7 8 9 A\"", ""},
        {"1 2 3 4 5 6 7 8 9 0 1", "refused: Unexpected text \"1\"", ""},
        {"a", "refused: Bad text \"a\"", ""},
    };
    const auto& doc = The_doc<Ten_digits>();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.names);
        EXPECT_EQ(doc.Read_hex(Digits(r.names)), r.octets);
        if (!*r.written) continue;
        const std::string written = doc.Write(Record<Ten_digits>(r.octets));
        EXPECT_EQ(written, Digits(r.written));
        EXPECT_EQ(doc.Read_hex(written), r.octets);
    }
}

// The count is of names read, not of digits stored; writing stops at the
// digits that exist.
TEST(Digits, CountedFormCountsNamesAndWritesThatMany) {
    const auto& doc = The_doc<Counted_digits>();
    EXPECT_EQ(doc.Read_hex(Digits("1 2 A")), "03 12 F0 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(doc.Write(Record<Counted_digits>("03 12 F0 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF")),
              Digits("1 2 escape "));
    EXPECT_EQ(doc.Write(Record<Counted_digits>("28 12 34 56 78 90 12 34 56 78 90 12 34 56 78 90 12 34")),
              Digits("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 "));
    EXPECT_EQ(doc.Write(Record<Counted_digits>("00 12 34 56 78 90 12 34 56 78 90 12 34 56 78 90 12 34")), "<Digits/>");
}
