#include "tests/support/ErrorPrinter.h"
#include <exception>

namespace Base_ns {

std::ostream& operator<<(std::ostream& os, const Error_cl& error) { return os << Test_ns::Describe(error); }

} // namespace Base_ns

namespace Test_ns {

namespace {

const char* KindOf(const Base_ns::Error_cl& error)
{
    // Most derived first: an IOError_cl is a UserError_cl too.
    if (dynamic_cast<const IO_ns::IOError_cl*>(&error)) return "IOError_cl";
    if (dynamic_cast<const Base_ns::UserError_cl*>(&error)) return "UserError_cl";
    if (dynamic_cast<const Base_ns::SysError_cl*>(&error)) return "SysError_cl";
    return "Error_cl";
}

} // namespace

std::string Describe(const Base_ns::Error_cl& error)
{
    return std::string(KindOf(error)) + " raised by " + error.ClassName().ToUtf8() + ": code " +
           std::to_string(error.Code()) + " \"" + error.Message().ToUtf8() + "\", note \"" +
           error.Note().ToUtf8() + "\", at " + error.File().ToUtf8() + ":" + std::to_string(error.Line());
}

void EscapedErrorReporter_cl::OnTestPartResult(const ::testing::TestPartResult& result)
{
    // GoogleTest reports an escaped exception as a fatal failure without a
    // place; a failure inside a test's own catch block has one.
    if (!result.fatally_failed() || result.file_name() != nullptr) return;
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const Base_ns::Error_cl& error) {
        m_out << "The exception thrown: " << Describe(error) << std::endl;
    } catch (...) {
        // Not ours: GoogleTest's own message is all there is to say.
    }
}

} // namespace Test_ns
