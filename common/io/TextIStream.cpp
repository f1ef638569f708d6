#include "common/io/TextIStream.h"
#include <cstring>

namespace IO_ns {
namespace {

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\IO\\TextIStream";

const Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"多字符转化成宽字符失败，无法找到配对字节。"},
    {2, L"太长的单词。"},
    {101, L"文件中的一行太长，无法读入。"},
};
constexpr int kErrorCount = sizeof(kErrors) / sizeof(kErrors[0]);

constexpr uint32_t kPairKnown = 0x10000;
constexpr uint32_t kPairInvalid = 0x20000;

// Exactly one UTF-16 unit for the bytes, or 0. MB_COMPOSITE first, as the
// program always converted; it is refused by some code pages (and under some
// Wine versions) and splits accented letters into two units, so a call that
// fails or does not give one unit is repeated without it. MB_ERR_INVALID_CHARS
// keeps a lead byte from swallowing a byte that cannot follow it.
wchar_t ConvertOne(unsigned codePage, const char* bytes, int count, DWORD extraFlags)
{
    wchar_t out[4];
    int n = MultiByteToWideChar(codePage, MB_COMPOSITE | extraFlags, bytes, count, out, 4);
    if (n == 1) return out[0];
    n = MultiByteToWideChar(codePage, extraFlags, bytes, count, out, 4);
    return n == 1 ? out[0] : wchar_t(0);
}

} // namespace

TextIStream_cl::TextIStream_cl(IContainer_cl* container)
    : separators(L" \t\r\n"), m_container(container), m_encoding(EncodingAnsi), m_checkPending(1),
      m_pendingLow(0), m_replaceUndecodable(false), m_lowExpected(false), m_passOverLong(false),
      m_maxWord(kDefaultMaxWordLength), m_classesReady(false), m_byteClass{},
      m_wideSeparators(false), m_wideStops(false),
      m_codePage(GetACP()), m_doubleByte(false), m_singleReady(false), m_single{}
{
    CPINFO info;
    if (GetCPInfo(m_codePage, &info)) m_doubleByte = info.MaxCharSize > 1;
}

TextIStream_cl::~TextIStream_cl() = default;

void TextIStream_cl::Raise(int line, int code) const
{
    throw Base_ns::SysError_cl(line, kSource, ClassName(), code, kErrors, kErrorCount, m_sourceName);
}

void TextIStream_cl::RaiseTooLong(int line) const
{
    Base_ns::String_cl note = m_sourceName;
    if (!note.empty()) note += L"：";
    note += L"超过 " + Base_ns::String_cl::FromUnsigned(m_maxWord) + L" 个字符";
    throw IOError_cl(line, kSource, ClassName(), 101, kErrors, kErrorCount, note);
}

void TextIStream_cl::SetMaxWordLength(size_t characters)
{
    m_maxWord = characters < 1 ? 1 : characters > kDefaultMaxWordLength ? kDefaultMaxWordLength : characters;
}

void TextIStream_cl::Restart()
{
    m_encoding = EncodingAnsi;
    m_checkPending = 1;
    m_pendingLow = 0;
    m_lowExpected = false;
}

void TextIStream_cl::CheckEncoding()
{
    const int64_t p = m_container->Position();
    if (p != 0) m_container->Seek(0, 1);
    uint8_t mark[3];
    m_encoding = EncodingAnsi;
    if (m_container->Read(mark, 2)) {
        if (mark[0] == 0xFF && mark[1] == 0xFE)
            m_encoding = EncodingUtf16Le;
        else if (mark[0] == 0xEF && mark[1] == 0xBB && m_container->Read(mark + 2, 1) && mark[2] == 0xBF)
            m_encoding = EncodingUtf8;
    }
    int64_t from = p;
    if (m_encoding == EncodingUtf16Le)
        from = p < 2 ? 2 : (p % 2 ? p + 1 : p);
    else if (m_encoding == EncodingUtf8 && p < 3)
        from = 3;
    m_container->Seek(from, 1);
    m_checkPending = 0;
}

void TextIStream_cl::UpdateClasses()
{
    if (m_classesReady && separators == m_classSeparators && m_stops == m_classStops) return;
    m_classesReady = true;
    m_classSeparators = separators;
    m_classStops = m_stops;
    std::memset(m_byteClass, 0, 128);
    // Bytes from 0x80 up never belong to a plain run.
    std::memset(m_byteClass + 128, kMultiByte, 128);
    m_wideSeparators = m_wideStops = false;
    for (wchar_t c : separators) {
        if (c < 128) {
            m_byteClass[c] |= kSeparator;
        } else {
            m_wideSeparators = true;
        }
    }
    for (wchar_t c : m_stops) {
        if (c < 128) {
            m_byteClass[c] |= kStop;
        } else {
            m_wideStops = true;
        }
    }
}

