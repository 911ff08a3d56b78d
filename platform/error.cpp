#include "platform/error.h"

namespace ravak {

std::string FormatMessage1(const std::string& format, const std::string& arg) {
  const auto pos = format.find("%s");
  if (pos == std::string::npos) return format;
  return format.substr(0, pos) + arg + format.substr(pos + 2);
}

std::string ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace ravak
