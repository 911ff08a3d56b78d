#include "tools/layout_options.h"

#include "keyboard/builtin_layouts.h"
#include "tools/line_filter.h"

namespace ravak::tool {

namespace {

void KnownLayouts(std::ostream& err, bool persian) {
  err << "; " << (persian ? "Persian" : "Latin") << " layouts carried:";
  for (const LayoutId id : BuiltinLayoutIds()) {
    const KeyboardLayout& layout = *BuiltinLayout(id);
    if (persian ? IsPersianLanguage(layout.Language()) : TypesLatinLetters(layout))
      err << ' ' << FormatLayoutId(id);
  }
  err << '\n';
}

}  // namespace

const char kLayoutUsage[] = "[--english-layout KLID] [--persian-layout KLID] [--keyboard-type N]";

OptionTaken TakeLayoutOption(const Args& args, std::size_t& i, LayoutOptions& options,
                             std::ostream& err) {
  const std::string& name = args[i];
  if (name == "--keyboard-type") {
    if (i + 1 >= args.size() || !ParseInt(args[i + 1], options.keyboard_type))
      return OptionTaken::kBad;
    ++i;
    return OptionTaken::kYes;
  }
  const bool english = name == "--english-layout";
  if (!english && name != "--persian-layout") return OptionTaken::kNo;
  if (i + 1 >= args.size()) return OptionTaken::kBad;
  const std::string& value = args[++i];
  const std::optional<LayoutId> id = ParseLayoutId(value);
  const KeyboardLayout* layout = id ? BuiltinLayout(*id) : nullptr;
  if (!layout) {
    err << "ravak-tool: " << value << ": no layout of that KLID is carried";
    KnownLayouts(err, !english);
    return OptionTaken::kBad;
  }
  if (english ? !TypesLatinLetters(*layout) : !IsPersianLanguage(layout->Language())) {
    err << "ravak-tool: " << value << " is not a " << (english ? "Latin" : "Persian") << " layout";
    KnownLayouts(err, !english);
    return OptionTaken::kBad;
  }
  (english ? options.english : options.persian) = *id;
  return OptionTaken::kYes;
}

LayoutMap MakeLayoutMap(const LayoutOptions& options) {
  LayoutMap map(*BuiltinLayout(options.english), *BuiltinLayout(options.persian));
  map.ApplyKeyboardType(options.keyboard_type);
  return map;
}

}  // namespace ravak::tool
