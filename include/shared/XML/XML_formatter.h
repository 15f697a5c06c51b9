// Value formats: how one value becomes XML text and is read back.
//
// Three kinds: printf-style formats (String), enumeration names (Enum) and
// calendar fields (Date).  A Formatter owns one of them; accessors hold
// Formatters.
#ifndef TESSEL_XML_FORMATTER_H
#define TESSEL_XML_FORMATTER_H

#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <type_traits>

#include "XML_routines.h"
#include "XML_value_entry.h"

namespace XML_routines {
namespace Format {

// Calendar fields shown by a Date format.
enum TIME_MODE : unsigned {
    SECOND = 1,
    MINUTE = 2,
    HOUR = 4,
    DAY = 8,
    MONTH = 16,
    YEAR = 32,
    HHMM = 6,
    HHMMSS = 7,
    YYMMDD = 56,
    YYDDMM_HHMMSS = 63,
};

template <class T>
class Base : public Table_object {
public:
    virtual bool Read(Scanner& scanner, T& value) const = 0;
    virtual void Write(Printer& printer, const T& value) const = 0;
    virtual ~Base() = default;
    // Printed between the elements of an array before every one but the first.
    virtual void Space_if_needed(Printer&) const {}
    virtual void Describe(Value_description&) const {}
};

namespace detail {
template <class T>
constexpr bool Typed = std::is_arithmetic_v<T> || std::is_same_v<T, BE_ushort> || std::is_same_v<T, BE_24bit>;

// How a value of type T is printed with a printf-style format: numbers
// through the typed Print, enumerations as their underlying number,
// 4-octet records as a number or (under a block format) as four octets,
// anything else as a block of octets in memory order.
template <class T>
void Print(Printer& p, const T& v, const format_info& f) {
    if constexpr (Typed<T>) {
        p.Print(v, f);
    } else if constexpr (std::is_enum_v<T>) {
        if (sizeof(T) == 4 && f.Is_block()) p.Print(&v, sizeof v, f);
        else p.Print(static_cast<unsigned long>(static_cast<std::make_unsigned_t<std::underlying_type_t<T>>>(v)), f);
    } else if constexpr (sizeof(T) == 4 && !std::is_array_v<T>) {
        if (f.Is_block()) {
            p.Print(&v, sizeof v, f);
        } else {
            std::uint32_t u;
            std::memcpy(&u, &v, 4);
            p.Print(static_cast<unsigned int>(u), f);
        }
    } else {
        p.Print(&v, sizeof v, f);
    }
}

// The largest value of an enumeration's underlying type, or of an integer
// (a truth value holds 0 and 1).
template <class T>
constexpr unsigned long long Largest() {
    if constexpr (std::is_same_v<T, bool>)
        return 1;
    else if constexpr (std::is_enum_v<T>)
        return static_cast<unsigned long long>(std::numeric_limits<std::make_unsigned_t<std::underlying_type_t<T>>>::max());
    else if constexpr (std::is_integral_v<T>)
        return static_cast<unsigned long long>(std::numeric_limits<std::make_unsigned_t<T>>::max());
    else
        return ~0ull;
}

template <class T>
bool Scan(Scanner& s, T& v, const format_info& f) {
    if constexpr (Typed<T>) {
        return s.Scan(v, f);
    } else if constexpr (std::is_enum_v<T>) {
        if (sizeof(T) == 4 && f.Is_block()) return s.Scan(&v, sizeof v, f);
        unsigned long u;
        if (!s.Scan(u, f)) return false;
        if (u > Largest<T>()) return s.Out_of_range(static_cast<double>(u), Largest<T>());
        v = static_cast<T>(u);
        return true;
    } else if constexpr (sizeof(T) == 4 && !std::is_array_v<T>) {
        if (f.Is_block()) return s.Scan(&v, sizeof v, f);
        unsigned int u;
        if (!s.Scan(u, f)) return false;
        std::uint32_t w = u;
        std::memcpy(&v, &w, 4);
        return true;
    } else {
        return s.Scan(&v, sizeof v, f);
    }
}

template <class T>
unsigned long As_number(const T& v) {
    if constexpr (std::is_enum_v<T>) return static_cast<unsigned long>(v);
    else return static_cast<unsigned long>(v);
}
}  // namespace detail

// printf-style.
template <class T>
class String : public Base<T> {
public:
    explicit String(const char* format = "%d") : format_(Shared_format(format)) {}
    bool Read(Scanner& s, T& v) const override { return detail::Scan(s, v, format_); }
    void Write(Printer& p, const T& v) const override { detail::Print(p, v, format_); }
    void Describe(Value_description& d) const override {
        constexpr bool number = detail::Typed<T> || std::is_enum_v<T> || (sizeof(T) == 4 && !std::is_array_v<T>);
        const bool block = !number || (!detail::Typed<T> && sizeof(T) == 4 && format_.Is_block());
        unsigned long long largest = 0;
        if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
            if (std::is_unsigned_v<T>) largest = std::numeric_limits<T>::max();
        if constexpr (std::is_same_v<T, BE_ushort>) largest = 0xFFFFu;
        if constexpr (std::is_same_v<T, BE_24bit>) largest = 0xFFFFFFu;
        if constexpr (std::is_enum_v<T>) largest = detail::Largest<T>();
        d = Value_description::Of_format(format_, std::is_floating_point_v<T>, std::is_same_v<T, bool>,
                                         block ? unsigned(sizeof(T)) : 0u, block ? 0 : largest);
    }

private:
    const format_info& format_;
};

// Enumeration names; a value without a name is written (and read) in the
// printer's invalid-value form.
template <class T>
class Enum : public Base<T> {
public:
    explicit Enum(const Value_hash<T>& table) : table_(&table) {}

