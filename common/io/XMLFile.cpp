#include "common/io/XMLFile.h"
#include "common/base/ComPtr.h"
#include "common/base/Handle.h"
#include "common/base/Number.h"
#include <windows.h>
#include <ole2.h>
#include <msxml2.h>
#include <cstdio>
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

bool ReadWholeFile(const Base_ns::String_cl& path, std::string& bytes)
{
    Base_ns::Handle_cl h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h.Get(), &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (ReadFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size());
    }
    return ok;
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

// The program id is looked up in the registry once; the build engine makes
// a document for every project file it reads.
bool DocumentClass(CLSID& clsid)
{
    static std::mutex mutex;
    static CLSID found{};
    static bool known = false;
    std::lock_guard<std::mutex> lock(mutex);
    if (!known) known = SUCCEEDED(CLSIDFromProgID(L"Msxml2.DOMDocument.4.0", &found));
    clsid = found;
    return known;
}

} // namespace

XMLFile_cl::XMLFile_cl() : m_document(nullptr), m_created(0)
{
    CLSID clsid;
    ComPtr_tl<IUnknown> unknown;
    if (!DocumentClass(clsid) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(unknown.Out()))) ||
        FAILED(OleRun(unknown.Get())) ||
        FAILED(unknown->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&m_document))) || !m_document) {
        m_document = nullptr;
        Raise(__LINE__, 141, L"");
    }
    m_document->put_async(VARIANT_FALSE);
}

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
    if (!ReadWholeFile(path, bytes)) Raise(__LINE__, 151, path);
    Base_ns::String_cl text;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr;
    if (DecodeXml(bytes, text)) {
        Bstr_cl xml(text);
        hr = m_document->loadXML(xml, &loaded);
    } else {
        Bstr_cl file(path);
        hr = m_document->load(file.Variant(), &loaded);
    }
    if (FAILED(hr) || loaded != VARIANT_TRUE) Raise(__LINE__, 151, path);
}

void XMLFile_cl::SaveTo(const Base_ns::String_cl& target, int line)
{
    // Written beside the target, on the same volume, then moved over it in
    // one step: a save that fails half-way never leaves a truncated target.
    // Replacing by a move would pass over a read-only target where writing
    // into it is refused (Wine moves over it); refuse it the same way.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) Raise(line, 154, target);
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"qvx", 0, temp)) Raise(line, 154, target);
    Bstr_cl tempPath(temp);
    HRESULT hr = m_document->save(tempPath.Variant());
    if (FAILED(hr) || !MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        Raise(line, 154, target);
    }
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
