// The known box types and their lookup.
#include "playcore/KnownBoxTypes.h"

#include "playcore/ByteOrder.h"

#include <algorithm>

namespace playcore {

namespace {

constexpr std::array<std::array<char, 4>, kKnownBoxTypeCount> kTable = {{
    {'a', 'i', 'n', 'f'}, {'a', 'v', 'c', 'n'}, {'b', 'l', 'o', 'c'}, {'b', 'p', 'c', 'c'},
    {'b', 'u', 'f', 'f'}, {'b', 'x', 'm', 'l'}, {'c', 'c', 'i', 'd'}, {'c', 'd', 'e', 'f'},
    {'c', 'l', 'i', 'p'}, {'c', 'm', 'a', 'p'}, {'c', 'o', '6', '4'}, {'c', 'o', 'l', 'r'},
    {'c', 'r', 'g', 'n'}, {'c', 'r', 'h', 'd'}, {'c', 's', 'l', 'g'}, {'c', 't', 'a', 'b'},
    {'c', 't', 't', 's'}, {'c', 'v', 'r', 'u'}, {'d', 'i', 'n', 'f'}, {'d', 'r', 'e', 'f'},
    {'d', 's', 'g', 'd'}, {'d', 's', 't', 'g'}, {'e', 'd', 't', 's'}, {'e', 'l', 's', 't'},
    {'f', 'd', 'e', 'l'}, {'f', 'e', 'c', 'i'}, {'f', 'e', 'c', 'r'}, {'f', 'i', 'i', 'n'},
    {'f', 'i', 'r', 'e'}, {'f', 'p', 'a', 'r'}, {'f', 'r', 'e', 'e'}, {'f', 'r', 'm', 'a'},
    {'f', 't', 'y', 'p'}, {'g', 'i', 't', 'n'}, {'g', 'r', 'p', 'i'}, {'h', 'd', 'l', 'r'},
    {'h', 'm', 'h', 'd'}, {'h', 'p', 'i', 'x'}, {'i', 'c', 'n', 'u'}, {'I', 'D', '3', '2'},
    {'i', 'd', 'a', 't'}, {'i', 'h', 'd', 'r'}, {'i', 'i', 'n', 'f'}, {'i', 'l', 'o', 'c'},
    {'i', 'm', 'a', 'p'}, {'i', 'm', 'i', 'f'}, {'i', 'n', 'f', 'e'}, {'i', 'n', 'f', 'u'},
    {'i', 'o', 'd', 's'}, {'i', 'p', 'h', 'd'}, {'i', 'p', 'm', 'c'}, {'i', 'p', 'r', 'o'},
    {'i', 'r', 'e', 'f'}, {'j', 'P', ' ', ' '}, {'j', 'p', '2', 'c'}, {'j', 'p', '2', 'h'},
    {'j', 'p', '2', 'i'}, {'k', 'm', 'a', 't'}, {'l', 'e', 'v', 'a'}, {'l', 'o', 'a', 'd'},
    {'l', 'r', 'c', 'u'}, {'m', '7', 'h', 'd'}, {'m', 'a', 't', 't'}, {'m', 'd', 'a', 't'},
    {'m', 'd', 'h', 'd'}, {'m', 'd', 'i', 'a'}, {'m', 'd', 'r', 'i'}, {'m', 'e', 'c', 'o'},
    {'m', 'e', 'h', 'd'}, {'m', 'e', 'r', 'e'}, {'m', 'e', 't', 'a'}, {'m', 'f', 'h', 'd'},
    {'m', 'f', 'r', 'a'}, {'m', 'f', 'r', 'o'}, {'m', 'i', 'n', 'f'}, {'m', 'j', 'h', 'd'},
    {'m', 'o', 'o', 'f'}, {'m', 'o', 'o', 'v'}, {'m', 'v', 'c', 'g'}, {'m', 'v', 'c', 'i'},
    {'m', 'v', 'e', 'x'}, {'m', 'v', 'h', 'd'}, {'m', 'v', 'r', 'a'}, {'n', 'm', 'h', 'd'},
    {'o', 'c', 'h', 'd'}, {'o', 'd', 'a', 'f'}, {'o', 'd', 'd', 'a'}, {'o', 'd', 'h', 'd'},
    {'o', 'd', 'h', 'e'}, {'o', 'd', 'r', 'b'}, {'o', 'd', 'r', 'm'}, {'o', 'd', 't', 't'},
    {'o', 'h', 'd', 'r'}, {'p', 'a', 'd', 'b'}, {'p', 'a', 'e', 'n'}, {'p', 'c', 'l', 'r'},
    {'p', 'd', 'i', 'n'}, {'p', 'i', 't', 'm'}, {'p', 'n', 'o', 't'}, {'p', 'r', 'f', 't'},
    {'r', 'e', 's', ' '}, {'r', 'e', 's', 'c'}, {'r', 'e', 's', 'd'}, {'r', 'i', 'n', 'f'},
    {'s', 'a', 'i', 'o'}, {'s', 'a', 'i', 'z'}, {'s', 'b', 'g', 'p'}, {'s', 'c', 'h', 'i'},
    {'s', 'c', 'h', 'm'}, {'s', 'd', 'e', 'p'}, {'s', 'd', 'h', 'd'}, {'s', 'd', 't', 'p'},
    {'s', 'd', 'v', 'p'}, {'s', 'e', 'g', 'r'}, {'s', 'e', 'n', 'c'}, {'s', 'g', 'p', 'd'},
    {'s', 'i', 'd', 'x'}, {'s', 'i', 'n', 'f'}, {'s', 'k', 'i', 'p'}, {'s', 'm', 'h', 'd'},
    {'s', 'r', 'm', 'b'}, {'s', 'r', 'm', 'c'}, {'s', 'r', 'p', 'p'}, {'s', 's', 'i', 'x'},
    {'s', 't', 'b', 'l'}, {'s', 't', 'c', 'o'}, {'s', 't', 'd', 'p'}, {'s', 't', 'h', 'd'},
    {'s', 't', 'r', 'd'}, {'s', 't', 'r', 'i'}, {'s', 't', 's', 'c'}, {'s', 't', 's', 'd'},
    {'s', 't', 's', 'g'}, {'s', 't', 's', 'h'}, {'s', 't', 's', 's'}, {'s', 't', 's', 'z'},
    {'s', 't', 't', 's'}, {'s', 't', 'y', 'p'}, {'s', 't', 'z', '2'}, {'s', 'u', 'b', 's'},
    {'s', 'w', 't', 'c'}, {'t', 'f', 'a', 'd'}, {'t', 'f', 'd', 't'}, {'t', 'f', 'h', 'd'},
    {'t', 'f', 'm', 'a'}, {'t', 'f', 'r', 'a'}, {'t', 'i', 'b', 'r'}, {'t', 'i', 'r', 'i'},
    {'t', 'k', 'h', 'd'}, {'t', 'r', 'a', 'f'}, {'t', 'r', 'a', 'k'}, {'t', 'r', 'e', 'f'},
    {'t', 'r', 'e', 'x'}, {'t', 'r', 'g', 'r'}, {'t', 'r', 'i', 'k'}, {'t', 'r', 'u', 'n'},
    {'u', 'd', 't', 'a'}, {'u', 'i', 'n', 'f'}, {'U', 'I', 'T', 'S'}, {'u', 'l', 's', 't'},
    {'u', 'r', 'l', ' '}, {'u', 'u', 'i', 'd'}, {'v', 'm', 'h', 'd'}, {'v', 'w', 'd', 'i'},
    {'x', 'm', 'l', ' '}, {'x', 'm', 'l', ' '}, {'u', 'd', 'a', 't'}, {'g', 'p', 's', 'a'},
    {'g', 'p', 's', '0'}, {'I', 'C', 'A', 'T'}, {'I', 'D', 'I', 'T'}, {'X', 't', 'r', 'a'},
}};

} // namespace

const std::array<std::array<char, 4>, kKnownBoxTypeCount> kKnownBoxTypes = kTable;

namespace {

// The same list as 32-bit numbers, sorted by the compiler: a lookup is a
// binary search over constants, with the same membership as the list.
constexpr std::array<uint32_t, kKnownBoxTypeCount> SortedCodes() {
    const auto& table = kTable;
    std::array<uint32_t, kKnownBoxTypeCount> codes{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& t = table[i];
        codes[i] = (static_cast<uint32_t>(static_cast<uint8_t>(t[0])) << 24) |
                   (static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 16) |
                   (static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 8) |
                   static_cast<uint32_t>(static_cast<uint8_t>(t[3]));
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

constexpr std::array<uint32_t, kKnownBoxTypeCount> kSortedCodes = SortedCodes();

} // namespace

bool IsKnownBoxType(uint32_t fourcc) {
    return std::binary_search(kSortedCodes.begin(), kSortedCodes.end(), fourcc);
}

bool IsKnownBoxType(const uint8_t* type) {
    return IsKnownBoxType(ReadBE32(type));
}

} // namespace playcore
