#include "tools/vs-standin/MiniXml.h"
#include <windows.h>
#include <cctype>
#include <cwctype>

namespace Standin_ns {

const std::wstring* XmlElement_st::Attribute(std::wstring_view attributeName) const
{
    for (const auto& a : attributes)
        if (a.first == attributeName) return &a.second;
    return nullptr;
}

std::wstring XmlElement_st::AttributeText(std::wstring_view attributeName) const
{
    const std::wstring* v = Attribute(attributeName);
    return v ? *v : std::wstring();
}

const XmlElement_st* XmlElement_st::Child(std::wstring_view childName) const
{
    for (const auto& c : children)
        if (c.name == childName) return &c;
    return nullptr;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h, &size) != 0 && size.QuadPart < 0x40000000;
    if (ok && size.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != 0;
        bytes.resize(ok ? got : 0);
    }
    CloseHandle(h);
    return ok;
}

std::wstring Widen(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

unsigned MiniXml_cl::CodePageOf(std::string_view encodingName)
{
    std::string n;
    for (char c : encodingName) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    struct Name_st { const char* name; unsigned codePage; };
    static const Name_st names[] = {
        {"utf-8", 65001}, {"utf8", 65001},
        {"gb2312", 936}, {"gbk", 936}, {"cp936", 936}, {"windows-936", 936}, {"x-gbk", 936},
        {"gb_2312-80", 936}, {"euc-cn", 936}, {"gb18030", 54936},
        {"big5", 950}, {"cp950", 950},
        {"shift_jis", 932}, {"shift-jis", 932}, {"windows-31j", 932}, {"cp932", 932},
        {"euc-kr", 949}, {"ks_c_5601-1987", 949}, {"cp949", 949},
        {"iso-8859-1", 28591}, {"latin1", 28591}, {"us-ascii", 20127}, {"ascii", 20127},
        {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
        {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255},
        {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258},
    };
    for (const auto& e : names)
        if (n == e.name) return e.codePage;
    return 0;
}

std::wstring MiniXml_cl::Decode(const std::string& bytes)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return Widen(std::string_view(bytes).substr(3), CP_UTF8);
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        std::wstring out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) out += static_cast<wchar_t>((at(i) << 8) | at(i + 1));
        return out;
    }
    // The declaration is ASCII in every encoding a project file uses.
    unsigned codePage = CP_UTF8;
    if (bytes.compare(0, 5, "<?xml") == 0) {
        size_t end = bytes.find("?>");
        std::string_view decl = std::string_view(bytes).substr(0, end == std::string::npos ? 0 : end);
        size_t e = decl.find("encoding");
        if (e != std::string_view::npos) {
            size_t q = decl.find_first_of("\"'", e);
            if (q != std::string_view::npos) {
                size_t q2 = decl.find(decl[q], q + 1);
                if (q2 != std::string_view::npos) {
                    unsigned cp = CodePageOf(decl.substr(q + 1, q2 - q - 1));
                    codePage = cp ? cp : CP_ACP;
                }
            }
        }
    }
    return Widen(bytes, codePage);
}

namespace {

class Parser_cl {
public:
    explicit Parser_cl(std::wstring_view text) : m_text(text) {}

    bool Document(XmlElement_st& root)
    {
        if (!SkipMisc()) return false;
        if (!At(L"<")) return Fail(L"no root element");
        if (!Element(root, 0)) return false;
        if (!SkipMisc()) return false;
        if (m_pos != m_text.size()) return Fail(L"text after the root element");
        return true;
    }

    std::wstring Error() const
    {
        size_t line = 1;
        for (size_t i = 0; i < m_errorPos && i < m_text.size(); ++i)
            if (m_text[i] == L'\n') ++line;
        return m_error + L" (line " + std::to_wstring(line) + L")";
    }

private:
    bool At(std::wstring_view s) const { return m_text.compare(m_pos, s.size(), s) == 0; }

    bool Fail(const wchar_t* why)
    {
        if (m_error.empty()) {
            m_error = why;
            m_errorPos = m_pos;
        }
        return false;
    }

