// Local offset flags, date and time layouts and the synchronisation broadcast.
#include "support.h"

using namespace fields_test;

namespace {

const Doc<P25::Time_flags> time_flags("/Test_fields/Time_flags");
const Doc<P25::Date_layout> date("/Test_fields/Date");
const Doc<P25::Time_layout> time_of_day("/Test_fields/Time");
const Doc<P25::SYNC_BCAST_data> sync_body("/Test_fields/Sync", P25::sync_info);

}  // namespace

TEST(Time, LocalOffsetIsSignedMinutes) {
    // -300: sign 1, magnitude 0x12C split over octet 0 bits 2-0 and octet 1.
    Check(time_flags, "A9 2C", "<Local_offset valid=\"true\">-300</Local_offset>", "F9 2C");
    Check(time_flags, "00 5A", "<Local_offset valid=\"false\">90</Local_offset>", "D0 5A");
    P25::Time_flags f = Record<P25::Time_flags>("F0 00");
    f.Set_minutes_from_utc(-300);
    EXPECT_EQ(Hex(f), "F9 2C");
    EXPECT_EQ(f.Get_minutes_from_UTC(), -300);
    f.Set_minutes_from_utc(0x900);  // 12 bits: cut to 11
    EXPECT_EQ(Hex(f), "F1 00");
}

TEST(Time, DateAndTimeLayouts) {
    Check(date, "CF 80 62", "<Date Reserved=\"2\">2024/12/31</Date>");
    Check(time_of_day, "BF 7D 55", "<Time Reserved=\"55\">23:59:58</Time>");
    const std::tm d = Record<P25::Date_layout>("CF 80 62");
    EXPECT_EQ(d.tm_year, 124);
    EXPECT_EQ(d.tm_mon, 11);
    EXPECT_EQ(d.tm_mday, 31);
    EXPECT_EQ(d.tm_hour + d.tm_min + d.tm_sec + d.tm_wday + d.tm_yday + d.tm_isdst, 0);
    // Assigning a tm stores only its fields: the reserved bits stay.
    P25::Date_layout back = Record<P25::Date_layout>("00 00 03");
    back = d;
    EXPECT_EQ(Hex(back), "CF 80 63");
}

TEST(Sync, BroadcastBody) {
    Check(sync_body, "24 69 E3 30 B1 6D A4 D2",
          "<Reserved>1234</Reserved><Minute_correction>7.5</Minute_correction>"
          "<Local_offset valid=\"true\">-90</Local_offset><Date>2024/05/17</Date><Time>13:45</Time>"
          "<Microslots>1234</Microslots>");
}

TEST(Sync, TruncatingSetters) {
    struct Row {
        int minutes;
        const char* octet2;  // valid bit clear
    } offsets[] = {{-90, "23"}, {-100, "23"}, {90, "03"}, {-29, "20"}, {29, "00"}, {930, "1F"}, {960, "00"}};
    for (const Row& r : offsets) {
        P25::SYNC_BCAST_data s = Record<P25::SYNC_BCAST_data>("00 00 00 00 00 00 00 00");
        s.Set_local_offset(r.minutes);
        EXPECT_EQ(Hex(s.octets + 2, 1), r.octet2) << r.minutes;
    }
    const struct {
        const char* text;
        unsigned correction;
    } corrections[] = {{"0", 0}, {"2.4", 0}, {"2.5", 1}, {"7.4", 2}, {"7.5", 3}, {"10", 0}};
    for (const auto& c : corrections) {
        P25::SYNC_BCAST_data s{};
        ASSERT_TRUE(sync_body.Read(std::string("<Minute_correction>") + c.text + "</Minute_correction>", s)) << c.text;
        EXPECT_EQ(s.Get_minute_correction(), c.correction) << c.text;
    }
    // Date and time read alone leave the other fields alone.
    EXPECT_EQ(sync_body.Read_hex("<Time>00:00</Time>"), "FF FF FF FF FF 00 1F FF");
    EXPECT_EQ(sync_body.Read_hex("<Date>2001/01/01</Date>"), "FF FF FF 02 21 FF FF FF");
}
