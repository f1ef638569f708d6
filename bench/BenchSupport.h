#pragma once
// What every benchmark needs around its measurement: a clock, files written
// and removed, the builder stand-in laid out by the build, and averages.
#include <string>
#include <vector>
#include "common/base/String.h"

namespace Bench_ns {

using Base_ns::String_cl;

// A new folder "qv-bench-<name>-<process id>" in the temporary folder,
// without a trailing "\".
String_cl TempFolder(const wchar_t* name);
// A static library project named name, its output and intermediate files
// in "out" beside it, as Visual Studio 2008 writes it in Windows-1252.
std::string LibraryProjectXml(const std::string& name);
// Seconds on the high-resolution counter.
double Now();
bool WriteFileBytes(const String_cl& path, const std::string& bytes);
// The folder (with or without its trailing "\") and everything in it,
// read-only files too.
void RemoveTree(const String_cl& folder);
// The stand-in installation of the build for this Windows' code page
// (<build>\vs\zh\ under 936, <build>\vs\en\ otherwise), beside bin\.
String_cl StandinDirectory();
double Mean(const std::vector<double>& values);
double Median(std::vector<double> values);

} // namespace Bench_ns
