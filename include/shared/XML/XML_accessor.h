// Member accessors: how one value is fetched from a packed record and stored
// back (get-set objects), and how it is printed and scanned (accessors, a
// get-set object combined with a value format).
#ifndef TESSEL_XML_ACCESSOR_H
#define TESSEL_XML_ACCESSOR_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "XML_formatter.h"

namespace XML_routines {
namespace Access {

// Marker bases: a sub-element reached through a GetSet_nocopy object parses
// in place inside the parent record; through a GetSet_copy object it parses
// into a temporary that is stored back when the child is finalised.
struct GetSet_copy {};
struct GetSet_nocopy {};

// ---- get-set objects --------------------------------------------------------

// A value as a number, for limits and reports.
template <class V>
long long As_number(const V& v) {
    if constexpr (std::is_enum_v<V>) return static_cast<long long>(static_cast<std::underlying_type_t<V>>(v));
    else return static_cast<long long>(v);
}

// Get-set objects whose field holds fewer values than its type say so with
// `Fits` (value), and with either `Max` () (bit fields and other fields of
// a few bits: 0 to max) or a static `Range` () text: a
// value read from a document that does not fit is refused, never cut to
// the bits the field keeps.
template <class G, class = void>
struct Limited : std::false_type {};
template <class G>
struct Limited<G, std::void_t<decltype(&G::Fits)>> : std::true_type {};
template <class G, class = void>
struct Has_max : std::false_type {};
template <class G>
struct Has_max<G, std::void_t<decltype(std::declval<const G&>().Max())>> : std::true_type {};

// The report of a value that does not fit its field, quoting the value as
// the document wrote it.
template <class G, class V>
bool Refuse_out_of_range(const G& g, Format::Scanner& s, const V& v) {
    if constexpr (Has_max<G>::value) return s.Out_of_range(static_cast<double>(As_number(v)), g.Max());
    else return s.Out_of_range(static_cast<double>(v), G::Range());
}

// A value of integral kind (integers, enumerations, booleans and small
// records convertible to one integer, such as a channel identifier).
template <class V, class = void>
struct Number_like : std::false_type {};
template <class V>
struct Number_like<V, std::void_t<decltype(static_cast<long long>(std::declval<const V&>())),
                                  decltype(V(static_cast<unsigned>(0)))>>
    : std::bool_constant<!std::is_floating_point_v<V>> {};

// A value of floating or scaled kind: a frequency in Hz held as a count of
// steps, or anything else that converts to a double.
template <class V>
constexpr bool Scaled_like = !Number_like<V>::value && std::is_convertible_v<const V&, double>;


// Whether the field reached through g keeps the value v: a field with
// limits of its own (Fits) is asked; a field of integral kind reached
// through member functions (which mask like bit fields) is tried on a copy
// of the record, and must give the value back.  A value that does not fit
// is reported through the scanner.
template <class G, class V, class T>
bool Keeps(const G& g, const V& v, const T& record, Format::Scanner& s) {
    if constexpr (Limited<G>::value) {
        return g.Fits(v) || Refuse_out_of_range(g, s, v);
    } else if constexpr (std::is_base_of_v<GetSet_copy, G> && Number_like<V>::value) {
        T copy = record;
        g.Set(v, copy);
        if (As_number(g.Get(copy)) == As_number(v)) return true;
        // The largest value the field keeps: all ones, cut to its bits.
        g.Set(V(~0u), copy);
        const long long largest = As_number(g.Get(copy));
        if (As_number(v) >= 0 && As_number(v) <= largest)  // a step the field cannot show, say
            return s.Not_held(static_cast<double>(As_number(v)), "cannot be held exactly");
        return s.Out_of_range(static_cast<double>(As_number(v)), static_cast<unsigned long long>(largest));
    } else if constexpr (std::is_base_of_v<GetSet_copy, G> && Scaled_like<V>) {
        // Stored on a copy, the value must come back as written or cut
        // toward zero by less than half of it (a frequency that is no whole
        // number of steps is truncated, as setting it does); a value that
        // the field's bits cannot count wraps to another value of another
        // size or sign, and is refused.
        T copy = record;
        g.Set(v, copy);
        const double want = static_cast<double>(v);
        const double got = static_cast<double>(g.Get(copy));
        const double size = want < 0 ? -want : want;
        const double tolerance = 5e-7 + 1e-12 * size;
        const double kept = want < 0 ? -got : got;  // what is left of it, in its own sign
        bool held = kept - size <= tolerance && (got == 0 || 2 * kept >= size);
        if (held && got == 0 && want < 0) {
            // Cut to nothing: a step too small, or a sign the field has not.
            // If its magnitude is kept, the field has no sign to give it.
            V positive = v;
            positive = -want;
            T magnitude = record;
            g.Set(positive, magnitude);
            held = static_cast<double>(g.Get(magnitude)) == 0;
        }
        if (held) return true;
        return s.Not_held(want, "cannot be held by the field");
    } else {
        return true;
    }
}

// The limits of a record type that has them (a static Fits and Range), for
// the get-set objects that reach it through its member functions.
template <class T, class V, class = void>
struct Limits_of {};
template <class T, class V>
struct Limits_of<T, V, std::void_t<decltype(&T::Fits)>> {
    static bool Fits(const V& v) { return T::Fits(v); }
    static const char* Range() { return T::Range(); }
};


template <class T, class S>
class GetSet_member : public GetSet_nocopy {
public:
    using record_type = T;
    using value_type = S;
    explicit GetSet_member(S T::*member) : member_(member) {}
    const S& Get(const T& r) const { return r.*member_; }
    S& Ref(T& r) const { return r.*member_; }
    void Set(const S& v, T& r) const { r.*member_ = v; }
    GetSet_member* Clone() const { return new GetSet_member(*this); }

private:
    S T::*member_;
};

// A data member of which only the low Width bits are significant (a 12-bit
// network access code held in 32 bits).
template <class T, class S, unsigned Width>
class GetSet_low_bits : public GetSet_member<T, S> {
public:
    static constexpr unsigned long long max = (1ull << Width) - 1u;
    static constexpr unsigned long long Max() { return max; }
    static bool Fits(const S& v) {
        const long long n = As_number(v);
        return n >= 0 && static_cast<unsigned long long>(n) <= max;
    }
    using GetSet_member<T, S>::GetSet_member;
    GetSet_low_bits* Clone() const { return new GetSet_low_bits(*this); }
};
template <unsigned Width, class T, class S>
GetSet_low_bits<T, S, Width> Low_bits(S T::*member) {
    return GetSet_low_bits<T, S, Width>(member);
}

template <class T, class E, std::size_t N>
class GetSet_member_arr : public GetSet_nocopy {
public:
    using record_type = T;
    using value_type = E[N];
    explicit GetSet_member_arr(E (T::*member)[N]) : member_(member) {}
    const value_type& Get(const T& r) const { return r.*member_; }
    value_type& Ref(T& r) const { return r.*member_; }
    GetSet_member_arr* Clone() const { return new GetSet_member_arr(*this); }

private:
    E (T::*member_)[N];
};

// A value reached through a const getter and a setter of the record.
template <class T, class G, class S, class R = void>
class GetSet_func : public GetSet_copy, public Limits_of<T, std::remove_cv_t<std::remove_reference_t<G>>> {
public:
    using record_type = T;
    using value_type = std::remove_cv_t<std::remove_reference_t<G>>;
    using Getter = G (T::*)() const;
    using Setter = R (T::*)(S);
    GetSet_func(Getter get, Setter set) : get_(get), set_(set) {}
    // g++ mistakes a call through a member function pointer on a record
    // smaller than a pointer for a read of a virtual table.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    value_type Get(const T& r) const { return (r.*get_)(); }
    void Set(const value_type& v, T& r) const { (r.*set_)(v); }
#pragma GCC diagnostic pop
    GetSet_func* Clone() const { return new GetSet_func(*this); }

private:
    Getter get_;
    Setter set_;
};

// The record seen as a related type S: its S base part, or what its
// conversion to S returns.
template <class T, class S>
class GetSet_cast {
public:
    using record_type = T;
    using value_type = S;
    S Get(const T& r) const {
        if constexpr (std::is_base_of_v<S, T>) return static_cast<const S&>(r);
        else return static_cast<S>(r);
    }
    void Set(const S& v, T& r) const {
        if constexpr (std::is_base_of_v<S, T>) static_cast<S&>(r) = v;
        else r = v;
    }
    GetSet_cast* Clone() const { return new GetSet_cast(*this); }
};

// A plain value converted to V and back to W (identity when V is W).
template <class V, class W>
class GetSet_conv {
public:
    using record_type = W;
    using value_type = V;
    V Get(const W& r) const { return static_cast<V>(r); }
    void Set(const V& v, W& r) const { r = static_cast<W>(v); }
    GetSet_conv* Clone() const { return new GetSet_conv(*this); }
};

// The bits of a field: Width bits whose lowest is bit Lo of the big-endian
// window of Bytes octets starting at octet Byte of a record.
struct Bit_place {
    std::uint8_t byte, lo, width, bytes;
    constexpr std::uint32_t Mask() const { return width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u); }
    std::uint32_t Window(const void* record) const {
        const auto* p = static_cast<const unsigned char*>(record) + byte;
        std::uint32_t w = 0;
        for (std::size_t i = 0; i < bytes; ++i) w = (w << 8) | p[i];
        return w;
    }
    std::uint32_t Get(const void* record) const { return (Window(record) >> lo) & Mask(); }
    void Set(std::uint32_t v, void* record) const {
        std::uint32_t w = Window(record);
        w &= ~(Mask() << lo);
        w |= (v & Mask()) << lo;
        auto* p = static_cast<unsigned char*>(record) + byte;
        for (std::size_t i = bytes; i-- > 0;) {
            p[i] = static_cast<unsigned char>(w);
            w >>= 8;
        }
    }
};

// A bit field of a record by its place: the get-set object the tables keep
// for every bit field, so that the rows over the bit fields of one record
// and value type share one set of operations.
template <class Record, class Value>
class Bits : public GetSet_copy {
public:
    using record_type = Record;
    using value_type = Value;
    constexpr explicit Bits(Bit_place place) : place_(place) {}
    unsigned long long Max() const { return place_.Mask(); }
    bool Fits(const Value& v) const {
        const long long n = As_number(v);
        return n >= 0 && static_cast<unsigned long long>(n) <= Max();
    }
    Value Get(const Record& r) const { return static_cast<Value>(place_.Get(&r)); }
    void Set(const Value& v, Record& r) const { place_.Set(static_cast<std::uint32_t>(v), &r); }

private:
    Bit_place place_;
};

// A bit field of a packed record: Width bits whose lowest is bit Lo of the
// big-endian window of Bytes octets starting at octet Byte.  Setting keeps
// only the low Width bits of the value and leaves every other bit alone;
// readers refuse a value that does not fit (Fits) before setting it.
template <class Record, class Value, std::size_t Byte, unsigned Lo, unsigned Width, std::size_t Bytes = 1>
class Bit_field : public GetSet_copy {
    static_assert(Width >= 1 && Lo + Width <= 8 * Bytes && Bytes <= 4, "bit field lies outside its octets");
    static_assert(Byte + Bytes <= sizeof(Record), "bit field lies outside its record");
    static constexpr Bit_place place{Byte, Lo, Width, Bytes};

public:
    using record_type = Record;
    using value_type = Value;
    static constexpr std::uint32_t mask = place.Mask();
    static constexpr unsigned long long max = mask;
    static constexpr unsigned long long Max() { return max; }
    static bool Fits(const Value& v) {
        const long long n = As_number(v);
        return n >= 0 && static_cast<unsigned long long>(n) <= mask;
    }

