#pragma once

#include "services/files/FileNode.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace jobs {

// A path or name as bytes on disk, for people: valid UTF-8 as it reads, every other byte as "\xE9", so that
// "caf\xE9.txt" and "caf\uFFFD.txt" never look alike.
QString readablePath(std::string_view bytes);

// The Mac path of a node by the names stored on disk: a root's own path up to its folder, then its name and
// the names of the nodes down to `node`. "/" is "".
std::string nativePath(const FileNode& node);
// The same for the folder that holds `node`.
std::string nativeFolderPath(const FileNode& node);

// The checked items in the order of the tree: a checked node, and the checked nodes below a partly checked
// one; unchecked ones are left out.
std::vector<const FileNode*> chosenItems(const FileNodeList& roots);

// The first checked item, through partly checked folders, whose path cannot be handed to a tool as an
// argument: a name on its way that is not valid UTF-8 would reach the tool as another name. Its readable
// path, or nothing when every item can be handed on.
QString itemNoToolCanBeGiven(const FileNodeList& roots);

}  // namespace jobs