    // Names may hold blanks ("Unit invalid"): the longest run of up to
    // max_words words that is a name wins.
    static constexpr int max_words = 6;

    bool Read(Scanner& s, T& v) const override {
        const std::size_t start = s.Save();
        std::string words[max_words];
        std::size_t ends[max_words];
        int count = 0;
        while (count < max_words && !(words[count] = s.BiteOffString()).empty()) ends[count++] = s.Save();
        std::string name;
        for (int k = count; k > 0; --k) {
            name = words[0];
            for (int i = 1; i < k; ++i) name += " " + words[i];
            if (table_->Lookup(name.c_str(), v)) {
                s.Reset(ends[k - 1]);
                return true;
            }
        }
        s.Reset(start);
        s.BiteOffString();
        const std::size_t after = s.Reset(start);
        bool ok = false;
        const unsigned long n = s.Invalid(ok);
        s.Reset(after);
        // A number without a name must fit the type: never wrapped.
        if (ok && n > detail::Largest<T>()) return s.Out_of_range(static_cast<double>(n), detail::Largest<T>());
        v = static_cast<T>(n);
        return ok;
    }
    void Write(Printer& p, const T& v) const override {
        if (const char* name = table_->Lookup(v)) p.Print(name);
        else p.Invalid(detail::As_number(v));
    }
    void Space_if_needed(Printer& p) const override { p.Print(" "); }
    void Describe(Value_description& d) const override {
        d.kind = Value_description::named;
        d.max = detail::Largest<T>();
        d.name_list.clear();
        for (unsigned i = 0; i < table_->Count(); ++i) d.name_list.push_back((*table_)[i].name);
    }

private:
    const Value_hash<T>* table_;
};

// Calendar fields of a record convertible to and from tm.
template <class T>
class Date : public Base<T> {
public:
    explicit Date(TIME_MODE mode) : mode_(mode) {}

    void Write(Printer& p, const T& record) const override {
        const std::tm t = To_tm(record);
        // Widened: a host's record may hold any int in its fields.
        if (mode_ & YEAR) p.Print(t.tm_year + 1900LL, year_);
        if (mode_ & MONTH) p.Print(t.tm_mon + 1LL, month_);
        if (mode_ & DAY) p.Print(t.tm_mday, day_);
        if ((mode_ & (YEAR | MONTH | DAY)) && (mode_ & (HOUR | MINUTE | SECOND))) p.Print(" ");
        if (mode_ & HOUR) p.Print(t.tm_hour, hour_);
        if (mode_ & MINUTE) p.Print(t.tm_min, minute_);
        if (mode_ & SECOND) p.Print(t.tm_sec, second_);
    }