wchar_t TextIStream_cl::SingleByteChar(uint8_t b)
{
    if (!m_singleReady) {
        for (int i = 0; i < 128; ++i) {
            char byte = static_cast<char>(0x80 + i);
            wchar_t c = ConvertOne(m_codePage, &byte, 1, 0);
            m_single[i] = c ? c : wchar_t(0xFFFD);
        }
        m_singleReady = true;
    }
    return m_single[b - 0x80];
}

bool TextIStream_cl::ReadAnsiHigh(uint8_t lead, wchar_t& c, int& bytes)
{
    if (!m_doubleByte) {
        // A single-byte code page has no lead bytes: taking the next byte
        // along would merge é and the letter after it into one character.
        c = SingleByteChar(lead);
        bytes = 1;
        return true;
    }
    // Every byte from 0x80 up is taken as a lead byte.
    uint8_t trail;
    if (!m_container->ReadByte(trail)) {
        if (!m_replaceUndecodable) Raise(__LINE__, 1);
        c = 0xFFFD;
        bytes = 1;
        return true;
    }
    if (!m_pairs) m_pairs.reset(new uint32_t[128 * 256]());
    uint32_t& entry = m_pairs[(lead - 0x80) * 256 + trail];
    if (!entry) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        wchar_t w = ConvertOne(m_codePage, pair, 2, MB_ERR_INVALID_CHARS);
        entry = w ? (kPairKnown | w) : kPairInvalid;
    }
    if (entry & kPairKnown) {
        c = static_cast<wchar_t>(entry & 0xFFFF);
        bytes = 2;
        return true;
    }
    // Not a pair in this code page (a broken file, or the euro sign of 936
    // before a letter): the second byte stays for the next character.
    m_container->Seek(-1, 0);
    c = m_replaceUndecodable && IsDBCSLeadByteEx(m_codePage, lead) ? wchar_t(0xFFFD) : SingleByteChar(lead);
    bytes = 1;
    return true;
}

bool TextIStream_cl::ReadUtf8High(uint8_t lead, wchar_t& c, int& bytes)
{
    int more;
    uint32_t cp;
    uint8_t low = 0x80, high = 0xBF;   // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;          // overlong
        if (lead == 0xED) high = 0x9F;         // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;          // overlong
        if (lead == 0xF4) high = 0x8F;         // beyond U+10FFFF
    } else {
        c = 0xFFFD;
        bytes = 1;
        return true;
    }
    bytes = 1;
    for (int i = 0; i < more; ++i) {
        uint8_t b;
        if (!m_container->ReadByte(b)) {
            if (!m_replaceUndecodable) Raise(__LINE__, 1);
            c = 0xFFFD;
            return true;
        }
        const bool fits = i == 0 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
        if (!fits) {
            // Malformed: one replacement character, and the byte that does
            // not belong is read again as the start of the next character.
            m_container->Seek(-1, 0);
            c = 0xFFFD;
            return true;
        }
        cp = (cp << 6) | (b & 0x3F);
        ++bytes;
    }
    if (cp >= 0x10000) {
        cp -= 0x10000;
        c = static_cast<wchar_t>(0xD800 + (cp >> 10));
        m_pendingLow = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        c = static_cast<wchar_t>(cp);
    }
    return true;
}

bool TextIStream_cl::ReadChar(wchar_t& c, int& bytes)
{
    if (m_pendingLow) {
        c = m_pendingLow;
        m_pendingLow = 0;
        bytes = 0;
        return true;
    }
    if (m_encoding == EncodingUtf16Le) {
        uint8_t two[2];
        if (!m_container->Read(two, 2)) {
            // A last odd byte is half a character.
            if (!m_replaceUndecodable || !m_container->ReadByte(two[0])) return false;
            c = 0xFFFD;
            bytes = 1;
            return true;
        }
        c = static_cast<wchar_t>(two[0] | (two[1] << 8));
        bytes = 2;
        return true;
    }
    uint8_t b;
    if (!m_container->ReadByte(b)) return false;
    if (b < 0x80) {
        c = b;
        bytes = 1;
        return true;
    }
    return m_encoding == EncodingUtf8 ? ReadUtf8High(b, c, bytes) : ReadAnsiHigh(b, c, bytes);
}

wchar_t TextIStream_cl::PairedSurrogate(wchar_t c)
{
    if (c >= 0xDC00) {
        const bool paired = m_lowExpected;
        m_lowExpected = false;
        return paired ? c : wchar_t(0xFFFD);
    }
    uint8_t next[2];
    if (!m_container->Read(next, 2)) return 0xFFFD;
    m_container->Seek(-2, 0);
    const wchar_t low = static_cast<wchar_t>(next[0] | (next[1] << 8));
    m_lowExpected = low >= 0xDC00 && low <= 0xDFFF;
    return m_lowExpected ? c : wchar_t(0xFFFD);
}

