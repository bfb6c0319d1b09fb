// The game's log file, error box and time text.
#include "base/xLogFile.h"

#include <cstdarg>
#include <cstdio>

#include "base/resource_path.h"
#include "engine/platform.h"

namespace {

constexpr std::size_t kMessageBufferSize = 10240;
constexpr unsigned kErrorIconStyle = 0x10;

xLogFile* gLog = nullptr;
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

}  // namespace

xLogFile::xLogFile() : fileName_("log.txt") {
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

void xLogFile::append(const std::string& message) {
  if (message.size() < 2) return;
  std::FILE* file = std::fopen(fileName_.c_str(), "a");
  if (!file) return;
  std::fwrite(message.data(), 1, message.size(), file);
  std::fputc('\n', file);
  std::fclose(file);
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
