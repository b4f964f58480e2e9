// A set over an enumeration, one bit per value in the enumeration's order
// (value 0 is bit 0), as the framework lays its sets out. Bits persists
// the set as an integer, so N must not exceed 64 for sets that are stored.
#pragma once
#pragma GCC visibility push(default)

#include <bitset>
#include <cstdint>
#include <initializer_list>

template <class E, unsigned N = 64> class TSet {
public:
    constexpr TSet() = default;
    TSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }

    TSet& Include(E v) {
        FBits.set(Index(v));
        return *this;
    }
    TSet& Exclude(E v) {
        FBits.reset(Index(v));
        return *this;
    }
    bool Contains(E v) const { return FBits.test(Index(v)); }
    bool Empty() const { return FBits.none(); }
    void Clear() { FBits.reset(); }
    unsigned Count() const { return static_cast<unsigned>(FBits.count()); }

    // Union, difference and intersection, as the framework's + - * on sets.
    friend TSet operator+(TSet a, const TSet& b) {
        a.FBits |= b.FBits;
        return a;
    }
    friend TSet operator-(TSet a, const TSet& b) {
        a.FBits &= ~b.FBits;
        return a;
    }
    friend TSet operator*(TSet a, const TSet& b) {
        a.FBits &= b.FBits;
        return a;
    }
    friend TSet operator+(TSet a, E v) { return a.Include(v); }
    friend TSet operator-(TSet a, E v) { return a.Exclude(v); }
    TSet& operator+=(const TSet& b) { return *this = *this + b; }
    TSet& operator-=(const TSet& b) { return *this = *this - b; }
    TSet& operator*=(const TSet& b) { return *this = *this * b; }
    TSet& operator<<(E v) { return Include(v); }
    TSet& operator>>(E v) { return Exclude(v); }
    friend bool operator==(const TSet& a, const TSet& b) { return a.FBits == b.FBits; }
    // a <= b: every member of a is in b.
    friend bool operator<=(const TSet& a, const TSet& b) { return (a.FBits & ~b.FBits).none(); }

    // The set as an integer of its bits (members past bit 63 are not represented).
    uint64_t ToInt() const {
        uint64_t value = 0;
        for (unsigned i = 0; i < N && i < 64; ++i)
            if (FBits.test(i)) value |= uint64_t(1) << i;
        return value;
    }
    static TSet FromInt(uint64_t value) {
        TSet s;
        for (unsigned i = 0; i < N && i < 64; ++i)
            if (value & (uint64_t(1) << i)) s.FBits.set(i);
        return s;
    }

private:
    static unsigned Index(E v) { return static_cast<unsigned>(v); }
    std::bitset<N> FBits;
};

#pragma GCC visibility pop
