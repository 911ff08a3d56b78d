#include "app/startup.h"

namespace ravak {

std::u16string DefaultApplicationTitle(const std::u16string& file_name) {
  std::u16string name = file_name;
  const auto slash = name.find_last_of(u"\\/");
  if (slash != std::u16string::npos) name.erase(0, slash + 1);
  const auto dot = name.find(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] >= u'A' && name[i] <= u'Z') name[i] = static_cast<char16_t>(name[i] + 32);
  }
  return name;
}

}  // namespace ravak
