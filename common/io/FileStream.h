#pragma once
// Text streams bound to a file of their own.
//   FileStream_tl<TextIStream_cl>  reads words from an existing file;
//   FileStream_tl<WTextOStream_cl> writes UTF-16LE text into a new file, which
//   is deleted if the stream is destroyed before Close (an error unwinding
//   past the writer leaves no partial file).
#include "common/io/ContainerFile.h"
#include "common/io/TextIStream.h"
#include "common/io/WTextOStream.h"

namespace IO_ns {

template <class S>
class FileStream_tl;

template <>
class FileStream_tl<TextIStream_cl> : public TextIStream_cl {
public:
    FileStream_tl() : TextIStream_cl(&m_file) {}
    explicit FileStream_tl(const Base_ns::String_cl& path) : TextIStream_cl(&m_file) { Open(path); }

    // IOError_cl 101 of ContainerFile_cl when the file cannot be opened.
    void Open(const Base_ns::String_cl& path)
    {
        m_file.OpenRead(path);
        SetSourceName(path);
        Restart();
    }
    void Close() { m_file.Close(); }
    ContainerFile_cl& File() { return m_file; }

private:
    ContainerFile_cl m_file;
};

template <>
class FileStream_tl<WTextOStream_cl> : public WTextOStream_cl {
public:
    FileStream_tl() : WTextOStream_cl(&m_file) {}
    explicit FileStream_tl(const Base_ns::String_cl& path) : WTextOStream_cl(&m_file) { Open(path); }

    // Creates or truncates; IOError_cl 102 of ContainerFile_cl on failure.
    void Open(const Base_ns::String_cl& path)
    {
        m_file.OpenWrite(path);
        SetTargetName(path);
        Restart();
    }
    // Finishes the file. The last buffered bytes reach the disk here, so a
    // full disk shows up here as IOError_cl 101 "没有足够的空间写。" naming
    // the file; the file
    // then stays open and is deleted with the stream, like any unfinished one.
    void Close()
    {
        if (m_file.IsOpen() && !m_file.Flush()) RaiseNoSpace(__LINE__);
        m_file.Close();
    }
    ContainerFile_cl& File() { return m_file; }

private:
    ContainerFile_cl m_file;
};

} // namespace IO_ns
