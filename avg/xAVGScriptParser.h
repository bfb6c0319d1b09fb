// Turns the statements of the scene reader into the scene's order list.
#pragma once

#include <cstdint>
#include <string>

#include "avg/order_list.h"
#include "avg/xAVGOrder.h"

// Branch numbers: "if" starts part 1 (an "if" right after "else" stays in the
// else's part, making an else-if chain), each "else" the next part, "endif"
// returns to 0. Every order of a statement takes the counter as it stands
// after the statement; a statement that makes no order stores it into the
// order before it.
class xAVGScriptParser {
 public:
  static xAVGScriptParser* getInstance();
  // Tests: forget the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Empties [orders] and builds them from the reader's statements, from the
  // one it parsed last to the end; then sets the reader's finished flag.
  // Statements that make no order log "ERROR UNKNOWN TOKEN TPYE".
  void buildOrders(avg::OrderList& orders);

  // The order kind a plain statement code makes; NO_ORDER for any other code.
  static xAVGOrderType orderTypeOfToken(std::uint32_t code);
  // The screen effect of [word] in the "blph" list or, with [secondList],
  // the "alph" list; NO_ORDER for any other word.
  static xAVGOrderType effectOrderType(const std::string& word, bool secondList);
  // The screen-shake mode of a "scre" word: 2 across, 1 up and down, -1 other.
  static int shakeMode(const std::string& word);

  std::int32_t branchCounter = 1;

 private:
  xAVGScriptParser() = default;
  void buildStatement(avg::OrderList& orders, std::uint32_t previousCode);
};
