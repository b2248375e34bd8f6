// Compiled, never run: the public headers in a networked client's file, with warnings as errors
// and none of this project's definitions. SEARCH_WINSOCK2_FIRST says which comes first:
// winsock2.h (then the headers must not need more of it), or the headers (then they must not have
// brought in winsock.h, which winsock2.h refuses to follow). Either way the records' header sits
// inside the #pragma pack(1) region of the client's wire structures.
#if SEARCH_WINSOCK2_FIRST
#  include <winsock2.h>
#endif

#pragma pack(push, 1)
#include "Search.h"
#include "SearchRecords.h"
struct WireHeader {
    std::uint8_t kind;
    std::uint32_t length;
};
#pragma pack(pop)

#if !SEARCH_WINSOCK2_FIRST
#  include <winsock2.h>
#  include <windows.h>
#endif

static_assert(sizeof(WireHeader) == 5, "the client's packing holds again after the records' header");
static_assert(alignof(UserInfo) == 8 && alignof(ZoneInfo) == 8,
              "the records keep their 64-bit fields on 8 bytes under an enclosing #pragma pack");
static_assert(alignof(UserExtInfo) == alignof(void*) && alignof(UserInfoSet) == alignof(void*),
              "strings and containers keep their pointers aligned under an enclosing #pragma pack");

SOCKET UnusedSocket() { return INVALID_SOCKET; }
