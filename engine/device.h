// What a backend's device (window or headless) does for the engine object: events and drawing.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/hge.h"
#include "engine/input.h"
#include "engine/textures.h"

namespace engine {

// The window settings a backend opens with (the HGE states at System_Initiate).
struct DeviceConfig {
  std::string title;
  int width = 800;
  int height = 600;
  bool windowed = true;
  bool hideMouse = true;
  bool dontSuspend = false;
  bool textureFilter = true;
  std::vector<std::pair<long, std::string>> screenshots;  // frame, PNG file
};

// The engine object does the loop, the clock, batching and the transform;
// a backend only talks to its device. Batches arrive in submission order.
class Device {
 public:
  virtual ~Device() = default;

  [[nodiscard]] virtual bool open(const DeviceConfig& config, std::string& error) = 0;
  // Releases the device; [textures] lose their device names.
  virtual void close(TextureStore& textures) = 0;
  // True for the window: the loop follows the real clock and sleeps to
  // each frame boundary. False: a fixed 1/60 s per frame, no sleeping.
  virtual bool realTime() const = 0;
  // Applies the events due at the start of frame [frame] (0-based) to
  // [input]. False when the window was closed.
  virtual bool poll(long frame, InputState& input) = 0;
  virtual void setTitle(const std::string& title) = 0;
  virtual void* windowHandle() = 0;

  virtual void clear(DWORD color) = 0;
  virtual void beginScene() = 0;
  // [quads] quads of four vertices with one texture and blend. [texture] is
  // null (and [handle] 0) for untextured quads, stale handles included.
  virtual void drawBatch(HTEXTURE handle, Texture* texture, int blend, const hgeVertex* vertices,
                         int quads) = 0;
  // Shows the frame [frame]; the window writes the screenshot when it is due.
  virtual void endScene(long frame) = 0;
  // [texture]'s pixels are about to be written: draws queued so far must
  // still show the old ones.
  virtual void textureWillChange(Texture& texture) = 0;
  // [texture] is about to be removed: release its device name.
  virtual void textureFreed(Texture& texture) = 0;
};

std::unique_ptr<Device> makeHeadlessDevice();
std::unique_ptr<Device> makeWindowDevice();

}  // namespace engine