    Value Get(const Record& r) const { return static_cast<Value>(place.Get(&r)); }
    void Set(const Value& v, Record& r) const { place.Set(static_cast<std::uint32_t>(v), &r); }
    // The same field by its place, as the tables keep it.
    using Place_type = Bits<Record, Value>;
    using Field_type = Bit_field;
    Place_type Kept() const { return Place_type(place); }
};

// The get-set object a table row keeps for access: a bit field by its
// place, any other as it is (a get-set object that replaces a bit field's
// Get or Set is kept itself).
template <class A, class = void>
struct Row_access_of {
    using type = A;
    static const A& Of(const A& access) { return access; }
};
template <class A>
struct Row_access_of<A, std::enable_if_t<std::is_same_v<decltype(&A::Get), decltype(&A::Field_type::Get)> &&
                                         std::is_same_v<decltype(&A::Set), decltype(&A::Field_type::Set)>>> {
    using type = typename A::Place_type;
    static type Of(const A& access) { return access.Kept(); }
};
template <class A>
using Row_access = typename Row_access_of<A>::type;

// A get-set object kept by value just after the table row that works
// through it (a copy, condition or commit link, an attribute entry): the
// row is made with room for that object alone, in whole words, so that an
// empty one (a bit field) costs a word, a data member one word and two
// member functions four.
template <class A>
constexpr std::size_t Kept_room() {
    static_assert(std::is_trivially_copyable_v<A> && alignof(A) <= alignof(void*),
                  "a get-set object of a table row is copied as octets");
    return (sizeof(A) + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*);
}
// Makes a row R, a table object of fixed fields, with room after it for a
// get-set object of room octets, or for the object given, copied there; the
// object is at Kept_after(row).
template <class R>
R* Make_row_with_room(const R& fields, std::size_t room) {
    static_assert(sizeof(R) % alignof(void*) == 0, "the kept object follows its row aligned");
    return ::new (Table_storage(sizeof(R) + room)) R(fields);
}
template <class R>
const void* Kept_after(const R* row) {
    return reinterpret_cast<const unsigned char*>(row) + sizeof(R);
}
template <class R, class A>
R* Make_kept_row(const R& fields, const A& access) {
    R* row = Make_row_with_room(fields, Kept_room<A>());
    ::new (const_cast<void*>(Kept_after(row))) A(access);
    return row;
}

// ---- accessors --------------------------------------------------------------

// Prints a value of a record and scans it back, on an untyped record: what
// descriptors and attribute entries hold.
class Value_access : public Table_object {
public:
    Value_access() = default;
    Value_access(const Value_access&) = delete;
    Value_access& operator=(const Value_access&) = delete;
    virtual ~Value_access() = default;
    virtual bool Read_any(Format::Scanner& s, void* record) const = 0;
    virtual void Write_any(Format::Printer& p, const void* record) const = 0;
    // The form of the text; any text unless the accessor says.
    virtual void Describe(Value_description&) const {}
};

// The same on a record of type T; owned by the one descriptor or attribute
// entry that receives it.
template <class T>
class Accessor : public Value_access {
public:
    virtual bool Read(Format::Scanner& s, T& record) const = 0;
    virtual void Write(Format::Printer& p, const T& record) const = 0;
    bool Read_any(Format::Scanner& s, void* record) const final { return Read(s, *static_cast<T*>(record)); }
    void Write_any(Format::Printer& p, const void* record) const final { Write(p, *static_cast<const T*>(record)); }
};

template <class T>
class Primative : public Accessor<T> {
public:
    template <class... A>
    explicit Primative(A&&... format) : formatter_(std::forward<A>(format)...) {}
    // A value is read into a copy, so that text that fails to give one
    // leaves the record as it was (an array is read in place).
    bool Read(Format::Scanner& s, T& v) const override {
        if constexpr (std::is_array_v<T>) {
            return formatter_.Read(s, v);
        } else {
            T value = v;
            if (!formatter_.Read(s, value)) return false;
            v = value;
            return true;
        }
    }
    void Write(Format::Printer& p, const T& v) const override { formatter_.Write(p, v); }
    void Describe(Value_description& d) const override { formatter_.Describe(d); }

private:
    Formatter<T> formatter_;
};

// A value of type V reached in record T through the get-set object G.
template <class V, class T, class G>
class Shim : public Accessor<T> {
public:
    Shim(const G& getset, Accessor<V>* inner) : getset_(getset), inner_(inner) {}
    // The get-set object given made with new: kept by value, the one given deleted.
    Shim(const G* getset, Accessor<V>* inner) : getset_(*getset), inner_(inner) { delete getset; }
    bool Read(Format::Scanner& s, T& record) const override {
        V temporary = getset_.Get(record);
        if (!inner_->Read(s, temporary)) return false;
        if (!Keeps(getset_, temporary, record, s)) return false;
        getset_.Set(temporary, record);
        return true;
    }
    void Write(Format::Printer& p, const T& record) const override { inner_->Write(p, getset_.Get(record)); }
    // The field's own limits narrow what the format reads.
    void Describe(Value_description& d) const override {
        inner_->Describe(d);
        if constexpr (Has_max<G>::value) {
            d.Bound(getset_.Max());
        } else if constexpr (Limited<G>::value && std::is_floating_point_v<V>) {
            if (!getset_.Fits(V(-1))) d.Non_negative();
        }
    }

private:
    G getset_;
    std::unique_ptr<Accessor<V>> inner_;
};

// N elements through one format.
template <class E, std::size_t N>
class DataArray {
public:
    template <class... A>
    explicit DataArray(A&&... format) : formatter_(std::forward<A>(format)...) {}
    bool Read(Format::Scanner& s, E (&a)[N]) const {
        for (std::size_t i = 0; i < N; ++i)
            if (!formatter_.Read(s, a[i])) return false;
        return true;
    }
    void Write(Format::Printer& p, const E (&a)[N], std::size_t count = N) const {
        for (std::size_t i = 0; i < count && i < N; ++i) {
            if (i) formatter_.Space_if_needed(p);
            formatter_.Write(p, a[i]);
        }
    }
    // Reads while text remains, at most N; returns the count or -1.
    long Read_some(Format::Scanner& s, E (&a)[N]) const {
        std::size_t i = 0;
        for (; i < N && s.More(); ++i)
            if (!formatter_.Read(s, a[i])) return -1;
        return static_cast<long>(i);
    }
    // Up to N values (fewer when the count is another member).
    void Describe(Value_description& d, bool exact) const {
        formatter_.Describe(d);
        d = d.Repeated(exact ? unsigned(N) : 0u);
    }

private:
    Formatter<E> formatter_;
};

template <class T, class E, std::size_t N>
class MemberArray : public Accessor<T> {
public:
    template <class... A>
    MemberArray(E (T::*member)[N], A&&... format) : member_(member), array_(std::forward<A>(format)...) {}
    bool Read(Format::Scanner& s, T& r) const override { return array_.Read(s, r.*member_); }
    void Write(Format::Printer& p, const T& r) const override { array_.Write(p, r.*member_); }
    void Describe(Value_description& d) const override { array_.Describe(d, true); }

private:
    E (T::*member_)[N];
    DataArray<E, N> array_;
};

// An array whose count of valid elements is another member of the record.
template <class T, class E, std::size_t N, class L>
class MemberArrayLen : public Accessor<T> {
public:
    template <class... A>
    MemberArrayLen(E (T::*member)[N], L T::*length, A&&... format)
        : member_(member), length_(length), array_(std::forward<A>(format)...) {}
    bool Read(Format::Scanner& s, T& r) const override {
        const long n = array_.Read_some(s, r.*member_);
        if (n < 0) return false;
        r.*length_ = static_cast<L>(n);
        return true;
    }
    // The array writes no more than its capacity, whatever the count says.
    void Write(Format::Printer& p, const T& r) const override {
        array_.Write(p, r.*member_, static_cast<std::size_t>(r.*length_));
    }
    void Describe(Value_description& d) const override { array_.Describe(d, false); }

private:
    E (T::*member_)[N];
    L T::*length_;
    DataArray<E, N> array_;
};

// Get-set object factories.
template <class T, class S>
GetSet_member<T, S>* GetSet(S T::*member) { return new GetSet_member<T, S>(member); }
template <class T, class G, class S, class R>
GetSet_func<T, G, S, R>* GetSet(G (T::*get)() const, R (T::*set)(S)) { return new GetSet_func<T, G, S, R>(get, set); }

}  // namespace Access

