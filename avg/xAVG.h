// The visual-novel player: carries out a scene's orders one after another, waits, draws, and hands control back at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avg/order_list.h"
#include "avg/stage_link.h"
#include "avg/xAVGOrder.h"
#include "engine/hge.h"

namespace avg {
struct OrderArgs;
}

class xMenu;
class xSprite;
class xTextBox;

namespace avg {

// A picture on screen. Screen-effect images have an empty name, except
// those of SE_FADEIN / SE_FADEOUT, which keep the image name.
struct ImageRecord {
  std::string name;
  std::unique_ptr<xSprite> sprite;
};

}  // namespace avg

// One scene at a time. The frame callback calls update() in the scene
// states and the score board, the scene renderers call render(); both do
// nothing while no scene runs. A full-screen scene (STATE_AVG) ends by
// calling the focused script's "onAVGEnd", a scene inside a stage
// (STATE_AVG_IN_STG) by switching back to STATE_STG at once.
//
// Orders that go on at once run in a loop within one call, never by
// recursion, and are reached by index only: "onAVGEnd" may start another
// scene and rebuild the list under the loop, so after the end the loop
// stops and every later step looks the current order up again.
class xAVG {
 public:
  static xAVG* getInstance();
  // Tests: destroy the player so the next getInstance builds a fresh one.
  static void resetForTests();

  // The builder's side: appends an order and makes it the current one.
  void addOrder(xAVGOrderType type);
  // Appends [param] to the current order; logs while there is none.
  void addOrderParam(const std::string& param);
  // Sets the current order's branch number; logs while there is none.
  void addOrderParam(int branch);
  // Resets the player and builds the orders of the statements the scene
  // reader holds.
  void buildOrders();

  // Empties the orders, deletes every picture and effect image, no current
  // order, not active. The text boxes keep their text.
  void reset();
  // Runs the built scene from its first order. Without orders the scene
  // ends at once, leaving the input bindings as they are.
  void start();
  // Moves to the next order and carries it out, or ends the scene after
  // the last. Does nothing unless a scene runs with a current order, so the
  // end can never run twice.
  void nextOrder();
  // Carries out the current order, and the following ones while they go on
  // at once. Without a current order only clears [active].
  void ParseOrder();
  void update();
  void render();

  // Index of the first picture named [name] (ASCII case ignored), -1 when none.
  int findImage(const std::string& name) const;
  // The IF order: cuts every order of the block that is not the part of the
  // last choice (counted from 1, the last part for a larger number, none for
  // 0), then goes on. Without a later ENDIF the block runs to the list's end.
  void selectBranch();
  void releaseEffectImages();
  // The screen effects whose images are not released first by the next
  // effect in the same way: 21, 23, 24, 25, 26, 27, 33 and 34. No order of
  // these kinds, nor SE_OPEN_LEFT_IN, waits for the confirm key.
  static bool isTimedEffectOrder(xAVGOrderType type);

  // The text and talker boxes of the state: the AVG pair in STATE_AVG and
  // in a pause over it, the STG pair otherwise.
  bool usesAvgBoxes() const;
  xTextBox* textBox() const;
  xTextBox* talkerBox() const;

  int currentIndex() const { return orders.currentIndex(); }
  // The current order, nullptr when there is none.
  xAVGOrder* currentOrder();

  bool active = false;
  avg::OrderList orders;
  std::vector<avg::ImageRecord> images;
  std::vector<avg::ImageRecord> effectImages;
  std::unique_ptr<xTextBox> avgTextBox;
  std::unique_ptr<xTextBox> stgTextBox;
  std::unique_ptr<xTextBox> avgTalkerBox;
  std::unique_ptr<xTextBox> stgTalkerBox;
  // Driven by the player itself, never by the menu manager.
  std::unique_ptr<xMenu> selectionMenu;
  // Dims the scene while the selection menu is shown.
  std::unique_ptr<xSprite> blackCover;
  std::string currentSelection;
  // Given to the pictures of later IMGIN orders (SETRGBA).
  std::uint32_t imageColour = 0xFFFFFFFF;
  // Installed by app/; see avg/stage_link.h.
  avg::StageLink stage;
  HGE* hge;

 private:
  enum class Step { Wait, Next };

  xAVG();
  ~xAVG();
  // From the current order on: the next order, while each goes on at once.
  void advance();
  // The end of a scene that ran: reset, re-armed confirm keys, then the
  // hand-back of the state.
  void endScene();
  // "onAVGEnd" in STATE_AVG, STATE_STG in STATE_AVG_IN_STG.
  void handBack();
  bool confirmPressed() const;
  bool ctrlHeld() const;
  void updateSelection(xAVGOrder& order);

  // Carries out order [index]; Next when the scene goes on at once.
  Step carryOut(std::size_t index);
  Step carryOutPicture(xAVGOrder& order, const avg::OrderArgs& args);
  Step carryOutSelect(xAVGOrder& order);
  Step carryOutEffect(xAVGOrder& order, const avg::OrderArgs& args);
  Step carryOutStage(xAVGOrder& order, const avg::OrderArgs& args);
};
