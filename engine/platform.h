// Operating-system services the game needs beside the engine object: text code
// pages, file paths, message boxes, local time, clocks and system fonts.
#pragma once

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
std::string resolvePath(std::string_view gamePath);
// Forgets cached directory listings (tests that create files call it).
void clearPathCache();

// Reads a whole file through the resolver. False if it cannot be read; then
// [error], when given, holds the errno value: ENOENT for a missing file,
// EISDIR for a folder, ENOMEM when the bytes cannot be held in memory.
[[nodiscard]] bool readFile(std::string_view gamePath, std::vector<unsigned char>& out, int* error = nullptr);
// The same for a file-system path taken as it is (command-line arguments).
[[nodiscard]] bool readFileAt(const std::string& path, std::vector<unsigned char>& out, int* error = nullptr);
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
// A game path fit for a message: code page 936 turned into UTF-8, bytes that
// are not code page 936 written as \xNN.
std::string displayPath(std::string_view gamePath);

}  // namespace engine
