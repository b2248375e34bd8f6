#include "DesktopDpi.h"

#include <cwchar>

namespace wintest {

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogPixels[] = L"LogPixels";
const wchar_t kRequestedDpi[] = L"SEARCH_TEST_DPI";

// Sets the desktop's DPI for the programs started from now on, and puts the old value back.
class DesktopDpiScope {
public:
    explicit DesktopDpiScope(UINT dpi) {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              nullptr, &m_key, nullptr) != ERROR_SUCCESS) {
            m_key = nullptr;
            return;
        }
        DWORD size = sizeof(m_old);
        m_hadOld = ::RegQueryValueExW(m_key, kLogPixels, nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old),
                                      &size) == ERROR_SUCCESS;
        const DWORD value = dpi;
        m_set = ::RegSetValueExW(m_key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof(value)) == ERROR_SUCCESS;
    }
    ~DesktopDpiScope() {
        if (!m_key) return;
        if (m_hadOld)
            ::RegSetValueExW(m_key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old), sizeof(m_old));
        else
            ::RegDeleteValueW(m_key, kLogPixels);
        ::RegCloseKey(m_key);
    }
    DesktopDpiScope(const DesktopDpiScope&) = delete;
    DesktopDpiScope& operator=(const DesktopDpiScope&) = delete;

    bool IsSet() const { return m_set; }

private:
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_hadOld = false;
    bool m_set = false;
};

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Out() { return &m_h; }
    HANDLE Get() const { return m_h; }
    void Close() {
        if (m_h) ::CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HANDLE m_h = nullptr;
};

// Every line indented: the child's "[       OK ]" lines must not read as the parent's.
std::string Quoted(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (c == '\r') continue;
        if (lineStart) out += "  | ";
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

}  // namespace

bool RunAtDesktopDpi(UINT dpi, const std::string& filter, ChildRun& run) {
    run = ChildRun();
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" +
                           std::wstring(filter.begin(), filter.end());

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) {
        run.output = "no pipe for the program's output";
        return false;
    }
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION process = {};

    DesktopDpiScope desktop(dpi);
    if (!desktop.IsSet()) {
        run.output = "the desktop's DPI could not be set";
        return false;
    }
    const std::wstring requested = std::to_wstring(dpi);
    ::SetEnvironmentVariableW(kRequestedDpi, requested.c_str());
    const BOOL started = ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &process);
    ::SetEnvironmentVariableW(kRequestedDpi, nullptr);
    writeEnd.Close();  // the child holds its own copy: the pipe ends when the child does
    if (!started) {
        run.output = "the test program could not be started again";
        return false;
    }
    Handle processHandle(process.hProcess), threadHandle(process.hThread);

    char buffer[4096];
    DWORD got = 0;
    std::string output;
    while (::ReadFile(readEnd.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) output.append(buffer, got);
    ::WaitForSingleObject(processHandle.Get(), INFINITE);
    ::GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    run.output = Quoted(output);
    return true;
}

UINT RequestedDesktopDpi() {
    wchar_t value[16] = {};
    if (!::GetEnvironmentVariableW(kRequestedDpi, value, 16)) return 0;
    return static_cast<UINT>(std::wcstoul(value, nullptr, 10));
}

}  // namespace wintest
