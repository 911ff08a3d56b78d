#include "app/settings_controller.h"

#include "settings/program_list.h"

namespace ravak {

SettingsController::SettingsController(Settings& settings, SettingsStore& store, LayoutMap& layout,
                                       TypingLayouts& keyboards, ConversionFeature& conversion,
                                       CopyStackFeature& copy_stack,
                                       AutoCorrectFeature& autocorrect,
                                       AutoSwitchFeature& autoswitch, LiveFixFeature& live_fix,
                                       ErrorReport& errors)
    : settings_(settings),
      store_(store),
      layout_(layout),
      keyboards_(keyboards),
      conversion_(conversion),
      copy_stack_(copy_stack),
      autocorrect_(autocorrect),
      autoswitch_(autoswitch),
      live_fix_(live_fix),
      errors_(errors) {
  // An exception learnt from an undo is kept at once.
  autoswitch_.SetOnExceptionAdded([this] {
    ReportErrors(errors_, [this] { store_.SaveExceptions(autoswitch_.Exceptions().Lines()); });
  });
  live_fix_.SetOnExceptionAdded([this] {
    ReportErrors(errors_, [this] {
      store_.SaveExceptions(live_fix_.Exceptions().Lines(), kFixExceptionsName);
    });
  });
}

void SettingsController::Report(const std::vector<std::string>& errors) {
  for (const std::string& message : errors) errors_.ShowError(message);
}

// A field changed by loading or by the window, as a click on its check box would.
void SettingsController::FieldChanged(const SettingsField& field) {
  if (field.member == SettingsMember(&Settings::conversion_enabled)) {
    conversion_.Hotkey().SetActive(settings_.conversion_enabled);
    conversion_.SelectionHotkey().SetActive(settings_.conversion_enabled);
    conversion_.LastWordHotkey().SetActive(settings_.conversion_enabled);
    conversion_.OrthographyHotkey().SetActive(settings_.conversion_enabled);
  } else if (field.member == SettingsMember(&Settings::copy_stack_enabled)) {
    copy_stack_.CopyHotkey().SetActive(settings_.copy_stack_enabled);
    copy_stack_.PasteHotkey().SetActive(settings_.copy_stack_enabled);
  }
}

void SettingsController::SetUpHotkeys() {
  // The conversion combination is registered only while conversion is on, so that out of the
  // box Alt+A stays with the other programs.
  for (auto [hotkey, combination] :
       {std::pair{&conversion_.Hotkey(), settings_.conversion_hotkey},
        std::pair{&conversion_.SelectionHotkey(), settings_.selection_hotkey},
        std::pair{&conversion_.LastWordHotkey(), settings_.last_word_hotkey},
        std::pair{&conversion_.OrthographyHotkey(), settings_.orthography_hotkey}}) {
    hotkey->SetCombination(combination);
    hotkey->SetActive(settings_.conversion_enabled);
  }
  for (auto [hotkey, combination] :
       {std::pair{&copy_stack_.CopyHotkey(), settings_.copy_hotkey},
        std::pair{&copy_stack_.PasteHotkey(), settings_.paste_hotkey}}) {
    hotkey->SetCombination(combination);
    hotkey->SetActive(settings_.copy_stack_enabled);
  }
}

void SettingsController::LoadAutoCorrect() {
  std::vector<std::u16string> lines;
  autocorrect_.List().Clear();
  Report(store_.LoadAutoCorrect(settings_, lines,
                                [this](const SettingsField& f) { FieldChanged(f); }));
  autocorrect_.List().LoadFlat(lines);
  autocorrect_.Editor().ListReloaded();
}

void SettingsController::LoadBoth() {
  Report(store_.LoadGeneral(settings_, [this](const SettingsField& f) { FieldChanged(f); }));
  LoadAutoCorrect();
}

void SettingsController::TakeEdits(const HotkeyEdits& edits) {
  settings_.conversion_hotkey = edits.conversion;
  settings_.copy_hotkey = edits.copy;
  settings_.paste_hotkey = edits.paste;
  settings_.selection_hotkey = edits.selection;
  settings_.last_word_hotkey = edits.last_word;
  settings_.orthography_hotkey = edits.orthography;
}

void SettingsController::Start() {
  ReportErrors(errors_, [this] {
    LoadBoth();
    for (auto [words, name] : {std::pair{&autoswitch_.Exceptions(), kDetectExceptionsName},
                               std::pair{&live_fix_.Exceptions(), kFixExceptionsName}}) {
      std::vector<std::u16string> lines;
      Report(store_.LoadExceptions(lines, name));
      words->SetLines(lines);
    }
    SetUpHotkeys();
    ApplyKeyboardType();
  });
}

std::vector<std::u16string> SettingsController::Exceptions() const {
  WordExceptions all;
  std::vector<std::u16string> lines = autoswitch_.Exceptions().Lines();
  const std::vector<std::u16string> fixes = live_fix_.Exceptions().Lines();
  lines.insert(lines.end(), fixes.begin(), fixes.end());
  all.SetLines(lines);
  return all.Lines();
}

void SettingsController::ClearExceptions() {
  autoswitch_.Exceptions().Clear();
  live_fix_.Exceptions().Clear();
  store_.SaveExceptions({});
  store_.SaveExceptions({}, kFixExceptionsName);
}

void SettingsController::RemoveException(const std::u16string& word) {
  if (autoswitch_.Exceptions().Remove(word))
    store_.SaveExceptions(autoswitch_.Exceptions().Lines());
  if (live_fix_.Exceptions().Remove(word))
    store_.SaveExceptions(live_fix_.Exceptions().Lines(), kFixExceptionsName);
}

bool SettingsController::AddProgram(std::u16string_view program) {
  return ravak::AddProgram(settings_.excluded_programs, program);
}

bool SettingsController::RemoveProgram(std::u16string_view program) {
  return ravak::RemoveProgram(settings_.excluded_programs, program);
}

void SettingsController::ToggleProgram(std::u16string_view program) {
  if (!RemoveProgram(program) && !AddProgram(program)) return;
  for (const SettingsField& field : kGeneralFields) {
    if (field.member == SettingsMember(&Settings::excluded_programs))
      store_.SaveGeneralField(settings_, field);
  }
}

void SettingsController::Apply(const HotkeyEdits& edits) {
  TakeEdits(edits);
  conversion_.Hotkey().SetActive(false);
  conversion_.SelectionHotkey().SetActive(false);
  conversion_.LastWordHotkey().SetActive(false);
  conversion_.OrthographyHotkey().SetActive(false);
  copy_stack_.CopyHotkey().SetActive(false);
  copy_stack_.PasteHotkey().SetActive(false);
  SetUpHotkeys();
  store_.SaveGeneral(settings_);
  store_.SaveAutoCorrect(settings_, autocorrect_.List().Flatten());
}

void SettingsController::Cancel() {
  LoadBoth();
  ApplyKeyboardType();
}

void SettingsController::Exit(const HotkeyEdits& edits) {
  TakeEdits(edits);
  store_.SaveGeneral(settings_);
}

void SettingsController::SetChecked(const SettingsField& field, bool checked) {
  const auto* member = std::get_if<bool Settings::*>(&field.member);
  if (!member || settings_.*(*member) == checked) return;
  settings_.*(*member) = checked;
  FieldChanged(field);
}

void SettingsController::ChooseKeyboardType(std::optional<KeyboardType> type) {
  if (type) settings_.keyboard_type = *type;
  ApplyKeyboardType();
}

void SettingsController::ReadKeyboards() {
  keyboards_.Refresh();
}

void SettingsController::ApplyKeyboardType() {
  ReadKeyboards();
  switch (settings_.keyboard_type) {
    case KeyboardType::kLegacyWindowsDefault:
      settings_.keyboard_type = KeyboardType::kWindowsDefault;
      [[fallthrough]];
    case KeyboardType::kWindowsDefault:
    case KeyboardType::kFarsi:
      shown_keyboard_ = settings_.keyboard_type;
      break;
    default:  // an unknown stored number: the label keeps its text
      break;
  }
  layout_.ApplyKeyboardType(static_cast<int32_t>(settings_.keyboard_type));
}

}  // namespace ravak
