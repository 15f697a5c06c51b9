// Local offset flags, date and time layouts and the synchronisation broadcast.
#include "support.h"

TEST(Time, LocalOffsetDateAndTime) {
    // -300: sign 1, magnitude 0x12C split over octet 0 bits 2-0 and octet 1.
    Check<P25::Time_flags>("A9 2C", "<Local_offset valid=\"true\">-300</Local_offset>", "F9 2C");
    Check<P25::Time_flags>("00 5A", "<Local_offset valid=\"false\">90</Local_offset>", "D0 5A");
    P25::Time_flags f = Record<P25::Time_flags>("F0 00");
    f.Set_minutes_from_utc(0x900);  // 12 bits: cut to 11
    EXPECT_EQ(Hex(f), "F1 00");
    Check<P25::Date_layout>("CF 80 62", "<Date Reserved=\"2\">2024/12/31</Date>");
    Check<P25::Time_layout>("BF 7D 55", "<Time Reserved=\"55\">23:59:58</Time>");
    // Assigning a tm stores only its fields: the reserved bits stay.
    P25::Date_layout back = Record<P25::Date_layout>("00 00 03");
    back = static_cast<std::tm>(Record<P25::Date_layout>("CF 80 62"));
    EXPECT_EQ(Hex(back), "CF 80 63");
}

TEST(Sync, BroadcastBody) {
    static const Doc<P25::SYNC_BCAST_data> sync(P25::sync_info);
    Check(sync, "24 69 E3 30 B1 6D A4 D2",
          "<Reserved>1234</Reserved><Minute_correction>7.5</Minute_correction>"
          "<Local_offset valid=\"true\">-90</Local_offset><Date>2024/05/17</Date><Time>13:45</Time>"
          "<Microslots>1234</Microslots>");
    // Date and time read alone leave the other fields alone; the minute
    // correction (octet 1 bit 0, octet 2 bit 7) is cut to whole 2.5 ms
    // steps, modulo four.
    const std::pair<const char*, const char*> reads[] = {
        {"<Time>00:00</Time>", "FF FF FF FF FF 00 1F FF"},
        {"<Date>2001/01/01</Date>", "FF FF FF 02 21 FF FF FF"},
        {"<Minute_correction>2.4</Minute_correction>", "FF FE 7F FF FF FF FF FF"},
        {"<Minute_correction>2.5</Minute_correction>", "FF FE FF FF FF FF FF FF"},
        {"<Minute_correction>7.4</Minute_correction>", "FF FF 7F FF FF FF FF FF"},
        {"<Minute_correction>7.5</Minute_correction>", "FF FF FF FF FF FF FF FF"},
        {"<Minute_correction>10</Minute_correction>", "FF FE 7F FF FF FF FF FF"},
    };
    for (const auto& r : reads) EXPECT_EQ(sync.Read_hex(r.first), r.second) << r.first;
    // Setting the local offset keeps whole half hours, cut to five bits:
    // minutes, and octet 2 with the valid bit clear.
    const std::pair<int, const char*> offsets[] = {{-90, "23"}, {-100, "23"}, {90, "03"}, {-29, "20"},
                                                   {29, "00"},  {930, "1F"},  {960, "00"}};
    for (const auto& r : offsets) {
        P25::SYNC_BCAST_data s = Record<P25::SYNC_BCAST_data>("00 00 00 00 00 00 00 00");
        s.Set_local_offset(r.first);
        EXPECT_EQ(Hex(s.octets + 2, 1), r.second) << r.first;
    }
}
