// vindra: one binary interface for every host compiler.
//
// Hosts call the library's interfaces through their vtables, so every compiler that builds a host must
// lay them out as the library does:
// - On Windows every compiler sees Microsoft's layout. Microsoft's C++ ABI gives a virtual destructor
//   one vtable entry, the scalar deleting destructor (called with flags; bit 0 frees the memory); GCC
//   and Clang targeting mingw give it two (complete and deleting). For those compilers the
//   destructor's place holds VindraDeletingDestructor, which does what Microsoft's does, and the real
//   virtual destructor follows the last operation, past every entry a Microsoft-built host calls.
//   `delete p` works for every host; the library itself is built with mingw GCC.
// - Elsewhere the Itanium C++ ABI holds, which every compiler there follows.
//
// Rules that keep the two layouts in step (each public interface follows them):
// - No overloaded virtual functions: Microsoft's compiler groups overloads together, in reverse order.
// - No class types passed or returned by value; arguments and results are scalars, enumerations with
//   a fixed underlying type, pointers and references.
// - No RTTI and no exceptions across the library boundary: results travel as ResultCode values.
// - Interfaces hold no data (only the vtable pointer), and operations are never reordered, inserted
//   or removed. Records use fixed-width fields at natural alignment; their layout is asserted.
// What a compiler can check is checked below with VINDRA_INTERFACE and in the records' headers.
#ifndef VINDRA_ABI_H
#define VINDRA_ABI_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_MSC_VER)
/// GCC, or Clang targeting mingw: Microsoft's layout spelled out.
#define VINDRA_MSVC_VTABLE_FOR_GCC 1
/// In the destructor's slot: the entry a Microsoft-built host calls for `delete p` (flags 1) or for
/// destruction without freeing (flags 0). Not for hosts to call by name.
#define VINDRA_DESTRUCTOR_SLOT(Interface)                    \
    virtual void* VindraDeletingDestructor(unsigned flags) { \
        if ((flags & 1u) != 0)                               \
            delete this;                                     \
        else                                                 \
            this->~Interface();                              \
        return this;                                         \
    }
/// After the last operation: GCC's two destructor entries.
#define VINDRA_DESTRUCTOR_TAIL(Interface) virtual ~Interface() = default;
#else
/// Microsoft's compiler, clang-cl or clang targeting msvc, and every non-Windows compiler: the
/// compiler's own layout is the one hosts expect.
#define VINDRA_MSVC_VTABLE_FOR_GCC 0
#define VINDRA_DESTRUCTOR_SLOT(Interface) virtual ~Interface() = default;
#define VINDRA_DESTRUCTOR_TAIL(Interface)
#endif

// The library's export: dllexport while the library builds; hosts import through the import library
// (vindra.lib or libvindra.dll.a) without __declspec(dllimport), whose thunk serves a function as
// well, so that the same declaration also links the library's objects statically.
#if defined(_WIN32)
#if defined(VINDRA_BUILDING_LIBRARY)
#define VINDRA_API __declspec(dllexport)
#else
#define VINDRA_API
#endif
#else
#define VINDRA_API __attribute__((visibility("default")))
#endif

/// Checks, after an interface's definition, what the rules above let a compiler check: no data beside
/// the vtable pointer (a data member would also move with the vtable layout).
#define VINDRA_INTERFACE(Interface) \
    static_assert(sizeof(Interface) == sizeof(void*), #Interface ": an interface holds no data")

// Checks a record's layout on 64-bit targets, where hosts fill it from their own copy of the header.
#if UINTPTR_MAX == UINT64_MAX
#define VINDRA_RECORD_FIELD(Record, field, offset) \
    static_assert(offsetof(Record, field) == (offset), #Record "::" #field " moved")
#define VINDRA_RECORD_SIZE(Record, size) static_assert(sizeof(Record) == (size), #Record " changed size")
#else
#define VINDRA_RECORD_FIELD(Record, field, offset) static_assert(true, "")
#define VINDRA_RECORD_SIZE(Record, size) static_assert(true, "")
#endif

#endif  // VINDRA_ABI_H