// A descriptor's or attribute's handle on an accessor (possibly none).
template <class T>
class Accessor {
public:
    Accessor(Access::Accessor<T>* a = nullptr) : a_(a) {}
    Accessor(const Accessor&) = delete;
    Accessor& operator=(const Accessor&) = delete;
    ~Accessor() { delete a_; }
    explicit operator bool() const { return a_ != nullptr; }
    void Write(Format::Printer& p, const T& r) const {
        if (a_) a_->Write(p, r);
    }
    bool Read(Format::Scanner& s, T& r) const {
        if (!a_) return s.Error("No text allowed");
        return a_->Read(s, r);
    }
    void Describe(Value_description& d) const {
        if (a_) a_->Describe(d);
    }

private:
    Access::Accessor<T>* a_;
};

// ---- accessor builders ---------------------------------------------------------
//
// Get_Access(getset[, format | value table | time mode]) wraps a get-set
// object; Get_Access(&T::member[, ...]) a data member; Get_Access(getter,
// setter[, ...]) a pair of member functions; Get_Access<V>([...]) a plain
// value; Get_Access(&T::array[, ...]) every element of an array member;
// Get_Access(&T::array, &T::length[, ...]) its first `length` elements.

template <class G, class... F>
auto Get_Access(const G& getset, F&&... format)
    -> Access::Accessor<typename G::record_type>* {
    using V = typename G::value_type;
    using T = typename G::record_type;
    using R = Access::Row_access<G>;
    return new Access::Shim<V, T, R>(Access::Row_access_of<G>::Of(getset),
                                     new Access::Primative<V>(std::forward<F>(format)...));
}

