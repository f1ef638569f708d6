#include "common/io/ContainerFile.h"

namespace IO_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\IO\\ContainerFile";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"读模式和写模式至少要开启一个。"},
    {2, L"在读模式没有开启的情况下进行了读相关操作。"},
    {3, L"在写模式没有开启的情况下进行了写相关操作。"},
    {4, L"空指针。"},
    {101, L"指定文件不存在。"},
    {102, L"创建文件失败。"},
};
constexpr int kErrorCount = sizeof(kErrors) / sizeof(kErrors[0]);

} // namespace

ContainerFile_cl::ContainerFile_cl()
    : m_file(INVALID_HANDLE_VALUE), m_deleteWhenDestroyedOpen(0), m_readMode(0), m_writeMode(0),
      m_failed(0), m_filePos(0), m_pending(0)
{
}

ContainerFile_cl::~ContainerFile_cl()
{
    if (!IsOpen()) return;
    // Still open: whatever was being written did not finish. Buffered bytes
    // are dropped rather than flushed, the file goes.
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (m_deleteWhenDestroyedOpen == 1 && !m_path.empty()) DeleteFileW(m_path.c_str());
}

void ContainerFile_cl::Raise(int line, int code, const Base_ns::String_cl& note) const
{
    if (code > 100) throw IOError_cl(line, kSource, ClassName(), code, kErrors, kErrorCount, note);
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, kErrorCount, note);
}

void ContainerFile_cl::OpenRead(const Base_ns::String_cl& path)
{
    if (IsOpen()) Close();
    m_writeMode = 0;
    m_readMode = 1;
    // Shared like a C runtime stream, so a log still held by its writer can be read.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_readMode = 0;
        Raise(__LINE__, 101, path);
    }
    // A container that wrote a file before must not delete the one it reads now.
    Adopt(h, path, 0);
}

void ContainerFile_cl::OpenWrite(const Base_ns::String_cl& path)
{
    if (IsOpen()) Close();
    m_writeMode = 1;
    m_readMode = 0;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_writeMode = 0;
        Raise(__LINE__, 102, path);
    }
    Adopt(h, path, 1);
}

void ContainerFile_cl::Adopt(HANDLE file, const Base_ns::String_cl& path, int32_t deleteWhenDestroyedOpen)
{
    m_file = file;
    m_failed = 0;
    m_filePos = 0;
    m_pending = 0;
    DropReadWindow();
    m_deleteWhenDestroyedOpen = deleteWhenDestroyedOpen;
    m_path = path;
}

bool ContainerFile_cl::Flush()
{
    if (!IsOpen() || !m_writeMode || m_pending == 0) return m_failed == 0;
    DWORD written = 0;
    BOOL ok = WriteFile(m_file, m_buffer, m_pending, &written, nullptr);
    m_filePos += written;
    if (!ok || written != m_pending) m_failed = 1;
    m_pending = 0;
    return m_failed == 0;
}

void ContainerFile_cl::Close()
{
    if (IsOpen()) {
        Flush();
        if (!CloseHandle(m_file)) m_failed = 1;
        m_file = INVALID_HANDLE_VALUE;
    }
    // A closed container neither reads nor writes: later calls raise instead
    // of touching a handle that is gone.
    m_readMode = 0;
    m_writeMode = 0;
    m_pending = 0;
    DropReadWindow();
    m_path.clear();
}

void ContainerFile_cl::DropReadWindow()
{
    m_readNext = m_buffer;
    m_readLimit = m_buffer;
}

void ContainerFile_cl::CheckOpenMode(int line) const
{
    if (!m_readMode && !m_writeMode) Raise(line, 1);
}

bool ContainerFile_cl::SetFilePosition(int64_t target, DWORD method, int64_t* result)
{
    LARGE_INTEGER to, now;
    to.QuadPart = target;
    if (!SetFilePointerEx(m_file, to, &now, method)) return false;
    m_filePos = now.QuadPart;
    if (result) *result = now.QuadPart;
    return true;
}

bool ContainerFile_cl::Refill()
{
    DWORD got = 0;
    if (!ReadFile(m_file, m_buffer, kBufferSize, &got, nullptr)) got = 0;
    m_filePos += got;
    m_readNext = m_buffer;
    m_readLimit = m_buffer + got;
    return got > 0;
}

bool ContainerFile_cl::Write(const void* bytes, uint32_t count)
{
    if (!bytes) Raise(__LINE__, 4);
    if (!m_writeMode) Raise(__LINE__, 3);
    if (count <= kBufferSize - m_pending) {
        std::memcpy(m_buffer + m_pending, bytes, count);
        m_pending += count;
        return true;
    }
    if (!Flush()) return false;
    if (count < kBufferSize) {
        std::memcpy(m_buffer, bytes, count);
        m_pending = count;
        return true;
    }
    // Large blocks go straight to the file.
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(m_file, p, count, &written, nullptr) || written == 0) {
            m_failed = 1;
            return false;
        }
        m_filePos += written;
        p += written;
        count -= written;
    }
    return true;
}

bool ContainerFile_cl::Read(void* buffer, uint32_t count)
{
    if (!buffer) Raise(__LINE__, 4);
    if (!m_readMode) Raise(__LINE__, 2);
    size_t have = Buffered();
    if (count <= have) {
        std::memcpy(buffer, m_readNext, count);
        m_readNext += count;
        return true;
    }
    const int64_t start = Position();
    uint8_t* out = static_cast<uint8_t*>(buffer);
    std::memcpy(out, m_readNext, have);
    m_readNext = m_readLimit;
    out += have;
    uint32_t missing = count - static_cast<uint32_t>(have);
    while (missing > 0) {
        if (missing >= kBufferSize) {
            DWORD got = 0;
            if (!ReadFile(m_file, out, missing, &got, nullptr)) got = 0;
            m_filePos += got;
            DropReadWindow();
            if (got == 0) break;
            out += got;
            missing -= got;
        } else {
            if (!Refill()) break;
            uint32_t take = missing < Buffered() ? missing : static_cast<uint32_t>(Buffered());
            std::memcpy(out, m_readNext, take);
            m_readNext += take;
            out += take;
            missing -= take;
        }
    }
    if (missing == 0) return true;
    // Short: give back what arrived, so the caller can try again differently.
    Seek(start, 1);
    return false;
}

int64_t ContainerFile_cl::Position()
{
    CheckOpenMode(__LINE__);
    if (m_writeMode) return m_filePos + m_pending;
    return m_filePos - static_cast<int64_t>(Buffered());
}

int64_t ContainerFile_cl::Seek(int64_t offset, int fromStart)
{
    CheckOpenMode(__LINE__);
    const int64_t current = Position();
    const int64_t target = fromStart ? offset : current + offset;
    if (m_writeMode) {
        if (target == current) return current;
        Flush();
        int64_t now = current;
        if (!SetFilePosition(target, FILE_BEGIN, &now)) return Position();
        return now;
    }
    // Inside what is buffered: only the window moves.
    const int64_t bufferStart = m_filePos - (m_readLimit - m_buffer);
    if (target >= bufferStart && target <= m_filePos) {
        m_readNext = m_buffer + (target - bufferStart);
        return target;
    }
    int64_t now = current;
    if (!SetFilePosition(target, FILE_BEGIN, &now)) return current;
    DropReadWindow();
    return now;
}

int64_t ContainerFile_cl::SeekEnd()
{
    CheckOpenMode(__LINE__);
    if (m_writeMode) Flush();
    int64_t end = Position();
    if (SetFilePosition(0, FILE_END, &end) && m_readMode) DropReadWindow();
    return end;
}

} // namespace IO_ns
