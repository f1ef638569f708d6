#include "common/io/XMLFile.h"
#include "common/base/ComPtr.h"
#include "common/base/Handle.h"
#include "common/base/Number.h"
#include <windows.h>
#include <ole2.h>
#include <msxml2.h>
#include <cstdio>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

namespace IO_ns {
namespace {

using Base_ns::ComPtr_tl;

const wchar_t kSource[] = L"Common\\Tools\\v1.2.0\\IO\\XMLFile";

const Base_ns::ErrorEntry_st kFileErrors[] = {
    {41, L"根节点还没有被创建。"},
    {42, L"属性名称使用了非法字符。"},
    {43, L"元素名称使用了非法字符。"},
    {44, L"保存文件失败，原来的文件没有改动。"},
    {141, L"MSXML 2.0 Has Not Been Installed."},
    {151, L"Fail To Open File."},
    {152, L"Fail To Get Element Because Inexistent Element Name."},
    {153, L"Fail To Get Attribute Because Inexistent Attribute Name."},
    {154, L"Fail To Save The File."},
};

const Base_ns::ErrorEntry_st kElementErrors[] = {
    {21, L"空ID不能作数据相关操作。"},
    {121, L"Fail To Get Element Because Inexistent Element Name."},
    {122, L"Fail To Get Attribute Because Inexistent Attribute Name."},
};

const Base_ns::ErrorEntry_st kAttributeErrors[] = {
    {1, L"空ID不能作数据相关操作。"},
    {101, L"This Value Must Be Number, For Example \"100\"."},
    {102, L"This Value Must Be Double, For Example \"2.13\"."},
    {103, L"This Value Must Be Flip State, For Example \"NoFlip\"."},
    {104, L"This Value Must Be Integer Point, For Example \"100,200\"."},
    {105, L"This Value Must Be Double Point, For Example \"1.5,2.32\"."},
    {106, L"This Value Must Be Size, For Example \"100,200\"."},
    {107, L"This Value Must Be Rect, For Example \"100,200,150,250\"."},
    {108, L"This Value Must Be Line, For Example \"100,200,150,250\"."},
    {109, L"This Value Must Be Hex Number, For Example \"0x00FA\"."},
};

template <size_t N>
constexpr int Count(const Base_ns::ErrorEntry_st (&)[N])
{
    return static_cast<int>(N);
}

// System errors from 1 to 100, user and file errors from 101 up; 141 is a
// plain user error, the file errors are IOError_cl.
[[noreturn]] void RaiseFrom(int line, const wchar_t* className, int code, const Base_ns::ErrorEntry_st* table,
                            int size, const Base_ns::String_cl& note)
{
    if (code == 141) throw Base_ns::UserError_cl(line, kSource, className, code, table, size, note);
    if (code > 100) throw IOError_cl(line, kSource, className, code, table, size, note);
    throw Base_ns::SysError_cl(line, kSource, className, code, table, size, note);
}

// A COM failure none of the tables names: still an error of the family, so
// every handler catches it; the note keeps the HRESULT.
[[noreturn]] void RaiseCom(int line, const wchar_t* className, HRESULT hr)
{
    wchar_t note[48];
    std::swprintf(note, 48, L"HRESULT 0x%08lX", static_cast<unsigned long>(hr));
    throw Base_ns::SysError_cl(line, kSource, className, 0, nullptr, 0, note);
}

class Bstr_cl {
public:
    explicit Bstr_cl(std::wstring_view s) : m_b(SysAllocStringLen(s.data(), static_cast<UINT>(s.size())))
    {
        if (!m_b) throw std::bad_alloc();
    }
    ~Bstr_cl() { SysFreeString(m_b); }
    Bstr_cl(const Bstr_cl&) = delete;
    Bstr_cl& operator=(const Bstr_cl&) = delete;
    operator BSTR() const { return m_b; }
    // A VARIANT that borrows the string.
    VARIANT Variant() const
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = m_b;
        return v;
    }

private:
    BSTR m_b;
};

Base_ns::String_cl TakeBstr(BSTR b)
{
    Base_ns::String_cl s;
    if (b) {
        s.assign(b, SysStringLen(b));
        SysFreeString(b);
    }
    return s;
}

Base_ns::String_cl BaseName(IXMLDOMNode* node)
{
    BSTR b = nullptr;
    if (FAILED(node->get_baseName(&b))) return Base_ns::String_cl();
    return TakeBstr(b);
}

// The node's text as the parser gives it (an attribute's value, an
// element's text with that of everything in it).
Base_ns::String_cl NodeText(IXMLDOMNode* node, const wchar_t* className)
{
    BSTR b = nullptr;
    HRESULT hr = node->get_text(&b);
    if (FAILED(hr)) RaiseCom(__LINE__, className, hr);
    return TakeBstr(b);
}

bool IsElement(IXMLDOMNode* node)
{
    DOMNodeType type = NODE_INVALID;
    return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

// The first child element of parent with that base name, with a reference; null if none.
IXMLDOMNode* FindChildElement(IXMLDOMNode* parent, const Base_ns::String_cl& name)
{
    IXMLDOMNode* node = nullptr;
    if (parent->get_firstChild(&node) != S_OK) return nullptr;
    while (node) {
        if (IsElement(node) && BaseName(node) == name) return node;
        IXMLDOMNode* next = nullptr;
        if (node->get_nextSibling(&next) != S_OK) next = nullptr;
        node->Release();
        node = next;
    }
    return nullptr;
}

// The attribute node of that name on node, with a reference; null if none
// (nodes other than elements have no attributes).
IXMLDOMNode* FindAttribute(IXMLDOMNode* node, const Base_ns::String_cl& name)
{
    ComPtr_tl<IXMLDOMNamedNodeMap> attributes;
    if (node->get_attributes(attributes.Out()) != S_OK || !attributes) return nullptr;
    Bstr_cl bname(name);
    IXMLDOMNode* attribute = nullptr;
    if (attributes->getNamedItem(bname, &attribute) != S_OK) return nullptr;
    return attribute;
}

// ---- Reading the bytes of a file into text for the DOM ----

// Limits on a file someone else wrote, so that a hostile or broken one is
// refused before the parser spends time and memory on it. No real file
// comes near them: a .vcxproj or property sheet is below 1 MB and about 30
// levels deep, the data file a few hundred KB and 4 levels deep.
constexpr int64_t kMaxFileBytes = 16 * 1024 * 1024;
constexpr size_t kMaxElementDepth = 256;

enum class ReadResult_en { Read, Unreadable, TooLarge };

ReadResult_en ReadWholeFile(const Base_ns::String_cl& path, std::string& bytes)
{
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return ReadResult_en::Unreadable;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h.Get(), &size)) return ReadResult_en::Unreadable;
    if (size.QuadPart > kMaxFileBytes) return ReadResult_en::TooLarge;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    const bool ok = bytes.empty() || (ReadFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                                      got == bytes.size());
    return ok ? ReadResult_en::Read : ReadResult_en::Unreadable;
}

