// The game's log file, error box and time text.
#include "base/xLogFile.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>

#include "base/resource_path.h"
#include "engine/platform.h"

namespace {

constexpr std::size_t kMessageBufferSize = 10240;
constexpr unsigned kErrorIconStyle = 0x10;

xLogFile* gLog = nullptr;
std::size_t gByteCap = xLogFile::kByteCap;
ErrorBoxHooks gErrorBoxHooks;

// Formats into the fixed message buffer; longer text is cut at its end.
std::string formatMessage(const char* format, va_list args) {
  char buffer[kMessageBufferSize] = {};
  std::vsnprintf(buffer, sizeof buffer, format, args);
  return buffer;
}

// The box's UTF-8 text; bytes that are not code page 936 show as '?'.
std::string displayText(const std::string& message) {
  bool ok = true;
  std::string text = engine::cp936ToUtf8(message, &ok);
  if (ok) return text;
  text = message;
  for (char& c : text)
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  return text;
}

// "64 MiB", or the bytes when the cap is no whole number of MiB.
std::string capText(std::size_t cap) {
  constexpr std::size_t kMiB = std::size_t(1) << 20;
  if (cap % kMiB == 0) return std::to_string(cap / kMiB) + " MiB";
  return std::to_string(cap) + " bytes";
}

std::size_t sizeOf(std::FILE* file) {
  struct stat info;
  return ::fstat(fileno(file), &info) == 0 ? std::size_t(info.st_size) : 0;
}

}  // namespace

xLogFile::xLogFile() : fileName_("log.txt") {
  // A log.txt that links out of the game folder is left alone. Once emptied
  // here it is the game's own file, so this is asked once, not per line.
  outside_ = !engine::staysInGameFolder(fileName_);
  if (outside_) return;
  if (std::FILE* file = std::fopen(fileName_.c_str(), "w")) {
    std::fputs("===============================================\n", file);
    std::fclose(file);
  }
}

xLogFile* xLogFile::getInstance() {
  if (!gLog) gLog = new xLogFile();
  return gLog;
}

void xLogFile::resetForTests() {
  delete gLog;
  gLog = nullptr;
}

void xLogFile::setByteCapForTests(std::size_t cap) { gByteCap = cap ? cap : kByteCap; }

void xLogFile::append(const std::string& message) {
  if (message.size() < 2 || full_ || outside_) return;
  std::FILE* file = std::fopen(fileName_.c_str(), "a");
  if (!file) return;
  // Room is kept for the closing line, so the file never passes the cap.
  const std::string last = "log.txt reached " + capText(gByteCap) + "; nothing more is written";
  const std::size_t size = sizeOf(file);
  const bool fits = size < gByteCap && gByteCap - size >= message.size() + last.size() + 2;
  const std::string& line = fits ? message : last;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fputc('\n', file);
  std::fclose(file);
  full_ = !fits;
}

void WriteLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = formatMessage(format, args);
  va_end(args);
  xLogFile::getInstance()->append(message);
}

void ShowErrorBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = formatMessage(format, args);
  va_end(args);
  if (gErrorBoxHooks.allowed && !gErrorBoxHooks.allowed()) {
    WriteLog("ShowErrorBox: %s", message.c_str());
    return;
  }
  engine::messageBox(displayText(message), "Error", kErrorIconStyle);
  if (gErrorBoxHooks.closed) gErrorBoxHooks.closed();
}

void SetErrorBoxHooks(ErrorBoxHooks hooks) { gErrorBoxHooks = std::move(hooks); }

std::string GetCurrentTimeString() {
  std::tm now = engine::localTime();
  char text[64];
  std::snprintf(text, sizeof text, "%u-%.2u-%.2u %.2u:%.2u %.2u", unsigned(now.tm_year + 1900),
                unsigned(now.tm_mon + 1), unsigned(now.tm_mday), unsigned(now.tm_hour),
                unsigned(now.tm_min), unsigned(now.tm_sec));
  return text;
}