template <class T, class S, class... F>
Access::Accessor<T>* Get_Access(S T::*member, F&&... format) {
    if constexpr (std::is_array_v<S>) {
        using E = std::remove_extent_t<S>;
        return new Access::MemberArray<T, E, std::extent_v<S>>(member, std::forward<F>(format)...);
    } else {
        return Get_Access(Access::GetSet_member<T, S>(member), std::forward<F>(format)...);
    }
}

template <class T, class E, std::size_t N, class L, class... F>
Access::Accessor<T>* Get_Access(E (T::*member)[N], L T::*length, F&&... format) {
    return new Access::MemberArrayLen<T, E, N, L>(member, length, std::forward<F>(format)...);
}

template <class T, class G, class S, class R, class... F>
Access::Accessor<T>* Get_Access(G (T::*get)() const, R (T::*set)(S), F&&... format) {
    return Get_Access(Access::GetSet_func<T, G, S, R>(get, set), std::forward<F>(format)...);
}

template <class V, class... F>
Access::Accessor<V>* Get_Access(F&&... format) {
    return new Access::Primative<V>(std::forward<F>(format)...);
}

}  // namespace XML_routines

// Declares the bit-field accessor class template GetSet_bf_<field>; each
// record that has such a field adds a specialisation with XML_BITFIELD.
#define XML_BITFIELD_NAME(field)        \
    template <class Record, class Value> \
    struct GetSet_bf_##field

// GetSet_bf_<field><Record, Value>: the field's bits hi..lo of octet `byte`.
#define XML_BITFIELD(field, Record, byte, hi, lo)                                                       \
    template <class Value>                                                                              \
    struct GetSet_bf_##field<Record, Value>                                                             \
        : ::XML_routines::Access::Bit_field<Record, Value, (byte), (lo), (hi) - (lo) + 1> {}

// The same for a field that spans `bytes` octets from `byte`, bits counted
// from the least significant bit of the last octet.
#define XML_BITFIELD_WIDE(field, Record, byte, bytes, hi, lo)                                           \
    template <class Value>                                                                              \
    struct GetSet_bf_##field<Record, Value>                                                             \
        : ::XML_routines::Access::Bit_field<Record, Value, (byte), (lo), (hi) - (lo) + 1, (bytes)> {}

#endif
