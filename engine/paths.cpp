// Game paths to file-system paths: code page, separators and case-insensitive lookup.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "engine/platform.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

// Directory listings, keyed by the directory as opened ("" is the working
// directory), each mapping an ASCII-lowercased name to the name on disk.
// When several names fold together the first in sorted order wins, so the
// answer does not depend on the order readdir happens to give.
using Listing = std::map<std::string, std::string>;

struct PathCache {
  std::mutex mutex;
  std::unordered_map<std::string, Listing> listings;
};

PathCache& cache() {
  static PathCache instance;
  return instance;
}

std::string foldCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return folded;
}

bool exists(const std::string& path) {
  struct stat info;
  return ::stat(path.empty() ? "." : path.c_str(), &info) == 0;
}

Listing readListing(const std::string& dir) {
  Listing listing;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::string key = foldCase(name);
    auto found = listing.find(key);
    if (found == listing.end() || name < found->second) listing[key] = name;
  }
  return listing;
}

std::string join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The name in [dir] that equals [name] without regard to ASCII case, or "".
// A miss or a vanished entry rereads the directory, since files come and go.
std::string matchInDirectory(const std::string& dir, const std::string& name) {
  PathCache& c = cache();
  std::lock_guard lock(c.mutex);
  std::string key = foldCase(name);
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto listing = c.listings.find(dir);
    if (listing == c.listings.end() || attempt == 1)
      listing = c.listings.insert_or_assign(dir, readListing(dir)).first;
    auto entry = listing->second.find(key);
    if (entry != listing->second.end() && exists(join(dir, entry->second))) return entry->second;
  }
  return {};
}

// Resolves [path] (UTF-8, '/' separators) one component at a time. Once a
// component matches nothing the rest is kept as given, so a file about to be
// created still lands in the existing folder of another case.
std::string resolveComponents(const std::string& path) {
  std::string resolved = path.starts_with('/') ? "/" : "";
  bool matching = true;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find('/', start), path.size());
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (matching && part != "." && part != ".." && !exists(join(resolved, part))) {
      std::string found = matchInDirectory(resolved, part);
      if (found.empty()) matching = false;
      else part = found;
    }
    resolved = join(resolved, part);
  }
  if (path.ends_with('/') && !resolved.ends_with('/')) resolved += '/';
  return resolved;
}

}  // namespace

std::string resolvePath(std::string_view gamePath) {
  bool ok = false;
  std::string path = cp936ToUtf8(gamePath, &ok);
  if (!ok) path = std::string(gamePath);  // not code page 936: try the bytes as they are
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || exists(path)) return path;
  return resolveComponents(path);
}

void clearPathCache() {
  PathCache& c = cache();
  std::lock_guard lock(c.mutex);
  c.listings.clear();
}

bool readFileAt(const std::string& path, std::vector<unsigned char>& out, int* error) {
  out.clear();
  auto fail = [&](int code) {
    if (error) *error = code;
    std::vector<unsigned char>().swap(out);
    return false;
  };
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  struct stat info;
  int code = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
  // A regular file is read to its size; anything else (a pipe) to its end.
  try {
    std::size_t used = 0;
    if (code == 0) out.resize(S_ISREG(info.st_mode) ? std::size_t(info.st_size) + 1 : 65536);
    while (code == 0) {
      if (used == out.size()) out.resize(out.size() * 2);
      ssize_t n = ::read(fd, out.data() + used, out.size() - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) code = errno;
      if (n <= 0) break;
      used += std::size_t(n);
    }
    out.resize(used);
  } catch (const std::bad_alloc&) {
    code = ENOMEM;
  }
  ::close(fd);
  return code == 0 ? true : fail(code);
}

bool readFile(std::string_view gamePath, std::vector<unsigned char>& out, int* error) {
  return readFileAt(resolvePath(gamePath), out, error);
}

std::string displayPath(std::string_view gamePath) {
  bool ok = false;
  std::string text = cp936ToUtf8(gamePath, &ok);
  if (ok) return text;
  text.clear();
  for (unsigned char c : gamePath) {
    if (c >= 0x20 && c < 0x7F) {
      text += char(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    }
  }
  return text;
}

bool deleteFile(std::string_view gamePath) {
  std::string path = resolvePath(gamePath);
  std::error_code ec;
  if (path.empty() || fs::is_directory(path, ec)) return false;
  return fs::remove(path, ec);
}

}  // namespace engine
