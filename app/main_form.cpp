#include "app/main_form.h"

#include <exception>

namespace ravak {

namespace {

BooleanProperty Bind(CheckBox& box) {
  return {[&box] { return box.checked; }, [&box](bool v) { box.SetChecked(v); }};
}

IntegerProperty Bind(int32_t& value) {
  return {[&value] { return value; }, [&value](int32_t v) { value = v; }};
}

// A hotkey edit keeps only the low 16 bits of a stored shortcut word.
IntegerProperty BindShortCut(uint16_t& value) {
  return {[&value] { return static_cast<int32_t>(value); },
          [&value](int32_t v) { value = static_cast<uint16_t>(v); }};
}

}  // namespace

TfrmMain::TfrmMain(MainFormServices services, MainView& view)
    : gkRavak(services.hotkeys, services.errors),
      gkProCopy(services.hotkeys, services.errors),
      gkProPaste(services.hotkeys, services.errors),
      conversion(layout, services.input, services.clipboard, services.thread_sleeper,
                 services.threads),
      pro(lstPr, services.input, services.clipboard),
      acEditor(lvAC),
      autoCorrect(lvAC, services.input, services.clipboard, services.foreground),
      services_(services),
      view_(view),
      iniFile1_(services.registry),
      property_general_(iniFile1_, "General"),
      property_ac_(iniFile1_, "AutoCorrect") {
  // The components as the form declares them: inactive, with their declared combinations.
  gkRavak.SetActive(false);
  gkRavak.SetHotKey(16503);  // Ctrl+F8
  gkProCopy.SetActive(false);
  gkProCopy.SetHotKey(49219);
  gkProPaste.SetActive(false);
  gkProPaste.SetHotKey(49238);
  gkRavak.SetOnKeyDown(
      [this](TLMDGlobalHotKey& s, uint16_t& k, ShiftState sh) { gkRavakKeyDown(s, k, sh); });
  gkProCopy.SetOnKeyDown(
      [this](TLMDGlobalHotKey& s, uint16_t& k, ShiftState sh) { gkProCopyKeyDown(s, k, sh); });
  gkProPaste.SetOnKeyDown(
      [this](TLMDGlobalHotKey& s, uint16_t& k, ShiftState sh) { gkProPasteKeyDown(s, k, sh); });

  chkRavak.onClick = [this] { chkRavakClick(); };
  chkActivePro.onClick = [this] { chkActiveProClick(); };
  chkRTL.onClick = [this] {
    acEditor.SetRightToLeft(chkRTL.checked);
    view_.ModelChanged();
  };

  property_general_ = MakeGeneralStore(
      iniFile1_,
      GeneralBindings{Bind(chkActivePro), Bind(chkAutoChangeLng), Bind(dxmdt1Tag),
                      BindShortCut(hk1), BindShortCut(hkProCopy), BindShortCut(hkProPaste),
                      Bind(lblKey.Tag), Bind(chkACEN), Bind(chkRTL), Bind(chkSlowSystem),
                      Bind(chkShowTips), Bind(chkRavak)});
  property_ac_ = MakeAutoCorrectStore(
      iniFile1_,
      AutoCorrectBindings{Bind(chkACEN),
                          {[this] { return lstSaveAC; },
                           [this](const std::vector<std::u16string>& v) { lstSaveAC = v; }}});
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    services_.errors.ShowError(e.what());
  }
}

void TfrmMain::ReportLoadErrors(const std::vector<std::string>& errors) {
  for (const std::string& message : errors) services_.errors.ShowError(message);
}

void TfrmMain::SetUpHotkeys() {
  // The conversion combination is registered only while conversion is on, so that out of the
  // box Alt+A stays with the other programs.
  gkRavak.SetHotKey(hk1);
  gkRavak.SetActive(chkRavak.checked);
  gkProCopy.SetHotKey(hkProCopy);
  gkProCopy.SetActive(chkActivePro.checked);
  gkProPaste.SetHotKey(hkProPaste);
  gkProPaste.SetActive(chkActivePro.checked);
}

