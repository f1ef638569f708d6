#pragma once
// Splits the text of a byte container into words. It is how every text file
// the program did not write itself is read: build logs, solution files,
// imported sequence lists.
//
// The encoding is taken from the start of the container: FF FE is UTF-16LE,
// EF BB BF is UTF-8, anything else is the ANSI code page. Characters are
// decoded one at a time straight from the container's buffer; plain ASCII
// never leaves the inline loop.
#include <cstdint>
#include <memory>
#include "common/io/Stream.h"

namespace IO_ns {

class TextIStream_cl : public Stream_cl {
public:
    enum Encoding_en { EncodingAnsi = 0, EncodingUtf16Le = 1, EncodingUtf8 = 2 };
    // Words of any length are read, up to a limit that only keeps a file
    // without line ends (or a hostile one) from taking all memory: 16 Mi
    // characters, 32 MB. No solution line, path or log line comes near it.
    static constexpr size_t kDefaultMaxWordLength = size_t(1) << 24;

    explicit TextIStream_cl(IContainer_cl* container);
    ~TextIStream_cl() override;

    const wchar_t* ClassName() const { return L"TextIStream_cl"; }

    // Characters that end a word and are dropped; callers may assign it
    // directly before a read. Default: space, tab, carriage return, line feed.
    Base_ns::String_cl separators;
    void SetSeparators(const Base_ns::String_cl& s) { separators = s; }

    // Characters that end a word and come back as words of their own. They
    // win over separators. Empty by default.
    void SetStopCharacters(const Base_ns::String_cl& s) { m_stops = s; }
    const Base_ns::String_cl& StopCharacters() const { return m_stops; }

    // Text that someone else's program wrote and that is read for what can
    // be made of it (a builder's log): every byte or unit that decodes to no
    // character (an ANSI lead byte or a UTF-8 sequence cut off, the last odd
    // byte of UTF-16, half a surrogate pair) becomes U+FFFD instead of
    // raising SysError_cl 1. Off by default.
    void SetReplaceUndecodable(bool on) { m_replaceUndecodable = on; }

    // The file the text comes from; the errors name it in their note.
    void SetSourceName(const Base_ns::String_cl& name) { m_sourceName = name; }

    // The longest word read (at most, and by default, kDefaultMaxWordLength).
    void SetMaxWordLength(size_t characters);
    // Text in which a word longer than the limit is none of those the reader
    // looks for (a build log): such a word is read to its end and dropped,
    // and ReadWord returns the next one. Off by default: a longer word is an
    // error of the file.
    void SetPassOverLongWords(bool on) { m_passOverLong = on; }

    // The next word into out; its length, or 0 (out empty) when the text is
    // exhausted before any word character. Words of any length up to the
    // limit are read; a longer one raises IOError_cl 101 naming the file
    // (unless passed over, above). An ANSI lead byte (or a UTF-8 sequence)
    // cut off by the end raises SysError_cl 1 (see SetReplaceUndecodable).
    // Container errors pass through.
    int ReadWord(Base_ns::String_cl& out);

    // What the encoding check found; EncodingAnsi until the first read.
    Encoding_en Encoding() const { return m_encoding; }
    // 1 while the text is decoded from bytes (ANSI or UTF-8), 0 for UTF-16LE.
    int32_t MultiByte() const { return m_encoding == EncodingUtf16Le ? 0 : 1; }

protected:
    // The container now holds other text: check its encoding again.
    void Restart();

private:
    enum { kSeparator = 1, kStop = 2, kMultiByte = 4 };

    void CheckEncoding();
    void UpdateClasses();
    int ClassOf(wchar_t c) const
    {
        if (c < 128) return m_byteClass[c];
        int k = 0;
        if (m_wideStops && m_stops.find(c) != Base_ns::String_cl::npos) k |= kStop;
        if (m_wideSeparators && separators.find(c) != Base_ns::String_cl::npos) k |= kSeparator;
        return k;
    }
    // One character by the slow road; false at the end of the text. bytes
    // receives how many bytes it took (0 for the second half of a pair
    // decoded earlier), so it can be put back.
    bool ReadChar(wchar_t& c, int& bytes);
    bool ReadAnsiHigh(uint8_t lead, wchar_t& c, int& bytes);
    bool ReadUtf8High(uint8_t lead, wchar_t& c, int& bytes);
    void PutBack(wchar_t c, int bytes);
    // With SetReplaceUndecodable, a UTF-16 surrogate stays only as half of a pair.
    wchar_t PairedSurrogate(wchar_t c);
    wchar_t SingleByteChar(uint8_t b);
    [[noreturn]] void Raise(int line, int code) const;
    [[noreturn]] void RaiseTooLong(int line) const;
    // Moves the n characters of m_word to out (or passes them over) and
    // empties it; true when the word has become too long.
    bool EndChunk(Base_ns::String_cl& out, size_t& n, size_t& total, bool& overlong);

    IContainer_cl* m_container;
    Base_ns::String_cl m_stops;
    Encoding_en m_encoding;
    int32_t m_checkPending;
    wchar_t m_pendingLow;   // second unit of a UTF-8 character outside the BMP
    bool m_replaceUndecodable;
    bool m_lowExpected;     // a high surrogate was read whose low half follows
    bool m_passOverLong;
    size_t m_maxWord;
    Base_ns::String_cl m_sourceName;

    // Classes of ASCII characters, rebuilt when the sets change; the bytes
    // from 0x80 up are marked too, so a byte of class 0 is a plain word
    // character of ANSI and UTF-8 text.
    bool m_classesReady;
    Base_ns::String_cl m_classSeparators;
    Base_ns::String_cl m_classStops;
    uint8_t m_byteClass[256];
    bool m_wideSeparators;
    bool m_wideStops;

    // ANSI conversion: the code page, whether it has lead bytes at all, and
    // results cached as they are met (one call per distinct character).
    unsigned m_codePage;
    bool m_doubleByte;
    bool m_singleReady;
    wchar_t m_single[128];
    std::unique_ptr<uint32_t[]> m_pairs;

    static constexpr size_t kChunk = 4096;
    wchar_t m_word[kChunk];
};

} // namespace IO_ns
