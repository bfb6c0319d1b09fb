// Game paths to file-system paths: code page, separators, case-insensitive lookup and the run-folder confinement.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <set>
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

struct Confinement {
  std::mutex mutex;
  std::function<void(std::string_view)> onRefused;  // empty: not confined
  std::set<std::string> outsideFiles;
};

Confinement& confinement() {
  static Confinement instance;
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

// readdir rather than a directory_iterator, whose constructor ends the
// process when memory runs out.
Listing readListing(const std::string& dir) {
  Listing listing;
  DIR* handle = ::opendir(dir.empty() ? "." : dir.c_str());
  if (handle == nullptr) return listing;
  struct Closer {
    DIR* handle;
    ~Closer() { ::closedir(handle); }
  } closer{handle};
  while (const dirent* entry = ::readdir(handle)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
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

// [gamePath] as UTF-8 with '/' separators.
std::string toFilePath(std::string_view gamePath) {
  bool ok = false;
  std::string path = cp936ToUtf8(gamePath, &ok);
  if (!ok) path = std::string(gamePath);  // not code page 936: try the bytes as they are
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// [path] with "." and ".." folded as written, or false when it is absolute
// or its ".." climbs above the run folder.
bool foldInside(std::string& path) {
  if (path.starts_with('/')) return false;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find('/', start), path.size());
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      parts.push_back(std::move(part));
    } else if (parts.empty()) {
      return false;
    } else {
      parts.pop_back();
    }
  }
  bool folder = path.ends_with('/');
  path.clear();
  for (const std::string& part : parts) path = join(path, part);
  if (folder && !path.empty()) path += '/';
  return true;
}

// The real path of [path], or "" when it cannot be had.
std::string realPath(const std::string& path) {
  char* real = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string text(real);
  std::free(real);
  return text;
}

bool within(const std::string& real, const std::string& root) {
  if (root.empty() || !real.starts_with(root)) return false;
  return real.size() == root.size() || root.back() == '/' || real[root.size()] == '/';
}

// Whether [path], through every link, stays in the run folder or in the
// folder its data/ leads to (run folders link data/ from a checkout): the
// real path of the file, or of the folder it would be made in. A link that
// leads nowhere could be followed by a create, so it never passes.
bool leadsInside(const std::string& path) {
  std::string real = realPath(path);
  if (real.empty()) {
    struct stat info;
    if (::lstat(path.empty() ? "." : path.c_str(), &info) == 0) return false;
    std::size_t slash = path.find_last_of('/');
    real = realPath(slash == std::string::npos ? "" : path.substr(0, slash + 1));
    // No folder to make it in: nothing can be opened or made there.
    if (real.empty()) return true;
  }
  return within(real, realPath("")) || within(real, realPath("data"));
}

// The file-system path of [gamePath]; [refused] tells a confined path that
// may not be used (then the result is "" and the refusal was reported).
// [report] false keeps a refusal to itself.
std::string resolveChecked(std::string_view gamePath, bool& refused, bool report = true) {
  std::string path = toFilePath(gamePath);
  refused = false;
  std::function<void(std::string_view)> onRefused;
  {
    Confinement& c = confinement();
    std::lock_guard lock(c.mutex);
    if (c.onRefused && !c.outsideFiles.contains(path)) onRefused = c.onRefused;
  }
  if (onRefused && !foldInside(path)) refused = true;
  if (!refused && !path.empty() && !exists(path)) path = resolveComponents(path);
  if (!refused && onRefused && !leadsInside(path)) refused = true;
  if (!refused) return path;
  if (report) onRefused(gamePath);  // outside the lock: the hook may write files through the resolver
  return {};
}

// Why [info] may not be read: 0, EISDIR for a folder, EINVAL for anything
// but a regular file (a pipe too, unless [streams]).
int kindError(const struct stat& info, bool streams) {
  if (S_ISREG(info.st_mode)) return 0;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  return streams && S_ISFIFO(info.st_mode) ? 0 : EINVAL;
}

// Reads [path] whole when it is a regular file (or, with [streams], a pipe)
// of at most [limit] bytes. The kind is checked before the open, since
// opening a device or a pipe may block or act, and again on what was opened.
bool readWithin(const std::string& path, std::vector<unsigned char>& out, int* error, std::size_t limit,
                bool streams) {
  out.clear();
  auto fail = [&](int code) {
    if (error) *error = code;
    std::vector<unsigned char>().swap(out);
    return false;
  };
  limit = std::min(limit, std::size_t(-1) / 2);
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return fail(errno);
  if (int code = kindError(info, streams)) return fail(code);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (streams ? 0 : O_NONBLOCK));
  if (fd < 0) return fail(errno);
  int code = ::fstat(fd, &info) != 0 ? errno : kindError(info, streams);
  const bool regular = S_ISREG(info.st_mode);
  if (code == 0 && regular && std::uintmax_t(info.st_size) > limit) code = EFBIG;
  try {
    std::size_t used = 0;
    if (code == 0) out.resize(regular ? std::size_t(info.st_size) + 1 : std::min<std::size_t>(65536, limit + 1));
    while (code == 0) {
      // A file that grows while it is read still stops at the limit.
      if (used > limit) code = EFBIG;
      if (code != 0) break;
      if (used == out.size()) out.resize(std::min(out.size() * 2, limit + 1));
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

}  // namespace

std::string resolvePath(std::string_view gamePath) {
  bool refused = false;
  return resolveChecked(gamePath, refused);
}

void confineGamePaths(std::function<void(std::string_view gamePath)> onRefused) {
  Confinement& c = confinement();
  std::lock_guard lock(c.mutex);
  c.onRefused = std::move(onRefused);
}

bool checkGamePath(std::string_view gamePath) {
  bool refused = false;
  resolveChecked(gamePath, refused);
  return !refused;
}

bool staysInGameFolder(std::string_view gamePath) {
  bool refused = false;
  resolveChecked(gamePath, refused, false);
  return !refused;
}

void allowOutsideFile(const std::string& path) {
  Confinement& c = confinement();
  std::lock_guard lock(c.mutex);
  c.outsideFiles.insert(path);
}

void clearPathCache() {
  PathCache& c = cache();
  std::lock_guard lock(c.mutex);
  c.listings.clear();
}

bool readFileAt(const std::string& path, std::vector<unsigned char>& out, int* error, std::size_t limit) {
  return readWithin(path, out, error, limit, true);
}

bool readFile(std::string_view gamePath, std::vector<unsigned char>& out, int* error, std::size_t limit) {
  bool refused = false;
  std::string path = resolveChecked(gamePath, refused);
  if (!refused) return readWithin(path, out, error, limit, false);
  out.clear();
  if (error) *error = EPERM;
  return false;
}

std::string resolveRegularFile(std::string_view gamePath, int* error) {
  bool refused = false;
  std::string path = resolveChecked(gamePath, refused);
  struct stat info;
  int code = refused ? EPERM : ::stat(path.c_str(), &info) != 0 ? errno : kindError(info, false);
  if (error) *error = code;
  return code == 0 ? path : std::string();
}

std::string fileErrorText(int error) {
  switch (error) {
    case EINVAL: return "not a regular file";
    case EFBIG: return "too large";
    case EPERM: return "outside the game folder";
    default: return std::strerror(error);
  }
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
  bool refused = false;
  std::string path = resolveChecked(gamePath, refused);
  std::error_code ec;
  if (path.empty() || fs::is_directory(path, ec)) return false;
  return fs::remove(path, ec);
}

}  // namespace engine