void TfrmMain::FormCreate() {
  Run([this] {
    ReportLoadErrors(property_general_.Load());
    LoadPropertyAC();
    view_.SelectTab(0);
    SetUpHotkeys();
    UpdateFormData();
  });
  view_.ModelChanged();
  if (chkShowTips.checked && onNextSaying) Run(onNextSaying);
}

void TfrmMain::btnOKClick(int button_tag) {
  Run([this] {
    view_.ReadHotkeyEdits(hk1, hkProCopy, hkProPaste);
    gkRavak.SetActive(false);
    gkProCopy.SetActive(false);
    gkProPaste.SetActive(false);
    SetUpHotkeys();
    property_general_.Save();
    SavePropertyAC();
  });
  if (button_tag == 0) {
    settings_visible_ = false;
    view_.HideSettings();
  }
}

void TfrmMain::btn1Click() {
  settings_visible_ = false;
  view_.HideSettings();
  Run([this] {
    ReportLoadErrors(property_general_.Load());
    LoadPropertyAC();
    // The keyboard type shown and used follows the stored one again.
    UpdateFormData();
  });
  view_.ModelChanged();
}

bool TfrmMain::FormCloseQuery() {
  Run([this] {
    view_.ReadHotkeyEdits(hk1, hkProCopy, hkProPaste);
    property_general_.Save();
  });
  return true;
}

void TfrmMain::btnChangeKeyClick() {
  const int r = view_.ShowKeyboardTypeDialog();
  if (r != 2) lblKey.Tag = r;
  UpdateFormData();
}

void TfrmMain::chkRavakClick() {
  gkRavak.SetActive(chkRavak.checked);
}

void TfrmMain::chkActiveProClick() {
  gkProCopy.SetActive(chkActivePro.checked);
  gkProPaste.SetActive(chkActivePro.checked);
}

void TfrmMain::N1Click() {
  settings_visible_ = true;
  view_.ShowSettings();
}

void TfrmMain::N3Click() {
  UpdateFormData();
  view_.ShowAboutSplash();
}

void TfrmMain::N7Click() {
  view_.CloseMainWindow();
}

void TfrmMain::N9Click() {
  conversion.ConvertCurrentLine();
}

void TfrmMain::gkRavakKeyDown(TLMDGlobalHotKey&, uint16_t& key, ShiftState shift) {
  conversion.HotKeyDown({ActiveFlag, chkRavak.checked, chkAutoChangeLng.checked}, key, shift);
}

void TfrmMain::gkProCopyKeyDown(TLMDGlobalHotKey&, uint16_t& key, ShiftState) {
  pro.CopyKeyDown(ActiveFlag, key);
}

void TfrmMain::gkProPasteKeyDown(TLMDGlobalHotKey&, uint16_t& key, ShiftState) {
  pro.PasteKeyDown(ActiveFlag, key);
}

void TfrmMain::khook1KeyDown(uint16_t key, ShiftState shift) {
  autoCorrect.KeyDown({ActiveFlag, chkACEN.checked}, key, shift);
}

void TfrmMain::UpdateFormData() {
  switch (lblKey.Tag) {
    case 1:
      lblKey.text = kKeyboardDefaultText;
      break;
    case 2:
      lblKey.Tag = 1;
      lblKey.text = kKeyboardDefaultText;
      break;
    case 3:
      lblKey.text = kKeyboardFarsiText;
      break;
    default:
      break;
  }
  layout.ApplyKeyboardType(lblKey.Tag);
  view_.ModelChanged();
}

void TfrmMain::SavePropertyAC() {
  lstSaveAC = lvAC.Flatten();
  property_ac_.Save();
}

void TfrmMain::LoadPropertyAC() {
  lstSaveAC.clear();
  lvAC.Clear();
  ReportLoadErrors(property_ac_.Load());
  lvAC.LoadFlat(lstSaveAC);
  acEditor.ListReloaded();
  if (onAutoCorrectLoaded) onAutoCorrectLoaded();
}

void TfrmMain::Paste(const std::u16string& text) {
  ravak::Paste(services_.input, services_.clipboard, text);
}

}  // namespace ravak
