// libFuzzer target: any bytes as a scene file must read and build without faults, and every
// order must come out well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "avg/order_args.h"
#include "avg/order_list.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xAVGScriptReader* reader = xAVGScriptReader::getInstance();
  reader->readText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  std::size_t statements = reader->lines.size();
  std::size_t bytes = 0;
  for (const std::string& statement : reader->lines) {
    if (statement.size() < 4) std::abort();
    bytes += statement.size();
  }
  if (bytes > size) std::abort();

  avg::OrderList orders;
  xAVGScriptParser::getInstance()->buildOrders(orders);
  if (!reader->finished || reader->lineIndex != static_cast<std::int32_t>(statements)) std::abort();
  for (const xAVGOrder& order : orders.orders()) {
    int kind = static_cast<int>(order.type);
    if (kind < 0 || kind >= avg::kOrderKindCount || order.branch < 0) std::abort();
    if (order.waitState != -1 || order.frameCount != 0) std::abort();
    avg::OrderArgs args = avg::readOrderArgs(order);
    if (args.frames < 0 || (args.countOk != args.countMessage.empty())) std::abort();
    if (order.type == xAVGOrderType::XAVG_SELECT && args.countOk &&
        args.options.size() != static_cast<std::size_t>(args.amount))
      std::abort();
  }
  return 0;
}
