// TfrmMain: the settings window and owner of everything that lives for the whole run. This is
// its logic over a model of its controls; the Win32 dialog binds the model to real controls
// and calls the handlers below.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "autocorrect/autocorrect_editor.h"
#include "autocorrect/autocorrect_engine.h"
#include "clipstack/clip_stack.h"
#include "convert/conversion.h"
#include "hotkeys/global_hotkey.h"
#include "platform/registry.h"

namespace ravak {

// A check box: whenever its state changes, by the user or by the program (loading the settings,
// say), its click handler runs.
struct CheckBox {
  bool checked = false;
  std::function<void()> onClick;
  void SetChecked(bool value) {
    if (value == checked) return;
    checked = value;
    if (onClick) onClick();
  }
};

// What the window needs from the screen: the Win32 dialog implements it, tests record it.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void ShowSettings() = 0;
  virtual void HideSettings() = 0;
  virtual void SelectTab(int index) = 0;
  // The model changed (settings loaded, keyboard type, direction): show it in the controls.
  virtual void ModelChanged() = 0;
  // The hotkey edits as the user left them; read before OK, Apply and the close query.
  virtual void ReadHotkeyEdits(uint16_t& hk1, uint16_t& hkProCopy, uint16_t& hkProPaste) = 0;
  // frmSelKey, modal: 1 Windows default keyboard, 3 Farsi-type keyboard, 2 back or closed.
  virtual int ShowKeyboardTypeDialog() = 0;
  virtual void ShowAboutSplash() = 0;
  // Closes the main window; its close query runs, then the program ends.
  virtual void CloseMainWindow() = 0;
};

// The platform services the window and its commands act through.
struct MainFormServices {
  Registry& registry;
  HotkeyRegistrar& hotkeys;
  ErrorReport& errors;
  SyntheticInput& input;
  ClipboardText& clipboard;
  Sleeper& thread_sleeper;
  ThreadStarter& threads;
  ForegroundWindowQuery& foreground;
};

class TfrmMain {
 public:
  static constexpr char16_t kKeyboardDefaultText[] = u"کلید پیش فرض ویندوز";
  static constexpr char16_t kKeyboardFarsiText[] = u"صفحه کلید فارسی";
  static constexpr char16_t kLblKeyInitialText[] = u"lblKey";

  TfrmMain(MainFormServices services, MainView& view);
  ~TfrmMain();
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // --- controls (the settings are their states) ---
  CheckBox chkRavak, chkAutoChangeLng, chkShowTips, chkSlowSystem, chkActivePro, chkACEN, chkRTL;
  uint16_t hk1 = 32833;         // Alt+A
  uint16_t hkProCopy = 49219;   // Ctrl+Alt+C
  uint16_t hkProPaste = 49238;  // Ctrl+Alt+V
  struct {
    std::u16string text = kLblKeyInitialText;
    int32_t Tag = 1;
  } lblKey;
  int32_t dxmdt1Tag = 0;                  // position in the sayings list
  std::vector<std::u16string> lstSaveAC;  // the auto-correct list in stored form
  bool ActiveFlag = true;                 // tick of the tray item "فعال"; never stored

  // --- components ---
  TLMDGlobalHotKey gkRavak, gkProCopy, gkProPaste;
  LayoutMap layout;
  ConversionCommand conversion;
  ClipItemList lstPr;  // the advanced copy's item list
  AdvancedCopyPaste pro;
  AutoCorrectList lvAC;  // the auto-correct list
  AutoCorrectEditor acEditor;
  AutoCorrectEngine autoCorrect;

  // Operations that later parts of the window supply (sayings, auto-correct list view).
  std::function<void()> onNextSaying;         // mniNextSokhanClick
  std::function<void()> onPreviousSaying;     // mniBackSokhanClick
  std::function<void()> onShowSaying;         // jvtrycn1DblClick
  std::function<void()> onAutoCorrectLoaded;  // lvAC rebuilt from lstSaveAC
  std::function<void()> onAutoCorrectSaving;  // lstSaveAC flattened from lvAC
  std::function<void()> onCopyHotKey;         // ProCopy
  std::function<void()> onPasteHotKey;        // ProPaste

  // --- handlers ---
  void FormCreate();
  void btnOKClick(int button_tag);  // btnOK (Tag 0) and btnApply (Tag 1)
  void btn1Click();                 // Cancel
  bool FormCloseQuery();
  void btnChangeKeyClick();
  void chkRavakClick();
  void chkActiveProClick();
  void N1Click();  // change settings
  void N3Click();  // About
  void N7Click();  // Exit
  void N8Click() {}
  void N9Click();
  void mnuActiveAllClick() { ActiveFlag = !ActiveFlag; }
  void gkRavakKeyDown(TLMDGlobalHotKey& sender, uint16_t& key, ShiftState shift);
  void gkProCopyKeyDown(TLMDGlobalHotKey& sender, uint16_t& key, ShiftState shift);
  void gkProPasteKeyDown(TLMDGlobalHotKey& sender, uint16_t& key, ShiftState shift);
  // A key pressed anywhere on the desktop, as the keyboard hook reports it.
  void khook1KeyDown(uint16_t key, ShiftState shift);

  void UpdateFormData();
  void SavePropertyAC();
  void LoadPropertyAC();
  void Paste(const std::u16string& text);
  void RelaseShifts() { services_.input.RelaseShifts(); }

  // Runs a handler as the event sources do: an error goes to the general error report.
  void Run(const std::function<void()>& handler);

  TRzPropertyStore& PropertyGeneral() { return property_general_; }
  TRzPropertyStore& PropertyAC() { return property_ac_; }
  bool SettingsVisible() const { return settings_visible_; }

 private:
  void SetUpHotkeys();
  void ReportLoadErrors(const std::vector<std::string>& errors);

  MainFormServices services_;
  MainView& view_;
  TRzRegIniFile iniFile1_;
  TRzPropertyStore property_general_;
  TRzPropertyStore property_ac_;
  bool settings_visible_ = false;
};

}  // namespace ravak