void TextIStream_cl::PutBack(wchar_t c, int bytes)
{
    if (bytes == 0) {
        m_pendingLow = c;
        return;
    }
    m_pendingLow = 0;
    m_container->Seek(-bytes, 0);
}

bool TextIStream_cl::EndChunk(Base_ns::String_cl& out, size_t& n, size_t& total, bool& overlong)
{
    total += n;
    if (!overlong && total > m_maxWord) {
        if (!m_passOverLong) RaiseTooLong(__LINE__);
        overlong = true;
        out.clear();
    }
    if (!overlong) out.append(m_word, n);
    n = 0;
    return overlong;
}

int TextIStream_cl::ReadWord(Base_ns::String_cl& out)
{
    if (m_checkPending) CheckEncoding();
    out.clear();
    UpdateClasses();
    IContainer_cl* const container = m_container;
    const bool wide = m_encoding == EncodingUtf16Le;
    // The word gathers in m_word a chunk at a time; full chunks move to out.
    // total counts what has moved; overlong: the word is longer than the
    // limit and is being passed over (SetPassOverLongWords).
    size_t n = 0;
    size_t total = 0;
    bool overlong = false;
    for (;;) {
        if (!wide && m_pendingLow == 0) {
            // A run of word characters straight from the buffer: plain ASCII,
            // and double-byte characters met before when no character beyond
            // ASCII separates words (a Chinese log is mostly made of them).
            const uint8_t* const from = container->BufferedBytes();
            const uint8_t* const availEnd = from + container->Buffered();
            const bool pairs = m_encoding == EncodingAnsi && m_pairs && !m_wideSeparators && !m_wideStops;
            const uint8_t* p = from;
            for (;;) {
                wchar_t* dst = m_word + n;
                wchar_t* const dstEnd = m_word + kChunk;
                while (p < availEnd && dst < dstEnd) {
                    if (!m_byteClass[*p]) {
                        *dst++ = *p++;
                        continue;
                    }
                    if (!pairs || *p < 0x80 || p + 1 >= availEnd) break;
                    const uint32_t entry = m_pairs[(p[0] - 0x80) * 256 + p[1]];
                    if (!(entry & kPairKnown)) break;
                    *dst++ = static_cast<wchar_t>(entry & 0xFFFF);
                    p += 2;
                }
                n = static_cast<size_t>(dst - m_word);
                if (dst < dstEnd) break;
                EndChunk(out, n, total, overlong);
            }
            container->Consume(static_cast<size_t>(p - from));
        }
        wchar_t c;
        int bytes;
        const size_t have = container->Buffered();
        const uint8_t* const p = container->BufferedBytes();
        if (m_pendingLow != 0 || have < 3) {
            if (!ReadChar(c, bytes)) break;
        } else if (wide) {
            c = static_cast<wchar_t>(p[0] | (p[1] << 8));
            container->Consume(2);
            bytes = 2;
        } else if (p[0] < 0x80) {
            c = p[0];
            container->Consume(1);
            bytes = 1;
        } else if (m_encoding == EncodingAnsi && m_pairs && (m_pairs[(p[0] - 0x80) * 256 + p[1]] & kPairKnown)) {
            // A double-byte character met before.
            c = static_cast<wchar_t>(m_pairs[(p[0] - 0x80) * 256 + p[1]] & 0xFFFF);
            container->Consume(2);
            bytes = 2;
        } else if (m_encoding == EncodingUtf8 && p[0] >= 0xE1 && p[0] <= 0xEF && p[0] != 0xED &&
                   (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            // Three bytes, no overlong or surrogate form possible: most of the BMP.
            c = static_cast<wchar_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            container->Consume(3);
            bytes = 3;
        } else if (!ReadChar(c, bytes)) {
            break;
        }
        if ((c & 0xF800) == 0xD800 && wide && m_replaceUndecodable) c = PairedSurrogate(c);
        const int kind = ClassOf(c);
        if (kind & (kStop | kSeparator)) {
            const bool inWord = total + n > 0;
            if ((kind & kStop) && !inWord) {
                m_word[n++] = c;
                break;
            }
            if (inWord) {
                if (kind & kStop) PutBack(c, bytes);
                if (!overlong && !EndChunk(out, n, total, overlong)) break;
                // The word was too long and has been passed over: the next one.
                out.clear();
                n = total = 0;
                overlong = false;
            }
            continue;
        }
        if (n == kChunk) EndChunk(out, n, total, overlong);
        m_word[n++] = c;
    }
    if (!overlong) EndChunk(out, n, total, overlong);
    if (overlong) out.clear();
    return static_cast<int>(out.size());
}

} // namespace IO_ns
