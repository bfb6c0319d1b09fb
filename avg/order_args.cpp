// An order's parameters read as the player carries the order out.
#include "avg/order_args.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

#include "gfx/hgeColor.h"

namespace avg {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The sign and the digits (with a fraction when [fraction]) at the start of
// [text]; [negative] tells the sign apart. Empty when no digit starts it.
std::string numberPrefix(const std::string& text, bool fraction, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::size_t start = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  bool digits = i > start;
  if (fraction && i < text.size() && text[i] == '.') {
    std::size_t point = i++;
    while (i < text.size() && isDigit(text[i])) ++i;
    digits = digits || i > point + 1;
  }
  return digits ? "0" + text.substr(start, i - start) : std::string();
}

int nonNegative(int value) { return std::max(value, 0); }

// 255 / speed frames, truncated; a speed of 0 or below fades at once.
int fadeFrames(const std::string& speed) {
  int value = readIntParam(speed);
  return value > 0 ? 255 / value : 0;
}

float channel(const std::string& text) {
  return static_cast<float>(std::clamp(readIntParam(text), 0, 255)) / 255.0f;
}

std::string countMessage(xAVGOrderType type, std::size_t count) {
  char line[128];
  std::snprintf(line, sizeof line, "xAVG::ParseOrder: order: %s, invalid param size %d", orderKindName(type),
                static_cast<int>(count));
  return line;
}

// A name, a count N >= 0 and exactly N option texts.
void readSelect(const std::vector<std::string>& p, OrderArgs& args) {
  if (!p.empty()) args.name = p[0];
  if (p.size() >= 2) args.amount = readIntParam(p[1]);
  if (p.size() < 2 || args.amount < 0 || p.size() - 2 != static_cast<std::size_t>(args.amount)) {
    char line[128];
    std::snprintf(line, sizeof line, "XAVG::ParseOrder: order: XAVG_SELECT: invalid param size: %d",
                  static_cast<int>(p.size()));
    args.countOk = false;
    args.countMessage = line;
    return;
  }
  args.options.assign(p.begin() + 2, p.end());
}

// Only called with the count already checked.
void readChecked(xAVGOrderType type, const std::vector<std::string>& p, OrderArgs& args) {
  using T = xAVGOrderType;
  switch (type) {
    case T::TEXT: case T::TEXTADD: case T::SETBG: case T::SETBGM: case T::BGSOUND:
    case T::VOICE: case T::SE: case T::SETTALKER:
      args.name = p[0];
      break;
    case T::IMGIN:
      args.name = p[0];
      args.x = readFloatParam(p[1]);
      args.y = readFloatParam(p[2]);
      args.frames = fadeFrames(p[3]);
      break;
    case T::IMGOUT:
      args.name = p[0];
      args.frames = fadeFrames(p[1]);
      break;
    case T::IMGMOVE:
      args.name = p[0];
      args.x = readFloatParam(p[1]);
      args.y = readFloatParam(p[2]);
      args.frames = nonNegative(readIntParam(p[3]));
      break;
    case T::DELAY:
      args.frames = nonNegative(readIntParam(p[0]));
      break;
    case T::SCREENMOVE:
      args.shakeMode = readIntParam(p[0]);
      args.frames = nonNegative(readIntParam(p[1]));
      args.amplitude = readFloatParam(p[2]);
      if (args.amplitude == 0.0f) args.amplitude = 5.0f;
      break;
    case T::SE_FADEIN: case T::SE_FADEOUT:
      args.name = p[0];
      args.frames = nonNegative(readIntParam(p[1]));
      break;
    case T::ADDPOWER: case T::DECPOWER: case T::SETPOWER:
      args.power = readFloatParam(p[0]);
      break;
    case T::ADDBOMB: case T::DECBOMB: case T::SETBOMB: case T::ADDLIFE: case T::DECLIFE:
    case T::SETLIFE: case T::PLAYERTYPE:
      args.amount = readIntParam(p[0]);
      break;
    case T::SETRGBA:
      args.colour = GetHWColorFromFloats(channel(p[0]), channel(p[1]), channel(p[2]), channel(p[3]));
      break;
    default:
      if (type >= T::SE_OPEN_LEFT_IN && type <= T::SE_OPENWINDOW) args.frames = nonNegative(readIntParam(p[0]));
      break;
  }
}

}  // namespace

int readIntParam(const std::string& text) {
  bool negative = false;
  std::string digits = numberPrefix(text, false, negative);
  long long value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) value = std::numeric_limits<long long>::max();
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

float readFloatParam(const std::string& text) {
  bool negative = false;
  std::string digits = numberPrefix(text, true, negative);
  double value = 0.0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed);
  (void)end;
  constexpr double kMax = std::numeric_limits<float>::max();
  // Out of range is either too many integer digits or a fraction too small to hold.
  if (error == std::errc::result_out_of_range)
    value = digits.find_first_not_of('0') < digits.find('.') ? kMax : 0.0;
  value = std::min(value, kMax);
  return static_cast<float>(negative ? -value : value);
}

OrderArgs readOrderArgs(const xAVGOrder& order) {
  OrderArgs args;
  if (order.type == xAVGOrderType::XAVG_SELECT) {
    readSelect(order.params, args);
    return args;
  }
  int count = orderParamCount(order.type);
  if (count != kAnyCount && order.params.size() != static_cast<std::size_t>(count)) {
    args.countOk = false;
    args.countMessage = countMessage(order.type, order.params.size());
    return args;
  }
  readChecked(order.type, order.params, args);
  return args;
}

}  // namespace avg
