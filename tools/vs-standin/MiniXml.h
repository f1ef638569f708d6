#pragma once
// A small XML reader for the builder stand-in. Starting MSXML through COM
// costs more than the whole stand-in run under Wine, and Wine's MSXML refuses
// project files that declare encoding="gb2312"; project files are small and
// plain (elements and attributes only), so the stand-in reads them itself.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Standin_ns {

struct XmlElement_st {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::vector<XmlElement_st> children;
    std::wstring text; // the character data between the children, references resolved

    // The attribute's value, or nullptr when the element has none by that name
    // (names compare exactly, as XML names do).
    const std::wstring* Attribute(std::wstring_view attributeName) const;
    // The attribute's value, or empty text.
    std::wstring AttributeText(std::wstring_view attributeName) const;
    // The first child element of that name, or nullptr.
    const XmlElement_st* Child(std::wstring_view childName) const;
};

class MiniXml_cl {
public:
    // Reads and parses the file. On failure returns false and says why in error.
    static bool Load(const std::wstring& path, XmlElement_st& root, std::wstring& error);
    // Parses decoded text (the prolog, one root element, comments,
    // processing instructions and character data).
    static bool Parse(std::wstring_view text, XmlElement_st& root, std::wstring& error);
    // Decodes the raw bytes of an XML file: by byte-order mark, else by the
    // encoding named in the declaration (through the platform's code pages),
    // else as UTF-8.
    static std::wstring Decode(const std::string& bytes);
    // The Windows code page for an XML encoding name (0 when unknown).
    static unsigned CodePageOf(std::string_view encodingName);
};

// Raw bytes of a file; false when it cannot be opened or read.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// Bytes in the given code page to wide text.
std::wstring Widen(std::string_view bytes, unsigned codePage);

} // namespace Standin_ns
