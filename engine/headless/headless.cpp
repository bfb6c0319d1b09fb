// The headless device: no window, a fixed clock, recorded quads and scripted input.
#include "engine/headless/headless.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "engine/device.h"
#include "engine/platform.h"

namespace engine {

// The engine object's pending batch, handed to the device (engine/hge.cpp).
void flushEngineBatch();

namespace headless {
namespace {

struct InputEvent {
  enum class Kind { Down, Up, Pad } kind;
  int key = 0;  // key code, or pad slot
  bool connected = false;
  unsigned buttons = 0;
};

struct Recording {
  std::vector<hgeQuad> quads;
  int batches = 0;
  HTEXTURE lastHandle = 0;
  int lastBlend = -1;
  // A test looked at the recording mid-scene, which hands the engine's
  // pending batch over early: the next batch may continue that one.
  bool splitByInspection = false;
  DWORD clearColor = 0;
  long frames = 0;
};

Recording gRecording;
bool gRecordQuads = true;  // kept across System_Initiate, unlike the recording
std::multimap<long, InputEvent> gEvents;

void applyEvents(long frame, InputState& input) {
  auto [first, last] = gEvents.equal_range(frame);
  for (auto it = first; it != last; ++it) {
    const InputEvent& e = it->second;
    switch (e.kind) {
      case InputEvent::Kind::Down: input.keyEvent(e.key, true); break;
      case InputEvent::Kind::Up: input.keyEvent(e.key, false); break;
      case InputEvent::Kind::Pad: input.setPad(e.key, e.connected, e.buttons); break;
    }
  }
}

class HeadlessDevice final : public Device {
 public:
  bool open(const DeviceConfig&, std::string&) override {
    gRecording = Recording{};
    return true;
  }
  void close(TextureStore&) override {}
  bool realTime() const override { return false; }
  bool poll(long frame, InputState& input) override {
    applyEvents(frame, input);
    gRecording.frames = frame + 1;
    return true;
  }
  void setTitle(const std::string&) override {}
  void* windowHandle() override { return nullptr; }
  void clear(DWORD color) override { gRecording.clearColor = color; }
  void beginScene() override {
    gRecording.quads.clear();  // keeps its capacity: no allocation per quad later
    gRecording.batches = 0;
    gRecording.lastBlend = -1;
    gRecording.splitByInspection = false;
  }
  void drawBatch(HTEXTURE handle, Texture*, int blend, const hgeVertex* vertices, int quads) override;
  void endScene(long) override {}
  void textureWillChange(Texture&) override {}
  void textureFreed(Texture&) override {}
};

// Every batch the engine hands over counts, as a draw call would.
void HeadlessDevice::drawBatch(HTEXTURE handle, Texture*, int blend, const hgeVertex* vertices,
                               int quads) {
  bool continues = gRecording.splitByInspection && gRecording.batches > 0 &&
                   handle == gRecording.lastHandle && blend == gRecording.lastBlend;
  gRecording.splitByInspection = false;
  if (!continues) ++gRecording.batches;
  gRecording.lastHandle = handle;
  gRecording.lastBlend = blend;
  if (!gRecordQuads) return;
  for (int q = 0; q < quads; ++q) {
    hgeQuad quad;
    for (int c = 0; c < 4; ++c) quad.v[c] = vertices[q * 4 + c];
    quad.tex = handle;
    quad.blend = blend;
    gRecording.quads.push_back(quad);
  }
}

bool parseNumber(const std::string& text, int base, long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtol(text.c_str(), &end, base);
  return *end == '\0';
}

// One line of the input script; false if it is malformed.
bool parseLine(const std::string& line, long& frame, InputEvent& event) {
  std::istringstream in(line);
  std::string frameText, verb, a, b, c, extra;
  in >> frameText >> verb >> a;
  if (!parseNumber(frameText, 10, frame) || frame < 0) return false;
  long n = 0;
  if (verb == "down" || verb == "up") {
    if (!parseNumber(a, 10, n) || n < 0 || n > 255 || (in >> extra)) return false;
    event.kind = verb == "down" ? InputEvent::Kind::Down : InputEvent::Kind::Up;
    event.key = static_cast<int>(n);
    return true;
  }
  long connected = 0, buttons = 0;
  in >> b >> c;
  if (verb != "pad" || !parseNumber(a, 10, n) || n < 0 || n > 3 || !parseNumber(b, 10, connected) ||
      !parseNumber(c, 0, buttons) || buttons < 0 || buttons > 0xFFFF || (in >> extra)) {
    return false;
  }
  event.kind = InputEvent::Kind::Pad;
  event.key = static_cast<int>(n);
  event.connected = connected != 0;
  event.buttons = static_cast<unsigned>(buttons);
  return true;
}

}  // namespace

namespace {

void inspect() {
  size_t before = gRecording.quads.size();
  flushEngineBatch();
  if (gRecording.quads.size() != before) gRecording.splitByInspection = true;
}

}  // namespace

const std::vector<hgeQuad>& recordedQuads() {
  inspect();
  return gRecording.quads;
}

int recordedBatchCount() {
  inspect();
  return gRecording.batches;
}

DWORD lastClearColor() {
  return gRecording.clearColor;
}

void keyDown(long frame, int key) {
  gEvents.emplace(frame, InputEvent{InputEvent::Kind::Down, key});
}

void keyUp(long frame, int key) {
  gEvents.emplace(frame, InputEvent{InputEvent::Kind::Up, key});
}

void padState(long frame, int pad, bool connected, unsigned buttons) {
  gEvents.emplace(frame, InputEvent{InputEvent::Kind::Pad, pad, connected, buttons});
}

// Adds the script's events to those already queued; nothing is added when
// a line is malformed.
bool loadInputScript(const std::string& path, std::string& error) {
  std::vector<unsigned char> bytes;
  int code = 0;
  if (!readFileAt(path, bytes, &code)) {
    error = path + ": cannot open: " + std::strerror(code);
    return false;
  }
  std::istringstream file(std::string(bytes.begin(), bytes.end()));
  std::multimap<long, InputEvent> parsed;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    long frame = 0;
    InputEvent event{};
    if (!parseLine(line, frame, event)) {
      error = path + ":" + std::to_string(number) + ": bad input line";
      return false;
    }
    parsed.emplace(frame, event);
  }
  gEvents.merge(parsed);
  return true;
}

void setQuadRecording(bool on) {
  gRecordQuads = on;
}

void clearInput() {
  gEvents.clear();
}

void applyScriptedInput(long frame, InputState& input) {
  applyEvents(frame, input);
}

long frameCount() {
  return gRecording.frames;
}

}  // namespace headless

std::unique_ptr<Device> makeHeadlessDevice() {
  return std::make_unique<headless::HeadlessDevice>();
}

}  // namespace engine
