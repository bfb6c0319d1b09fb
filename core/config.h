// Numbered configuration items and their reads and writes through the engine's INI file.
#pragma once

#include <string>

class HGE;

enum ConfigItem : int {
#define CONFIG_INT(value, name, section, key, def) name = value,
#define CONFIG_STRING(value, name, section, key, def)
#include "core/config_items.def"
#undef CONFIG_INT
#undef CONFIG_STRING
};

enum ConfigStringItem : int {
#define CONFIG_INT(value, name, section, key, def)
#define CONFIG_STRING(value, name, section, key, def) name = value,
#include "core/config_items.def"
#undef CONFIG_INT
#undef CONFIG_STRING
};

namespace core {

// Every read goes to the engine each time; nothing is cached. Items without
// a key read 0 (or "") and writes to them are dropped.
int readConfigInt(HGE* hge, int item);
void writeConfigInt(HGE* hge, int item, int value);
std::string readConfigString(HGE* hge, int item);

// The value keeps being read as it is; these only say why it will not work.
// When config.ini holds integer [item] as text without a number, or as a
// number outside [lo, hi], writes one log line naming the section, key and
// value as written, and returns true. An absent key (the default) passes.
bool reportUnusableInt(HGE* hge, int item, int lo, int hi, const char* expected);
// The same line for string [item] holding [value], which cannot be used as [expected].
void reportUnusableString(int item, const std::string& value, const char* expected);

}  // namespace core
