// Input actions driven by scripted keys and pads: repeat timing, pad masks, configured codes, re-binding.
#include "core/xInputManager.h"

#include <map>
#include <vector>

#include "tests/core/core_fixture.h"

namespace {

using engine::headless::keyDown;
using engine::headless::keyUp;
using engine::headless::padState;

// Frames (counted from 0) in which each action read pressed.
std::map<int, std::vector<int>> gPressed;
int gFrame = 0;
// Runs after the poll of the frame it is set for.
void (*gAfterPoll)(int frame) = nullptr;

bool pollAndRecord() {
  xInputManager* input = xInputManager::getInstance();
  input->update();
  for (int action = ACTION_CONFIRM; action <= ACTION_P; ++action) {
    if (input->isActionPressed(action)) gPressed[action].push_back(gFrame);
  }
  if (gAfterPoll) gAfterPoll(gFrame);
  ++gFrame;
  return false;
}

class InputTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    gPressed.clear();
    gFrame = 0;
    gAfterPoll = nullptr;
  }
  void run(long frames) { runFrames(frames, pollAndRecord); }
};

TEST_F(InputTest, PressedOnTheFirstFrameAndEverySixteenthWhileHeld) {
  keyDown(0, 'Z');  // shoot, held for 40 frames
  keyUp(40, 'Z');
  keyDown(3, HGEK_ENTER);  // a tap
  keyUp(4, HGEK_ENTER);
  keyDown(10, HGEK_ENTER);
  keyUp(11, HGEK_ENTER);  // down again only 7 frames after the first press: still holding off
  keyDown(20, HGEK_ENTER);
  keyUp(21, HGEK_ENTER);
  keyDown(5, '7');
  keyDown(0, HGEK_UP);  // held with a longer repeat delay
  gAfterPoll = [](int frame) {
    if (frame == 0) xInputManager::getInstance()->binding(ACTION_UP)->repeatDelay = 20;
  };
  run(45);
  EXPECT_EQ(gPressed[ACTION_SHOOT], (std::vector<int>{0, 16, 32}));
  EXPECT_EQ(gPressed[ACTION_CONFIRM], (std::vector<int>{3, 20}));
  EXPECT_EQ(gPressed[ACTION_DIGIT_7], (std::vector<int>{5, 21, 37}));
  EXPECT_EQ(gPressed[ACTION_UP], (std::vector<int>{0, 21, 42}));
  EXPECT_TRUE(gPressed[ACTION_BOMB].empty());
  EXPECT_FALSE(xInputManager::getInstance()->isActionPressed(99)) << "never bound";
}

TEST_F(InputTest, OnlyTheHighestConnectedPadDrivesPadCodes) {
  // Codes outside 0..255 (Slow, Left) read as never held.
  dir_.write("config.ini", "[Key]\nShoot=128\nBomb=129\nUp=132\nSlow=-1\nLeft=300\n");
  keyDown(0, 300);
  padState(0, 0, true, HGEPAD_A);               // pad 0 holds A ...
  padState(0, 2, true, 0);                      // ... but pad 2 is connected too
  padState(5, 2, true, HGEPAD_B | HGEPAD_DPAD_UP);
  padState(6, 2, true, 0);
  padState(30, 2, false, 0);                    // pad 2 leaves: pad 0 counts again
  padState(50, 0, false, HGEPAD_A);             // and none
  padState(50, 3, false, HGEPAD_A);
  run(70);
  xInputManager* input = xInputManager::getInstance();
  // Pad 0's A counts only once pad 2 has left, and repeats while held.
  EXPECT_EQ(gPressed[ACTION_SHOOT], (std::vector<int>{30, 46}));
  EXPECT_EQ(gPressed[ACTION_BOMB], (std::vector<int>{5}));
  EXPECT_EQ(gPressed[ACTION_UP], (std::vector<int>{5}));
  // Bindings to keyboard codes ignore the pad: Confirm is Enter, not a button.
  EXPECT_TRUE(gPressed[ACTION_CONFIRM].empty());
  EXPECT_TRUE(gPressed[ACTION_SLOW].empty());
  EXPECT_TRUE(gPressed[ACTION_LEFT].empty());
  EXPECT_FALSE(input->isKeyDown(300));
  EXPECT_EQ(input->lastPad, -1);
  EXPECT_EQ(input->padCount, 0);
}

TEST_F(InputTest, RebindingKeepsThePollOrderAndAReArmedBindingDoesNotStayPressed) {
  keyDown(0, 'X');
  keyUp(1, 'X');
  keyDown(3, 'C');
  keyUp(4, 'C');
  gAfterPoll = [](int frame) {
    xInputManager* input = xInputManager::getInstance();
    if (frame == 0) {
      // Bomb was pressed in this frame; re-arming keeps the flag for now.
      input->bindKey('X', ACTION_BOMB);
    }
    if (frame == 3) {
      // The key captured in this frame becomes the new bomb key.
      input->rebindConfigKeys(1, input->engine->Input_GetKey());
    }
  };
  std::vector<int> before = xInputManager::getInstance()->actionOrder;
  run(25);
  EXPECT_EQ(gPressed[ACTION_BOMB], (std::vector<int>{0})) << "released after its one frame";
  xInputManager* input = xInputManager::getInstance();
  EXPECT_EQ(input->actionOrder, before);
  EXPECT_EQ(input->binding(ACTION_BOMB)->keyCodes[0], 'C');
  input->rebindConfigKeys(-1, 0);  // back to config.ini (defaults here)
  EXPECT_EQ(input->binding(ACTION_BOMB)->keyCodes[0], 'X');
  EXPECT_EQ(input->actionOrder, before);
}

}  // namespace
