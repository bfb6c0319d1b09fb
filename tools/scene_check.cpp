// Prints the orders the game builds from a scene file: "orders<TAB>N", then one
// "O<TAB>index<TAB>kind<TAB>branch<TAB>params..." line per order. Parameters are
// printed as the builder stored them, with tabs and line breaks written \t and \n.
// Log lines go to log.txt in the working folder. Exit status 1 when the file
// cannot be opened, 2 on a wrong command line.
#include <cstdio>
#include <string>

#include "avg/order_list.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"
#include "engine/platform.h"

namespace {

void printParam(const std::string& param) {
  for (char c : param) {
    if (c == '\t') std::fputs("\\t", stdout);
    else if (c == '\n') std::fputs("\\n", stdout);
    else std::putchar(c);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scene_check FILE\n");
    return 2;
  }
  // The command line is UTF-8; game paths are code page 936, which the path
  // resolver turns back into UTF-8.
  bool converted = false;
  std::string path = engine::utf8ToCp936(argv[1], &converted);
  if (!converted) path = argv[1];
  xAVGScriptReader* reader = xAVGScriptReader::getInstance();
  if (!reader->readFile(path)) {
    std::fprintf(stderr, "scene_check: cannot open %s\n", argv[1]);
    return 1;
  }
  avg::OrderList orders;
  xAVGScriptParser::getInstance()->buildOrders(orders);
  std::printf("orders\t%zu\n", orders.size());
  for (std::size_t i = 0; i < orders.size(); ++i) {
    const xAVGOrder& order = orders.orders()[i];
    std::printf("O\t%zu\t%d\t%d", i, static_cast<int>(order.type), static_cast<int>(order.branch));
    for (const std::string& param : order.params) {
      std::putchar('\t');
      printParam(param);
    }
    std::putchar('\n');
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
