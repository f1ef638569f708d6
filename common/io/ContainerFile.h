#pragma once
// Byte containers: the abstract interface the text streams read and write
// through, and the buffered file behind it.
//
// Readers that take one byte at a time (the text input stream reads whole
// build logs that way) must not pay a call per byte, so a container may
// expose the bytes it has already buffered as a window [next, limit); the
// inline helpers below take from it and fall back to the virtual Read only
// when it is empty.
#include <windows.h>
#include <cstdint>
#include <cstring>
#include "common/base/String.h"
#include "common/base/Error.h"

namespace IO_ns {

class IContainer_cl {
public:
    // True when all bytes were written.
    virtual bool Write(const void* bytes, uint32_t count) = 0;
    // True when exactly count bytes were read; a short read consumes nothing.
    virtual bool Read(void* buffer, uint32_t count) = 0;
    virtual int64_t Position() = 0;
    // fromStart != 0: offset from the start; 0: from the current position.
    virtual int64_t Seek(int64_t offset, int fromStart) = 0;
    // Moves to the end and returns the length.
    virtual int64_t SeekEnd() = 0;
    virtual ~IContainer_cl() = default;

    // Bytes buffered and not yet consumed; the next Read would return them first.
    size_t Buffered() const { return static_cast<size_t>(m_readLimit - m_readNext); }
    const uint8_t* BufferedBytes() const { return m_readNext; }
    // Consumes n (<= Buffered()) buffered bytes.
    void Consume(size_t n) { m_readNext += n; }

    bool ReadByte(uint8_t& b)
    {
        if (m_readNext < m_readLimit) {
            b = *m_readNext++;
            return true;
        }
        return Read(&b, 1);
    }

protected:
    IContainer_cl() = default;
    IContainer_cl(const IContainer_cl&) = delete;
    IContainer_cl& operator=(const IContainer_cl&) = delete;

    const uint8_t* m_readNext = nullptr;
    const uint8_t* m_readLimit = nullptr;
};

// A file opened either for reading or for writing, without any text
// translation, through a 30720-byte buffer of its own. A file opened for
// writing that is still open when the object is destroyed is deleted: a
// writer that fails half-way leaves nothing behind, one that finishes calls
// Close first.
class ContainerFile_cl : public IContainer_cl {
public:
    static constexpr uint32_t kBufferSize = 30720;

    ContainerFile_cl();
    ~ContainerFile_cl() override;

    const wchar_t* ClassName() const { return L"ContainerFile_cl"; }

    // Opens an existing file; IOError_cl 101 when it cannot be opened.
    void OpenRead(const Base_ns::String_cl& path);
    // Creates or truncates; IOError_cl 102 when it cannot be created.
    void OpenWrite(const Base_ns::String_cl& path);
    // Writes out what is buffered; false when the file refused it. After a
    // failed flush the container counts as failed and Close keeps it so.
    bool Flush();
    // Closes the file and empties the path; never raises. A file whose last
    // bytes could not be written is left marked failed (see Failed).
    void Close();

    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    bool Failed() const { return m_failed != 0; }
    const Base_ns::String_cl& Path() const { return m_path; }

    bool Write(const void* bytes, uint32_t count) override;
    bool Read(void* buffer, uint32_t count) override;
    int64_t Position() override;
    int64_t Seek(int64_t offset, int fromStart) override;
    int64_t SeekEnd() override;

private:
    void CheckOpenMode(int line) const;
    bool Refill();
    void DropReadWindow();
    // Takes over a freshly opened file: position 0, nothing buffered.
    void Adopt(HANDLE file, const Base_ns::String_cl& path, int32_t deleteWhenDestroyedOpen);
    bool SetFilePosition(int64_t target, DWORD method, int64_t* result);
    [[noreturn]] void Raise(int line, int code, const Base_ns::String_cl& note = Base_ns::String_cl()) const;

    uint8_t m_buffer[kBufferSize];
    Base_ns::String_cl m_path;
    HANDLE m_file;
    int32_t m_deleteWhenDestroyedOpen;
    int32_t m_readMode;
    int32_t m_writeMode;
    int32_t m_failed;
    // Offset of the operating system's file pointer. Reading: the buffer holds
    // the bytes just before it. Writing: the buffer holds m_pending bytes that
    // go there.
    int64_t m_filePos;
    uint32_t m_pending;
};

} // namespace IO_ns
