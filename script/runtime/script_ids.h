// Distinct types for script thread indices and script group ids.
//
// The host-call convention passes both as integers in different orders
// (registry: name, group, thread; host function: thread, group), so they are
// separate enum types: a swapped pair does not compile.
#pragma once

namespace script {

// Index of a thread in its group's thread table; kNoThread for none.
enum class ThreadIndex : int {};
// Id of a script group: its index in the script manager; kNoGroup for none.
enum class GroupId : int {};

constexpr ThreadIndex kNoThread{-1};
constexpr GroupId kNoGroup{-1};

constexpr int toInt(ThreadIndex t) { return static_cast<int>(t); }
constexpr int toInt(GroupId g) { return static_cast<int>(g); }

}  // namespace script