// Why the markup of a file written by others is refused before it reaches
// the parser; empty when it is not. Not every MSXML honours ProhibitDTD and
// MaxElementDepth (Wine's takes them and ignores them), so a document type
// declaration (the way to entity expansion and external resources, and never
// part of a project file or the data file) and nesting beyond the limit are
// found here. Comments, CDATA sections, processing instructions and
// attribute values are passed over: what they hold is no markup. What is not
// well-formed is left to the parser, which refuses it anyway.
Base_ns::String_cl RefusedMarkup(std::wstring_view text)
{
    if (text.find(L'\0') != std::wstring_view::npos) return L"文件中有 NUL 字符。";
    size_t depth = 0;
    size_t i = 0;
    auto skipPast = [&](size_t from, std::wstring_view end) {
        const size_t at = text.find(end, from);
        return at == std::wstring_view::npos ? text.size() : at + end.size();
    };
    while ((i = text.find(L'<', i)) != std::wstring_view::npos) {
        const std::wstring_view rest = text.substr(i);
        if (rest.starts_with(L"<!--")) {
            i = skipPast(i + 4, L"-->");
        } else if (rest.starts_with(L"<![CDATA[")) {
            i = skipPast(i + 9, L"]]>");
        } else if (rest.starts_with(L"<?")) {
            i = skipPast(i + 2, L"?>");
        } else if (rest.starts_with(L"<!")) {
            return L"文件中有文档类型定义（<!DOCTYPE 或 <!ENTITY），不予读取。";
        } else if (rest.starts_with(L"</")) {
            if (depth > 0) --depth;
            i = skipPast(i + 2, L">");
        } else {
            size_t k = i + 1;
            while (k < text.size() && text[k] != L'>') {
                if (text[k] == L'"' || text[k] == L'\'') {
                    const size_t close = text.find(text[k], k + 1);
                    k = close == std::wstring_view::npos ? text.size() : close + 1;
                } else {
                    ++k;
                }
            }
            if (k >= text.size()) break;
            if (text[k - 1] != L'/' && ++depth > kMaxElementDepth)
                return L"元素嵌套超过 " + Base_ns::String_cl::FromInt(static_cast<long long>(kMaxElementDepth)) +
                       L" 层。";
            i = k + 1;
        }
    }
    return Base_ns::String_cl();
}

