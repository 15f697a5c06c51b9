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

const Doc<Ten_digits> ten("/Test_fields/Ten_digits");
const Doc<Counted_digits> counted("/Test_fields/Counted_digits");

std::string Digits(const std::string& names) { return "<Digits>" + names + "</Digits>"; }

}  // namespace

TEST(Digits, FixedFormReadsNamesAndWritesEveryDigit) {
    struct Row {
        const char* names;    // read
        const char* octets;   // stored
        const char* written;  // written back
    } rows[] = {
        {"1 2 A", "12 F0 FF FF FF",
         "1 2 escape A escape null escape null escape null "},
        {"", "FF FF FF FF FF", "escape null escape null escape null escape null escape null "},
        {"0 1 2 3 4 5 6 7 8 9", "01 23 45 67 89", "0 1 2 3 4 5 6 7 8 9 "},
        {"* # flash pause res_C", "AB DE CF FF FF", "* # flash pause res_C escape null escape null escape "},
        // An escape-table name right after an escape needs no second escape.
        {"escape B", "F1 FF FF FF FF", "escape B escape null escape null escape null escape null "},
        // A normal name right after an escape: the escaped null is inserted.
        {"escape 5", "FF 5F FF FF FF", "escape null 5 escape null escape null escape null escape "},
        {"escape escape 7", "FF 7F FF FF FF", "escape null 7 escape null escape null escape null escape "},
        {"escape res_C D", "FC F3 FF FF FF", "escape res_C escape D escape null escape null escape null "},
    };
    for (const Row& r : rows) {
        Ten_digits d{};
        ASSERT_TRUE(ten.Read(Digits(r.names), d)) << r.names;
        EXPECT_EQ(Hex(d), r.octets) << r.names;
        EXPECT_EQ(ten.Write(d), Digits(r.written)) << r.names;
        Ten_digits again{};
        ASSERT_TRUE(ten.Read(ten.Write(d), again)) << r.names;
        EXPECT_EQ(Hex(again), r.octets) << r.names;
    }
}

TEST(Digits, UnknownNameOrTooManyDigitsRejectTheElement) {
    const char* bad[] = {
        "1 X 2",                     // in neither table
        "1 2 3 4 5 6 7 8 9 A",       // ten names, eleven digits with the escape
        "1 2 3 4 5 6 7 8 9 0 1",     // more names than digits
        "a",                         // names are case-sensitive
    };
    for (const char* names : bad) EXPECT_EQ(ten.Read_hex(Digits(names)), "refused") << names;
}

TEST(Digits, CountedFormCountsNamesAndWritesThatMany) {
    Counted_digits d{};
    ASSERT_TRUE(counted.Read(Digits("1 2 A"), d));
    EXPECT_EQ(d.count, 3);  // names read, not digits stored
    EXPECT_EQ(Hex(d.digits, 3), "12 F0 FF");
    EXPECT_EQ(counted.Write(d), Digits("1 2 escape "));

    Counted_digits full = Record<Counted_digits>(
        "28 12 34 56 78 90 12 34 56 78 90 12 34 56 78 90 12 34");  // count 40: only 34 digits exist
    EXPECT_EQ(counted.Write(full), Digits("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 "));

    d.count = 0;
    EXPECT_EQ(counted.Write(d), "<Digits/>");
}
