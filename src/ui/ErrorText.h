#pragma once
#include <string>
#include <string_view>

namespace pennora {

// Whether a message already ends a sentence: with "." or the Chinese "。".
bool EndsWithFullStop(std::string_view message);

// `text` ended with the Chinese full stop "。" unless it ends a sentence
// already, so sentences can be joined.
std::string AsSentence(std::string text);

// The text of the general error report: the error's own text, with a full stop
// added when it does not already end in one.
std::string ErrorReportText(const std::string& message);

}  // namespace pennora
