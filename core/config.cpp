// Reads and writes of the numbered configuration items.
#include "core/config.h"

#include "engine/hge.h"

namespace core {
namespace {

struct IntRow {
  int item;
  const char* section;
  const char* key;
  int def;
};

struct StringRow {
  int item;
  const char* section;
  const char* key;
  const char* def;
};

constexpr IntRow kIntRows[] = {
#define CONFIG_INT(value, name, section, key, def) {value, section, key, def},
#define CONFIG_STRING(value, name, section, key, def)
#include "core/config_items.def"
#undef CONFIG_INT
#undef CONFIG_STRING
};

constexpr StringRow kStringRows[] = {
#define CONFIG_INT(value, name, section, key, def)
#define CONFIG_STRING(value, name, section, key, def) {value, section, key, def},
#include "core/config_items.def"
#undef CONFIG_INT
#undef CONFIG_STRING
};

template <typename Row, std::size_t N>
const Row* findRow(const Row (&rows)[N], int item) {
  for (const Row& row : rows)
    if (row.item == item) return &row;
  return nullptr;
}

}  // namespace

int readConfigInt(HGE* hge, int item) {
  const IntRow* row = findRow(kIntRows, item);
  return row ? hge->Ini_GetInt(row->section, row->key, row->def) : 0;
}

void writeConfigInt(HGE* hge, int item, int value) {
  if (const IntRow* row = findRow(kIntRows, item)) hge->Ini_SetInt(row->section, row->key, value);
}

std::string readConfigString(HGE* hge, int item) {
  const StringRow* row = findRow(kStringRows, item);
  return row ? hge->Ini_GetString(row->section, row->key, row->def) : "";
}

}  // namespace core
