#pragma once
#include <string>

namespace pennora {

// The text of the general error report: the error's own text, with a full stop
// added when it does not already end in one.
std::string ErrorReportText(const std::string& message);

}  // namespace pennora
