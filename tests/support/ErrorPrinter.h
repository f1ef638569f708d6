#pragma once
// How tests show our error objects. GoogleTest knows only std::exception, so
// an Error_cl that escapes a test would be reported as an "unknown C++
// exception"; the reporter installed by the tests' main names it instead.
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include "common/base/Error.h"

namespace Base_ns {
// Found by GoogleTest's printers through argument-dependent lookup, for every
// class of the family (a PrintTo of the base class would lose to GoogleTest's
// own template for the derived ones).
std::ostream& operator<<(std::ostream& os, const Error_cl& error);
} // namespace Base_ns

namespace Test_ns {

// One line in UTF-8: the error's own class, the class that raised it, code,
// message, note, source file and line.
std::string Describe(const Base_ns::Error_cl& error);

// Prints the Error_cl whose escape GoogleTest has just reported as an
// unknown exception, right under that failure. GoogleTest reports it from
// inside its catch block, so the exception is still the current one here. (It
// cannot be added as a failure of its own: GoogleTest holds a lock that is
// not reentrant while it tells the listeners.)
class EscapedErrorReporter_cl : public ::testing::EmptyTestEventListener {
public:
    explicit EscapedErrorReporter_cl(std::ostream& out) : m_out(out) {}
    void OnTestPartResult(const ::testing::TestPartResult& result) override;

private:
    std::ostream& m_out;
};

} // namespace Test_ns
