#pragma once
// A small set of the elements of an enumeration whose values count from 0.
#include <cstdint>
#include <initializer_list>

namespace vigilor {

template <typename E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> elements) {
        for (E e : elements) Include(e);
    }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
    std::uint32_t bits_ = 0;
};

}  // namespace vigilor
