#include "HandleLedger.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace ledger {
namespace {

std::mutex g_mutex;
std::map<HGDIOBJ, DWORD> g_gdi;  // live GDI objects and the type GetObjectType gives them
std::set<HHOOK> g_hooks;
std::set<HWND> g_dialogs;
std::vector<HGDIOBJ> g_freed;
std::multiset<HDC> g_windowDcs;  // a window's DCs come from the system's cache: no probe
std::size_t g_calls = 0;
bool g_installed = false;

using CreateFontWFn = HFONT(WINAPI*)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD,
                                     DWORD, DWORD, DWORD, LPCWSTR);
using CreateFontIndirectWFn = HFONT(WINAPI*)(const LOGFONTW*);
using DeleteObjectFn = BOOL(WINAPI*)(HGDIOBJ);
using CreatePatternBrushFn = HBRUSH(WINAPI*)(HBITMAP);
using CreateCompatibleBitmapFn = HBITMAP(WINAPI*)(HDC, int, int);
using CreateCompatibleDCFn = HDC(WINAPI*)(HDC);
using DeleteDCFn = BOOL(WINAPI*)(HDC);
using GetDCFn = HDC(WINAPI*)(HWND);
using ReleaseDCFn = int(WINAPI*)(HWND, HDC);
using SetWindowsHookExWFn = HHOOK(WINAPI*)(int, HOOKPROC, HINSTANCE, DWORD);
using UnhookWindowsHookExFn = BOOL(WINAPI*)(HHOOK);
using CreateDialogIndirectParamWFn = HWND(WINAPI*)(HINSTANCE, LPCDLGTEMPLATEW, HWND, DLGPROC, LPARAM);
using CreateDialogParamWFn = HWND(WINAPI*)(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM);

CreateFontWFn g_createFontW = nullptr;
CreateFontIndirectWFn g_createFontIndirectW = nullptr;
DeleteObjectFn g_deleteObject = nullptr;
CreatePatternBrushFn g_createPatternBrush = nullptr;
CreateCompatibleBitmapFn g_createCompatibleBitmap = nullptr;
CreateCompatibleDCFn g_createCompatibleDC = nullptr;
DeleteDCFn g_deleteDC = nullptr;
GetDCFn g_getDC = nullptr;
ReleaseDCFn g_releaseDC = nullptr;
SetWindowsHookExWFn g_setHook = nullptr;
UnhookWindowsHookExFn g_unhook = nullptr;
CreateDialogIndirectParamWFn g_createDialogIndirect = nullptr;
CreateDialogParamWFn g_createDialogParam = nullptr;

void NoteMade(HGDIOBJ object, DWORD type) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    if (object) g_gdi[object] = type;
}

void NoteFreed(HGDIOBJ object, BOOL ok) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    if (ok && g_gdi.erase(object)) g_freed.push_back(object);
}

void NoteFont(HFONT font) { NoteMade(font, OBJ_FONT); }

HBRUSH WINAPI HookCreatePatternBrush(HBITMAP bitmap) {
    const HBRUSH brush = g_createPatternBrush(bitmap);
    NoteMade(brush, OBJ_BRUSH);
    return brush;
}

HBITMAP WINAPI HookCreateCompatibleBitmap(HDC dc, int cx, int cy) {
    const HBITMAP bitmap = g_createCompatibleBitmap(dc, cx, cy);
    NoteMade(bitmap, OBJ_BITMAP);
    return bitmap;
}

HDC WINAPI HookCreateCompatibleDC(HDC dc) {
    const HDC memory = g_createCompatibleDC(dc);
    NoteMade(memory, OBJ_MEMDC);
    return memory;
}

BOOL WINAPI HookDeleteDC(HDC dc) {
    const BOOL ok = g_deleteDC(dc);
    NoteFreed(dc, ok);
    return ok;
}

HDC WINAPI HookGetDC(HWND hWnd) {
    const HDC dc = g_getDC(hWnd);
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    if (dc) g_windowDcs.insert(dc);
    return dc;
}

int WINAPI HookReleaseDC(HWND hWnd, HDC dc) {
    const int released = g_releaseDC(hWnd, dc);
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    const auto it = g_windowDcs.find(dc);
    if (released && it != g_windowDcs.end()) g_windowDcs.erase(it);
    return released;
}

HFONT WINAPI HookCreateFontW(int h, int w, int esc, int orient, int weight, DWORD italic,
                             DWORD underline, DWORD strike, DWORD charset, DWORD outPrecision,
                             DWORD clipPrecision, DWORD quality, DWORD pitch, LPCWSTR face) {
    const HFONT font = g_createFontW(h, w, esc, orient, weight, italic, underline, strike, charset,
                                     outPrecision, clipPrecision, quality, pitch, face);
    NoteFont(font);
    return font;
}

HFONT WINAPI HookCreateFontIndirectW(const LOGFONTW* lf) {
    const HFONT font = g_createFontIndirectW(lf);
    NoteFont(font);
    return font;
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object) {
    const BOOL ok = g_deleteObject(object);
    NoteFreed(object, ok);
    return ok;
}

