#pragma once
// Text output as UTF-16LE with the byte-order mark, the form of every text
// file the program writes itself (batch files, exported sequences). Numbers
// have fixed text forms; line ends are written as "\r\n" by the caller.
#include <cstdint>
#include "common/io/Stream.h"

namespace IO_ns {

class TextOStream_cl : public Stream_cl {
public:
    ~TextOStream_cl() override = default;
    // The characters up to the first zero character or max, whichever comes first.
    virtual void WriteText(const wchar_t* text, int max) = 0;
    // "%.10f" without trailing zeros (and without a "." left last).
    virtual void WriteDouble(double value) = 0;
    virtual void WriteUnsigned(uint32_t value) = 0;
    virtual void WriteInteger(int32_t value) = 0;
    virtual void WriteString(const Base_ns::String_cl& text) = 0;
};

class WTextOStream_cl : public TextOStream_cl {
public:
    explicit WTextOStream_cl(IContainer_cl* container);
    ~WTextOStream_cl() override;

    const wchar_t* ClassName() const { return L"WTextOStream_cl"; }

    // Each raises IOError_cl 101 when the container refuses the bytes.
    void WriteText(const wchar_t* text, int max) override;
    void WriteDouble(double value) override;
    void WriteUnsigned(uint32_t value) override;
    void WriteInteger(int32_t value) override;
    void WriteString(const Base_ns::String_cl& text) override;

    // The text WriteDouble writes.
    static Base_ns::String_cl DoubleText(double value);

    // The file the text goes to; the error names it in its note.
    void SetTargetName(const Base_ns::String_cl& name) { m_targetName = name; }

protected:
    // The container now starts a new text: the mark is due again.
    void Restart() { m_markPending = 1; }
    [[noreturn]] void RaiseNoSpace(int line) const;

private:
    void WriteUnits(const wchar_t* text, size_t count);

    IContainer_cl* m_container;
    int32_t m_markPending;
    Base_ns::String_cl m_targetName;
};

} // namespace IO_ns
