#include "common/io/WTextOStream.h"
#include <cstdio>
#include <cwchar>

namespace IO_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\IO\\WTextOStream";

const Base_ns::ErrorEntry_st kErrors[] = {
    {101, L"没有足够的空间写。"},
};
constexpr int kErrorCount = sizeof(kErrors) / sizeof(kErrors[0]);

} // namespace

WTextOStream_cl::WTextOStream_cl(IContainer_cl* container) : m_container(container), m_markPending(1) {}

WTextOStream_cl::~WTextOStream_cl() = default;

void WTextOStream_cl::RaiseNoSpace(int line) const
{
    throw IOError_cl(line, kSource, ClassName(), 101, kErrors, kErrorCount, m_targetName);
}

void WTextOStream_cl::WriteUnits(const wchar_t* text, size_t count)
{
    if (m_markPending) {
        // Only a text that starts at the beginning of its container gets the
        // mark; the check is made once either way.
        const bool atStart = m_container->Position() == 0;
        m_markPending = 0;
        if (atStart) {
            const uint8_t mark[2] = {0xFF, 0xFE};
            if (!m_container->Write(mark, 2)) RaiseNoSpace(__LINE__);
        }
    }
    // Two bytes per character, low byte first: the in-memory form on every
    // Windows target.
    static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t expected");
    const char* bytes = reinterpret_cast<const char*>(text);
    size_t left = count * 2;
    while (left > 0) {
        const uint32_t chunk = left > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(left);
        if (!m_container->Write(bytes, chunk)) RaiseNoSpace(__LINE__);
        bytes += chunk;
        left -= chunk;
    }
}

void WTextOStream_cl::WriteText(const wchar_t* text, int max)
{
    size_t n = 0;
    if (text)
        while (static_cast<int>(n) < max && text[n] != L'\0') ++n;
    WriteUnits(text ? text : L"", n);
}

void WTextOStream_cl::WriteString(const Base_ns::String_cl& text) { WriteUnits(text.data(), text.size()); }

void WTextOStream_cl::WriteInteger(int32_t value)
{
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%d", static_cast<int>(value));
    WriteString(buf);
}

void WTextOStream_cl::WriteUnsigned(uint32_t value)
{
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%u", static_cast<unsigned>(value));
    WriteString(buf);
}

Base_ns::String_cl WTextOStream_cl::DoubleText(double value)
{
    // %.10f of the largest doubles needs over 300 characters.
    char buf[400];
    int n = std::snprintf(buf, sizeof buf, "%.10f", value);
    if (n < 0) n = 0;
    if (n >= static_cast<int>(sizeof buf)) n = sizeof buf - 1;
    Base_ns::String_cl text(buf, buf + n);
    // Scan back over trailing zeros; a "." reached goes too, otherwise
    // everything after the character reached goes.
    if (text.find(L'.') != Base_ns::String_cl::npos) {
        size_t i = text.size();
        while (i > 0 && text[i - 1] == L'0') --i;
        if (i > 0 && text[i - 1] == L'.') --i;
        text.resize(i);
    }
    return text;
}

void WTextOStream_cl::WriteDouble(double value) { WriteString(DoubleText(value)); }

} // namespace IO_ns
