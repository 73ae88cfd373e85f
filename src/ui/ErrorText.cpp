#include "ui/ErrorText.h"

namespace pennora {

bool EndsWithFullStop(std::string_view message) { return message.ends_with('.') || message.ends_with("。"); }

std::string AsSentence(std::string text) { return EndsWithFullStop(text) ? text : text + "。"; }

std::string ErrorReportText(const std::string& message) {
    return EndsWithFullStop(message) ? message : message + ".";
}

}  // namespace pennora
