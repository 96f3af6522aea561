// Reads the vtable slot of a virtual operation back from its pointer-to-member value, and checks
// tables of (interface, operation, slot) rows against it.
#ifndef VINDRA_TESTS_ABI_VTABLE_SLOTS_H
#define VINDRA_TESTS_ABI_VTABLE_SLOTS_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

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
    static_assert(sizeof(MemberFunction) == 2 * sizeof(std::uintptr_t), "an Itanium member pointer is two words");
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

#define SKIP_UNLESS_ITANIUM()                                                     \
    do {                                                                          \
        if (!VINDRA_ITANIUM_ABI) GTEST_SKIP() << "member pointer layout unknown"; \
    } while (0)

// Slot of each interface's virtual destructor; test files declare it for the interfaces that have one.
template <typename Interface>
constexpr int kDestructorSlot = kNoDestructor;

// An operation's name, the entry read from its member pointer, and the entry of the slot it must keep.
struct SlotRow {
    const char* operation;
    std::ptrdiff_t entry, expected;
};

template <typename Interface, typename Member>
SlotRow Slot(const char* operation, Member member, int slot) {
    constexpr int destructor = kDestructorSlot<Interface>;
    // Without a destructor slot hosts must not be able to delete the object either.
    static_assert(destructor == kNoDestructor
                      ? !std::has_virtual_destructor<Interface>::value && !std::is_destructible<Interface>::value
                      : std::has_virtual_destructor<Interface>::value,
                  "the destructor is declared as kDestructorSlot says");
    return {operation, VtableIndex(member), Entry(slot, destructor)};
}
#define VINDRA_SLOT(Interface, operation, slot) Slot<Interface>(#Interface "::" #operation, &Interface::operation, slot)

inline void ExpectSlots(std::initializer_list<SlotRow> rows) {
    for (const SlotRow& row : rows) EXPECT_EQ(row.entry, row.expected) << row.operation;
}

}  // namespace
}  // namespace vindra

#endif
