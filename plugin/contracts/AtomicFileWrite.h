#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace rozo
{
// Points of a replacing write, in the order they are passed.
enum class AtomicWriteStep
{
    TemporaryCreated, // the temporary file exists, still empty
    ChunkWritten,     // one more piece of the content is in the temporary file
    Synced,           // the complete content is on the disk
    Renamed           // the temporary file has become the target
};

// Whether the content reaches the disk before it replaces the target: a
// user's document must survive a crash of the machine; a file a build makes
// again need not, and syncing hundreds of them costs more than making them.
enum class AtomicWriteDurability
{
    Synced,
    Unsynced
};

// Replaces the file `target` with `content` so that, whatever happens, the
// target holds either its old or its complete new content. The content goes
// to a temporary file of its own, created exclusively beside the target as
// ".NAME.rozo-XXXXXX", and is renamed over the target only once every write,
// the sync and the close have succeeded; on failure the temporary file is
// removed. Temporary files that a killed earlier write of the same target left
// behind are removed first. A target that is a symbolic link is written
// through: the file it names is replaced. An existing target keeps its
// permissions. `observe`, when given, is called at each step (Synced only
// for a synced write).
bool writeFileAtomically(const std::string& target, std::string_view content,
                         const std::function<void(AtomicWriteStep)>& observe = {},
                         AtomicWriteDurability durability = AtomicWriteDurability::Synced);

// Takes the next piece of the content; false once the content cannot be written.
using AtomicContentSink = std::function<bool(std::string_view)>;
// The same with content that `produce` passes to the sink piece by piece, so
// that it is never held whole; the file is written in the same chunks. Nothing
// replaces the target when `produce` answers false.
bool writeFileAtomically(const std::string& target, const std::function<bool(const AtomicContentSink&)>& produce,
                         const std::function<void(AtomicWriteStep)>& observe = {},
                         AtomicWriteDurability durability = AtomicWriteDurability::Synced);

// The name prefix of the temporary files for `target`, in its folder.
std::string atomicWriteTemporaryPrefix(const std::string& target);
} // namespace rozo