bool IsSpace(unsigned c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of the encoding pseudo-attribute of an XML declaration at the
// start of text, and where the attribute (with its leading blanks) stands.
template <class Text>
bool FindEncoding(const Text& text, size_t& from, size_t& to, std::string& value)
{
    const char* const xmlDecl = "<?xml";
    for (size_t i = 0; i < 5; ++i)
        if (text.size() <= i || static_cast<unsigned>(text[i]) != static_cast<unsigned char>(xmlDecl[i])) return false;
    if (text.size() <= 5 || !IsSpace(static_cast<unsigned>(text[5]))) return false;
    size_t end = 5;
    while (end + 1 < text.size() && !(text[end] == '?' && text[end + 1] == '>')) ++end;
    if (end + 1 >= text.size()) return false;
    const char* const key = "encoding";
    for (size_t i = 5; i + 8 < end; ++i) {
        if (!IsSpace(static_cast<unsigned>(text[i]))) continue;
        size_t k = i + 1;
        bool match = true;
        for (size_t j = 0; j < 8 && match; ++j)
            match = k + j < end && static_cast<unsigned>(text[k + j]) == static_cast<unsigned char>(key[j]);
        if (!match) continue;
        k += 8;
        while (k < end && IsSpace(static_cast<unsigned>(text[k]))) ++k;
        if (k >= end || text[k] != '=') continue;
        ++k;
        while (k < end && IsSpace(static_cast<unsigned>(text[k]))) ++k;
        if (k >= end || (text[k] != '"' && text[k] != '\'')) continue;
        const auto quote = text[k];
        size_t v = k + 1;
        size_t close = v;
        while (close < end && text[close] != quote) ++close;
        if (close >= end) return false;
        value.clear();
        for (size_t c = v; c < close; ++c)
            value.push_back(static_cast<unsigned>(text[c]) < 128 ? static_cast<char>(text[c]) : '?');
        // Blanks before the attribute go with it.
        from = i;
        while (from > 5 && IsSpace(static_cast<unsigned>(text[from - 1]))) --from;
        to = close + 1;
        return true;
    }
    return false;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The Windows code page of a declared encoding, 0 when unknown here.
unsigned CodePageOf(const std::string& declared)
{
    const std::string name = Lower(declared);
    struct Map_st {
        const char* name;
        unsigned codePage;
    };
    static const Map_st kNames[] = {
        {"utf-8", 65001},      {"utf8", 65001},       {"gb2312", 936},         {"gbk", 936},
        {"cp936", 936},        {"x-gbk", 936},        {"gb_2312-80", 936},     {"csgb2312", 936},
        {"euc-cn", 936},       {"big5", 950},         {"cp950", 950},          {"shift_jis", 932},
        {"shift-jis", 932},    {"sjis", 932},         {"x-sjis", 932},         {"windows-31j", 932},
        {"cp932", 932},        {"euc-kr", 949},       {"ks_c_5601-1987", 949}, {"cp949", 949},
        {"iso-8859-1", 28591}, {"iso_8859-1", 28591}, {"latin1", 28591},       {"l1", 28591},
        {"iso-8859-2", 28592}, {"iso-8859-3", 28593}, {"iso-8859-4", 28594},   {"iso-8859-5", 28595},
        {"iso-8859-6", 28596}, {"iso-8859-7", 28597}, {"iso-8859-8", 28598},   {"iso-8859-9", 28599},
        {"iso-8859-13", 28603}, {"iso-8859-15", 28605}, {"us-ascii", 20127},   {"ascii", 20127},
        {"koi8-r", 20866},     {"koi8-u", 21866},     {"windows-874", 874},    {"tis-620", 874},
    };
    for (const Map_st& m : kNames)
        if (name == m.name) return m.codePage;
    if (name == "gb18030") return IsValidCodePage(54936) ? 54936 : 936;
    // windows-1250 ... windows-1258, cp1250 ... cp1258
    for (const char* prefix : {"windows-125", "cp125"}) {
        const size_t n = std::char_traits<char>::length(prefix);
        if (name.size() == n + 1 && name.compare(0, n, prefix) == 0 && name[n] >= '0' && name[n] <= '8')
            return 1250 + static_cast<unsigned>(name[n] - '0');
    }
    return 0;
}

void RemoveEncoding(Base_ns::String_cl& text)
{
    size_t from = 0, to = 0;
    std::string value;
    if (FindEncoding(text, from, to, value)) text.erase(from, to - from);
}

// The file's text for loadXML, decoded by its mark or its declaration and
// without the encoding declaration; false when the encoding is not one this
// reader knows (the DOM then reads the file itself).
bool DecodeXml(const std::string& bytes, Base_ns::String_cl& text)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    auto fromUtf16 = [&](size_t skip, bool bigEndian) {
        text.clear();
        text.reserve((n - skip) / 2);
        for (size_t i = skip; i + 1 < n; i += 2)
            text.push_back(static_cast<wchar_t>(bigEndian ? (b[i] << 8) | b[i + 1] : b[i] | (b[i + 1] << 8)));
    };
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        fromUtf16(2, false);
    } else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        fromUtf16(2, true);
    } else if (n >= 2 && b[0] == '<' && b[1] == 0) {
        fromUtf16(0, false);
    } else if (n >= 2 && b[0] == 0 && b[1] == '<') {
        fromUtf16(0, true);
    } else {
        size_t skip = 0;
        unsigned codePage = 65001;
        if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
            skip = 3;
        } else {
            size_t from = 0, to = 0;
            std::string declared;
            if (FindEncoding(bytes, from, to, declared)) {
                codePage = CodePageOf(declared);
                if (codePage == 0 || !IsValidCodePage(codePage)) return false;
            }
        }
        text = Base_ns::String_cl::FromMultiByte(std::string_view(bytes).substr(skip), codePage);
        if (text.empty() && n > skip) return false;
    }
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    RemoveEncoding(text);
    return true;
}