    bool Read(Scanner& s, T& record) const override {
        std::tm t = To_tm(record);
        int year = 0, month = 0;
        if ((mode_ & YEAR) && !s.Scan(year, year_)) return false;
        if ((mode_ & MONTH) && !s.Scan(month, month_)) return false;
        if ((mode_ & DAY) && !s.Scan(t.tm_mday, day_)) return false;
        if ((mode_ & HOUR) && !s.Scan(t.tm_hour, hour_)) return false;
        if ((mode_ & MINUTE) && !s.Scan(t.tm_min, minute_)) return false;
        if ((mode_ & SECOND) && !s.Scan(t.tm_sec, second_)) return false;
        if ((mode_ & YEAR) && year < std::numeric_limits<int>::min() + 1900) return s.Error("No such year %d", year);
        if ((mode_ & MONTH) && month == std::numeric_limits<int>::min()) return s.Error("No such month %d", month);
        if (mode_ & YEAR) t.tm_year = year - 1900;
        if (mode_ & MONTH) t.tm_mon = month - 1;
        if constexpr (Host_calendar) {
            // The host's own calendar record: the fields must name a real date and time.
            if (!Valid_date(t)) return s.Error("No such date %04lld/%02lld/%02d", t.tm_year + 1900LL, t.tm_mon + 1LL, t.tm_mday);
            if (!Valid_time(t)) return s.Error("No such time %02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
            From_tm(record, t);
        } else {
            // Calendar fields of a message, in bit fields of their own: any
            // value they hold is read back (a received message may carry month
            // 14), and one they cannot hold is refused.
            T held = record;
            From_tm(held, t);
            if (!Same_fields(To_tm(held), t)) return s.Error("Date or time cannot be held by the message's fields");
            record = held;
        }
        return true;
    }
    void Describe(Value_description& d) const override { d = Value_description::Of_date(mode_); }

private:
    // The host's calendar record holds tm's fields as whole integers.
    template <class U, class = void>
    struct Has_tm_fields : std::false_type {};
    template <class U>
    struct Has_tm_fields<U, std::void_t<decltype(U::tm_year)>> : std::true_type {};
    static constexpr bool Host_calendar = std::is_same_v<T, std::tm> || Has_tm_fields<T>::value;

    bool Same_fields(const std::tm& a, const std::tm& b) const {
        return (!(mode_ & YEAR) || a.tm_year == b.tm_year) && (!(mode_ & MONTH) || a.tm_mon == b.tm_mon) &&
               (!(mode_ & DAY) || a.tm_mday == b.tm_mday) && (!(mode_ & HOUR) || a.tm_hour == b.tm_hour) &&
               (!(mode_ & MINUTE) || a.tm_min == b.tm_min) && (!(mode_ & SECOND) || a.tm_sec == b.tm_sec);
    }
    // The fields read must make a calendar date of years 0 to 9999 and a
    // time of day 00:00:00 to 23:59:60 (a leap second).
    bool Valid_date(const std::tm& t) const {
        static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const long long year = t.tm_year + 1900LL;
        if ((mode_ & YEAR) && (year < 0 || year > 9999)) return false;
        if ((mode_ & MONTH) && (t.tm_mon < 0 || t.tm_mon > 11)) return false;
        if (!(mode_ & DAY)) return true;
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int month = t.tm_mon >= 0 && t.tm_mon <= 11 ? t.tm_mon : 0;
        return t.tm_mday >= 1 && t.tm_mday <= days[month] + (month == 1 && leap ? 1 : 0);
    }
    bool Valid_time(const std::tm& t) const {
        return (!(mode_ & HOUR) || (t.tm_hour >= 0 && t.tm_hour <= 23)) &&
               (!(mode_ & MINUTE) || (t.tm_min >= 0 && t.tm_min <= 59)) &&
               (!(mode_ & SECOND) || (t.tm_sec >= 0 && t.tm_sec <= 60));
    }
    static std::tm To_tm(const T& r) {
        if constexpr (std::is_same_v<T, std::tm>) return r;
        else return static_cast<std::tm>(r);
    }
    static void From_tm(T& r, const std::tm& t) {
        if constexpr (std::is_same_v<T, std::tm>) r = t;
        else r = t;
    }
    TIME_MODE mode_;
    const format_info& hour_ = Shared_format("%02d");
    const format_info& minute_ = Shared_format(":%02d");
    const format_info& second_ = Shared_format(":%02d");
    const format_info& year_ = Shared_format("%04d");
    const format_info& month_ = Shared_format("/%02d");
    const format_info& day_ = Shared_format("/%02d");
};

}  // namespace Format

// Owns one format and forwards to it.
template <class T>
class Formatter {
public:
    Formatter() : format_(new Format::String<T>("%d")) {}
    explicit Formatter(const char* format) : format_(new Format::String<T>(format)) {}
    explicit Formatter(const Value_hash<T>& table) : format_(new Format::Enum<T>(table)) {}
    explicit Formatter(Format::TIME_MODE mode) : format_(new Format::Date<T>(mode)) {}

    bool Read(Format::Scanner& s, T& v) const { return format_->Read(s, v); }
    void Write(Format::Printer& p, const T& v) const { format_->Write(p, v); }
    void Space_if_needed(Format::Printer& p) const { format_->Space_if_needed(p); }
    void Describe(Value_description& d) const { format_->Describe(d); }

private:
    std::unique_ptr<Format::Base<T>> format_;
};

}  // namespace XML_routines

#endif
