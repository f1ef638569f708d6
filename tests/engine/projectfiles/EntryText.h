#pragma once
// What the reader tests compare of a configuration's entry, as one text.
#include <string>
#include "app/engine/ProjectPack.h"

namespace Test_ns {

// "output|outputFile|importLibrary|programDatabase|outputFolder|intermediateFolder|libraries"
// with folder (ending in "\") written as "~\", or "<none>" without an
// entry; UTF-8, so that a difference reads as text.
inline std::string EntryText(const Quorvane_ns::Project_st& project, const wchar_t* key, const Base_ns::String_cl& folder)
{
    const Quorvane_ns::ConfigEntry_st* e = project.configurations.Find(key);
    if (!e) return "<none>";
    Base_ns::String_cl t = e->output + L"|" + e->outputFile + L"|" + e->importLibrary + L"|" + e->programDatabase + L"|" +
                           e->outputFolder + L"|" + e->intermediateFolder + L"|";
    for (const Base_ns::String_cl& l : e->libraries) t += l + L" ";
    t.ReplaceAll(folder, L"~\\");
    return t.ToUtf8();
}

} // namespace Test_ns