Base_ns::String_cl FolderOf(const Base_ns::String_cl& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == Base_ns::String_cl::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

bool IsNameStart(wchar_t c)
{
    return c == L':' || (c >= L'A' && c <= L'Z') || c == L'_' || (c >= L'a' && c <= L'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
           (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD);
}

bool IsNameChar(wchar_t c)
{
    return IsNameStart(c) || c == L'-' || c == L'.' || (c >= L'0' && c <= L'9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

} // namespace

// ---------------------------------------------------------------- XMLFile_cl

namespace {

// MSXML 6 is on every Windows since Vista; 4.0 was a separate download that
// Windows 10 and 11 no longer have, and is taken only where 6 is missing.
const wchar_t* const kProgramIds[] = {L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.4.0"};
constexpr int kProgramIdCount = static_cast<int>(sizeof(kProgramIds) / sizeof(kProgramIds[0]));

// IXMLDOMDocument2, for the parser's settings; MinGW's import libraries
// do not carry its identifier.
const IID kDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Program ids are looked up in the registry once each, and the one that made
// a document is tried first from then on: the build engine makes a document
// for every project file it reads.
class DocumentClasses_cl {
public:
    // The document, and which program id made it; null when none could.
    IXMLDOMDocument* Make(int& made)
    {
        const int first = m_working.load();
        for (int pass = 0; pass <= kProgramIdCount; ++pass) {
            const int i = pass == 0 ? first : pass - 1;
            if (i < 0 || (pass > 0 && i == first)) continue;
            if (IXMLDOMDocument* document = MakeOne(i)) {
                m_working = i;
                made = i;
                return document;
            }
        }
        return nullptr;
    }

private:
    bool ClassOf(int i, CLSID& clsid)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_looked[i]) {
            m_looked[i] = true;
            m_known[i] = SUCCEEDED(CLSIDFromProgID(kProgramIds[i], &m_classes[i]));
        }
        clsid = m_classes[i];
        return m_known[i];
    }

    IXMLDOMDocument* MakeOne(int i)
    {
        CLSID clsid;
        if (!ClassOf(i, clsid)) return nullptr;
        ComPtr_tl<IUnknown> unknown;
        IXMLDOMDocument* document = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(unknown.Out()))) ||
            FAILED(OleRun(unknown.Get())) ||
            FAILED(unknown->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&document))) || !document)
            return nullptr;
        return document;
    }

    std::mutex m_mutex;
    std::atomic<int> m_working{-1};
    bool m_looked[kProgramIdCount] = {};
    bool m_known[kProgramIdCount] = {};
    CLSID m_classes[kProgramIdCount] = {};
};

DocumentClasses_cl g_classes;

