// Operating-system services the game needs beside the engine object: text code
// pages, file paths, message boxes, local time, clocks and system fonts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Code page 936 <-> wide text (BMP code points) and UTF-8, through iconv.
// Bad input never aborts: the result is "" and [ok], when given, is false.
std::wstring cp936ToWide(std::string_view text, bool* ok = nullptr);
std::string wideToCp936(std::wstring_view text, bool* ok = nullptr);
std::string cp936ToUtf8(std::string_view text, bool* ok = nullptr);
std::string utf8ToCp936(std::string_view text, bool* ok = nullptr);

// Turns a game path (code page 936, backslashes allowed) into the UTF-8 path
// to open: backslashes become slashes and, when the exact path does not
// exist, each component is matched without regard to case (cached).
// A path that matches nothing comes back converted but otherwise unchanged.
// While game paths are confined (below) a refused path gives "".
std::string resolvePath(std::string_view gamePath);
// Forgets cached directory listings (tests that create files call it).
void clearPathCache();

// Confines game paths to the run folder (the working directory): the game
// turns this on for every name that scripts, scene files, the define file
// and config.ini give; tools that open paths from their command line leave
// it off. While confined a game path is folded as written ("." and ".."
// removed), and an absolute path or one whose ".." climbs above the run
// folder is refused. What is left must also lead, through every symbolic
// link, into the run folder or into the folder its data/ leads to (a run
// folder may link data/ from a checkout, and files from there): the real
// path of the file, or of its folder for a file about to be made. Refused,
// [onRefused] receives the name as given, once for each refused call, and
// nothing is read, written or deleted. An empty function lifts the
// confinement.
void confineGamePaths(std::function<void(std::string_view gamePath)> onRefused);
// Whether [gamePath] may be used now; a refusal is reported as above. For
// callers that make several files of one name and want one report.
[[nodiscard]] bool checkGamePath(std::string_view gamePath);
// The same without the report: for the log, which could only report a
// refusal of itself in itself.
[[nodiscard]] bool staysInGameFolder(std::string_view gamePath);
// Lets the file [path] (UTF-8) through the confinement: the system fonts
// that the font lookup found are the one thing the game reads from outside.
void allowOutsideFile(const std::string& path);

// What a content file may hold at most when it is read into memory: far
// above any real script, scene, image or sound, far below the machine.
inline constexpr std::size_t kContentByteLimit = std::size_t(64) << 20;

// Reads a whole file through the resolver. Only a regular file of at most
// [limit] bytes is read: a device such as /dev/zero or a pipe never is.
// False if it cannot be read; then [error], when given, holds the reason as
// an errno value: ENOENT for a missing file, EISDIR for a folder, EINVAL for
// anything else that is not a regular file, EFBIG past [limit], EPERM for a
// confined path refused, ENOMEM when the bytes cannot be held in memory.
[[nodiscard]] bool readFile(std::string_view gamePath, std::vector<unsigned char>& out, int* error = nullptr,
                            std::size_t limit = kContentByteLimit);
// The same for a file-system path taken as it is (command-line arguments),
// which may also be a pipe.
[[nodiscard]] bool readFileAt(const std::string& path, std::vector<unsigned char>& out, int* error = nullptr,
                              std::size_t limit = kContentByteLimit);
// The resolved path of [gamePath] when it names a regular file, for the
// libraries that open files themselves (fonts, streamed music); "" and the
// reason in [error], as for readFile, when not.
std::string resolveRegularFile(std::string_view gamePath, int* error = nullptr);
// readFile's reason as text for a message ("not a regular file", "too large"...).
std::string fileErrorText(int error);
// Removes a file through the resolver. False if nothing was removed.
bool deleteFile(std::string_view gamePath);

// A message box: the window backend shows it (also before the window
// exists); the headless backend records it and prints it to stderr. Text and
// caption are UTF-8. Never blocks in the headless backend.
void messageBox(const std::string& text, const std::string& caption, unsigned style);
// The boxes shown so far in this process (both backends record them).
std::vector<std::string>& recordedMessageBoxes();

// Local wall-clock time.
std::tm localTime();

// Milliseconds of a monotonic clock; tests may replace it (nullptr restores).
std::uint64_t monotonicMillis();
void setMonotonicClock(std::function<std::uint64_t()> clock);
// Sleeps for [ms] milliseconds of the real clock (no busy wait).
void sleepMillis(std::uint64_t ms);

// Finds an installed font file (UTF-8) for a font file name: a Windows
// font ("simkai.ttf", "Consolab.ttf") through an alias table of free faces,
// any other name as an installed file of that name or the face whose family
// and style it spells ("DejaVuSans-Bold.ttf"), among fontconfig's list.
// Returns "" when nothing is found.
std::string findSystemFont(std::string_view fileName);
// Tests may force the answer; an empty function restores the lookup.
void setSystemFontOverride(std::function<std::string(std::string_view)> lookup);

// Engine-layer diagnostics to stderr, naming the failing call.
void logError(const char* call, const std::string& detail);
// What the player should also find in the game's log: the log lives above
// this layer, which installs the hook. Without a hook the line is dropped.
void setGameLogHook(std::function<void(const std::string& line)> hook);
void writeGameLog(const std::string& line);
// A game path fit for a message: code page 936 turned into UTF-8, bytes that
// are not code page 936 written as \xNN.
std::string displayPath(std::string_view gamePath);

}  // namespace engine
