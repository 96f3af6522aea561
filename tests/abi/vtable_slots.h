// Reads the vtable slot of a virtual operation back from its pointer-to-member value.
#ifndef VINDRA_TESTS_ABI_VTABLE_SLOTS_H
#define VINDRA_TESTS_ABI_VTABLE_SLOTS_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vindra {
namespace {

// Only the Itanium C++ ABI (GCC, Clang and mingw-w64 outside MSVC mode) encodes member
// pointers this way; hosts are built with those compilers.
#if defined(__GNUC__) && !defined(_MSC_VER)
#define VINDRA_ITANIUM_ABI 1
#else
#define VINDRA_ITANIUM_ABI 0
#endif

// Vtable entry of a virtual member function, or -1 when the member is not virtual.
template <typename MemberFunction>
std::ptrdiff_t VtableIndex(MemberFunction member) {
    static_assert(sizeof(MemberFunction) == 2 * sizeof(std::uintptr_t),
                  "an Itanium member pointer is two words");
    std::uintptr_t words[2];
    std::memcpy(words, &member, sizeof words);
#if defined(__arm__) || defined(__aarch64__)
    // ARM keeps the virtual flag in the low bit of the adjustment word.
    if ((words[1] & 1) == 0) return -1;
    return static_cast<std::ptrdiff_t>(words[0] / sizeof(void*));
#else
    // Elsewhere the first word is 1 + the byte offset of the entry in the vtable.
    if ((words[0] & 1) == 0) return -1;
    return static_cast<std::ptrdiff_t>((words[0] - 1) / sizeof(void*));
#endif
}

constexpr int kNoDestructor = -1;

// The vtable entry of an operation at slot, for an interface whose virtual destructor sits at
// destructorSlot: this ABI gives a virtual destructor two entries (complete and deleting), so
// operations declared after it move one entry further.
constexpr std::ptrdiff_t Entry(int slot, int destructorSlot) {
    return (destructorSlot != kNoDestructor && slot > destructorSlot) ? slot + 1 : slot;
}

#define SKIP_UNLESS_ITANIUM()                                                    \
    do {                                                                         \
        if (!VINDRA_ITANIUM_ABI) GTEST_SKIP() << "member pointer layout unknown"; \
    } while (0)

}  // namespace
}  // namespace vindra

#endif