VARIANT BoolVariant(bool value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT IntVariant(long value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// Files written by others are parsed without a DTD, without fetching
// anything they name, and within the limits above. MSXML 6 honours these
// (and prohibits DTDs by default); 4.0 and Wine's take some and ignore
// others, which is why Open checks the text itself as well. A setting the
// component does not know is refused by it, and passed over here.
void MakeParsingSafe(IXMLDOMDocument* document)
{
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    ComPtr_tl<IXMLDOMDocument2> settings;
    if (FAILED(document->QueryInterface(kDocument2, reinterpret_cast<void**>(settings.Out()))) || !settings) return;
    const struct {
        const wchar_t* name;
        VARIANT value;
    } kSettings[] = {
        {L"ProhibitDTD", BoolVariant(true)},
        {L"ResolveExternals", BoolVariant(false)},
        {L"AllowDocumentFunction", BoolVariant(false)},
        {L"AllowXsltScript", BoolVariant(false)},
        {L"MaxElementDepth", IntVariant(static_cast<long>(kMaxElementDepth))},
        // In blocks of 1024 characters; a character takes at least one byte.
        {L"MaxXMLSize", IntVariant(static_cast<long>(kMaxFileBytes / 1024))},
    };
    for (const auto& setting : kSettings) {
        Bstr_cl name(setting.name);
        settings->setProperty(name, setting.value);
    }
}

Base_ns::String_cl TrimmedEnd(Base_ns::String_cl s)
{
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ' || s.back() == L'.')) s.pop_back();
    return s;
}

// What the parser said about a text it refused: where and why, when it says.
Base_ns::String_cl ParseErrorText(IXMLDOMDocument* document)
{
    ComPtr_tl<IXMLDOMParseError> error;
    if (document->get_parseError(error.Out()) != S_OK || !error) return Base_ns::String_cl();
    BSTR b = nullptr;
    Base_ns::String_cl reason;
    if (SUCCEEDED(error->get_reason(&b))) reason = TrimmedEnd(TakeBstr(b));
    if (reason.empty()) return reason;
    long line = 0, column = 0;
    error->get_line(&line);
    error->get_linepos(&column);
    if (line <= 0) return reason;
    return L"第 " + Base_ns::String_cl::FromInt(line) + L" 行第 " + Base_ns::String_cl::FromInt(column) + L" 列，" +
           reason;
}

// The system's own words for an error code.
Base_ns::String_cl SystemErrorText(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const Base_ns::String_cl s = n && text ? TrimmedEnd(Base_ns::String_cl(text, n)) : Base_ns::String_cl();
    if (text) LocalFree(text);
    return L"系统错误码 " + Base_ns::String_cl::FromUnsigned(code) + (s.empty() ? L"" : L"：" + s);
}

// Failures the choice of the target explains (a folder, a read-only or
// locked file, a folder that does not exist): the user picks another or
// frees it. Anything else (a full disk, a device or network that fails)
// is the system's.
bool IsTargetRefusal(DWORD code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_WRITE_PROTECT:
    case ERROR_INVALID_DRIVE:
    case ERROR_CANNOT_MAKE:
        return true;
    default:
        return false;
    }
}

// Writes the bytes into the file at path and makes sure they reached the
// disk; 0, or the error that stopped it.
DWORD WriteWholeFile(const Base_ns::String_cl& path, const std::string& bytes)
{
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    if (!h.Valid()) return GetLastError();
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(h.Get(), bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
        // Nothing taken and no error: the volume has no room.
        if (written == 0) return ERROR_DISK_FULL;
        done += written;
    }
    if (!FlushFileBuffers(h.Get())) return GetLastError();
    if (!h.Reset()) return GetLastError();
    return 0;
}

} // namespace

XMLFile_cl::XMLFile_cl() : m_document(nullptr), m_created(0), m_programId(-1)
{
    m_document = g_classes.Make(m_programId);
    if (!m_document) {
        Base_ns::String_cl tried;
        for (const wchar_t* id : kProgramIds) tried += (tried.empty() ? L"" : L", ") + Base_ns::String_cl(id);
        Raise(__LINE__, 141, tried);
    }
    m_document->put_async(VARIANT_FALSE);
    MakeParsingSafe(m_document);
}

const wchar_t* XMLFile_cl::ProgramId() const { return m_programId < 0 ? L"" : kProgramIds[m_programId]; }

XMLFile_cl::~XMLFile_cl()
{
    if (m_document) m_document->Release();
}

