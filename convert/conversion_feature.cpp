#include "convert/conversion_feature.h"

#include <utility>

namespace ravak {

ConversionFeature::ConversionFeature(const Settings& settings, const MasterSwitch& master,
                                     TypingLayouts& layouts, SyntheticInput& input,
                                     ClipboardText& clipboard, Sleeper& thread_sleeper,
                                     ThreadStarter& threads, HotkeyRegistrar& registrar,
                                     ErrorReport& errors, KeyStream& keys,
                                     TypingTargetQuery& target, TypedRecord& record)
    : settings_(settings),
      master_(master),
      command_(layouts, input, clipboard, thread_sleeper, threads, target, record),
      hotkey_(registrar, errors, keys),
      selection_hotkey_(registrar, errors, keys),
      last_word_hotkey_(registrar, errors, keys),
      orthography_hotkey_(registrar, errors, keys) {
  using Scope = ConversionCommand::Scope;
  for (auto [hotkey, scope] :
       {std::pair{&hotkey_, Scope::kLine}, std::pair{&selection_hotkey_, Scope::kSelection},
        std::pair{&last_word_hotkey_, Scope::kLastWord},
        std::pair{&orthography_hotkey_, Scope::kOrthography}}) {
    hotkey->SetActive(false);
    hotkey->SetOnPress([this, scope = scope](ShiftState held, uint32_t layout) {
      command_.HotkeyPressed(scope,
                             {master_.on, settings_.conversion_enabled, settings_.switch_language,
                              settings_.fix_non_joiners},
                             held, layout);
    });
  }
  hotkey_.SetCombination(0x4077);  // Ctrl+F8
}

}  // namespace ravak