    void SkipSpace()
    {
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos])) ++m_pos;
    }

    bool SkipPast(std::wstring_view end, const wchar_t* what)
    {
        size_t p = m_text.find(end, m_pos);
        if (p == std::wstring_view::npos) return Fail(what);
        m_pos = p + end.size();
        return true;
    }

    // Whitespace, comments, processing instructions and a document type
    // declaration (its internal subset may hold '>' inside brackets).
    bool SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (At(L"<?")) {
                if (!SkipPast(L"?>", L"unterminated processing instruction")) return false;
            } else if (At(L"<!--")) {
                if (!SkipPast(L"-->", L"unterminated comment")) return false;
            } else if (At(L"<!DOCTYPE")) {
                int depth = 0;
                for (; m_pos < m_text.size(); ++m_pos) {
                    wchar_t c = m_text[m_pos];
                    if (c == L'[') ++depth;
                    else if (c == L']') --depth;
                    else if (c == L'>' && depth <= 0) break;
                }
                if (m_pos >= m_text.size()) return Fail(L"unterminated document type");
                ++m_pos;
            } else {
                return true;
            }
        }
    }

    static bool NameChar(wchar_t c)
    {
        return !(std::iswspace(c) || c == L'/' || c == L'>' || c == L'=' || c == L'<' || c == L'"' ||
                 c == L'\'');
    }

    bool Name(std::wstring& out)
    {
        size_t start = m_pos;
        while (m_pos < m_text.size() && NameChar(m_text[m_pos])) ++m_pos;
        if (m_pos == start) return Fail(L"name expected");
        out.assign(m_text.substr(start, m_pos - start));
        return true;
    }

    bool Reference(std::wstring& out)
    {
        size_t semi = m_text.find(L';', m_pos);
        if (semi == std::wstring_view::npos || semi - m_pos > 12) return Fail(L"bad character reference");
        std::wstring_view ref = m_text.substr(m_pos + 1, semi - m_pos - 1);
        if (!Resolve(ref, out))
            return Fail(ref.empty() || ref[0] != L'#' ? L"unknown entity" : L"bad character reference");
        m_pos = semi + 1;
        return true;
    }

    // The character that a reference between '&' and ';' stands for.
    static bool Resolve(std::wstring_view ref, std::wstring& out)
    {
        if (ref == L"lt") out += L'<';
        else if (ref == L"gt") out += L'>';
        else if (ref == L"amp") out += L'&';
        else if (ref == L"quot") out += L'"';
        else if (ref == L"apos") out += L'\'';
        else if (!ref.empty() && ref[0] == L'#') {
            bool hex = ref.size() > 1 && (ref[1] == L'x' || ref[1] == L'X');
            std::wstring digits(ref.substr(hex ? 2 : 1));
            if (digits.empty()) return false;
            wchar_t* end = nullptr;
            unsigned long code = std::wcstoul(digits.c_str(), &end, hex ? 16 : 10);
            if (*end != L'\0' || code == 0 || code > 0x10FFFF) return false;
            if (code >= 0x10000) {
                code -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (code >> 10));
                out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            } else {
                out += static_cast<wchar_t>(code);
            }
        } else {
            return false;
        }
        return true;
    }

    // Character data. An ampersand that starts no reference is kept as it
    // stands: project files that only carry attributes were read that way
    // before their text mattered.
    static void AppendText(std::wstring_view text, std::wstring& out)
    {
        size_t pos = 0;
        while (pos < text.size()) {
            size_t amp = text.find(L'&', pos);
            if (amp == std::wstring_view::npos) amp = text.size();
            out.append(text.substr(pos, amp - pos));
            if (amp == text.size()) break;
            size_t semi = text.find(L';', amp);
            if (semi != std::wstring_view::npos && semi - amp <= 12 &&
                Resolve(text.substr(amp + 1, semi - amp - 1), out)) {
                pos = semi + 1;
            } else {
                out += L'&';
                pos = amp + 1;
            }
        }
    }

    // An attribute value with references resolved and line ends and tabs
    // turned into spaces, as an XML processor normalises them.
    bool Value(std::wstring& out)
    {
        if (m_pos >= m_text.size() || (m_text[m_pos] != L'"' && m_text[m_pos] != L'\''))
            return Fail(L"quoted attribute value expected");
        wchar_t quote = m_text[m_pos++];
        for (;;) {
            if (m_pos >= m_text.size()) return Fail(L"unterminated attribute value");
            wchar_t c = m_text[m_pos];
            if (c == quote) {
                ++m_pos;
                return true;
            }
            if (c == L'<') return Fail(L"'<' in attribute value");
            if (c == L'&') {
                if (!Reference(out)) return false;
                continue;
            }
            if (c == L'\r') {
                out += L' ';
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\n') ++m_pos;
            } else if (c == L'\n' || c == L'\t') {
                out += L' ';
            } else {
                out += c;
            }
            ++m_pos;
        }
    }

    bool Element(XmlElement_st& e, int depth)
    {
        if (depth > 200) return Fail(L"elements nested too deeply");
        ++m_pos; // '<'
        if (!Name(e.name)) return false;
        for (;;) {
            SkipSpace();
            if (At(L"/>")) {
                m_pos += 2;
                return true;
            }
            if (At(L">")) {
                ++m_pos;
                break;
            }
            std::pair<std::wstring, std::wstring> a;
            if (!Name(a.first)) return false;
            SkipSpace();
            if (!At(L"=")) return Fail(L"'=' expected");
            ++m_pos;
            SkipSpace();
            if (!Value(a.second)) return false;
            e.attributes.push_back(std::move(a));
        }
        for (;;) {
            size_t lt = m_text.find(L'<', m_pos);
            if (lt == std::wstring_view::npos) {
                m_pos = m_text.size();
                return Fail(L"missing end tag");
            }
            AppendText(m_text.substr(m_pos, lt - m_pos), e.text);
            m_pos = lt;
            if (At(L"</")) {
                m_pos += 2;
                std::wstring endName;
                if (!Name(endName)) return false;
                if (endName != e.name) return Fail(L"end tag does not match start tag");
                SkipSpace();
                if (!At(L">")) return Fail(L"'>' expected");
                ++m_pos;
                return true;
            }
            if (At(L"<!--")) {
                if (!SkipPast(L"-->", L"unterminated comment")) return false;
            } else if (At(L"<![CDATA[")) {
                size_t start = m_pos + 9;
                if (!SkipPast(L"]]>", L"unterminated CDATA section")) return false;
                e.text.append(m_text.substr(start, m_pos - 3 - start));
            } else if (At(L"<?")) {
                if (!SkipPast(L"?>", L"unterminated processing instruction")) return false;
            } else {
                e.children.emplace_back();
                if (!Element(e.children.back(), depth + 1)) return false;
            }
        }
    }

    std::wstring_view m_text;
    size_t m_pos = 0;
    std::wstring m_error;
    size_t m_errorPos = 0;
};

} // namespace

bool MiniXml_cl::Parse(std::wstring_view text, XmlElement_st& root, std::wstring& error)
{
    root = XmlElement_st();
    Parser_cl parser(text);
    if (parser.Document(root)) return true;
    error = parser.Error();
    return false;
}

bool MiniXml_cl::Load(const std::wstring& path, XmlElement_st& root, std::wstring& error)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        error = L"cannot read the file";
        return false;
    }
    return Parse(Decode(bytes), root, error);
}

} // namespace Standin_ns