void XMLFile_cl::Raise(int line, int code, const Base_ns::String_cl& note) const
{
    RaiseFrom(line, ClassName(), code, kFileErrors, Count(kFileErrors), note);
}

bool XMLFile_cl::IsXmlName(const Base_ns::String_cl& name)
{
    if (name.empty() || !IsNameStart(name[0])) return false;
    for (size_t i = 1; i < name.size(); ++i) {
        const wchar_t c = name[i];
        // A pair of surrogates is one character from U+10000, allowed anywhere.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        if (!IsNameChar(c)) return false;
    }
    return true;
}

void XMLFile_cl::Create(const Base_ns::String_cl& path, const Base_ns::String_cl& rootName)
{
    m_created = 1;
    m_path = path;
    // A new document: whatever an earlier Create or Open left goes.
    IXMLDOMNode* old = nullptr;
    while (m_document->get_firstChild(&old) == S_OK && old) {
        IXMLDOMNode* removed = nullptr;
        HRESULT hr = m_document->removeChild(old, &removed);
        old->Release();
        if (removed) removed->Release();
        if (FAILED(hr)) RaiseCom(__LINE__, ClassName(), hr);
    }
    if (!IsXmlName(rootName)) Raise(__LINE__, 43, L"根节点名称：" + rootName);
    VARIANT type;
    VariantInit(&type);
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    Bstr_cl name(rootName);
    Bstr_cl noNamespace(L"");
    ComPtr_tl<IXMLDOMNode> root;
    if (FAILED(m_document->createNode(type, name, noNamespace, root.Out())) || !root)
        Raise(__LINE__, 43, L"根节点名称：" + rootName);
    ComPtr_tl<IXMLDOMNode> appended;
    HRESULT hr = m_document->appendChild(root.Get(), appended.Out());
    if (FAILED(hr)) RaiseCom(__LINE__, ClassName(), hr);
}

void XMLFile_cl::Open(const Base_ns::String_cl& path)
{
    m_created = 0;
    m_path = path;
    std::string bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadResult_en::Read: break;
    case ReadResult_en::Unreadable: Raise(__LINE__, 151, path);
    case ReadResult_en::TooLarge:
        Raise(__LINE__, 151,
              path + L"：文件大于 " + Base_ns::String_cl::FromInt(kMaxFileBytes / (1024 * 1024)) + L" MB，不予读取。");
    }
    Base_ns::String_cl text;
    const bool decoded = DecodeXml(bytes, text);
    // An encoding this reader does not know still writes its markup in
    // ASCII wherever the parser could read it: the bytes are checked one by
    // one all the same.
    if (!decoded) text.assign(bytes.begin(), bytes.end());
    const Base_ns::String_cl refused = RefusedMarkup(text);
    if (!refused.empty()) Raise(__LINE__, 151, path + L"：" + refused);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr;
    if (decoded) {
        Bstr_cl xml(text);
        text.clear();
        hr = m_document->loadXML(xml, &loaded);
    } else {
        Bstr_cl file(path);
        hr = m_document->load(file.Variant(), &loaded);
    }
    if (FAILED(hr) || loaded != VARIANT_TRUE) {
        const Base_ns::String_cl why = ParseErrorText(m_document);
        Raise(__LINE__, 151, why.empty() ? path : Base_ns::String_cl(path + L"：" + why));
    }
}

void XMLFile_cl::SaveTo(const Base_ns::String_cl& target, int line)
{
    // Written beside the target, on the same volume, then moved over it in
    // one step: a save that fails half-way never leaves a truncated target.
    // Replacing by a move would pass over a read-only target where writing
    // into it is refused (Wine moves over it); refuse it the same way.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) Raise(line, 154, target);
    // The document writes itself into memory (the very bytes it would write
    // into a file, so older versions read the file as before), and the file
    // is written here with every result checked: a disk that fails is told
    // in the program's words, never by the parser's library on stderr.
    ComPtr_tl<IStream> memory;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.Out())) || !memory) throw std::bad_alloc();
    VARIANT destination;
    VariantInit(&destination);
    destination.vt = VT_UNKNOWN;
    destination.punkVal = memory.Get();
    HRESULT hr = m_document->save(destination);
    if (FAILED(hr)) RaiseCom(line, ClassName(), hr);
    STATSTG stat{};
    HGLOBAL global = nullptr;
    hr = memory->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(memory.Get(), &global);
    if (FAILED(hr)) RaiseCom(line, ClassName(), hr);
    std::string bytes;
    if (stat.cbSize.QuadPart > 0) {
        const char* const data = static_cast<const char*>(GlobalLock(global));
        if (!data) throw std::bad_alloc();
        bytes.assign(data, static_cast<size_t>(stat.cbSize.QuadPart));
        GlobalUnlock(global);
    }

    wchar_t temp[MAX_PATH + 1] = {};
    DWORD failure = 0;
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"qvx", 0, temp))
        failure = GetLastError();
    else if ((failure = WriteWholeFile(temp, bytes)) == 0 &&
             !MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = GetLastError();
    if (failure == 0) return;
    if (temp[0]) DeleteFileW(temp);
    if (IsTargetRefusal(failure)) Raise(line, 154, target);
    Raise(line, 44, L"文件：" + target + L"\r\n" + SystemErrorText(failure));
}

