#pragma once
// The error family: every failure the system reports is one of these,
// thrown by value and caught as a reference to Error_cl. System errors are
// appended to "Error.log" beside the program and announced with a fixed box;
// user errors are shown in full and never logged.
#include <windows.h>
#include <cstdint>
#include <string_view>
#include "common/base/String.h"

namespace Base_ns {

struct ErrorEntry_st {
    int32_t code;
    const wchar_t* message;
};

class Error_cl {
public:
    // table/tableSize: the raising class's own (code, message) pairs.
    Error_cl(int32_t line, std::wstring_view sourcePath, std::wstring_view className,
             int32_t code, const ErrorEntry_st* table, int tableSize, std::wstring_view note);
    Error_cl(const Error_cl&) = default;
    Error_cl& operator=(const Error_cl&) = default;

    virtual void Show(HWND owner) const = 0;
    virtual String_cl Text() const = 0;
    virtual int IsSystemError() const = 0;
    virtual ~Error_cl() = default;

    int32_t Line() const { return m_line; }
    const String_cl& File() const { return m_file; }
    const String_cl& ClassName() const { return m_className; }
    const String_cl& Message() const { return m_message; }
    const String_cl& Note() const { return m_note; }
    const String_cl& Time() const { return m_time; }
    int32_t Code() const { return m_code; }
    // Adds a line to the note (the file a caller was working on when a lower
    // layer raised); a handler catching by reference can do so and rethrow.
    void AppendNote(std::wstring_view text);

private:
    int32_t m_line;
    String_cl m_file;
    String_cl m_className;
    String_cl m_message;
    String_cl m_note;
    String_cl m_time;
    int32_t m_code;
};

class SysError_cl : public Error_cl {
public:
    using Error_cl::Error_cl;
    void Show(HWND owner) const override;
    String_cl Text() const override;
    int IsSystemError() const override { return 1; }

    // Where records are appended: beside the running program unless a test
    // or a front end points it elsewhere (empty restores the default).
    static String_cl LogPath();
    static void SetLogPath(const String_cl& path);
    // Appends the record without announcing it; false when the log cannot be opened.
    bool AppendToLog() const;
};

class UserError_cl : public Error_cl {
public:
    using Error_cl::Error_cl;
    void Show(HWND owner) const override;
    String_cl Text() const override;
    int IsSystemError() const override { return 0; }
};

// Inside a catch (...) that follows a catch of Error_cl: the exception being
// handled, which is not one of ours (std::bad_alloc, a library's own), as a
// system error of class "Unexpected" (code 0, what() as the note), so that it
// is logged and announced like any other instead of ending the process.
SysError_cl UnexpectedError(std::wstring_view source, int32_t line);
// Inside any catch block: shows what is being handled, an Error_cl as itself
// and anything else as UnexpectedError. Every window procedure and thread
// entry ends its catch chain with it.
void ShowCurrentException(HWND owner, std::wstring_view source, int32_t line);

// "Y-M-D h:m:s:ms" without leading zeros: 2026-3-7 9:5:3:40.
String_cl ErrorTimeText(const SYSTEMTIME& t);
// "%Y-%m-%d-%H-%M-%S", zero padded; used for temporary file names.
String_cl TimeStampText();

} // namespace Base_ns

namespace IO_ns {
// A file or data problem the user can act on; behaves exactly as a user error.
class IOError_cl : public Base_ns::UserError_cl {
public:
    using Base_ns::UserError_cl::UserError_cl;
};
} // namespace IO_ns
