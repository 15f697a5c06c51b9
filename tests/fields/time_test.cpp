// Local offset flags, date and time layouts and the synchronisation broadcast.
#include "support.h"

using namespace fields_test;

TEST(Time, LocalOffsetDateAndTime) {
    // -300: sign 1, magnitude 0x12C split over octet 0 bits 2-0 and octet 1.
    Check<P25::Time_flags>("A9 2C", "<Local_offset valid=\"true\">-300</Local_offset>", "F9 2C");
    Check<P25::Time_flags>("00 5A", "<Local_offset valid=\"false\">90</Local_offset>", "D0 5A");
    P25::Time_flags f = Record<P25::Time_flags>("F0 00");
    f.Set_minutes_from_utc(0x900);  // 12 bits: cut to 11
    EXPECT_EQ(Hex(f), "F1 00");

    Check<P25::Date_layout>("CF 80 62", "<Date Reserved=\"2\">2024/12/31</Date>");
    Check<P25::Time_layout>("BF 7D 55", "<Time Reserved=\"55\">23:59:58</Time>");
    const std::tm d = Record<P25::Date_layout>("CF 80 62");
    EXPECT_EQ(d.tm_year * 10000 + d.tm_mon * 100 + d.tm_mday, 1241131);
    EXPECT_EQ(d.tm_hour + d.tm_min + d.tm_sec + d.tm_wday + d.tm_yday + d.tm_isdst, 0);
    // Assigning a tm stores only its fields: the reserved bits stay.
    P25::Date_layout back = Record<P25::Date_layout>("00 00 03");
    back = d;
    EXPECT_EQ(Hex(back), "CF 80 63");
}

TEST(Sync, BroadcastBody) {
    static const Doc<P25::SYNC_BCAST_data> sync(P25::sync_info);
    Check(sync, "24 69 E3 30 B1 6D A4 D2",
          "<Reserved>1234</Reserved><Minute_correction>7.5</Minute_correction>"
          "<Local_offset valid=\"true\">-90</Local_offset><Date>2024/05/17</Date><Time>13:45</Time>"
          "<Microslots>1234</Microslots>");
    // Date and time read alone leave the other fields alone.
    EXPECT_EQ(sync.Read_hex("<Time>00:00</Time>"), "FF FF FF FF FF 00 1F FF");
    EXPECT_EQ(sync.Read_hex("<Date>2001/01/01</Date>"), "FF FF FF 02 21 FF FF FF");
    // Reading and setting truncate.
    const struct {
        const char* text;
        unsigned correction;
    } corrections[] = {{"2.4", 0}, {"2.5", 1}, {"7.4", 2}, {"7.5", 3}, {"10", 0}};
    for (const auto& c : corrections) {
        const std::string read = sync.Read_hex(std::string("<Minute_correction>") + c.text + "</Minute_correction>");
        EXPECT_EQ(Record<P25::SYNC_BCAST_data>(read.c_str()).Get_minute_correction(), c.correction) << c.text;
    }
    const struct {
        int minutes;
        const char* octet2;  // valid bit clear
    } offsets[] = {{-90, "23"}, {-100, "23"}, {90, "03"}, {-29, "20"}, {29, "00"}, {930, "1F"}, {960, "00"}};
    for (const auto& r : offsets) {
        P25::SYNC_BCAST_data s = Record<P25::SYNC_BCAST_data>("00 00 00 00 00 00 00 00");
        s.Set_local_offset(r.minutes);
        EXPECT_EQ(Hex(s.octets + 2, 1), r.octet2) << r.minutes;
    }
}