void XMLFile_cl::SaveAs(const Base_ns::String_cl& path)
{
    SaveTo(path, __LINE__);
    m_document->abort();
}

void XMLFile_cl::Close()
{
    if (m_created == 1) SaveTo(m_path, __LINE__);
    m_document->abort();
}

XMLFile_cl::ElementId_cl XMLFile_cl::Root()
{
    IXMLDOMElement* root = nullptr;
    if (m_document->get_documentElement(&root) != S_OK || !root) Raise(__LINE__, 41, L"");
    IXMLDOMNode* node = nullptr;
    HRESULT hr = root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node));
    root->Release();
    if (FAILED(hr)) RaiseCom(__LINE__, ClassName(), hr);
    return ElementId_cl(this, node);
}

XMLFile_cl::ElementId_cl XMLFile_cl::AddElement(const ElementId_cl& parent, const Base_ns::String_cl& name)
{
    ElementId_cl root = Root();
    const ElementId_cl& into = parent.IsEmpty() ? root : parent;
    if (!IsXmlName(name)) Raise(__LINE__, 43, L"元素名称：" + name);
    VARIANT type;
    VariantInit(&type);
    type.vt = VT_I4;
    type.lVal = NODE_ELEMENT;
    Bstr_cl bname(name);
    Bstr_cl noNamespace(L"");
    ComPtr_tl<IXMLDOMNode> node;
    if (FAILED(m_document->createNode(type, bname, noNamespace, node.Out())) || !node)
        Raise(__LINE__, 43, L"元素名称：" + name);
    IXMLDOMNode* appended = nullptr;
    HRESULT hr = into.m_node->appendChild(node.Get(), &appended);
    if (FAILED(hr) || !appended) RaiseCom(__LINE__, ClassName(), FAILED(hr) ? hr : E_FAIL);
    return ElementId_cl(this, appended);
}

void XMLFile_cl::SetAttribute(const ElementId_cl& element, const Base_ns::String_cl& name,
                              const Base_ns::String_cl& text)
{
    ElementId_cl root = Root();
    const bool onRoot = element.IsEmpty();
    const ElementId_cl& target = onRoot ? root : element;
    auto refused = [&] {
        return onRoot ? L"根属性名称：" + name : L"元素名称：" + target.Name() + L"\r\n属性名称：" + name;
    };
    if (!IsXmlName(name)) Raise(__LINE__, 42, refused());
    ComPtr_tl<IXMLDOMElement> asElement;
    HRESULT hr = target.m_node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(asElement.Out()));
    if (FAILED(hr)) RaiseCom(__LINE__, ClassName(), hr);
    Bstr_cl bname(name);
    Bstr_cl value(text);
    if (FAILED(asElement->setAttribute(bname, value.Variant()))) Raise(__LINE__, 42, refused());
}

void XMLFile_cl::SetAttribute(const ElementId_cl& element, const Base_ns::String_cl& name, int32_t value)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", static_cast<int>(value));
    SetAttribute(element, name, Base_ns::String_cl(text));
}

XMLFile_cl::ElementId_cl XMLFile_cl::RootChild(const Base_ns::String_cl& name)
{
    ElementId_cl root = Root();
    IXMLDOMNode* child = FindChildElement(root.m_node.Get(), name);
    if (!child) Raise(__LINE__, 152, name + L"\r\n" + m_path);
    return ElementId_cl(this, child);
}

XMLFile_cl::AttributeId_cl XMLFile_cl::RootAttribute(const Base_ns::String_cl& name)
{
    ElementId_cl root = Root();
    IXMLDOMNode* attribute = FindAttribute(root.m_node.Get(), name);
    if (!attribute) Raise(__LINE__, 153, name + L"\r\n" + m_path);
    return AttributeId_cl(this, attribute);
}

