#include "ResourceReader.h"

#include <cstring>
#include <stdexcept>

namespace restest {

ResourceBytes FindChinese(LPCWSTR type, WORD id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceExW(module, type, MAKEINTRESOURCEW(id), kChineseSimplified);
    if (!info) return {};
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return {};
    return {static_cast<const std::uint8_t*>(LockResource(handle)), SizeofResource(module, info)};
}

static BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

std::vector<WORD> ResourceLanguages(LPCWSTR type, WORD id) {
    std::vector<WORD> languages;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), type, MAKEINTRESOURCEW(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

namespace {

class Reader {
public:
    explicit Reader(const ResourceBytes& bytes) : data_(bytes.data), size_(bytes.size) {
        if (!data_) throw std::runtime_error("resource not found");
    }

    template <typename T>
    T Read() {
        Need(sizeof(T));
        T value;
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WCHAR c = Read<WCHAR>(); c != 0; c = Read<WCHAR>()) text += c;
        return text;
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal field;
        Need(sizeof(WORD));
        WORD first;
        std::memcpy(&first, data_ + pos_, sizeof first);
        if (first == 0xFFFF) {
            pos_ += sizeof(WORD);
            field.isOrdinal = true;
            field.ordinal = Read<WORD>();
        } else {
            field.text = ReadString();
        }
        return field;
    }

    void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
    void Skip(std::size_t count) { Need(count); pos_ += count; }

private:
    void Need(std::size_t count) const {
        if (pos_ + count > size_) throw std::runtime_error("dialog template truncated");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

DialogTemplateEx ParseDialogTemplateEx(const ResourceBytes& bytes) {
    Reader in(bytes);
    DialogTemplateEx dlg;
    dlg.version = in.Read<WORD>();
    dlg.signature = in.Read<WORD>();
    if (dlg.version != 1 || dlg.signature != 0xFFFF)
        throw std::runtime_error("not an extended dialog template");
    dlg.helpId = in.Read<DWORD>();
    dlg.exStyle = in.Read<DWORD>();
    dlg.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    dlg.x = in.Read<short>();
    dlg.y = in.Read<short>();
    dlg.cx = in.Read<short>();
    dlg.cy = in.Read<short>();
    dlg.menu = in.ReadNameOrOrdinal();
    dlg.windowClass = in.ReadNameOrOrdinal();
    dlg.title = in.ReadString();
    // DS_SHELLFONT is DS_SETFONT | DS_FIXEDSYS; either way DS_SETFONT announces the font block.
    if (dlg.style & DS_SETFONT) {
        dlg.pointSize = in.Read<WORD>();
        dlg.weight = in.Read<WORD>();
        dlg.italic = in.Read<BYTE>();
        dlg.charset = in.Read<BYTE>();
        dlg.typeface = in.ReadString();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        DialogItem item;
        item.helpId = in.Read<DWORD>();
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = in.Read<DWORD>();
        item.windowClass = in.ReadNameOrOrdinal();
        item.title = in.ReadNameOrOrdinal();
        item.extraBytes = in.Read<WORD>();
        in.Skip(item.extraBytes);
        dlg.items.push_back(item);
    }
    return dlg;
}

std::wstring ClassName(const NameOrOrdinal& windowClass) {
    if (!windowClass.isOrdinal) return windowClass.text;
    static const wchar_t* const predefined[] = {L"Button",    L"Edit",      L"Static",
                                                 L"ListBox",   L"ScrollBar", L"ComboBox"};
    const unsigned index = windowClass.ordinal - 0x80u;
    if (index < 6) return predefined[index];
    return L"#" + std::to_wstring(windowClass.ordinal);
}

bool SameClass(const NameOrOrdinal& windowClass, const std::wstring& expected) {
    return CompareStringOrdinal(ClassName(windowClass).c_str(), -1, expected.c_str(), -1, TRUE) ==
           CSTR_EQUAL;
}

}  // namespace restest
