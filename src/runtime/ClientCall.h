// Where an exception of the client's may be stopped: every call from the module into code of the
// client's (its handlers, its protocol library).
#pragma once

// Before a call into client code (cheap: it works only after a DLL was loaded or unloaded). On
// 32-bit, makes the module's frames known to a runtime DLL loaded since the module was, so that
// an exception thrown with it can unwind through them; nothing elsewhere.
void PrepareForClientCode() noexcept;

// Called inside the catch block that stopped an exception. The module carries its own copy of the
// C++ runtime: an exception that another copy threw (the client's) and the module's caught is
// counted in flight by the first for good, and as caught by the second, so the client's
// std::uncaught_exceptions() on this thread would stay one higher per exception stopped and the
// module's one lower. This puts both back: the module's always, the thrower's where its runtime
// can be reached (a runtime DLL exporting the C++ ABI's __cxa_get_globals, as libstdc++-6.dll
// does; a client linked with -static exports nothing to reach it by).
void ForgiveForeignException() noexcept;

// Tells a debugger (OutputDebugString) that `where` threw and the exception was stopped there,
// naming the exception's type and, for a std::exception, its what(). Called inside the catch block
// that stopped it; elsewhere the line names no exception.
void ReportStoppedException(const wchar_t* where) noexcept;
