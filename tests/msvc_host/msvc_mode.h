// Pre-included in the Microsoft-mode host build: lets mingw-w64's C and Windows headers (the only ones
// here; there is no Microsoft SDK) parse in clang's Microsoft mode, where their _MSC_VER branches put
// __declspec(...) after declarators and only GNU attributes are accepted there.
#include <_mingw.h>
#undef __attribute__
#undef __MINGW_NOTHROW
#define __MINGW_NOTHROW
#undef __MINGW_ATTRIB_NORETURN
#define __MINGW_ATTRIB_NORETURN __attribute__((__noreturn__))
#undef __MINGW_ATTRIB_DEPRECATED
#define __MINGW_ATTRIB_DEPRECATED
