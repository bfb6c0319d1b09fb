// The order list of a scene.
#include "avg/order_list.h"

#include <iterator>

#include "base/xLogFile.h"

namespace avg {

namespace {

struct KindInfo {
  const char* name;
  int count;
};

constexpr KindInfo kKinds[] = {
#define ORDER_KIND(name, value, logName, count) {logName, count},
#include "avg/order_kinds.def"
#undef ORDER_KIND
};
static_assert(std::size(kKinds) == kOrderKindCount);

// The table above is indexed by kind, so the rows must run 0, 1, 2, ...
constexpr bool rowsInValueOrder() {
  int expected = 0;
  for (int value : {
#define ORDER_KIND(name, value, logName, count) value,
#include "avg/order_kinds.def"
#undef ORDER_KIND
       })
    if (value != expected++) return false;
  return true;
}
static_assert(rowsInValueOrder());

const KindInfo& kindInfo(xAVGOrderType type) {
  auto index = static_cast<std::size_t>(type);
  return kKinds[index < std::size(kKinds) ? index : kOrderKindCount - 1];
}

void logBadIndex(int index) { WriteLog("xAVG::addOrderParam: invalid order index %d", index); }

}  // namespace

const char* orderKindName(xAVGOrderType type) { return kindInfo(type).name; }
int orderParamCount(xAVGOrderType type) { return kindInfo(type).count; }

void OrderList::reset() {
  orders_.clear();
  currentIndex_ = -1;
}

void OrderList::addOrder(xAVGOrderType type) {
  xAVGOrder order;
  order.type = type;
  orders_.push_back(std::move(order));
  currentIndex_ = static_cast<int>(orders_.size()) - 1;
}

xAVGOrder* OrderList::current() {
  if (currentIndex_ < 0 || static_cast<std::size_t>(currentIndex_) >= orders_.size()) return nullptr;
  return &orders_[static_cast<std::size_t>(currentIndex_)];
}

void OrderList::addParamText(const std::string& param) {
  if (xAVGOrder* order = current()) order->params.push_back(param);
  else logBadIndex(currentIndex_);
}

void OrderList::setBranch(int branch) {
  if (xAVGOrder* order = current()) order->branch = branch;
  else logBadIndex(currentIndex_);
}

}  // namespace avg