// -------------------------------------------------------------- ElementId_cl

XMLFile_cl::NodeRef_cl::NodeRef_cl(const NodeRef_cl& other) : m_node(other.m_node)
{
    if (m_node) m_node->AddRef();
}

XMLFile_cl::NodeRef_cl::~NodeRef_cl()
{
    if (m_node) m_node->Release();
}

XMLFile_cl::ElementId_cl::ElementId_cl(XMLFile_cl* owner, IXMLDOMNode* node) : m_owner(owner), m_node(node) {}

void XMLFile_cl::ElementId_cl::Raise(int line, int code, const Base_ns::String_cl& note) const
{
    RaiseFrom(line, ClassName(), code, kElementErrors, Count(kElementErrors), note);
}

void XMLFile_cl::ElementId_cl::CheckNotEmpty(int line) const
{
    if (!m_node.Get()) Raise(line, 21, L"");
}

Base_ns::String_cl XMLFile_cl::ElementId_cl::Name() const
{
    CheckNotEmpty(__LINE__);
    return BaseName(m_node.Get());
}

bool XMLFile_cl::ElementId_cl::IsElement() const
{
    CheckNotEmpty(__LINE__);
    return IO_ns::IsElement(m_node.Get());
}

Base_ns::String_cl XMLFile_cl::ElementId_cl::Text() const
{
    CheckNotEmpty(__LINE__);
    return NodeText(m_node.Get(), ClassName());
}

XMLFile_cl::ElementId_cl XMLFile_cl::ElementId_cl::FirstChild() const
{
    CheckNotEmpty(__LINE__);
    IXMLDOMNode* child = nullptr;
    if (m_node->get_firstChild(&child) != S_OK) child = nullptr;
    return ElementId_cl(m_owner, child);
}

bool XMLFile_cl::ElementId_cl::NextSibling()
{
    CheckNotEmpty(__LINE__);
    IXMLDOMNode* next = nullptr;
    if (m_node->get_nextSibling(&next) != S_OK) next = nullptr;
    m_node = NodeRef_cl(next);
    return next != nullptr;
}

XMLFile_cl::ElementId_cl XMLFile_cl::ElementId_cl::Child(const Base_ns::String_cl& name) const
{
    CheckNotEmpty(__LINE__);
    return ElementId_cl(m_owner, FindChildElement(m_node.Get(), name));
}

XMLFile_cl::AttributeId_cl XMLFile_cl::ElementId_cl::Attribute(const Base_ns::String_cl& name, bool required) const
{
    CheckNotEmpty(__LINE__);
    IXMLDOMNode* attribute = FindAttribute(m_node.Get(), name);
    if (!attribute && required)
        Raise(__LINE__, 122, name + L"\r\n" + (m_owner ? m_owner->Path() : Base_ns::String_cl()));
    return AttributeId_cl(m_owner, attribute);
}

// ------------------------------------------------------------ AttributeId_cl

XMLFile_cl::AttributeId_cl::AttributeId_cl(XMLFile_cl* owner, IXMLDOMNode* node) : m_owner(owner), m_node(node) {}

void XMLFile_cl::AttributeId_cl::Raise(int line, int code, const Base_ns::String_cl& note) const
{
    RaiseFrom(line, ClassName(), code, kAttributeErrors, Count(kAttributeErrors), note);
}

void XMLFile_cl::AttributeId_cl::CheckNotEmpty(int line) const
{
    if (!m_node.Get()) Raise(line, 1, L"");
}

Base_ns::String_cl XMLFile_cl::AttributeId_cl::Name() const
{
    CheckNotEmpty(__LINE__);
    return BaseName(m_node.Get());
}

Base_ns::String_cl XMLFile_cl::AttributeId_cl::Text() const
{
    CheckNotEmpty(__LINE__);
    return NodeText(m_node.Get(), ClassName());
}

int32_t XMLFile_cl::AttributeId_cl::Number() const
{
    const Base_ns::String_cl text = Text();
    const std::optional<int32_t> number = Base_ns::ParseNumber(text);
    const bool ok = number.has_value();
    if (!ok) {
        Base_ns::String_cl note;
        if (m_owner && m_owner->Created() == 1) note += L"文件：" + m_owner->Path() + L"\r\n";
        note += L"名称：" + Name() + L"\r\n";
        note += L"值\x3000：" + text;
        Raise(__LINE__, 101, note);
    }
    return *number;
}

} // namespace IO_ns
