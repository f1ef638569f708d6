#pragma once
// The one way the program reads and writes XML (its data file, Visual C++
// project files): an MSXML DOM document ("Msxml2.DOMDocument.6.0", or
// "Msxml2.DOMDocument.4.0" where 6.0 is missing) with two light handle types
// that each hold a COM reference on their node.
//
// COM must be initialised on the calling thread (CoInitializeEx); a document
// and its handles belong to the thread that made them.
#include <cstdint>
#include <string>
#include "common/base/String.h"
#include "common/base/Error.h"

struct IXMLDOMDocument;
struct IXMLDOMNode;

namespace IO_ns {

class XMLFile_cl {
private:
    // One counted reference on a DOM node: copies add one, destruction
    // drops it. Both handle types hold their node through it.
    class NodeRef_cl {
    public:
        NodeRef_cl() = default;
        // Takes over the reference the caller holds on node.
        explicit NodeRef_cl(IXMLDOMNode* node) : m_node(node) {}
        NodeRef_cl(const NodeRef_cl& other);
        NodeRef_cl(NodeRef_cl&& other) noexcept : m_node(other.m_node) { other.m_node = nullptr; }
        NodeRef_cl& operator=(NodeRef_cl other) noexcept
        {
            IXMLDOMNode* mine = m_node;
            m_node = other.m_node;
            other.m_node = mine;
            return *this;
        }
        ~NodeRef_cl();
        IXMLDOMNode* Get() const { return m_node; }
        IXMLDOMNode* operator->() const { return m_node; }

    private:
        IXMLDOMNode* m_node = nullptr;
    };

public:
    class AttributeId_cl;

    class ElementId_cl {
    public:
        ElementId_cl() = default;

        const wchar_t* ClassName() const { return L"XMLFile_cl::ElementId_cl"; }
        bool IsEmpty() const { return m_node.Get() == nullptr; }

        // Every operation below raises SysError_cl 21 on an empty handle.
        // The element's base name.
        Base_ns::String_cl Name() const;
        // Whether the node is an element, not a comment or text between them.
        bool IsElement() const;
        // The text of the node and of everything in it, as the parser gives
        // it: white space at both ends dropped, entities decoded.
        Base_ns::String_cl Text() const;
        // The first child node of any kind; empty when there is none.
        ElementId_cl FirstChild() const;
        // Moves to the next sibling node of any kind: true; after the last
        // one false, and the handle becomes empty.
        bool NextSibling();
        // The first child element with that base name (exact); empty if none.
        ElementId_cl Child(const Base_ns::String_cl& name) const;
        // Missing: empty handle, or IOError_cl 122 when required.
        AttributeId_cl Attribute(const Base_ns::String_cl& name, bool required) const;

        XMLFile_cl* File() const { return m_owner; }

    private:
        friend class XMLFile_cl;
        // Takes over the reference the caller holds on node.
        ElementId_cl(XMLFile_cl* owner, IXMLDOMNode* node);
        void CheckNotEmpty(int line) const;
        [[noreturn]] void Raise(int line, int code, const Base_ns::String_cl& note) const;

        XMLFile_cl* m_owner = nullptr;
        NodeRef_cl m_node;
    };

    class AttributeId_cl {
    public:
        AttributeId_cl() = default;

        const wchar_t* ClassName() const { return L"XMLFile_cl::AttributeId_cl"; }
        bool IsEmpty() const { return m_node.Get() == nullptr; }

        // Every operation below raises SysError_cl 1 on an empty handle.
        Base_ns::String_cl Name() const;
        Base_ns::String_cl Text() const;
        // The text as a 32-bit signed integer: optional sign, decimal digits,
        // hexadecimal from the first letter on. IOError_cl 101 otherwise.
        int32_t Number() const;

        XMLFile_cl* File() const { return m_owner; }

    private:
        friend class XMLFile_cl;
        friend class ElementId_cl;
        AttributeId_cl(XMLFile_cl* owner, IXMLDOMNode* node);
        void CheckNotEmpty(int line) const;
        [[noreturn]] void Raise(int line, int code, const Base_ns::String_cl& note) const;

        XMLFile_cl* m_owner = nullptr;
        NodeRef_cl m_node;
    };

    // UserError_cl 141, naming the program ids tried, when no MSXML document
    // can be created.
    XMLFile_cl();
    // Releases the document; never saves.
    ~XMLFile_cl();
    XMLFile_cl(const XMLFile_cl&) = delete;
    XMLFile_cl& operator=(const XMLFile_cl&) = delete;

    const wchar_t* ClassName() const { return L"XMLFile_cl"; }

    // A new document with the given root, to be written to path by Close.
    void Create(const Base_ns::String_cl& path, const Base_ns::String_cl& rootName);
    // Loads the file (IOError_cl 151: the path, and after a "：" what was
    // wrong when it is known, on one line, as a row's reason shows it). Files of Visual Studio on a Chinese system declare
    // encoding="gb2312", a name not every MSXML takes: the bytes are decoded
    // here (by mark, or by the declared encoding) and the document gets the
    // text. Every file opened was written by someone else: one with a
    // document type declaration (entities, external resources), a NUL
    // character, more than 16 MB or elements nested deeper than 256 levels
    // is refused before it is parsed.
    void Open(const Base_ns::String_cl& path);
    // Writes the document to path. The file is written beside the target
    // first and replaces it only when complete, so a failed save leaves the
    // target as it was. A target that cannot be replaced (read-only, locked,
    // a folder, a folder missing) raises IOError_cl 154; a write the system
    // fails (a full disk, a failing device) SysError_cl 44 with the file and
    // the system's reason.
    void SaveAs(const Base_ns::String_cl& path);
    // A created document is written to its path; an opened one never is.
    void Close();
    const Base_ns::String_cl& Path() const { return m_path; }
    int32_t Created() const { return m_created; }
    // The program id the document was made from.
    const wchar_t* ProgramId() const;

    // SysError_cl 41 when the document has no root element.
    ElementId_cl Root();
    // Appends an element as the last child of parent (empty: the root);
    // a name the document refuses raises SysError_cl 43.
    ElementId_cl AddElement(const ElementId_cl& parent, const Base_ns::String_cl& name);
    // Sets or replaces an attribute of element (empty: the root); a name the
    // document refuses raises SysError_cl 42.
    void SetAttribute(const ElementId_cl& element, const Base_ns::String_cl& name, const Base_ns::String_cl& text);
    void SetAttribute(const ElementId_cl& element, const Base_ns::String_cl& name, int32_t value);
    // The first child element of the root with that base name; IOError_cl 152 if none.
    ElementId_cl RootChild(const Base_ns::String_cl& name);
    // An attribute of the root; IOError_cl 153 if none.
    AttributeId_cl RootAttribute(const Base_ns::String_cl& name);

    // True when name is an XML name (the DOM of some systems takes any text,
    // and what it would then write could not be read back).
    static bool IsXmlName(const Base_ns::String_cl& name);

private:
    [[noreturn]] void Raise(int line, int code, const Base_ns::String_cl& note) const;
    void SaveTo(const Base_ns::String_cl& target, int line);

    IXMLDOMDocument* m_document;
    Base_ns::String_cl m_path;
    int32_t m_created;
    int m_programId;
};

} // namespace IO_ns