HHOOK WINAPI HookSetWindowsHookExW(int id, HOOKPROC proc, HINSTANCE module, DWORD thread) {
    const HHOOK hook = g_setHook(id, proc, module, thread);
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    if (hook) g_hooks.insert(hook);
    return hook;
}

BOOL WINAPI HookUnhookWindowsHookEx(HHOOK hook) {
    const BOOL ok = g_unhook(hook);
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    if (ok) g_hooks.erase(hook);
    return ok;
}

void NoteDialog(HWND dialog) {
    if (!dialog) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_calls;
    g_dialogs.insert(dialog);
}

HWND WINAPI HookCreateDialogIndirectParamW(HINSTANCE inst, LPCDLGTEMPLATEW tmpl, HWND parent,
                                           DLGPROC proc, LPARAM param) {
    const HWND dialog = g_createDialogIndirect(inst, tmpl, parent, proc, param);
    NoteDialog(dialog);
    return dialog;
}

HWND WINAPI HookCreateDialogParamW(HINSTANCE inst, LPCWSTR name, HWND parent, DLGPROC proc,
                                   LPARAM param) {
    const HWND dialog = g_createDialogParam(inst, name, parent, proc, param);
    NoteDialog(dialog);
    return dialog;
}

// Points the import slot of `function` from `dll` in `module` at `hook`; keeps what it held.
template <class Fn>
bool Patch(HMODULE module, const char* dll, const char* function, Fn hook, Fn* original) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            if (!::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                                  &protection))
                return false;
            *original = reinterpret_cast<Fn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    ::EnumChildWindows(hWnd, &CountChild, count);
    return TRUE;
}

}  // namespace

bool Install(HMODULE module) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_installed) return true;
    bool any = false;
    any |= Patch(module, "gdi32.dll", "CreateFontW", &HookCreateFontW, &g_createFontW);
    any |= Patch(module, "gdi32.dll", "CreateFontIndirectW", &HookCreateFontIndirectW,
                 &g_createFontIndirectW);
    any |= Patch(module, "gdi32.dll", "DeleteObject", &HookDeleteObject, &g_deleteObject);
    any |= Patch(module, "gdi32.dll", "CreatePatternBrush", &HookCreatePatternBrush,
                 &g_createPatternBrush);
    any |= Patch(module, "gdi32.dll", "CreateCompatibleBitmap", &HookCreateCompatibleBitmap,
                 &g_createCompatibleBitmap);
    any |= Patch(module, "gdi32.dll", "CreateCompatibleDC", &HookCreateCompatibleDC,
                 &g_createCompatibleDC);
    any |= Patch(module, "gdi32.dll", "DeleteDC", &HookDeleteDC, &g_deleteDC);
    any |= Patch(module, "user32.dll", "GetDC", &HookGetDC, &g_getDC);
    any |= Patch(module, "user32.dll", "ReleaseDC", &HookReleaseDC, &g_releaseDC);
    any |= Patch(module, "user32.dll", "SetWindowsHookExW", &HookSetWindowsHookExW, &g_setHook);
    any |= Patch(module, "user32.dll", "UnhookWindowsHookEx", &HookUnhookWindowsHookEx, &g_unhook);
    any |= Patch(module, "user32.dll", "CreateDialogIndirectParamW", &HookCreateDialogIndirectParamW,
                 &g_createDialogIndirect);
    any |= Patch(module, "user32.dll", "CreateDialogParamW", &HookCreateDialogParamW,
                 &g_createDialogParam);
    g_installed = any;
    return any;
}

Counts Live() {
    std::lock_guard<std::mutex> lock(g_mutex);
    // A dialog counts while its window exists, however it went: DestroyWindow on it or on an
    // owner, or a parent's destruction.
    for (auto it = g_dialogs.begin(); it != g_dialogs.end();)
        it = ::IsWindow(*it) ? std::next(it) : g_dialogs.erase(it);
    Counts counts;
    for (const auto& [object, type] : g_gdi) {
        (void)object;
        switch (type) {
        case OBJ_FONT: ++counts.fonts; break;
        case OBJ_BRUSH: ++counts.brushes; break;
        case OBJ_BITMAP: ++counts.bitmaps; break;
        default: ++counts.dcs; break;
        }
    }
    counts.dcs += g_windowDcs.size();
    counts.hooks = g_hooks.size();
    counts.dialogs = g_dialogs.size();
    return counts;
}

std::size_t CallsSeen() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

std::wstring Probe() {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::wstring problems;
    for (const auto& [object, type] : g_gdi) {
        if (::GetObjectType(object) != type)
            problems += L"an object the module holds is not what it made; ";
    }
    for (HGDIOBJ object : g_freed) {
        if (::GetObjectType(object) != 0 && !g_gdi.count(object))
            problems += L"an object the module freed still exists; ";
    }
    g_freed.clear();
    return problems;
}

std::size_t ThreadWindows() {
    std::size_t count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace ledger
