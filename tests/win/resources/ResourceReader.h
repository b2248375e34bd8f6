// Reads the module's resources back out of this executable, which links Search.rc in directly,
// and decodes extended dialog templates (DLGTEMPLATEEX) into plain structures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace restest {

// The language every resource of the module is written in: Chinese (Simplified), 2052.
inline constexpr WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

// The raw bytes of resource (type, id) in kChineseSimplified, or {} when there is none.
ResourceBytes FindChinese(LPCWSTR type, WORD id);

// Languages in which resource (type, id) exists, in enumeration order.
std::vector<WORD> ResourceLanguages(LPCWSTR type, WORD id);

// A name-or-ordinal field of a template: either text or a 16-bit ordinal.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    WORD extraBytes = 0;
};

struct DialogTemplateEx {
    WORD version = 0;
    WORD signature = 0;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// Decodes an extended template; throws std::runtime_error if it is not one or runs past the end.
DialogTemplateEx ParseDialogTemplateEx(const ResourceBytes& bytes);

// The class name a control is created with. Resource compilers may store the six predefined
// classes as ordinals (0x0080 "Button" ... 0x0085 "ComboBox") and may change the case of
// strings; window class names are case-insensitive, so comparisons ignore case.
std::wstring ClassName(const NameOrOrdinal& windowClass);
bool SameClass(const NameOrOrdinal& windowClass, const std::wstring& expected);

}  // namespace restest
