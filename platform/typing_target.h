// What the user is typing into: the foreground window's keyboard layout, whether its focused
// control hides what is typed, the selection of a standard text control, the program in front,
// whether it fills the screen, and where its caret is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ravak {

// A rectangle on the screen, in pixels.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

class TypingTargetQuery {
 public:
  virtual ~TypingTargetQuery() = default;
  // The keyboard layout of the foreground window's thread: its handle's low 32 bits (the input
  // language in the low word), as the typing path stamps each input.
  virtual uint32_t ForegroundLayout() = 0;
  // Whether what has the keyboard focus is a password field.
  virtual bool FocusIsPassword() = 0;
  // The selection (start, end) of the focused control when it is a standard edit or rich edit
  // control; false for any other kind of field, whose selection cannot be read.
  virtual bool FieldSelection(uint32_t& start, uint32_t& end) {
    (void)start;
    (void)end;
    return false;
  }
  // The text before the caret on its line in that control; false when it is another kind of
  // field, text is selected, or the line is too long to read.
  virtual bool FieldLineBeforeCaret(std::u16string& text) {
    (void)text;
    return false;
  }
  // Whether the window in front is a console or terminal, which cuts and pastes with no Ctrl+X
  // and Ctrl+V.
  virtual bool FocusIsConsole() { return false; }
  // Selects from start to end (the caret at end) in that control.
  virtual void SelectInField(uint32_t start, uint32_t end) {
    (void)start;
    (void)end;
  }
  // The executable file name of the program whose window is in front ("notepad.exe"); empty
  // when there is none, or it is Ravak's own window.
  virtual std::u16string ForegroundProgram() { return {}; }
  // Whether the window in front fills its monitor with no frame: a game, a presentation, a video
  // or a page shown full screen.
  virtual bool ForegroundIsFullScreen() { return false; }
  // The caret of the window in front, on the screen; nothing when the system knows of none.
  virtual std::optional<ScreenRect> CaretRect() { return std::nullopt; }
};

}  // namespace ravak
