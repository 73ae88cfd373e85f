#include "app/ErrorText.h"

namespace pennora {

std::string ErrorReportText(const std::string& message) {
    static const std::string kChineseFullStop = "。";
    bool ends = !message.empty() && (message.back() == '.' ||
                                     (message.size() >= kChineseFullStop.size() &&
                                      message.compare(message.size() - kChineseFullStop.size(),
                                                      kChineseFullStop.size(), kChineseFullStop) == 0));
    return ends ? message : message + ".";
}

}  // namespace pennora
