// Reads and writes of the numbered configuration items.
#include "core/config.h"

#include "base/xLogFile.h"
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

// The engine reads the leading number and takes text without one as 0:
// "abc" would pass for a 0 that nobody wrote.
bool startsWithNumber(const std::string& text) {
  std::size_t i = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

void logUnusable(const char* section, const char* key, const std::string& value, const char* expected) {
  WriteLog("config.ini: [%s] %s=%s cannot be used: %s", section, key, value.c_str(), expected);
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

bool reportUnusableInt(HGE* hge, int item, int lo, int hi, const char* expected) {
  const IntRow* row = findRow(kIntRows, item);
  if (!row) return false;
  // Absent, the default comes back as its own text and passes.
  const std::string text = hge->Ini_GetString(row->section, row->key, std::to_string(row->def).c_str());
  const int value = hge->Ini_GetInt(row->section, row->key, row->def);
  if (startsWithNumber(text) && value >= lo && value <= hi) return false;
  logUnusable(row->section, row->key, text, expected);
  return true;
}

void reportUnusableString(int item, const std::string& value, const char* expected) {
  if (const StringRow* row = findRow(kStringRows, item)) logUnusable(row->section, row->key, value, expected);
}

}  // namespace core
