// The order list of a scene while it is built and played, with its current index.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "avg/xAVGOrder.h"

namespace avg {

// The player owns one; the builder always appends to its last order, so
// while orders are built the current index is that of the last order added.
class OrderList {
 public:
  // Empty list, current index -1.
  void reset();
  // Appends an order of [type] (no parameters, waitState -1, branch 0) and
  // makes it the current one.
  void addOrder(xAVGOrderType type);
  // Appends [param] to the current order. Logs and does nothing while there
  // is no current order.
  void addParamText(const std::string& param);
  // Sets the current order's branch number. Logs and does nothing while
  // there is no current order.
  void setBranch(int branch);

  std::vector<xAVGOrder>& orders() { return orders_; }
  const std::vector<xAVGOrder>& orders() const { return orders_; }
  std::size_t size() const { return orders_.size(); }
  int currentIndex() const { return currentIndex_; }
  void setCurrentIndex(int index) { currentIndex_ = index; }
  // The current order, or nullptr when the index is outside the list.
  xAVGOrder* current();

 private:
  std::vector<xAVGOrder> orders_;
  int currentIndex_ = -1;
};

}  // namespace avg
