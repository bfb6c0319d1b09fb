// The engine's INI file: settings by section and key, read and written in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Sections and keys match without regard to ASCII case. A missing file,
// section, key or empty value gives the default; numbers parse leniently
// (leading number, else 0) and independently of the locale. Before a path is
// set, reads give the default and writes are dropped. A write keeps every
// other line and reaches disk at once through a temporary file and a rename.
// A file that exists but cannot be read whole is never written (that would
// lose its other settings): the write is refused with a message on stderr,
// and reads give the defaults, saying so once until a read succeeds again.
class IniFile {
 public:
  // [path] is a game path (code page 936), relative to the working directory.
  void setPath(std::string_view path);
  const std::string& path() const { return path_; }

  int getInt(std::string_view section, std::string_view key, int def) const;
  float getFloat(std::string_view section, std::string_view key, float def) const;
  std::string getString(std::string_view section, std::string_view key, std::string_view def) const;
  void setInt(std::string_view section, std::string_view key, int value);
  void setFloat(std::string_view section, std::string_view key, float value);
  void setString(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::optional<std::string> find(std::string_view section, std::string_view key) const;

  std::string path_;
  mutable bool readWarned_ = false;
};

}  // namespace engine
