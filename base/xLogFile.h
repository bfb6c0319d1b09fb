// The game's log file "log.txt", the error box, and the time text of log headers.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The process-wide log. Created on first use, which empties the file and
// writes a line of 47 '='; never destroyed.
class xLogFile {
 public:
  // Far above any real session; a message repeated every frame must not
  // fill the disk.
  static constexpr std::size_t kByteCap = std::size_t(64) << 20;

  static xLogFile* getInstance();
  // Appends [message] and an end of line, opening and closing the file each
  // time so the log is complete on disk after every line. Messages shorter
  // than 2 bytes are dropped. The line that would take the file past the
  // cap is replaced by "log.txt reached 64 MiB; nothing more is written",
  // and nothing is written after it.
  void append(const std::string& message);

  // Tests: forget the instance so the next use empties the file again.
  static void resetForTests();
  // Tests: a smaller cap (0 restores the real one); the instance keeps it.
  static void setByteCapForTests(std::size_t cap);

 private:
  xLogFile();
  std::string fileName_;
  bool full_ = false;
  bool outside_ = false;
};

// printf-style; formats into a 10240-byte buffer (longer text is truncated).
// Text from scripts or files must be a %s argument, never the format.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style error box captioned "Error", then the return to the title.
void ShowErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

// How ShowErrorBox meets the game state machine: [allowed] says whether a
// box may be shown now (when not, the message goes to the log), and [closed]
// runs after the box (the fade back to the title). Empty hooks do nothing.
struct ErrorBoxHooks {
  std::function<bool()> allowed;
  std::function<void()> closed;
};
void SetErrorBoxHooks(ErrorBoxHooks hooks);

// Local date and time as "2010-07-05 09:03 07".
std::string GetCurrentTimeString();
